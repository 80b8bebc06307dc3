#include "tools_fixture.h"

#include "dict/main_dictionary.h"
#include "platform/file_io.h"
#include "tools/dic_operations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace tildo::test {
namespace {

using Lines = std::vector<std::string>;

// --- sorting ------------------------------------------------------------------

TEST(Sort, KeepsTheLeadingCommentsAndSortsTheRest)
{
    TEditorFixture f;
    SetPane(f.Dic, { "# словарь", "#  версия 2", "ёлка", "# поздний", "Ёж", "ёж", "еж", "", "*съёмка" });
    f.Editor.Sort1Click();
    const Lines pane = PaneUtf8(f.Dic);
    ASSERT_EQ(pane.size(), 9u);
    EXPECT_EQ(Lines(pane.begin(), pane.begin() + 4), (Lines { "# словарь", "#  версия 2", "", "# поздний" }));
    EXPECT_EQ(pane[4], "*съёмка");
    // Ёж before ёж; еж beside ёж in some order; ёлка last.
    const auto capital = std::find(pane.begin(), pane.end(), "Ёж") - pane.begin();
    const auto small = std::find(pane.begin(), pane.end(), "ёж") - pane.begin();
    const auto plain = std::find(pane.begin(), pane.end(), "еж") - pane.begin();
    EXPECT_EQ(capital, 5);
    EXPECT_TRUE((small == 6 && plain == 7) || (small == 7 && plain == 6));
    EXPECT_EQ(pane[8], "ёлка");
    EXPECT_EQ(f.Status(), "Словоформ/сочетаний: 4, правил: 1");
    EXPECT_TRUE(f.Editor.Modified());
    EXPECT_TRUE(f.Ui.Errors.empty());
    EXPECT_FALSE(FileExists(f.Path("tildo.tmp")));
    EXPECT_EQ(f.Ui.BusyDepth, 0);
    EXPECT_FALSE(f.Dic.BusyCursor);
}

TEST(Sort, OnlyCommentsStayAsTheyAre)
{
    TEditorFixture f;
    SetPane(f.Dic, { "# б", "# а", "#" });
    f.Editor.Sort1Click();
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "# б", "# а", "#" }));
    EXPECT_EQ(f.Status(), "Словоформ/сочетаний: 0, правил: 0");
}

TEST(Sort, OrdersEntriesAsTheDictionaryReaderChecksThem)
{
    // The variant mark does not take part: ёж before "ёж ", Белён before белён,
    // as the reader of the dictionary and the editor's check want them.
    TEditorFixture f;
    SetPane(f.Dic, { "ёж ", "ёж?", "белён", "Белён?", "белёна?" });
    f.Editor.Sort1Click();
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "Белён?", "белён", "белёна?", "ёж?", "ёж " }));
    EXPECT_TRUE(f.Ui.Errors.empty());
    EXPECT_EQ(f.Status(), "Словоформ/сочетаний: 5, правил: 0");

    // The shipped dictionary is in that order already, and the reader agrees.
    TStringList shipped = ReadDicFileLines(TILDO_DATA_DIR "/tildo.dat");
    TakeLeadingComments(shipped);
    ASSERT_GT(shipped.size(), 1000U);
    TStringList sorted = shipped;
    SortFolded(sorted);
    EXPECT_TRUE(sorted == shipped);
    TDic dic;
    dic.FileName = TILDO_DATA_DIR "/tildo.dat";
    TRecordingUi reader;
    dic.ReadDic(reader);
    EXPECT_TRUE(reader.Errors.empty()) << (reader.Errors.empty() ? "" : U(reader.Errors[0]));
}

TEST(Sort, AgreesWithAStableSortByTheCollation)
{
    // Random short lines over a small alphabet with every case and е/ё twin.
    std::mt19937 random(7);
    const std::string alphabet = W("еЕёЁжЖаА?*# -");
    TStringList lines;
    for (int i = 0; i < 3000; ++i) {
        std::string line;
        const int length = static_cast<int>(random() % 6);
        for (int k = 0; k < length; ++k)
            line += alphabet[random() % alphabet.size()];
        lines.push_back(line);
    }
    TStringList expected = lines;
    std::stable_sort(expected.begin(), expected.end(),
        [](const std::string& a, const std::string& b) { return CompareEntries(a, b) < 0; });
    SortFolded(lines);
    EXPECT_EQ(lines, expected);
}

// --- next error -----------------------------------------------------------------

