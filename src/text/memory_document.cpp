#include "memory_document.h"

#include "cp1251.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace tildo {

namespace {

constexpr char32_t MalformedBase = 0xDC00;

} // namespace

MemoryDocument MemoryDocument::FromCp1251(std::string_view bytes)
{
    MemoryDocument doc;
    doc.m_text.reserve(bytes.size());
    // Whole stretches up to the next CR LF are copied at once.
    std::size_t i = 0;
    for (;;) {
        const std::size_t cr = bytes.find("\r\n", i);
        if (cr == std::string_view::npos)
            break;
        doc.m_text.append(bytes.substr(i, cr - i));
        doc.m_originals.emplace_hint(doc.m_originals.end(), static_cast<int>(doc.m_text.size()), U'\r');
        doc.m_text += '\n';
        i = cr + 2;
    }
    doc.m_text.append(bytes.substr(i));
    doc.RebuildLines();
    return doc;
}

namespace {

static_assert(std::endian::native == std::endian::little, "two bytes are tested as one little-endian number");

// The CP1251 byte of each two-byte Cyrillic character (lead 0xD0 or 0xD1),
// indexed by the lead's lowest bit and the continuation's six bits; 0 where
// the code page lacks the character, which keeps its original.
struct TPairTable
{
    unsigned char Byte[128] = {};

    TPairTable()
    {
        for (int k = 0; k < 128; ++k) {
            const int b = UnicodeToCp1251(static_cast<char32_t>(0x400 + k));
            Byte[k] = static_cast<unsigned char>(b < 0 || b == ForeignPlaceholder ? 0 : b);
        }
    }
};

const TPairTable& PairTable()
{
    static const TPairTable table;
    return table;
}

// Decodes the common characters from p on: runs of ASCII eight bytes at a
// time, and Cyrillic letters of the code page (a lead 0xD0 or 0xD1 and a
// continuation byte) four at a time when eight bytes hold four of them, one
// at a time otherwise. Stops at anything else (a CR, another non-ASCII
// character, the last few bytes) and returns where; out is moved past what
// was written.
const char* DecodeCommon(const char* p, const char* end, char*& out, const unsigned char* pairs)
{
    constexpr std::uint64_t Ones = 0x0101010101010101ull;
    constexpr std::uint64_t Highs = 0x8080808080808080ull;
    const auto letterOf
        = [pairs](std::uint64_t pair) -> unsigned { return pairs[((pair & 1) << 6) | ((pair >> 8) & 0x3F)]; };
    char* o = out;
    while (end - p >= 8) {
        std::uint64_t eight = 0;
        std::memcpy(&eight, p, sizeof eight);
        if ((eight & Highs) == 0) {
            const std::uint64_t cr = eight ^ (Ones * '\r');
            if (((cr - Ones) & ~cr & Highs) == 0) {
                std::memcpy(o, &eight, sizeof eight);
                o += 8;
                p += 8;
                continue;
            }
        } else if ((eight & 0xC0FEC0FEC0FEC0FEull) == 0x80D080D080D080D0ull) {
            const unsigned a = letterOf(eight);
            const unsigned b = letterOf(eight >> 16);
            const unsigned c = letterOf(eight >> 32);
            const unsigned d = letterOf(eight >> 48);
            if (a != 0 && b != 0 && c != 0 && d != 0) {
                const std::uint32_t four = a | b << 8 | c << 16 | d << 24;
                std::memcpy(o, &four, sizeof four);
                o += 4;
                p += 8;
                continue;
            }
        }
        const auto pair = static_cast<std::uint16_t>(eight);
        const unsigned letter = letterOf(pair);
        if ((pair & 0xC0FE) == 0x80D0 && letter != 0) {
            *o++ = static_cast<char>(letter);
            p += 2;
            continue;
        }
        const auto b0 = static_cast<unsigned char>(pair);
        if (b0 >= 0x80 || b0 == '\r')
            break;
        *o++ = static_cast<char>(b0);
        ++p;
    }
    out = o;
    return p;
}

} // namespace

