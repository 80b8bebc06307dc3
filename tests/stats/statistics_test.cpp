#include "stats/statistics.h"

#include "engine/entry_statistics.h"
#include "engine/yoficator.h"
#include "platform/file_io.h"
#include "support/recording_ui.h"
#include "support/scripted_asker.h"
#include "text/memory_document.h"

#include <gtest/gtest.h>

namespace tildo::test {
namespace {

struct Statistics : ::testing::Test
{
    TRecordingUi ui;
    TScriptedAsker asker;
    TBufferLimits limits;
    TDic dic;
    TCombiWordsDic combi { limits };
    TWordBuffer window { limits };
    MemoryDocument doc;
    TYoficator engine { doc, ui, asker, dic, combi, window, limits };
    TStatGrid words;
    TStatGrid combis;

    void SetUp() override
    {
        dic.AddRule("*", W("рублёв"), "*", 0);
        dic.AddForm(W("всё"), 1);
        dic.AddForm(W("ещё"), 0);
        combi.AddCombination(W("все равно"), ui);
        combi.AddCombination(W("о чём"), ui);
    }
    void Run(const char* text)
    {
        doc.SetText(W(text));
        engine.DoYoficate(0, 1);
    }
    // A table as UTF-8 rows, the header included.
    std::vector<std::vector<std::string>> Rows(const TStatGrid& grid) const
    {
        std::vector<std::vector<std::string>> rows;
        for (const auto& row : grid.Rows) {
            rows.emplace_back();
            for (const auto& cell : row)
                rows.back().push_back(U(cell));
        }
        return rows;
    }
    using TRow = std::vector<std::string>;
};

TEST_F(Statistics, EveryDecisionCountsTowardsItsEntry)
{
    ui.Checked["CheckYo1"] = true;
    Run("ещё еще ЕЩЕ");
    const int e = dic.FindForm(W("еще"));
    EXPECT_EQ(dic.FormMetPlain[e], 2);
    EXPECT_EQ(dic.FormMetDotted[e], 1);
    EXPECT_EQ(dic.FormNetDotted[e], 2);
    FillStatistics(dic, combi, words, combis);
    EXPECT_EQ(Rows(words)[1], (TRow { "ещё", "3", "1", "3", "2", "0" }));

    // A ё turned into е on an answer: met-ё 1, net -1.
    asker.Answers = { TAnswer::Plain };
    Run("всё");
    const int v = dic.FindForm(W("все"));
    EXPECT_EQ(dic.FormMetDotted[v], 1);
    EXPECT_EQ(dic.FormNetDotted[v], -1);
    FillStatistics(dic, combi, words, combis);
    EXPECT_EQ(Rows(words)[1], (TRow { "всё", "1", "1", "0", "0", "1" }));

    // A rule word that already holds the fragment and stays.
    Run("двухрублёвый");
    EXPECT_EQ(dic.RuleMetDotted[0], 1);
    EXPECT_EQ(dic.RuleNetDotted[0], 0);
    UpdateStatistics(dic, 0, true, W("рублевый"), W("рублёвый"));
    EXPECT_EQ(dic.RuleMetPlain[0], 1);
    EXPECT_EQ(dic.RuleNetDotted[0], 1);
    // Unknown entries are ignored rather than written past the lists.
    UpdateStatistics(dic, 7, true, W("а"), W("б"));
    UpdateStatistics(dic, 7, false, W("а"), W("б"));
    UpdateStatistics(dic, -1, false, W("а"), W("б"));
}

TEST_F(Statistics, TablesHoldMetEntriesAndTotalsSortedByTheirFirstColumn)
{
    FillStatistics(dic, combi, words, combis);
    EXPECT_EQ(Rows(words),
        (std::vector<TRow> { { "*", "Общее число", "Было так", "Стало так", "Было не так", "Стало не так" },
            { "ВСЕГО", "0", "0", "0", "0", "0" } }));
    EXPECT_EQ(Rows(combis), (std::vector<TRow> { { "*", "Общее число" }, { "ВСЕГО", "0" } }));

    ui.Checked["CombiWords1"] = true;
    asker.Answers = { TAnswer::Dotted };
    Run("еще двухрублевый все; о чем, все равно");
    FillStatistics(dic, combi, words, combis);
    EXPECT_EQ(Rows(words),
        (std::vector<TRow> { { "*", "Общее число", "Было так", "Стало так", "Было не так", "Стало не так" },
            { "*рублёв*", "1", "0", "1", "1", "0" }, { "всё", "2", "0", "1", "2", "1" },
            { "ещё", "1", "0", "1", "1", "0" }, { "ВСЕГО", "4", "0", "3", "4", "1" } }));
    EXPECT_EQ(
        Rows(combis), (std::vector<TRow> { { "*", "Общее число" }, { "все равно", "1" }, { "ВСЕГО", "1" } }));
}

TEST_F(Statistics, SortingByANumberColumnMovesTheMarkAndKeepsTheTotalsLast)
{
    TStatGrid grid;
    grid.Rows = { { "*", "A", "B" }, { W("ёж"), "1", "x" }, { W("все"), "5", "2" }, { W("еж"), "3", "7" },
        { W("ВСЕГО"), "9", "9" } };
    grid.SortColumn = 0;
    SortGrid(grid, 1);
    EXPECT_EQ(Rows(grid),
        (std::vector<TRow> { { "", "A*", "B" }, { "все", "5", "2" }, { "еж", "3", "7" }, { "ёж", "1", "x" },
            { "ВСЕГО", "9", "9" } }));
    EXPECT_EQ(grid.SortColumn, 1);
    SortGrid(grid, 2); // a cell that is not a number goes after the numbers
    EXPECT_EQ(Rows(grid)[1][0], "еж");
    EXPECT_EQ(Rows(grid)[3][0], "ёж");
    EXPECT_EQ(Rows(grid)[0], (TRow { "", "A", "B*" }));
    grid.Rows[1][2] = "100";
    SortGrid(grid, 2); // the same column again does nothing
    EXPECT_EQ(Rows(grid)[1][2], "100");
    SortGrid(grid, 0);
    EXPECT_EQ(Rows(grid)[1][0], "все");
    EXPECT_EQ(Rows(grid)[4][0], "ВСЕГО");
    EXPECT_EQ(Rows(grid)[0][0], "*");
}

TEST_F(Statistics, ResetClearsRunCountersWordFormsAndCombinationsButNotRules)
{
    ui.Checked["CombiWords1"] = true;
    Run("еще двухрублевый все равно");
    ASSERT_GT(engine.Counters().NewDottedCount, 0);
    ASSERT_TRUE(ui.Enabled["ClearStat1"]);
    doc.Select(2, 0);
    ClearStat1Click(doc, dic, combi, engine.Counters(), ui);
    EXPECT_EQ(engine.Counters().NewDottedCount, 0);
    EXPECT_EQ(engine.Counters().CombiDecisionCount, 0);
    EXPECT_FALSE(ui.Enabled["ClearStat1"]);
    EXPECT_EQ(ui.StatusText(), "");
    for (int i = 0; i < doc.Length(); ++i)
        EXPECT_EQ(doc.CharColour(i), ColourBlack);
    EXPECT_EQ(doc.SelStart(), 2);
    EXPECT_EQ(doc.SelLength(), 0);
    FillStatistics(dic, combi, words, combis);
    EXPECT_EQ(Rows(words).size(), 3u); // the rule and the totals
    EXPECT_EQ(Rows(words)[1][0], "*рублёв*");
    EXPECT_EQ(Rows(combis).size(), 2u);
}

TEST_F(Statistics, LogPadsTheFirstColumnAndSeparatesTheTables)
{
    ui.Checked["CheckYo1"] = true;
    asker.Answers = { TAnswer::Dotted };
    Run("еще все");
    FillStatistics(dic, combi, words, combis);
    const std::string log = FormatStatisticsLog(words, combis);
    EXPECT_EQ(U(log),
        "всё        1     0     1     1     0\r\n"
        "ещё        1     0     1     1     0\r\n"
        "ВСЕГО      2     0     2     2     0\r\n"
        "===\r\n"
        "ВСЕГО      0\r\n");

    TTempDir dir;
    const std::string path = dir.Path() + "/tildo_stat.log";
    EXPECT_TRUE(SaveStatistics(path, words, combis, ui));
    EXPECT_EQ(ReadWholeFile(path), log);
    EXPECT_FALSE(SaveStatistics(dir.Path() + "/no/such/dir/x.log", words, combis, ui));
    EXPECT_EQ(ui.Errors.size(), 1u);
}

} // namespace
} // namespace tildo::test
