#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tildo {

// The byte that stands in the core's CP1251 text for a character the code page
// cannot hold. 0x98 is the one unassigned byte of CP1251; it is not a letter,
// so the engine never touches it, and the documents keep the original.
constexpr unsigned char ForeignPlaceholder = 0x98;

// Unicode of a CP1251 byte. Every byte maps: 0x98, which has no character in
// the code page, maps to the C1 control U+0098 so that decoding and encoding
// round-trip for all 256 bytes.
char16_t Cp1251ToUnicode(unsigned char byte);

// The CP1251 byte of a Unicode character, or -1 when the code page lacks it.
int UnicodeToCp1251(char32_t ch);

// Decodes one UTF-8 sequence at s[i]; advances i. Returns false for a
// malformed sequence (then i advances by one byte and ch is the raw byte).
bool NextUtf8(std::string_view s, std::size_t& i, char32_t& ch);

// Past the text from i on that is plain ASCII or Cyrillic letters of two
// bytes (lead 0xD0 or 0xD1), all valid UTF-8, judged eight bytes at a time;
// stops where another character may begin within the next eight bytes (never
// inside a sequence). nonAscii is set when a letter was passed.
std::size_t SkipPlainUtf8(std::string_view s, std::size_t i, bool& nonAscii);

// Appends the UTF-8 form of ch.
void AppendUtf8(std::string& out, char32_t ch);

// UTF-8 to CP1251; characters the code page lacks and malformed bytes become
// ForeignPlaceholder.
std::string Utf8ToCp1251(std::string_view utf8);

// CP1251 to UTF-8, byte for byte through Cp1251ToUnicode.
std::string Cp1251ToUtf8(std::string_view cp1251);

// CP1251 text of a UTF-8 literal in the sources: the program's messages are
// written as they read and converted once where they are used.
inline std::string Cp(std::string_view utf8Literal)
{
    return Utf8ToCp1251(utf8Literal);
}

} // namespace tildo
