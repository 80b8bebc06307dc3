#pragma once

#include <string_view>

namespace tildo {

class TDic;
struct TDicRunState;

// Counts one decision about a word that matched main-dictionary entry `entry`
// (a word form, or a rule when isRule): whether the word was met spelt as the
// entry and whether the decision moved it towards or away from the entry.
// Case does not count. Nothing happens for a negative or unknown entry. It
// lives beside the pass because every decision calls it; the statistics window
// only reads the counters.
void UpdateStatistics(const TDic& dic, TDicRunState& state, int entry, bool isRule,
    std::string_view wordBefore, std::string_view wordAfter);
// The same with the counters kept in the dictionary itself.
void UpdateStatistics(
    TDic& dic, int entry, bool isRule, std::string_view wordBefore, std::string_view wordAfter);

} // namespace tildo