MemoryDocument MemoryDocument::FromUtf8(std::string_view bytes, bool atStart)
{
    MemoryDocument doc;
    if (atStart && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        doc.m_bom = true;
        bytes.remove_prefix(3);
    }
    // A text never has more characters than bytes: room for that many is
    // taken at once, which keeps a large file's decoding to a few table
    // look-ups per character. The characters go through a small buffer, so
    // that only the room they fill is ever touched (a Russian text in UTF-8
    // fills about half).
    std::string& text = doc.m_text;
    text.reserve(bytes.size());
    char out[1 << 16];
    std::size_t w = 0;
    std::size_t done = 0; // characters already in text
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    const TPairTable& pairs = PairTable();
    while (i < n) {
        if (w + 8 > sizeof out) {
            text.append(out, w);
            done += w;
            w = 0;
        }
        {
            // Never more characters than bytes, so a stretch of the buffer's
            // free room in bytes cannot overflow it.
            const char* const from = bytes.data() + i;
            const char* const until = bytes.data() + std::min(n, i + (sizeof out - w));
            char* to = out + w;
            i += static_cast<std::size_t>(DecodeCommon(from, until, to, pairs.Byte) - from);
            w = static_cast<std::size_t>(to - out);
        }
        if (i >= n)
            break;
        if (w == sizeof out)
            continue;
        // Cyrillic letters first, the most of a Russian text: a lead 0xD0 or
        // 0xD1 and a continuation byte, tested together.
        if (i + 1 < n) {
            std::uint16_t pair = 0;
            std::memcpy(&pair, bytes.data() + i, sizeof pair);
            if ((pair & 0xC0FE) == 0x80D0) {
                const unsigned char letter = pairs.Byte[((pair & 1) << 6) | ((pair >> 8) & 0x3F)];
                if (letter != 0) {
                    out[w++] = static_cast<char>(letter);
                    i += 2;
                    continue;
                }
            }
        }
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        if (b0 < 0x80) {
            if (b0 == '\r' && i + 1 < n && bytes[i + 1] == '\n') {
                doc.m_originals.emplace_hint(doc.m_originals.end(), static_cast<int>(done + w), U'\r');
                out[w++] = '\n';
                i += 2;
            } else {
                out[w++] = static_cast<char>(b0);
                ++i;
            }
            continue;
        }
        // Cyrillic letters are two bytes from U+0400 to U+047F: a direct case.
        if ((b0 == 0xD0 || b0 == 0xD1) && i + 1 < n
            && (static_cast<unsigned char>(bytes[i + 1]) & 0xC0) == 0x80) {
            const char32_t ch
                = (char32_t(b0 & 0x1F) << 6) | (static_cast<unsigned char>(bytes[i + 1]) & 0x3F);
            if (ch >= 0x410 && ch <= 0x44F) {
                out[w++] = static_cast<char>(0xC0 + (ch - 0x410));
                i += 2;
                continue;
            }
        }
        char32_t ch = 0;
        const int offset = static_cast<int>(done + w);
        if (!NextUtf8(bytes, i, ch)) {
            doc.m_originals.emplace_hint(doc.m_originals.end(), offset, MalformedBase + ch);
            out[w++] = static_cast<char>(ForeignPlaceholder);
            continue;
        }
        const int b = UnicodeToCp1251(ch);
        if (b < 0 || b == ForeignPlaceholder) {
            doc.m_originals.emplace_hint(doc.m_originals.end(), offset, ch);
            out[w++] = static_cast<char>(ForeignPlaceholder);
        } else {
            out[w++] = static_cast<char>(b);
        }
    }
    text.append(out, w);
    doc.RebuildLines();
    return doc;
}

std::string MemoryDocument::ToCp1251() const
{
    std::string out;
    out.reserve(m_text.size() + m_lineStarts.size());
    auto next = m_originals.begin();
    for (std::size_t i = 0; i < m_text.size(); ++i) {
        const int offset = static_cast<int>(i);
        while (next != m_originals.end() && next->first < offset)
            ++next;
        const bool hasOriginal = next != m_originals.end() && next->first == offset;
        const char c = m_text[i];
        if (c == '\n' && hasOriginal && next->second == U'\r')
            out += '\r';
        if (hasOriginal && c != '\n' && next->second >= MalformedBase && next->second < MalformedBase + 0x100)
            out += static_cast<char>(next->second - MalformedBase); // a stray byte goes back as it came
        else
            out += c;
    }
    return out;
}

namespace {

// The UTF-8 bytes of every CP1251 byte, built once.
struct TUtf8Table
{
    char Bytes[256][3];
    unsigned char Length[256];

    TUtf8Table()
    {
        for (int b = 0; b < 256; ++b) {
            std::string utf8;
            AppendUtf8(utf8, Cp1251ToUnicode(static_cast<unsigned char>(b)));
            Length[b] = static_cast<unsigned char>(utf8.size());
            for (std::size_t k = 0; k < utf8.size(); ++k)
                Bytes[b][k] = utf8[k];
        }
    }
};

const TUtf8Table& Utf8Table()
{
    static const TUtf8Table table;
    return table;
}

} // namespace

