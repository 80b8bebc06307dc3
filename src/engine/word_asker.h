#pragma once

#include "engine/test_script.h"
#include "platform/asker.h"
#include "platform/text_document.h"

namespace tildo {

// Asks the user about a word of the text: shows the word with a few lines
// below it in view, highlighted while it is asked when its ё is in doubt,
// completes the question with the text around the word, and hands out the
// testing mode's scripted answers before the asker is asked.
class TWordAsker
{
public:
    TWordAsker(TextDocument& doc, Asker& asker);

    // The self-test's scripted answers; none by default.
    void SetTestScript(TTestScript* script) { m_script = script; }

    // The word at position (document offset) of length characters; linesBelow
    // lines stay visible under it, and contextLetters characters are shown
    // around it. The question's undo offer is the caller's to fill in. The
    // word is left unselected, without its highlight.
    TAnswer Ask(int position, int length, TQuestion& question, int linesBelow, int contextLetters);

private:
    void PresentWord(int position, int length, bool highlight, int linesBelow);
    // The testing mode's scripted answer, or the asker's.
    TAnswer Answer(const TQuestion& question);

    TextDocument& m_doc;
    Asker& m_asker;
    TTestScript* m_script = nullptr;
};

} // namespace tildo
