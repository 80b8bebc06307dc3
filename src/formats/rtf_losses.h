#pragma once

#include <cstdint>
#include <string_view>

namespace tildo {

// Kinds of RTF content that the styled text of the editor cannot hold: the
// reader drops them or flattens them into plain text, and writing the text
// back loses them.
enum class TRtfLoss : std::uint8_t {
    Pictures,
    Objects, // embedded objects, shapes, drawings
    Footnotes, // and endnotes, with their text
    HeadersFooters,
    Hyperlinks, // the link goes, the visible text stays
    Fields, // page numbers, dates, tables of contents: their last result stays as text
    Comments,
    Bookmarks,
    Tables, // cells become tab-separated text
    Lists, // numbers and bullets of list items
    PageSetup, // paper size, margins, orientation, columns
    PageBreaks, // page, column and section breaks become line breaks
    Paragraphs, // alignment, indents, spacing, tab stops
    Borders, // borders and shading of paragraphs
    Styles,
    CharacterFormat, // strikeout, sub- and superscript, small capitals, spacing
    HiddenText, // shown, and written back as visible text
    Revisions, // tracked insertions and deletions
    DocumentInfo, // title, author and the like
};
constexpr int RtfLossKinds = static_cast<int>(TRtfLoss::DocumentInfo) + 1;

// The kinds of content found, each kind once however often it occurs.
class TRtfLosses
{
public:
    void Add(TRtfLoss kind) { m_bits |= Bit(kind); }
    void Add(const TRtfLosses& other) { m_bits |= other.m_bits; }
    bool Has(TRtfLoss kind) const { return (m_bits & Bit(kind)) != 0; }
    bool Empty() const { return m_bits == 0; }
    bool operator==(const TRtfLosses&) const = default;

private:
    static std::uint32_t Bit(TRtfLoss kind) { return std::uint32_t(1) << static_cast<unsigned>(kind); }
    std::uint32_t m_bits = 0;
};

// What the user is told for a kind, in Russian (UTF-8), in lower case as an
// item of a list: "рисунки", "сноски", ...
const char* RtfLossName(TRtfLoss kind);

// How the RTF reader counts a control word towards the losses.
enum class TRtfLossRule : std::uint8_t {
    Destination, // a group of content the text cannot hold, unless inside a skipped one
    Info, // the document information group; only its items count
    InfoItem, // an item of it
    FieldInstruction, // a field's instruction: a hyperlink or another field
    Document, // a document or section property, in the body
    Columns, // the number of columns, when above one
    Paragraph, // a paragraph property: counts when text is written under it
    Character, // a character property: counts when text is written under it
    ResetParagraph, // \pard: the paragraph properties go back to their defaults
    ResetCharacter, // \plain: so do the character properties
};

struct TRtfLossWord
{
    TRtfLoss Kind;
    TRtfLossRule Rule;
};

// The rule of an RTF control word (without its backslash and parameter);
// nullptr for a word that loses nothing.
const TRtfLossWord* FindRtfLossWord(std::string_view word);

} // namespace tildo
