#include "utf8_tally.h"

#include "batch/messages.h"
#include "batch/text_input.h"
#include "text/cp1251.h"

#include <cstdio>
#include <cstring>

namespace tildo {

void TUtf8Tally::Add(std::string_view piece)
{
    if (m_carry.empty()) {
        Walk(piece, false);
        return;
    }
    std::string joined = std::move(m_carry);
    joined.append(piece);
    Walk(joined, false);
}

void TUtf8Tally::AddWellFormed(std::string_view piece)
{
    if (!m_carry.empty()) {
        Add(piece);
        return;
    }
    // Every multibyte character has one lead byte, and only lead bytes are 0xC0 or above.
    // Eight bytes at a time: a byte is 0xC0 or above when its two top bits are set.
    std::uint64_t leads = 0;
    std::size_t i = 0;
    for (; i + 8 <= piece.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, piece.data() + i, 8);
        // The marks are the top bits of the bytes: summed by one multiplication
        // into the top byte (a population count instruction is not assumed).
        const std::uint64_t marks = (word & (word << 1) & 0x8080808080808080ULL) >> 7;
        leads += (marks * 0x0101010101010101ULL) >> 56;
    }
    for (; i < piece.size(); ++i)
        leads += static_cast<unsigned char>(piece[i]) >= 0xC0 ? 1 : 0;
    m_valid += leads;
    m_offset += piece.size();
}

void TUtf8Tally::Finish()
{
    const std::string rest = std::move(m_carry);
    Walk(rest, true);
}

void TUtf8Tally::Walk(std::string_view bytes, bool last)
{
    // A character cut by the end of a piece waits for the rest of it.
    const std::size_t keep = last ? 0 : IncompleteTail(bytes);
    const std::string_view whole = bytes.substr(0, bytes.size() - keep);
    std::size_t i = 0;
    while (i < whole.size()) {
        const std::size_t at = i;
        char32_t ch = 0;
        if (static_cast<unsigned char>(whole[i]) < 0x80) {
            ++i;
        } else if (NextUtf8(whole, i, ch)) {
            ++m_valid;
        } else if (m_broken++ == 0) {
            m_firstBroken = m_offset + at;
            m_firstByte = static_cast<unsigned char>(whole[at]);
        }
    }
    m_offset += whole.size();
    m_carry.assign(bytes.substr(whole.size()));
}

std::string TUtf8Tally::Warning(const std::string& path) const
{
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", m_firstByte);
    return InputName(path) + " похож на UTF-8, но байт " + hex + " по смещению "
        + std::to_string(m_firstBroken)
        + " в UTF-8 невозможен, поэтому текст прочитан как CP1251; если это UTF-8, укажите --encoding utf-8";
}

void WarnOfBrokenUtf8(const std::string& path, std::string_view bytes)
{
    TUtf8Tally tally;
    tally.Add(bytes);
    tally.Finish();
    if (tally.LooksBroken())
        PrintError(tally.Warning(path));
}

} // namespace tildo
