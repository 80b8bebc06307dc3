#pragma once

#include "platform/text_document.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tildo {

class MemoryDocument;

// A document that cannot be read as the format it claims to be.
class EDocumentError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// How a character of the running text is written in its source.
enum class TSourceForm : std::uint8_t {
    Literal, // as itself, in the part's encoding
    Entity, // as a character reference (&#1077;, &#x435;, &iecy;)
};

// A stretch of the running text that comes from consecutive bytes of one part
// (a member of an archive, or the file itself). A large document holds
// hundreds of thousands of these, so they are kept small: a part is never
// 4 GB long, a reference never 64 KB.
struct TTextSegment
{
    int Start = 0; // position of its first character in the running text
    int Length = 0; // characters
    int Part = 0;
    std::uint32_t Byte = 0; // its first byte in the part
    std::uint32_t Context = 0; // what the format needs to mark a letter here
    std::uint16_t Bytes = 0; // entity: the bytes of the reference
    TSourceForm Form = TSourceForm::Literal;
};
static_assert(sizeof(TTextSegment) <= 24);

// A letter the pass changed, found in its source.
struct TLetterChange
{
    int Part = 0;
    std::size_t Byte = 0; // first byte of the old letter
    std::size_t Bytes = 0; // its length
    char32_t Letter = 0; // the new letter
    bool Marked = false; // the pass coloured it
    TColour Colour = ColourBlack;
    TSourceForm Form = TSourceForm::Literal;
    std::uint32_t Context = 0;
};

// The running text of a structured document with, for each character, where
// it is written; characters a format adds of its own (a line break for a
// paragraph, a space for a tab) have no source and can never change.
class TTextMap
{
public:
    // Room for about that many bytes of running text.
    void Reserve(std::size_t bytes) { m_text.reserve(bytes); }
    // Where the following text comes from.
    void SetPart(int part, std::string_view bytes, bool utf8);
    // Adds the characters of bytes [begin, end) of the current part. Line
    // breaks inside them become spaces: the format decides where lines end.
    void AddLiteral(std::size_t begin, std::size_t end, std::uint32_t context = 0);
    // Adds one character written as a reference at [begin, end).
    void AddEntity(std::size_t begin, std::size_t end, char32_t ch, std::uint32_t context = 0);
    // Adds text found in the source between [begin, end), reading the
    // character references XML and HTML allow.
    void AddMarkupText(std::size_t begin, std::size_t end, std::uint32_t context = 0);
    // A character the format stands for (never a line break).
    void AddVirtual(char32_t ch);
    void EndLine();
    // Whether the current line has any character yet.
    bool LineEmpty() const { return m_lineEmpty; }

    // Once the text is read: the characters of URLs, e-mail addresses and
    // paths (each a stretch without spaces) are found, and a change to them
    // is never written.
    void FreezeAddresses();

    // The running text as UTF-8, one '\n' per line end.
    const std::string& Text() const { return m_text; }
    // The text is no longer needed (its engine's copy is made); where each
    // character comes from is kept.
    void ReleaseText() { std::string().swap(m_text); }
    int Length() const { return m_length; }

    // The letters that differ between the text as read and the edited
    // document, in order of position. Throws EDocumentError when the edited
    // text is not the original with letters replaced one for one.
    std::vector<TLetterChange> Changes(const std::string& before, const MemoryDocument& after) const;

private:
    void Append(char32_t ch);
    bool Frozen(int position) const;
    // AddLiteral: the text cut at its soft hyphens.
    void AddRun(std::size_t begin, std::size_t end, std::uint32_t context);
    // AddRun for text without soft hyphens.
    void AddWord(std::size_t begin, std::size_t end, std::uint32_t context);

    std::string m_text;
    int m_length = 0;
    bool m_lineEmpty = true;
    std::vector<TTextSegment> m_segments;
    std::vector<std::pair<int, int>> m_frozen; // [first, end) character positions, in order
    std::vector<std::string_view> m_parts;
    std::vector<bool> m_utf8;
    int m_part = 0;
};

// Applies replacements of byte ranges, given in order and not overlapping.
struct TBytePatch
{
    std::size_t Byte = 0;
    std::size_t Length = 0;
    std::string Text;
};
std::string ApplyPatches(std::string_view bytes, std::vector<TBytePatch> patches);
// Writes the patches over bytes when each is as long as what it replaces and
// they come in order without overlapping; each patch then holds the bytes it
// replaced, so that a second call puts them back. False, and nothing
// written, otherwise.
bool PatchInPlace(std::string& bytes, std::vector<TBytePatch>& patches);
// Writes the patches into bytes, which grow into the room they already have,
// when no patch is shorter than what it replaces and they do not overlap (they
// are put in order first). What they replace is lost. False, and nothing
// written, when that cannot be done.
bool PatchGrowingInPlace(std::string& bytes, std::vector<TBytePatch>& patches);

// The bytes of a changed letter in its source form; oldSource is the old
// letter as written (for a reference, to keep its kind).
std::string EncodeLetter(const TLetterChange& change, std::string_view oldSource, bool utf8);

// "#0000ff" for a colour.
std::string HexColour(TColour colour);

} // namespace tildo