TEST(NextError, ValidDictionaryEndsWithNoErrorsAndTheCaretAfterTheLastLine)
{
    TEditorFixture f;
    SetPane(f.Dic, { "# заголовок", "Ёж", "ёж", "ёжик?", "*съёмка", "ёлка" });
    f.Dic.Select(0, 0);
    f.Editor.CheckDic1Click();
    // *съёмка after ёжик? breaks the order...
    EXPECT_EQ(f.Status(), "Ошибка: нарушен порядок слов");
    EXPECT_EQ(f.Dic.LineOf(f.Dic.SelStart()), 4);
    EXPECT_EQ(f.Dic.SelLength(), 7);

    SetPane(f.Dic, { "# заголовок", "*съёмка", "Ёж", "ёж", "ёжик?", "ёлка" });
    f.Editor.CheckDic1Click();
    EXPECT_EQ(f.Status(), "Ошибок не найдено");
    EXPECT_EQ(f.Dic.SelStart(), f.Dic.Length());
    EXPECT_EQ(f.Dic.SelLength(), 0);
    // The walk showed its progress: line 0 is a multiple of 300.
    EXPECT_NE(std::find(f.Ui.StatusHistory.begin(), f.Ui.StatusHistory.end(), W("# заголовок")),
        f.Ui.StatusHistory.end());
}

TEST(NextError, RepeatsAndOrderOfNeighbours)
{
    TEditorFixture f;
    SetPane(f.Dic, { "ёж", "ёж?" });
    f.Editor.CheckDic1Click();
    EXPECT_EQ(f.Status(), "Ошибка: повторение слова");
    EXPECT_EQ(f.Dic.LineOf(f.Dic.SelStart()), 1);

    SetPane(f.Dic, { "ёж", "Ёж" });
    f.Editor.CheckDic1Click();
    EXPECT_EQ(f.Status(), "Ошибка: нарушен порядок слов");
    EXPECT_EQ(f.Dic.LineOf(f.Dic.SelStart()), 1);

    SetPane(f.Dic, { "Ёж", "ёж" });
    f.Editor.CheckDic1Click();
    EXPECT_EQ(f.Status(), "Ошибок не найдено");
}

TEST(NextError, StartsAtTheCaretLineAndFindsAnUnmendedErrorAgain)
{
    TEditorFixture f;
    SetPane(f.Dic, { "ед", "ёж", "ёЛка", "ёлка" });
    f.Dic.Select(f.Dic.LineStart(1), 0);
    f.Editor.CheckDic1Click();
    EXPECT_EQ(f.Status(), "Ошибка: неверный регистр");
    EXPECT_EQ(f.Dic.SelStart(), f.Dic.LineStart(2));
    f.Editor.CheckDic1Click();
    EXPECT_EQ(f.Status(), "Ошибка: неверный регистр");
    EXPECT_EQ(f.Dic.SelStart(), f.Dic.LineStart(2));

    // A line is compared with the line right above it, even a comment, which
    // sorts before every word: a comment between two words hides their order.
    SetPane(f.Dic, { "ёлка", "#", "ёж" });
    f.Editor.CheckDic1Click();
    EXPECT_EQ(f.Status(), "Ошибок не найдено");
    SetPane(f.Dic, { "ёлка", "ёж" });
    f.Editor.CheckDic1Click();
    EXPECT_EQ(f.Status(), "Ошибка: нарушен порядок слов");
}

TEST(NextError, EscStopsTheWalkAtTheLineItReached)
{
    TEditorFixture f;
    SetPane(f.Dic, { "ёж", "ёжик", "ёлка", "ёлочка" });
    f.Ui.EscPressesLeft = 1;
    f.Dic.Select(f.Dic.LineStart(2), 0);
    f.Editor.CheckDic1Click();
    EXPECT_EQ(f.Status(), "Операция прервана");
    EXPECT_EQ(f.Dic.SelStart(), f.Dic.LineStart(2));
    EXPECT_EQ(f.Ui.BusyDepth, 0);
}

TEST(NextError, CombinationModeUsesTheGroupChecks)
{
    TEditorFixture f;
    f.Editor.IsCombiWords1Click();
    SetPane(f.Dic, { "всё-таки", "о чём", "раз два три четыре е" });
    f.Editor.CheckDic1Click();
    EXPECT_EQ(f.Status(), "Ошибка: словосочетание длиной более 3 слов");
    EXPECT_EQ(f.Dic.SelStart(), f.Dic.LineStart(2));
}

