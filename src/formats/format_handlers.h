#pragma once

#include "formats/text_map.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tildo {

// One file of a document whose text the program reads: an archive member, or
// the whole file for formats that are not archives.
struct TDocumentPart
{
    std::string Name; // member name; empty for the file itself
    int Member = -1; // index in the archive
    std::string Bytes;
    bool Utf8 = true;
    // A member whose bytes a write let go (they are in the archive still).
    bool Released = false;
};

// The context of text where a mark cannot stand (a field, alt text, an
// embedded drawing or formula): a changed letter there is written plain.
constexpr std::uint32_t Unmarkable = 0xFFFFFFFFu;

// What a format knows: where the running text of a part is and how a changed
// (and perhaps marked) letter is written back.
class TFormatHandler
{
public:
    virtual ~TFormatHandler() = default;
    // Adds the part's running text to the map (after SetPart).
    virtual void Read(int part, const TDocumentPart& source, TTextMap& map) = 0;
    // The replacements for the changes in one part, given in order.
    virtual std::vector<TBytePatch> Patches(
        int part, const TDocumentPart& source, const std::vector<TLetterChange>& changes);
};

// Each letter replaced where it stands, without marks.
std::vector<TBytePatch> LetterPatches(const TDocumentPart& source, const std::vector<TLetterChange>& changes);

std::unique_ptr<TFormatHandler> MakeDocxHandler();
std::unique_ptr<TFormatHandler> MakeOdtHandler();
// XHTML (EPUB content) when xml, else HTML.
std::unique_ptr<TFormatHandler> MakeWebPageHandler(bool xml);
std::unique_ptr<TFormatHandler> MakeMarkdownHandler();
std::unique_ptr<TFormatHandler> MakeFictionBookHandler();
std::unique_ptr<TFormatHandler> MakeSubtitleHandler(bool webVtt);
std::unique_ptr<TFormatHandler> MakeRtfHandler();

} // namespace tildo
