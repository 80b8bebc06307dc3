#pragma once

#include "dict/my_lists.h"
#include "text/collation.h"

#include <string>
#include <string_view>

namespace tildo {

class UserInterface;

// How often passes used each combination; apart from the loaded lists for the
// same reason as TDicRunState.
struct TCombiRunState {
    TIntegerList UseCounts;

    void Reset(int count)
    {
        UseCounts.Clear();
        UseCounts.Resize(count, 0);
    }
};

// The dictionary of word groups (о чём, всё-таки, \0 лет) that decide their
// words from their neighbours; parallel lists in file order.
class TCombiWordsDic : public TCombiRunState
{
public:
    explicit TCombiWordsDic(const TBufferLimits& limits)
        : m_limits(&limits)
    {
    }

    TStringList Keys; // FoldDottedE of the line
    TStringList Texts; // the line as written
    TIntegerList WordCounts;
    TIntegerList DottedMasks; // bit k-1: the k-th word holds ё

    // The configured path (settings key CombiDictionary); empty for none.
    std::string FileName;

    void Clear();
    int Count() const { return static_cast<int>(Keys.size()); }
    // Checks and appends one line, reporting an overlong line (left out) and a
    // line out of order (kept) at once.
    void AddCombination(std::string_view line, UserInterface& ui);
    // Index of the entry that matches a candidate text, or -1.
    int FindCombination(std::string_view candidate) const;
    void ReadCombiDic(UserInterface& ui);

private:
    enum class TFinding { None, TooLong, OutOfOrder };
    // Adds the line (unless it is too long) and tells what is wrong with it.
    TFinding Insert(std::string_view line);

    const TBufferLimits* m_limits;
};

// Every maximal run of ASCII digits replaced by the two characters \0.
std::string DigitsToMarker(std::string_view s);

// The handler of "Анализ словосочетаний": turns its tick on or off.
void CombiWords1Click(UserInterface& ui);

} // namespace tildo
