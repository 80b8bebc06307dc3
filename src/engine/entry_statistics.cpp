#include "entry_statistics.h"

#include "dict/main_dictionary.h"
#include "text/letters.h"

#include <cstddef>

namespace tildo {

namespace {

// The lower-cased word holds the lower-cased fragment.
bool ContainsLower(std::string_view word, std::string_view fragment)
{
    if (fragment.size() > word.size())
        return false;
    for (std::size_t p = 0; p + fragment.size() <= word.size(); ++p) {
        if (EqualLower(word.substr(p, fragment.size()), fragment))
            return true;
    }
    return false;
}

void Count(bool metAsEntry, bool endsAsEntry, TIntegerList& metPlain, TIntegerList& metDotted,
    TIntegerList& net, int entry)
{
    if (!metAsEntry) {
        metPlain.Set(entry, metPlain[entry] + 1);
        if (endsAsEntry)
            net.Set(entry, net[entry] + 1);
    } else {
        metDotted.Set(entry, metDotted[entry] + 1);
        if (!endsAsEntry)
            net.Set(entry, net[entry] - 1);
    }
}

} // namespace

void UpdateStatistics(
    TDic& dic, int entry, bool isRule, std::string_view wordBefore, std::string_view wordAfter)
{
    UpdateStatistics(dic, dic, entry, isRule, wordBefore, wordAfter);
}

void UpdateStatistics(const TDic& dic, TDicRunState& state, int entry, bool isRule,
    std::string_view wordBefore, std::string_view wordAfter)
{
    if (entry < 0)
        return;
    if (isRule) {
        if (entry >= dic.RuleCount())
            return;
        const std::string& fragment = dic.RuleFragments[static_cast<std::size_t>(entry)];
        Count(ContainsLower(wordBefore, fragment), ContainsLower(wordAfter, fragment), state.RuleMetPlain,
            state.RuleMetDotted, state.RuleNetDotted, entry);
    } else {
        if (entry >= dic.FormCount())
            return;
        const std::string_view form = dic.Forms[static_cast<std::size_t>(entry)];
        Count(EqualLower(wordBefore, form), EqualLower(wordAfter, form), state.FormMetPlain,
            state.FormMetDotted, state.FormNetDotted, entry);
    }
}

} // namespace tildo
