#pragma once

// The RTF that both readers of RTF understand: the window's reader, which turns
// a file into styled text, and the scanner, which finds where the running text
// is written so that letters can be changed in place. The engine must see the
// same text whichever way a file is opened, so what a control word means, how
// a control word is read and where reading gives up are decided here, once.

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

// Reads the control word or symbol whose backslash is at rtf[pos].
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
    int Take(char32_t ch, char32_t out[2]);
    // A high surrogate waits for its pair.
    bool Pending() const { return m_high != 0; }
    void Clear() { m_high = 0; }

private:
    char32_t m_high = 0;
};

} // namespace tildo