std::string MemoryDocument::ToUtf8() const
{
    const TUtf8Table& table = Utf8Table();
    std::string out;
    out.reserve(m_text.size() * 2 + 3);
    if (m_bom)
        out += "\xEF\xBB\xBF";
    // Characters between two originals come straight from the table, through
    // a small buffer so that the string grows in large steps.
    char buffer[4096];
    std::size_t used = 0;
    const auto flush = [&] {
        out.append(buffer, used);
        used = 0;
    };
    const auto put = [&](std::string_view bytes) {
        if (used + bytes.size() > sizeof buffer)
            flush();
        for (const char c : bytes)
            buffer[used++] = c;
    };
    auto next = m_originals.begin();
    const std::size_t n = m_text.size();
    std::size_t i = 0;
    while (i < n) {
        const std::size_t stop
            = next == m_originals.end() ? n : std::min(n, static_cast<std::size_t>(next->first));
        for (; i < stop; ++i) {
            if (used + 3 > sizeof buffer)
                flush();
            const auto b = static_cast<unsigned char>(m_text[i]);
            if (b < 0x80) {
                buffer[used++] = static_cast<char>(b);
                continue;
            }
            const int length = table.Length[b];
            for (int k = 0; k < length; ++k)
                buffer[used++] = table.Bytes[b][k];
        }
        if (i == n)
            break;
        // The character at an original.
        const char c = m_text[i];
        const char32_t original = next->second;
        if (c == '\n') {
            put(original == U'\r' ? "\r\n" : "\n");
        } else if (c == static_cast<char>(ForeignPlaceholder)) {
            std::string bytes;
            if (original >= MalformedBase && original < MalformedBase + 0x100)
                bytes += static_cast<char>(original - MalformedBase);
            else
                AppendUtf8(bytes, original);
            put(bytes);
        } else {
            const auto b = static_cast<unsigned char>(c);
            put(std::string_view(table.Bytes[b], table.Length[b]));
        }
        ++i;
        ++next;
    }
    flush();
    return out;
}

TColour MemoryDocument::CharColour(int offset) const
{
    const auto it = m_colours.find(offset);
    return it == m_colours.end() ? ColourBlack : it->second;
}

TColour MemoryDocument::CharBackground(int offset) const
{
    const auto it = m_backgrounds.find(offset);
    return it == m_backgrounds.end() ? ColourWhite : it->second;
}

