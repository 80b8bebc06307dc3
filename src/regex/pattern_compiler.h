#pragma once

#include "regex/pattern_program.h"

#include <string_view>

namespace tildo::pattern {

// Compiles a pattern under the given modifier bits into a node program with
// its start-up hints. Raises EPatternError with the parse position.
TCompiledPattern CompilePattern(std::string_view pattern, unsigned modifiers);

} // namespace tildo::pattern
