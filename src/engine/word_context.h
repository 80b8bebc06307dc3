#pragma once

#include "engine/question.h"

#include <string_view>

namespace tildo {

// A word in its context for a list or a terminal: whole words only, so that a
// reader never sees a word cut in two at either end.
struct TWordContext
{
    TContext Context;
    bool CutBefore = false; // text was left out before the context
    bool CutAfter = false; // text was left out after it
};

// Up to addLetters characters each side of the word at [position, position +
// length) of text, line breaks shown as spaces, then shortened at each cut end
// to the nearest word boundary.
TWordContext WordContext(std::string_view text, int position, int length, int addLetters);

// A context as the pass builds it (addLetters before the word and addLetters + 1
// after it, less where the text ends), shortened to whole words at the ends it
// was cut.
TWordContext WholeWords(const TContext& context, int addLetters);

} // namespace tildo