std::string MemoryDocument::Line(int i) const
{
    if (i < 0 || i >= LineCount())
        return {};
    const int start = m_lineStarts[static_cast<std::size_t>(i)];
    const int end = i + 1 < LineCount() ? m_lineStarts[static_cast<std::size_t>(i) + 1] - 1 : Length();
    return m_text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

std::string MemoryDocument::LineSlice(int i, int from, int length) const
{
    if (i < 0 || i >= LineCount() || from < 0 || length <= 0)
        return {};
    const int start = m_lineStarts[static_cast<std::size_t>(i)];
    const int end = i + 1 < LineCount() ? m_lineStarts[static_cast<std::size_t>(i) + 1] - 1 : Length();
    if (from >= end - start)
        return {};
    const int count = std::min(length, end - start - from);
    return m_text.substr(static_cast<std::size_t>(start + from), static_cast<std::size_t>(count));
}

void MemoryDocument::LineInto(int i, std::string& out) const
{
    if (i < 0 || i >= LineCount()) {
        out.clear();
        return;
    }
    const int start = m_lineStarts[static_cast<std::size_t>(i)];
    const int end = i + 1 < LineCount() ? m_lineStarts[static_cast<std::size_t>(i) + 1] - 1 : Length();
    out.assign(m_text, static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

int MemoryDocument::LineStart(int i) const
{
    if (i < 0 || i >= LineCount())
        return -1;
    return m_lineStarts[static_cast<std::size_t>(i)];
}

int MemoryDocument::LineOf(int offset) const
{
    if (offset <= 0)
        return 0;
    const auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset);
    return static_cast<int>(it - m_lineStarts.begin()) - 1;
}

void MemoryDocument::Select(int start, int length)
{
    start = std::clamp(start, 0, Length());
    length = std::clamp(length, 0, Length() - start);
    m_selStart = start;
    m_selLength = length;
}

void MemoryDocument::ReplaceSelection(const std::string& text)
{
    Splice(m_selStart, m_selLength, text);
    m_selStart += static_cast<int>(text.size());
    m_selLength = 0;
}

TColour MemoryDocument::SelectionColour() const
{
    if (m_selLength == 0 && m_selStart > 0)
        return CharColour(m_selStart - 1);
    return CharColour(m_selStart);
}

void MemoryDocument::SetSelectionColour(TColour colour)
{
    for (int i = m_selStart; i < m_selStart + m_selLength; ++i) {
        if (colour == ColourBlack)
            m_colours.erase(i);
        else
            m_colours[i] = colour;
    }
}

void MemoryDocument::SetSelectionBackground(TColour colour)
{
    for (int i = m_selStart; i < m_selStart + m_selLength; ++i) {
        if (colour == ColourWhite)
            m_backgrounds.erase(i);
        else
            m_backgrounds[i] = colour;
    }
}

template <class Map> void MemoryDocument::ShiftKeys(Map& map, int start, int length, int inserted)
{
    // Keys inside the replaced range go; keys after it move by the change in length.
    map.erase(map.lower_bound(start), map.lower_bound(start + length));
    const int delta = inserted - length;
    if (delta == 0)
        return;
    Map shifted;
    auto it = map.lower_bound(start + length);
    shifted.insert(map.begin(), it);
    for (; it != map.end(); ++it)
        shifted.emplace_hint(shifted.end(), it->first + delta, it->second);
    map.swap(shifted);
}

void MemoryDocument::Splice(int start, int length, std::string_view text)
{
    start = std::clamp(start, 0, Length());
    length = std::clamp(length, 0, Length() - start);
    const int formatFrom = length > 0 ? start : start - 1;
    const TColour colour = formatFrom >= 0 ? CharColour(formatFrom) : ColourBlack;
    const TColour background = formatFrom >= 0 ? CharBackground(formatFrom) : ColourWhite;
    // Letters replaced by as many letters (what a restoration pass does, one
    // letter at a time): nothing moves, so only the replaced characters'
    // formatting changes, without touching the rest of the maps.
    if (length == static_cast<int>(text.size()) && text.find('\n') == std::string_view::npos
        && std::find(m_text.begin() + start, m_text.begin() + start + length, '\n')
            == m_text.begin() + start + length) {
        for (int k = 0; k < length; ++k) {
            const int at = start + k;
            m_text[static_cast<std::size_t>(at)] = text[static_cast<std::size_t>(k)];
            if (colour == ColourBlack)
                m_colours.erase(at);
            else
                m_colours[at] = colour;
            if (background == ColourWhite)
                m_backgrounds.erase(at);
            else
                m_backgrounds[at] = background;
            m_originals.erase(at);
        }
        ++ChangeCount;
        return;
    }
    // A new line break takes the style of the document's breaks.
    const bool crlf = text.find('\n') != std::string_view::npos && UsesCrLf();
    const bool structural = length != static_cast<int>(text.size())
        || text.find('\n') != std::string_view::npos
        || std::count(m_text.begin() + start, m_text.begin() + start + length, '\n') > 0;

    ShiftKeys(m_colours, start, length, static_cast<int>(text.size()));
    ShiftKeys(m_backgrounds, start, length, static_cast<int>(text.size()));
    ShiftKeys(m_originals, start, length, static_cast<int>(text.size()));
    m_text.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(length), text);
    for (int k = 0; k < static_cast<int>(text.size()); ++k) {
        if (colour != ColourBlack)
            m_colours[start + k] = colour;
        if (background != ColourWhite)
            m_backgrounds[start + k] = background;
        if (crlf && text[static_cast<std::size_t>(k)] == '\n')
            m_originals[start + k] = U'\r';
    }
    if (structural)
        RebuildLines();
    ++ChangeCount;
}

void MemoryDocument::RebuildLines()
{
    m_lineStarts.clear();
    m_lineStarts.push_back(0);
    const char* const begin = m_text.data();
    const char* const end = begin + m_text.size();
    for (const char* p = begin; p != end;) {
        const void* found = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        if (found == nullptr)
            break;
        p = static_cast<const char*>(found) + 1;
        m_lineStarts.push_back(static_cast<int>(p - begin));
    }
}

bool MemoryDocument::UsesCrLf() const
{
    for (const auto& [offset, original] : m_originals) {
        if (original == U'\r' && m_text[static_cast<std::size_t>(offset)] == '\n')
            return true;
    }
    return false;
}

void MemoryDocument::SetText(const std::string& text)
{
    const bool crlf = UsesCrLf();
    m_colours.clear();
    m_backgrounds.clear();
    m_originals.clear();
    m_text = text;
    if (crlf) {
        for (std::size_t i = 0; i < m_text.size(); ++i) {
            if (m_text[i] == '\n')
                m_originals.emplace(static_cast<int>(i), U'\r');
        }
    }
    m_selStart = 0;
    m_selLength = 0;
    RebuildLines();
    ++ChangeCount;
}

void MemoryDocument::Apply(const TRangeEdit& edit)
{
    if (edit.Valid)
        Splice(edit.Start, edit.Length, edit.Text);
}

void MemoryDocument::InsertLine(int i, const std::string& text)
{
    Apply(InsertLineEdit(*this, i, text));
}

void MemoryDocument::ReplaceLine(int i, const std::string& text)
{
    Apply(ReplaceLineEdit(*this, i, text));
}

void MemoryDocument::DeleteLine(int i)
{
    Apply(DeleteLineEdit(*this, i));
}

} // namespace tildo
