#pragma once

#include "platform/text_document.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tildo {

class MemoryDocument;

// Character formatting of rich text. White background means none.
struct TCharFormat
{
    TColour Colour = ColourBlack;
    TColour Background = ColourWhite;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    int SizeHalfPoints = 24; // 12 pt
    std::string Font; // face name, UTF-8; empty for the editor's own
    bool operator==(const TCharFormat&) const = default;
};

struct TStyledRun
{
    std::u32string Text;
    TCharFormat Format;
};

// Unicode text with character formatting, as runs of equally formatted
// characters. Each line break is one '\n'. A byte that was not valid UTF-8 in a
// file is kept as the code unit U+DC00 + byte (as "surrogate escape"), so that
// writing the text back restores it.
class TStyledText
{
public:
    // Appends characters; a run with the same format as the last one grows it.
    void Append(std::u32string_view text, const TCharFormat& format);
    void Append(char32_t ch, const TCharFormat& format);

    const std::vector<TStyledRun>& Runs() const { return m_runs; }
    std::size_t Length() const { return m_length; }
    bool Empty() const { return m_length == 0; }
    std::u32string PlainText() const;
    // Format of every character, for random access.
    std::vector<const TCharFormat*> CharFormats() const;

private:
    std::vector<TStyledRun> m_runs;
    std::size_t m_length = 0;
};

constexpr char32_t EscapedByteBase = 0xDC00;
constexpr bool IsEscapedByte(char32_t ch)
{
    return ch >= EscapedByteBase + 0x80 && ch <= EscapedByteBase + 0xFF;
}

// True when every character has a CP1251 byte (escaped bytes count as bytes).
bool FitsCp1251(std::u32string_view text);

// The text as a MemoryDocument, with text colours and backgrounds, each line
// break written as lineBreak ("\n" or "\r\n") when the document is written out.
MemoryDocument StyledToMemory(const TStyledText& text, std::string_view lineBreak = "\n");

// The document's text with its colours and backgrounds. Every other attribute
// comes from original: characters kept from it (the common beginning and end,
// or all of them when only characters were replaced) keep their formatting,
// and new characters take that of the first replaced one.
TStyledText MemoryToStyled(const MemoryDocument& doc, const TStyledText& original = {});

} // namespace tildo
