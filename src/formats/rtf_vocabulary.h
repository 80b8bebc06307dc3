#pragma once

// The RTF that both readers of RTF understand: the window's reader, which turns
// a file into styled text, and the scanner, which finds where the running text
// is written so that letters can be changed in place. The engine must see the
// same text whichever way a file is opened, so what a control word means, how
// a control word is read and where reading gives up are decided here, once.

#include "text/letters.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tildo {

// Real documents nest a few dozen groups; deeper groups are skipped whole, so
// that hostile input cannot grow the state stack without bound.
inline constexpr std::size_t RtfMaxDepth = 200;
// A longer control word is no word at all: it is ignored.
inline constexpr std::size_t RtfMaxWordLength = 32;

// What a control word does to the text.
enum class TRtfWord : std::uint8_t {
    Plain, // character formatting back to its defaults
    Bold,
    Italic,
    Underline, // any kind of underline
    UnderlineNone,
    Colour,
    Background,
    Size,
    Font,
    Uc, // fallback characters after each \uN
    Unicode, // \uN
    AnsiCpg, // the document's code page is the parameter
    DocCodePage, // the document's code page is the word's Char
    DefaultFont,
    FontTable,
    ColourTable,
    Charset, // a font's character set
    CodePage, // a font's code page
    Red,
    Green,
    Blue,
    Break, // a line of its own: paragraphs, rows, pages, sections
    Tab, // a tab: tabs and table cells
    Char, // the character in Char
    Skip, // a destination that holds no running text at all
    Side, // a footnote, header or footer: text shown around the body, not in it
};

struct TRtfWordInfo
{
    TRtfWord Word;
    char32_t Char = 0; // Char's character; DocCodePage's code page
};

// The meaning of a control word (without its backslash and parameter);
// nullptr for a word that changes nothing in the text.
const TRtfWordInfo* FindRtfWord(std::string_view word);

enum class TRtfTokenKind : std::uint8_t {
    Nothing, // a backslash that ends the input, or \' without two hex digits
    Byte, // \'hh: a byte of text, in Byte
    Symbol, // a control symbol, in Byte
    Word, // a control word with its parameter
    Binary, // \binN with its N bytes of data, which are no text
    Overlong, // a control word longer than RtfMaxWordLength: ignored
};

// What follows a backslash.
struct TRtfToken
{
    TRtfTokenKind Kind = TRtfTokenKind::Nothing;
    std::size_t End = 0; // past the token: its delimiting space and \bin's data included
    std::size_t NumberEnd = 0; // a word: past the digits of its parameter
    std::string_view Word; // a word's letters
    int Param = 0; // 0 when there is none; clamped to int
    bool HasParam = false;
    char Byte = 0;
};

// Reads the control word or symbol whose backslash is at rtf[pos]. Always
// inline: RTF is mostly control words and \'hh, and the window's reader must
// not pay a call and a returned structure for each.
TRtfToken ReadRtfToken(std::string_view rtf, std::size_t pos);

// The character of \uN: a negative N counts from 65536; one out of range is
// U+FFFD.
char32_t RtfUnicodeChar(int param);

// Joins UTF-16 surrogate pairs, which RTF writes as two \uN, into one
// character; a surrogate without its pair becomes U+FFFD.
class TRtfSurrogates
{
public:
    // Takes the next character and gives those that are now whole into
    // out[0..n) (n is 0, 1 or 2).
    // ch is whole as it is and nothing waits: no need to Take it (the
    // common case, checked inline for every character of the text).
    bool Plain(char32_t ch) const { return m_high == 0 && (ch < 0xD800 || ch > 0xDFFF); }
    int Take(char32_t ch, char32_t out[2]);
    // A high surrogate waits for its pair.
    bool Pending() const { return m_high != 0; }
    void Clear() { m_high = 0; }

private:
    char32_t m_high = 0;
};

inline int TRtfSurrogates::Take(char32_t ch, char32_t out[2])
{
    int n = 0;
    if (m_high != 0) {
        const char32_t high = m_high;
        m_high = 0;
        if (ch >= 0xDC00 && ch <= 0xDFFF) {
            out[0] = 0x10000 + ((high - 0xD800) << 10) + (ch - 0xDC00);
            return 1;
        }
        out[n++] = U'\uFFFD';
    }
    if (ch >= 0xD800 && ch <= 0xDBFF) {
        m_high = ch;
        return n;
    }
    out[n++] = ch >= 0xDC00 && ch <= 0xDFFF ? U'\uFFFD' : ch;
    return n;
}

namespace rtf_detail {

inline bool IsAlpha(char ch)
{
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
}

inline bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

} // namespace rtf_detail

[[gnu::always_inline]] inline TRtfToken ReadRtfToken(std::string_view rtf, std::size_t pos)
{
    TRtfToken token;
    if (pos + 1 >= rtf.size()) {
        token.End = rtf.size();
        return token;
    }
    const char first = rtf[pos + 1];
    token.End = pos + 2;
    if (!rtf_detail::IsAlpha(first)) {
        if (first != '\'') {
            token.Kind = TRtfTokenKind::Symbol;
            token.Byte = first;
        } else if (pos + 4 <= rtf.size() && HexValue(rtf[pos + 2]) >= 0 && HexValue(rtf[pos + 3]) >= 0) {
            token.Kind = TRtfTokenKind::Byte;
            token.Byte = static_cast<char>(HexValue(rtf[pos + 2]) * 16 + HexValue(rtf[pos + 3]));
            token.End = pos + 4;
        }
        return token;
    }
    std::size_t end = pos + 1;
    while (end < rtf.size() && rtf_detail::IsAlpha(rtf[end]))
        ++end;
    token.Word = rtf.substr(pos + 1, end - pos - 1);
    bool negative = false;
    std::int64_t value = 0;
    if (end + 1 < rtf.size() && rtf[end] == '-' && rtf_detail::IsDigit(rtf[end + 1])) {
        negative = true;
        ++end;
    }
    while (end < rtf.size() && rtf_detail::IsDigit(rtf[end])) {
        token.HasParam = true;
        if (value < 100000000000LL)
            value = value * 10 + (rtf[end] - '0');
        ++end;
    }
    token.NumberEnd = end;
    if (end < rtf.size() && rtf[end] == ' ')
        ++end;
    token.End = end;
    token.Param = static_cast<int>(std::clamp<std::int64_t>(negative ? -value : value, INT32_MIN, INT32_MAX));
    if (token.Word == "bin") {
        const std::size_t length = token.Param > 0 ? static_cast<std::size_t>(token.Param) : 0;
        token.End += std::min(length, rtf.size() - token.End);
        token.Kind = TRtfTokenKind::Binary;
    } else {
        token.Kind = token.Word.size() > RtfMaxWordLength ? TRtfTokenKind::Overlong : TRtfTokenKind::Word;
    }
    return token;
}

} // namespace tildo
