#pragma once

#include "regex/pattern_program.h"

namespace tildo::pattern {

// Works out from a compiled program what lets a search skip start positions:
// the first literal character, an anchored start, a start at line starts, the
// literal every match must hold (only when the pattern begins with a * or +
// repetition: starStart) and the set of characters a match can begin with.
void AnalyseStart(TCompiledPattern& compiled, bool starStart);

} // namespace tildo::pattern