// --- repeated lines --------------------------------------------------------------

TEST(Doubles, ThreeIdenticalLinesLeaveOne)
{
    TEditorFixture f;
    SetPane(f.Dic, { "#", "#", "ёж", "ёж", "ёж", "ёж?", "*ёж", "*ёж" });
    f.Dic.Select(3, 0);
    f.Editor.DelDoubles1Click();
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "#", "#", "ёж", "ёж?", "*ёж" }));
    EXPECT_EQ(f.Status(), "Словоформ/сочетаний: 2, правил: 1, удалено дублей: 3");
    EXPECT_EQ(f.Dic.SelStart(), 3);
    EXPECT_TRUE(f.Editor.Modified());

    TEditorFixture g;
    SetPane(g.Dic, { "ёж", "ёж", "ёж" });
    g.Editor.DelDoubles1Click();
    EXPECT_EQ(PaneUtf8(g.Dic), (Lines { "ёж" }));
    EXPECT_EQ(g.Status(), "Словоформ/сочетаний: 1, правил: 0, удалено дублей: 2");
}

TEST(Doubles, NothingRemovedLeavesThePaneUntouched)
{
    TEditorFixture f;
    SetPane(f.Dic, { "Ёж", "ёж", "еж" });
    const int changes = f.Dic.ChangeCount;
    f.Editor.DelDoubles1Click();
    EXPECT_EQ(f.Dic.ChangeCount, changes);
    EXPECT_FALSE(f.Editor.Modified());
    EXPECT_EQ(f.Status(), "Словоформ/сочетаний: 3, правил: 0, удалено дублей: 0");
}

TEST(Doubles, EscKeepsWhatWasDoneAndSaysSo)
{
    TEditorFixture f;
    TStringList lines = Ws({ "ёж", "ёж", "ёлка", "ёлка" });
    // Esc at the third step: the first repeat is gone, the second stays.
    struct TEscAtThird : TRecordingUi
    {
        int Calls = 0;
        bool IsEscPressed() override { return ++Calls == 3; }
    } ui;
    const TDoublesResult result = DeleteDoubles(lines, ui);
    EXPECT_EQ(Us(lines), (Lines { "ёж", "ёлка", "ёлка" }));
    EXPECT_TRUE(result.Aborted);
    EXPECT_EQ(result.Removed, 1);
    EXPECT_EQ(result.WordFormCount, 1);
    EXPECT_EQ(
        U(DoublesStatus(result)), "Операция прервана. Словоформ/сочетаний: 1, правил: 0, удалено дублей: 1");
}

// --- subtracting ------------------------------------------------------------------

TEST(Subtract, RemovesTheLinesOfTheChosenFile)
{
    TEditorFixture f;
    SetPane(f.Dic, { "# заголовок", "Ёж", "ёж", "ёжик", "ёлка", "ёлочка" });
    const std::string other = f.WriteDic("other.dat", { "ёлка", "ёжик", "ёжик", "ёлочки", "# заголовок" });
    f.Ui.OpenFileAnswers.push_back(other);
    f.Editor.Subtract1Click();
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "Ёж", "ёж", "ёлочка" }));
    EXPECT_EQ(f.Status(), "Словоформ/сочетаний: 3, правил: 0");
    EXPECT_EQ(f.Dic.SelStart(), 0);
    EXPECT_TRUE(f.Editor.Modified());
    // The temporary file stays and holds the result.
    EXPECT_EQ(Us(ReadDicFileLines(f.Path("tildo.tmp"))), PaneUtf8(f.Dic));
}

TEST(Subtract, WordsAfterTheLastLineChangeNothing)
{
    TEditorFixture f;
    SetPane(f.Dic, { "ёж", "ёлка" });
    f.Ui.OpenFileAnswers.push_back(f.WriteDic("other.dat", { "ёлочка", "ёмкость", "ёрш" }));
    f.Editor.Subtract1Click();
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "ёж", "ёлка" }));

    // A cancelled dialog, and an empty pane, do nothing at all.
    f.Editor.Subtract1Click();
    EXPECT_EQ(PaneUtf8(f.Dic), (Lines { "ёж", "ёлка" }));
    TEditorFixture g;
    g.Ui.OpenFileAnswers.push_back(f.Path("other.dat"));
    g.Editor.Subtract1Click();
    EXPECT_TRUE(g.Ui.FileChoices.empty());
}

