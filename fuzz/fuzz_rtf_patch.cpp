// RTF patched in place on arbitrary bytes: the body text must be the window's
// reader's text (footnotes and headers may only follow it), nothing changed
// must give back the same bytes, and with every е and ё swapped, marked or
// not, the written file must read back as exactly the edited text.
#include "formats/markup_document.h"
#include "formats/rtf_reader.h"
#include "formats/styled_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr char SmallE = '\xE5'; // е in CP1251
constexpr char SmallYo = '\xB8'; // ё
constexpr char CapitalE = '\xC5'; // Е
constexpr char CapitalYo = '\xA8'; // Ё

char Swapped(char c)
{
    switch (c) {
    case SmallE:
        return SmallYo;
    case SmallYo:
        return SmallE;
    case CapitalE:
        return CapitalYo;
    case CapitalYo:
        return CapitalE;
    default:
        return c;
    }
}

void CheckWritten(const tildo::TMarkupDocument& doc, bool mark)
{
    tildo::MemoryDocument edited = doc.Document();
    const std::string text = edited.TextRef();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (Swapped(text[i]) == text[i])
            continue;
        edited.Select(static_cast<int>(i), 1);
        edited.ReplaceSelection(std::string(1, Swapped(text[i])));
        if (mark) {
            edited.Select(static_cast<int>(i), 1);
            edited.SetSelectionColour(tildo::ColourBlue);
        }
    }
    const tildo::TMarkupDocument again(doc.Write(edited), tildo::TDocumentFormat::Rtf);
    if (again.Document().TextRef() != edited.TextRef())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<tildo::TMarkupDocument> doc;
    try {
        doc = std::make_unique<tildo::TMarkupDocument>(bytes, tildo::TDocumentFormat::Rtf);
    } catch (const tildo::EDocumentError&) {
        return 0;
    }
    const tildo::TStyledText styled = tildo::ReadRtf(bytes);
    const std::string body = tildo::StyledToMemory(styled).TextRef();
    // A U+FEFF that begins the window's text is taken for a byte-order mark
    // and dropped there; the document keeps it as a character.
    const bool mark = !styled.PlainText().empty() && styled.PlainText()[0] == U'\uFEFF';
    const std::string text = doc->Document().TextRef().substr(mark ? 1 : 0);
    const bool sides = bytes.find("\\foot") != std::string::npos || bytes.find("\\head") != std::string::npos;
    if (sides ? text.compare(0, body.size(), body) != 0 : text != body)
        std::abort();
    if (doc->Write(doc->Document()) != bytes)
        std::abort();
    CheckWritten(*doc, false);
    CheckWritten(*doc, true);
    return 0;
}
