#include "statistics.h"

#include "platform/file_io.h"
#include "text/collation.h"
#include "text/cp1251.h"
#include "text/file_messages.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace tildo {

void ResetStatistics(TDic& dic, TCombiWordsDic& combi, TRunCounters& counters, UserInterface& ui)
{
    counters.Reset();
    ui.SetCommandEnabled("ClearStat1", false);
    dic.FormMetPlain.Fill(0);
    dic.FormMetDotted.Fill(0);
    dic.FormNetDotted.Fill(0);
    combi.UseCounts.Fill(0);
    ui.SetStatusText("");
}

void ClearStat1Click(
    TextDocument& editor, TDic& dic, TCombiWordsDic& combi, TRunCounters& counters, UserInterface& ui)
{
    ResetStatistics(dic, combi, counters, ui);
    ui.SetCommandEnabled("ClearStat1", false);
    const int caret = editor.SelStart();
    editor.Select(0, editor.Length());
    editor.SetSelectionColour(ColourBlack);
    editor.Select(caret, 0);
}

namespace {

std::string Number(std::int64_t value)
{
    char buffer[24];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, r.ptr);
}

struct TSums
{
    std::int64_t Dotted = 0;
    std::int64_t Plain = 0;
    std::int64_t Net = 0;
};

// Adds a data row (or fills the empty first data row) and returns it.
std::vector<std::string>& NextRow(TStatGrid& grid)
{
    if (!grid.Rows.back().front().empty())
        grid.Rows.emplace_back(grid.Rows.front().size());
    return grid.Rows.back();
}

// The first cell and the five derived values: total, right before, right
// after, wrong before, wrong after.
void FillWordRow(
    TStatGrid& grid, const std::string& name, std::int64_t plain, std::int64_t dotted, std::int64_t net)
{
    std::vector<std::string>& row = NextRow(grid);
    row[0] = name;
    row[1] = Number(plain + dotted);
    row[2] = Number(dotted);
    row[3] = Number(dotted + net);
    row[4] = Number(plain);
    row[5] = Number(plain - net);
}

void StartGrid(TStatGrid& grid, std::vector<std::string> header)
{
    const std::size_t columns = header.size();
    grid.Rows.clear();
    grid.Rows.push_back(std::move(header));
    grid.Rows.emplace_back(columns);
    grid.SortColumn = -1;
}

} // namespace

void FillStatistics(const TDic& dic, const TCombiWordsDic& combi, TStatGrid& words, TStatGrid& combis)
{
    StartGrid(words,
        { "", Cp("Общее число"), Cp("Было так"), Cp("Стало так"), Cp("Было не так"), Cp("Стало не так") });
    TSums sums;
    for (int i = 0; i < dic.FormCount(); ++i) {
        const std::int64_t plain = dic.FormMetPlain[i];
        const std::int64_t dotted = dic.FormMetDotted[i];
        if (plain + dotted <= 0)
            continue;
        const std::int64_t net = dic.FormNetDotted[i];
        FillWordRow(words, std::string(dic.Forms[static_cast<std::size_t>(i)]), plain, dotted, net);
        sums.Dotted += dotted;
        sums.Plain += plain;
        sums.Net += net;
    }
    for (int i = 0; i < dic.RuleCount(); ++i) {
        const std::int64_t plain = dic.RuleMetPlain[i];
        const std::int64_t dotted = dic.RuleMetDotted[i];
        if (plain + dotted <= 0)
            continue;
        const std::int64_t net = dic.RuleNetDotted[i];
        const auto k = static_cast<std::size_t>(i);
        FillWordRow(
            words, dic.RuleStarBefore[k] + dic.RuleFragments[k] + dic.RuleStarAfter[k], plain, dotted, net);
        sums.Dotted += dotted;
        sums.Plain += plain;
        sums.Net += net;
    }
    const std::string total = Cp("ВСЕГО");
    FillWordRow(words, total, sums.Plain, sums.Dotted, sums.Net);

    StartGrid(combis, { "", Cp("Общее число") });
    std::int64_t uses = 0;
    for (int i = 0; i < combi.Count(); ++i) {
        const std::int64_t count = combi.UseCounts[i];
        if (count <= 0)
            continue;
        std::vector<std::string>& row = NextRow(combis);
        row[0] = combi.Texts[static_cast<std::size_t>(i)];
        row[1] = Number(count);
        uses += count;
    }
    std::vector<std::string>& totals = NextRow(combis);
    totals[0] = total;
    totals[1] = Number(uses);

    SortGrid(words, 0);
    SortGrid(combis, 0);
}

