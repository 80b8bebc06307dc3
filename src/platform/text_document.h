#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tildo {

// 24-bit RGB colour as 0xRRGGBB.
using TColour = std::uint32_t;

constexpr TColour Rgb(unsigned r, unsigned g, unsigned b)
{
    return (TColour(r & 0xFF) << 16) | (TColour(g & 0xFF) << 8) | TColour(b & 0xFF);
}

constexpr TColour ColourBlack = Rgb(0, 0, 0);
constexpr TColour ColourWhite = Rgb(255, 255, 255);
constexpr TColour ColourBlue = Rgb(0, 0, 255);
constexpr TColour ColourAqua = Rgb(0, 255, 255);
constexpr TColour ColourRed = Rgb(255, 0, 0);

// A text addressed by lines (from 0) and character offsets (from 0): one
// position per character and one per line break, whatever bytes the break has
// in the file. Line texts and the whole text are CP1251; a character CP1251
// cannot hold appears as a placeholder byte that is never a letter, and the
// document keeps the original character.
class TextDocument
{
public:
    virtual ~TextDocument() = default;

    virtual int LineCount() const = 0;
    // Text of line i without its line break; empty when i is out of range.
    virtual std::string Line(int i) const = 0;
    // Line(i) into out, whose storage a caller reading line after line reuses.
    virtual void LineInto(int i, std::string& out) const { out = Line(i); }
    // Up to length characters of line i from its character `from` on (clipped
    // to the line), for callers that need a little of a possibly huge line.
    // The default copies the whole line; documents that can do better do.
    virtual std::string LineSlice(int i, int from, int length) const
    {
        const std::string line = Line(i);
        if (from < 0 || length <= 0 || from >= static_cast<int>(line.size()))
            return {};
        return line.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(length));
    }
    // Offset of the first character of line i; -1 when i >= LineCount.
    virtual int LineStart(int i) const = 0;
    // The line that holds offset x (the last line for offsets at or past the end).
    virtual int LineOf(int offset) const = 0;
    // The whole text, each line break one '\n'; offsets agree with LineStart.
    virtual std::string Text() const = 0;
    // The whole text to read in place until the document next changes. A
    // document that holds its text as one string gives it without a copy;
    // others fill scratch.
    virtual std::string_view TextView(std::string& scratch) const
    {
        scratch = Text();
        return scratch;
    }
    virtual int Length() const = 0;

    virtual void Select(int start, int length) = 0;
    virtual int SelStart() const = 0;
    virtual int SelLength() const = 0;
    // Replaces the selected characters; the caret ends after the new text.
    virtual void ReplaceSelection(const std::string& text) = 0;

    // Text colour at the selection start (the colour new text would take).
    virtual TColour SelectionColour() const = 0;
    virtual void SetSelectionColour(TColour colour) = 0;
    virtual void SetSelectionBackground(TColour colour) = 0;

    virtual void ScrollToCaret() = 0;
    virtual void SetReadOnly(bool readOnly) = 0;
    virtual bool IsReadOnly() const = 0;
    virtual void SetBusyCursor(bool busy) = 0;
    virtual void Focus() = 0;

    // Whole-text and line editing, for the dictionary editor's panes. Line
    // operations take line indexes; InsertLine at LineCount appends a line.
    virtual void SetText(const std::string& text) = 0;
    virtual void InsertLine(int i, const std::string& text) = 0;
    virtual void ReplaceLine(int i, const std::string& text) = 0;
    virtual void DeleteLine(int i) = 0;
};

struct TLineColumn
{
    int Line = 0; // from 0
    int Column = 1; // from 1
};

// The line holding offset, and the column (from 1) of the document's caret
// relative to the start of that line.
TLineColumn LineAndColumn(const TextDocument& doc, int offset);

// Puts the caret at offset with an empty selection and scrolls it into view;
// does nothing for a negative offset.
void ShowPosition(TextDocument& doc, int offset);

// A line operation of the dictionary editor's panes as one replacement of a
// range of the text, so that every document applies the same rules: a line
// inserted before line i ends with a break, one appended after the last line
// starts with one; deleting the last line takes the break before it.
struct TRangeEdit
{
    bool Valid = false; // false: the line does not exist, nothing to do
    int Start = 0;
    int Length = 0;
    std::string Text;
};
TRangeEdit InsertLineEdit(const TextDocument& doc, int i, const std::string& text);
TRangeEdit ReplaceLineEdit(const TextDocument& doc, int i, const std::string& text);
TRangeEdit DeleteLineEdit(const TextDocument& doc, int i);

} // namespace tildo
