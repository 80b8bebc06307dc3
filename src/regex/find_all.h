#pragma once

#include <functional>
#include <string_view>
#include <vector>

namespace tildo {

class TPatternEngine;

// One match of a whole-text search: its offset from 0 and its length.
struct TFoundMatch
{
    int Offset = 0;
    int Length = 0;

    bool operator==(const TFoundMatch&) const = default;
};

// Puts the modifiers as the find dialog leaves them for a search: multi-line
// on, case-insensitive exactly when the case is to be ignored, the others at
// their defaults.
void SetFindModifiers(TPatternEngine& engine, bool ignoreCase);

// Every match of expression in text, as the find dialog would step through
// them: from the start, then from the end of each match (one character further
// after an empty one). Uses the engine's modifiers as they are. Stops early,
// with what it found so far, when the engine is interrupted by Esc (see
// TPatternEngine::Interrupted); pattern errors propagate as EPatternError.
std::vector<TFoundMatch> FindAll(TPatternEngine& engine, std::string_view expression, std::string_view text);

// The same search, handing each match to `found` as soon as it is found
// instead of keeping them all.
void ForEachMatch(TPatternEngine& engine, std::string_view expression, std::string_view text,
    const std::function<void(const TFoundMatch&)>& found);

} // namespace tildo