// The plain reading of the subtraction, erasing from the list as it goes.
TStringList SubtractByErasing(TStringList a, const TStringList& b)
{
    const auto cmp = [](const std::string& item, const std::string& key) { return CompareFolded(item, key); };
    for (const auto& line : b) {
        if (a.empty())
            break;
        const int k = FindInsertPos(a, 0, static_cast<int>(a.size()) - 1, cmp, line);
        if (k >= 0 && k < static_cast<int>(a.size()) && a[static_cast<std::size_t>(k)] == line)
            a.erase(a.begin() + k);
    }
    return a;
}

TEST(Subtract, LandsWhereErasingAsItGoesWouldLand)
{
    // Twins that differ in ё/е, repeats and lines out of order make the
    // bisection's landing place depend on every earlier removal.
    std::mt19937 random(11);
    const std::string alphabet = W("еёЕжа");
    auto randomLines = [&](int count) {
        TStringList lines;
        for (int i = 0; i < count; ++i) {
            std::string line;
            const int length = 1 + static_cast<int>(random() % 3);
            for (int k = 0; k < length; ++k)
                line += alphabet[random() % alphabet.size()];
            lines.push_back(line);
        }
        return lines;
    };
    for (int round = 0; round < 400; ++round) {
        TStringList a = randomLines(1 + static_cast<int>(random() % 60));
        if (round % 4 != 0)
            SortFolded(a);
        if (round % 4 >= 2) {
            // Strictly ascending: no twins at all.
            const auto twins
                = [](const std::string& x, const std::string& y) { return CompareFolded(x, y) == 0; };
            a.erase(std::unique(a.begin(), a.end(), twins), a.end());
        }
        if (round % 4 == 3) {
            // A head in no order before the ascending tail, like a comment block.
            const TStringList head = randomLines(1 + static_cast<int>(random() % 4));
            a.insert(a.begin(), head.begin(), head.end());
        }
        TStringList b = randomLines(static_cast<int>(random() % 60));
        for (int k = 0; k < 10; ++k)
            b.push_back(a[random() % a.size()]);
        std::shuffle(b.begin(), b.end(), random);
        if (round % 8 >= 4)
            SortFolded(b);
        const TStringList expected = SubtractByErasing(a, b);
        const std::size_t before = a.size();
        const int removed = SubtractLines(a, b);
        ASSERT_EQ(a, expected) << "round " << round;
        ASSERT_EQ(static_cast<std::size_t>(removed), before - expected.size());
    }
}

// --- sweeping the word pane ---------------------------------------------------------

TEST(Sweep, MessageEndingsAndWhatIsLeft)
{
    TEditorFixture f;
    Lines dic;
    Lines words;
    for (int i = 0; i < 21; ++i) {
        dic.push_back(
            "ёж" + std::string(static_cast<std::size_t>(i / 10 + 1), 'a' + static_cast<char>(i % 10)));
        words.push_back(dic.back());
    }
    TStringList sortedDic = Ws(dic);
    SortFolded(sortedDic);
    SetPaneLines(f.Dic, sortedDic);
    words.insert(words.begin() + 5, "ёлка");
    words.push_back("Ёжa");
    SetPane(f.Word, words);
    f.Editor.SweepWordEditor1Click();
    EXPECT_EQ(f.Status(), "21 слово убрано из окна слов");
    EXPECT_EQ(PaneUtf8(f.Word), (Lines { "ёлка", "Ёжa" }));
    EXPECT_EQ(f.Word.SelStart(), f.Word.LineStart(1)) << "past the end: the last line";

    SetPane(f.Word, Lines(dic.begin(), dic.begin() + 12));
    f.Editor.SweepWordEditor1Click();
    EXPECT_EQ(f.Status(), "12 слов убрано из окна слов");
    EXPECT_EQ(f.Word.Length(), 0);
    EXPECT_EQ(U(SweepMessage(3)), "3 слова убрано из окна слов");
}

TEST(Sweep, EscStopsAfterTheCurrentWord)
{
    TEditorFixture f;
    SetPane(f.Dic, { "ёж", "ёлка" });
    SetPane(f.Word, { "ёж", "ёлка", "ель" });
    f.Ui.EscPressesLeft = 1;
    f.Editor.SweepWordEditor1Click();
    EXPECT_EQ(PaneUtf8(f.Word), (Lines { "ёлка", "ель" }));
    EXPECT_EQ(f.Status(), "1 слово убрано из окна слов");
    EXPECT_EQ(f.Word.SelStart(), 0);
}

} // namespace
} // namespace tildo::test
