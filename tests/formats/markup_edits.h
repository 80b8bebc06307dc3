#pragma once

#include "formats/markup_document.h"
#include "formats/styled_text.h"
#include "text/memory_document.h"

#include <cstddef>
#include <string>

namespace tildo::test {

// The running text with every е (Е) at or after from turned into ё (Ё), as a
// pass that restores everything would leave it; marked letters are blue.
inline MemoryDocument AllYo(const TMarkupDocument& doc, bool marked, int from = 0)
{
    MemoryDocument edited = doc.Document();
    const std::string text = edited.TextRef();
    for (std::size_t i = static_cast<std::size_t>(from); i < text.size(); ++i) {
        const char yo = text[i] == '\xE5' ? '\xB8' : text[i] == '\xC5' ? '\xA8' : '\0';
        if (yo == '\0')
            continue;
        edited.Select(static_cast<int>(i), 1);
        edited.ReplaceSelection(std::string(1, yo));
        edited.Select(static_cast<int>(i), 1);
        if (marked)
            edited.SetSelectionColour(ColourBlue);
    }
    return edited;
}

} // namespace tildo::test
