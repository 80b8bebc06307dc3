// The document readers on arbitrary bytes: the first byte picks the format
// (DOCX, ODT, EPUB, HTML, Markdown, SRT, WebVTT), the rest is the file. A
// document that opens must write back its own bytes when nothing changed;
// with every е turned into a marked ё it must write or refuse cleanly, and a
// written archive must open again with exactly that text.
#include "formats/markup_document.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr tildo::TDocumentFormat Formats[] = { tildo::TDocumentFormat::Docx, tildo::TDocumentFormat::Odt,
    tildo::TDocumentFormat::Epub, tildo::TDocumentFormat::Html, tildo::TDocumentFormat::Markdown,
    tildo::TDocumentFormat::Srt, tildo::TDocumentFormat::Vtt, tildo::TDocumentFormat::Fb2,
    tildo::TDocumentFormat::Fodt };

constexpr char SmallE = '\xE5'; // е in CP1251
constexpr char SmallYo = '\xB8'; // ё

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const tildo::TDocumentFormat format = Formats[data[0] % std::size(Formats)];
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    std::unique_ptr<tildo::TMarkupDocument> doc;
    try {
        doc = std::make_unique<tildo::TMarkupDocument>(bytes, format);
    } catch (const tildo::EDocumentError&) {
        return 0;
    }
    if (doc->Write(doc->Document()) != bytes)
        std::abort();

    tildo::MemoryDocument edited = doc->Document();
    const std::string text = edited.TextRef();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != SmallE)
            continue;
        edited.Select(static_cast<int>(i), 1);
        edited.ReplaceSelection(std::string(1, SmallYo));
        edited.Select(static_cast<int>(i), 1);
        edited.SetSelectionColour(tildo::ColourBlue);
    }
    // An archive libzip reads may still be one it cannot write again; that is
    // a refusal, not a fault.
    std::string written;
    try {
        written = doc->Write(edited);
    } catch (const tildo::EDocumentError&) {
        return 0;
    }
    const bool archive = format == tildo::TDocumentFormat::Docx || format == tildo::TDocumentFormat::Odt
        || format == tildo::TDocumentFormat::Epub;
    if (archive && edited.TextRef() != text) {
        const tildo::TMarkupDocument again(written, format);
        if (again.Document().TextRef() != edited.TextRef())
            std::abort();
    }
    return 0;
}
