#pragma once

#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "engine/run_counters.h"
#include "platform/text_document.h"
#include "platform/user_interface.h"

#include <string>
#include <vector>

namespace tildo {

// A table of the statistics window as text cells: row 0 is the header, the
// last row the "ВСЕГО" totals.
struct TStatGrid
{
    std::vector<std::vector<std::string>> Rows;
    int SortColumn = -1; // the column the rows are sorted by, -1 for none

    int ColumnCount() const { return Rows.empty() ? 0 : static_cast<int>(Rows.front().size()); }
};

// Puts the run counters and the word-form and combination counters back to 0
// and empties the status line. Rule counters stay: only a reload resets them.
void ResetStatistics(TDic& dic, TCombiWordsDic& combi, TRunCounters& counters, UserInterface& ui);

// "Обнулить статистику": the reset, then the correction marks go from the whole
// text (all of it black again) and the caret goes back where it was.
void ClearStat1Click(
    TextDocument& editor, TDic& dic, TCombiWordsDic& combi, TRunCounters& counters, UserInterface& ui);

// Rebuilds both tables from the counters (entries met at least once, and
// combinations used at least once), each closed by its totals row and sorted
// by its first column.
void FillStatistics(const TDic& dic, const TCombiWordsDic& combi, TStatGrid& words, TStatGrid& combis);

// Sorts the rows between the header and the totals row by a column: the first
// column by the dictionary order (ё as е), the others by their numbers, largest
// first. The chosen column's header gets a trailing "*", the others lose
// theirs. Sorting by the column already sorted by does nothing.
void SortGrid(TStatGrid& grid, int column);

// Both tables as the statistics log: the word table, a line "===", the
// combination table; the header rows are left out. CP1251, CR LF.
std::string FormatStatisticsLog(const TStatGrid& words, const TStatGrid& combis);

// Writes the log to path atomically; a failure is shown through ui and gives false.
bool SaveStatistics(
    const std::string& path, const TStatGrid& words, const TStatGrid& combis, UserInterface& ui);

} // namespace tildo