namespace {

// A cell's sort key for a number column: numbers first, largest first; a cell
// that is not a number comes after every number, equal to the other such cells,
// so that the order stays consistent whatever the cells hold.
struct TNumberKey
{
    bool IsNumber = false;
    std::int64_t Value = 0;
};

TNumberKey ParseNumber(const std::string& cell)
{
    TNumberKey key;
    const char* end = cell.data() + cell.size();
    const auto r = std::from_chars(cell.data(), end, key.Value);
    key.IsNumber = !cell.empty() && r.ec == std::errc() && r.ptr == end;
    return key;
}

} // namespace

void SortGrid(TStatGrid& grid, int column)
{
    if (column < 0 || column >= grid.ColumnCount() || column == grid.SortColumn)
        return;
    auto& rows = grid.Rows;
    if (rows.size() >= 3) {
        const auto first = rows.begin() + 1;
        const auto last = rows.end() - 1; // the totals row stays last
        const auto col = static_cast<std::size_t>(column);
        if (column == 0) {
            std::stable_sort(
                first, last, [](const auto& a, const auto& b) { return CompareFolded(a[0], b[0]) < 0; });
        } else {
            std::stable_sort(first, last, [col](const auto& a, const auto& b) {
                const TNumberKey ka = ParseNumber(a[col]);
                const TNumberKey kb = ParseNumber(b[col]);
                if (ka.IsNumber != kb.IsNumber)
                    return ka.IsNumber;
                return ka.IsNumber && ka.Value > kb.Value;
            });
        }
    }
    std::vector<std::string>& header = rows.front();
    for (std::size_t c = 0; c < header.size(); ++c) {
        std::string& text = header[c];
        const bool marked = !text.empty() && text.back() == '*';
        if (static_cast<int>(c) == column && !marked)
            text += '*';
        else if (static_cast<int>(c) != column && marked)
            text.pop_back();
    }
    grid.SortColumn = column;
}

namespace {

void AppendRight(std::string& out, const std::string& cell, std::size_t width)
{
    if (cell.size() < width)
        out.append(width - cell.size(), ' ');
    out += cell;
}

void AppendGrid(std::string& out, const TStatGrid& grid)
{
    std::size_t width = 0;
    for (std::size_t r = 1; r < grid.Rows.size(); ++r)
        width = std::max(width, grid.Rows[r].empty() ? 0 : grid.Rows[r][0].size());
    for (std::size_t r = 1; r < grid.Rows.size(); ++r) {
        const std::vector<std::string>& row = grid.Rows[r];
        if (row.empty())
            continue;
        out += row[0];
        out.append(width - row[0].size(), ' ');
        out += "  ";
        for (std::size_t c = 1; c < row.size(); ++c) {
            AppendRight(out, row[c], 5);
            out += c + 1 < row.size() ? " " : "\r\n";
        }
        if (row.size() == 1)
            out += "\r\n";
    }
}

} // namespace

std::string FormatStatisticsLog(const TStatGrid& words, const TStatGrid& combis)
{
    std::string out;
    AppendGrid(out, words);
    out += "===\r\n";
    AppendGrid(out, combis);
    return out;
}

bool SaveStatistics(
    const std::string& path, const TStatGrid& words, const TStatGrid& combis, UserInterface& ui)
{
    try {
        WriteFileAtomic(path, FormatStatisticsLog(words, combis));
        return true;
    } catch (const EFileError& e) {
        ReportFileError(ui, e.Path(), e.Reason());
        return false;
    }
}

} // namespace tildo
