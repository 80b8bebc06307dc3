#include "tools_fixture.h"

#include "platform/file_io.h"
#include "tools/dic_lines.h"

#include <gtest/gtest.h>

namespace tildo::test {
namespace {

std::string Message(std::string_view utf8Line, bool combinations = false, int limit = 3)
{
    return U(CheckDicLine(W(utf8Line), TCheckMode { combinations, limit }).Message);
}

TEST(DicLineCheck, MainDictionaryLines)
{
    EXPECT_FALSE(CheckDicLine(W("ёлка"), {}).Bad);
    EXPECT_FALSE(CheckDicLine(W("Ёлка"), {}).Bad) << "a capital first letter is allowed";
    EXPECT_FALSE(CheckDicLine(W("*съёмка?"), {}).Bad);
    EXPECT_EQ(Message("ёЛка"), "Ошибка: неверный регистр");
    EXPECT_EQ(Message("елка"), "Ошибка: строка без Ё");
    EXPECT_EQ(Message("ёлка ель"), "Ошибка: некорректное слово");
    EXPECT_EQ(Message("ёлка "), "Ошибка: некорректное слово");
    const TLineCheck empty = CheckDicLine("", {});
    EXPECT_TRUE(empty.Bad);
    EXPECT_TRUE(empty.Message.empty());
}

TEST(DicLineCheck, CombinationLines)
{
    EXPECT_FALSE(CheckDicLine(W("о чём"), { true, 3 }).Bad);
    EXPECT_FALSE(CheckDicLine(W("\\0 лет"), { true, 3 }).Bad);
    EXPECT_EQ(Message("и так", true), "Ошибка: строка без Е/Ё");
    EXPECT_EQ(Message("всё и вся и", true, 3), "Ошибка: словосочетание длиной более 3 слов");
    EXPECT_EQ(Message("всё и вся и", true, 5), "");
    EXPECT_EQ(Message("всё и вся и раз", true, 4), "Ошибка: словосочетание длиной более 4 слов");
}

TEST(DicLineCounts, CountsRulesFormsAndTheFirstBreak)
{
    // Comments are skipped, and the line before a break is the last non-comment one.
    const TDicCounts counts
        = CountDicLines(Ws({ "# заголовок", "*съёмка", "", "ёж", "# ещё", "ёж?", "ёлка", "ёж", "ежё" }));
    EXPECT_EQ(counts.WordFormCount, 5);
    EXPECT_EQ(counts.RuleCount, 1);
    // ёж? equals ёж by CompareEntries (no break); ёж after ёлка is the first break.
    EXPECT_EQ(counts.FirstOrderBreak, 7);

    // A rule is compared with the form above it like any other line.
    EXPECT_EQ(CountDicLines(Ws({ "ёлка", "*ёж" })).FirstOrderBreak, 1);
    EXPECT_EQ(CountDicLines(Ws({ "Ёж", "ёж", "ёжик" })).FirstOrderBreak, -1);
    EXPECT_EQ(CountDicLines({}).WordFormCount, 0);
}

TEST(DicLineCounts, CombinationModeIsJudgedByTheFirstHundredLines)
{
    TStringList lines(100, W("ёж"));
    lines[3] = "#";
    lines.push_back(W("о чём"));
    EXPECT_FALSE(IsCombiDicText(lines)) << "line 101 is not looked at";
    lines[99] = W("о чём");
    EXPECT_TRUE(IsCombiDicText(lines));
    EXPECT_TRUE(IsCombiDicText(Ws({ "# всё", "всё-таки" })));
    EXPECT_FALSE(IsCombiDicText(Ws({ "# о чём", "*съёмка", "всё?" })));
}

TEST(DicPaneLines, EmptyPaneHasNoLinesAndFilesRoundTrip)
{
    EXPECT_TRUE(SplitPaneText("").empty());
    EXPECT_EQ(SplitPaneText("a\n"), (TStringList { "a", "" }));
    MemoryDocument doc;
    EXPECT_EQ(PaneLineCount(doc), 0);
    AppendPaneLine(doc, "x");
    AppendPaneLine(doc, "y");
    EXPECT_EQ(doc.Text(), "x\ny");
    InsertPaneLine(doc, 0, "w");
    EXPECT_EQ(doc.Text(), "w\nx\ny");

    // Every line, an empty last one and a stray CR included, survives a file.
    TTempDir dir;
    const TStringList lines { W("ёж"), "", "a\rb", "c\r", "" };
    const std::string path = dir.Path() + "/d.dat";
    WriteDicFileLines(path, lines);
    EXPECT_EQ(ReadWholeFile(path), W("ёж") + "\r\n\r\na\rb\r\nc\r\r\n\r\n");
    EXPECT_EQ(ReadDicFileLines(path), lines);
    EXPECT_THROW(ReadDicFileLines(dir.Path() + "/missing.dat"), EFileError);
}

} // namespace
} // namespace tildo::test
