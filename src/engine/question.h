#pragma once

#include "platform/asker.h"
#include "platform/text_document.h"

#include <string>

namespace tildo {

constexpr TColour ColourNavy = Rgb(0, 0, 128);

// The selected word with up to addLetters characters before it and up to
// addLetters + 1 after it, line breaks shown as spaces; Offset and Length place
// the word in the context.
struct TContext
{
    std::string Text;
    int Offset = 0;
    int Length = 0;
};
TContext GetContext(const TextDocument& doc, int addLetters);

// The caption of a question and its colour, from the first flag that holds:
// misplaced ё, a ё the dictionary does not confirm, a missing ё, or none.
void ChooseCaption(TQuestion& question);

} // namespace tildo
