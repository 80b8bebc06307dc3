#pragma once

#include "dict/my_lists.h"

namespace tildo {

// What the built-in self-test feeds into a pass: answers for the questions, in
// the order they are asked, and the lines that close its sections.
struct TTestScript
{
    // Questions are answered from TestAnswers, and a scan ends after the line
    // SectionEnds[0] (or any later line it started on).
    bool ScriptedTesting = false;
    TShortIntList TestAnswers; // 1 answers ё, 0 answers е
    int NextAnswer = 0; // index of the next answer to hand out
    TShortIntList SectionEnds; // line numbers that close the test sections, in order
};

} // namespace tildo
