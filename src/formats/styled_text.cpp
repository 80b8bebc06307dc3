#include "styled_text.h"

#include "text/cp1251.h"
#include "text/memory_document.h"

#include <algorithm>

namespace tildo {

void TStyledText::Append(std::u32string_view text, const TCharFormat& format)
{
    if (text.empty())
        return;
    if (m_runs.empty() || !(m_runs.back().Format == format))
        m_runs.push_back(TStyledRun { {}, format });
    m_runs.back().Text.append(text);
    m_length += text.size();
}

void TStyledText::Append(char32_t ch, const TCharFormat& format)
{
    Append(std::u32string_view(&ch, 1), format);
}

std::u32string TStyledText::PlainText() const
{
    std::u32string out;
    out.reserve(m_length);
    for (const auto& run : m_runs)
        out += run.Text;
    return out;
}

std::vector<const TCharFormat*> TStyledText::CharFormats() const
{
    std::vector<const TCharFormat*> out;
    out.reserve(m_length);
    for (const auto& run : m_runs)
        out.insert(out.end(), run.Text.size(), &run.Format);
    return out;
}

bool FitsCp1251(std::u32string_view text)
{
    return std::all_of(text.begin(), text.end(),
        [](char32_t ch) { return ch == '\n' || IsEscapedByte(ch) || UnicodeToCp1251(ch) >= 0; });
}

MemoryDocument StyledToMemory(const TStyledText& text, std::string_view lineBreak)
{
    // The document's offsets count characters, one per line break, exactly as
    // the styled text does; a CR of the text is a line break too, since a CR
    // before an LF would otherwise merge with it and shift every offset after.
    std::string utf8;
    utf8.reserve(text.Length() + text.Length() / 2);
    for (const auto& run : text.Runs()) {
        for (const char32_t ch : run.Text) {
            if (ch == '\n' || ch == '\r')
                utf8 += lineBreak;
            else if (IsEscapedByte(ch))
                utf8 += static_cast<char>(ch - EscapedByteBase);
            else if (ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF))
                AppendUtf8(utf8, U'\uFFFD');
            else
                AppendUtf8(utf8, ch);
        }
    }
    MemoryDocument doc = MemoryDocument::FromUtf8(utf8);
    int offset = 0;
    for (const auto& run : text.Runs()) {
        const int length = static_cast<int>(run.Text.size());
        if (run.Format.Colour != ColourBlack || run.Format.Background != ColourWhite) {
            doc.Select(offset, length);
            if (run.Format.Colour != ColourBlack)
                doc.SetSelectionColour(run.Format.Colour);
            if (run.Format.Background != ColourWhite)
                doc.SetSelectionBackground(run.Format.Background);
        }
        offset += length;
    }
    doc.Select(0, 0);
    doc.ChangeCount = 0;
    return doc;
}

namespace {

// The document's characters as Unicode, one per offset.
std::u32string DocumentChars(const MemoryDocument& doc)
{
    const std::string utf8 = doc.ToUtf8();
    std::u32string out;
    out.reserve(static_cast<std::size_t>(doc.Length()));
    std::size_t i = doc.HasBom() ? 3 : 0;
    while (i < utf8.size()) {
        if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') {
            out += U'\n';
            i += 2;
            continue;
        }
        char32_t ch = 0;
        if (NextUtf8(utf8, i, ch))
            out += ch;
        else
            out += EscapedByteBase + ch;
    }
    return out;
}

} // namespace

TStyledText MemoryToStyled(const MemoryDocument& doc, const TStyledText& original)
{
    const std::u32string chars = DocumentChars(doc);
    const std::u32string before = original.PlainText();
    const std::vector<const TCharFormat*> formats = original.CharFormats();
    const std::size_t n = before.size();
    const std::size_t m = chars.size();

    // Which original character each new one takes its format from.
    std::size_t prefix = 0;
    std::size_t suffix = 0;
    if (n != m) {
        while (prefix < n && prefix < m && before[prefix] == chars[prefix])
            ++prefix;
        while (suffix < n - prefix && suffix < m - prefix && before[n - 1 - suffix] == chars[m - 1 - suffix])
            ++suffix;
    }
    const TCharFormat plain;
    auto sourceFormat = [&](std::size_t k) -> const TCharFormat& {
        if (n == 0)
            return plain;
        if (n == m || k < prefix)
            return *formats[k];
        if (k >= m - suffix)
            return *formats[k + n - m];
        return *formats[std::min(prefix, n - 1)];
    };

    TStyledText out;
    for (std::size_t k = 0; k < m; ++k) {
        TCharFormat format = sourceFormat(k);
        format.Colour = doc.CharColour(static_cast<int>(k));
        format.Background = doc.CharBackground(static_cast<int>(k));
        out.Append(chars[k], format);
    }
    return out;
}

} // namespace tildo
