#include "app/testing_mode.h"

#include "support/recording_ui.h"
#include "support/scripted_asker.h"
#include "text/memory_document.h"

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::TRecordingUi;
using test::TScriptedAsker;
using test::U;
using test::W;

// The program started with "/t": test dictionaries, the table, an engine.
struct TTestingFixture : ::testing::Test
{
    TRecordingUi ui;
    TScriptedAsker asker;
    TBufferLimits limits;
    TDic dic;
    TCombiWordsDic combi { limits };
    TWordBuffer window { limits };
    MemoryDocument editor;
    TYoficator engine { editor, ui, asker, dic, combi, window, limits };
    TTestingMode mode { editor, ui, engine };

    void SetUp() override
    {
        ui.Checked["Mark1"] = true;
        ReadTestingDic(dic, ui);
        ReadTestingCombiDic(combi, ui);
        mode.Start();
    }
};

TEST_F(TTestingFixture, BuiltInDictionariesLoadWithoutMessagesAndEnableTheirCommands)
{
    EXPECT_TRUE(ui.Errors.empty()) << (ui.Errors.empty() ? "" : U(ui.Errors[0]));
    EXPECT_EQ(dic.FileName, "***");
    EXPECT_EQ(combi.FileName, "***");
    EXPECT_EQ(dic.RuleCount(), 4);
    EXPECT_EQ(dic.FormCount(), 7);
    EXPECT_EQ(combi.Count(), 4);
    EXPECT_TRUE(ui.Enabled["YoBegin1"]);
    EXPECT_TRUE(ui.Enabled["YoPos1"]);
    EXPECT_TRUE(ui.Enabled["CombiWords1"]);
    EXPECT_FALSE(ui.Enabled["ClearUserSel1"]);
    // The combination entries: \0 лет with one word, всё-таки and о чём with the ё word marked.
    EXPECT_EQ(combi.WordCounts[0], 1);
    EXPECT_EQ(combi.DottedMasks[1], 1);
    EXPECT_EQ(combi.DottedMasks[2], 2);
}

TEST_F(TTestingFixture, TableIsReadOnlyWithTwentyTwoLinesAndTheScript)
{
    EXPECT_EQ(editor.LineCount(), 22);
    EXPECT_TRUE(editor.IsReadOnly());
    EXPECT_EQ(mode.ExpectedLines.size(), 22u);
    EXPECT_EQ(mode.Script.TestAnswers.Count(), 23);
    ASSERT_EQ(mode.Script.SectionEnds.Count(), 7);
    EXPECT_EQ(mode.Script.SectionEnds[0], 14);
    EXPECT_EQ(mode.Script.SectionEnds[6], 20);
    EXPECT_EQ(editor.Line(10), W("чем о  чем  О   ЧЕМ о\t\u00A0 чем"));
    // The word Еще of line 14 is green.
    const int e = editor.LineStart(14) + 14;
    EXPECT_EQ(editor.CharColour(e), TTestingMode::FormattedColour);
    EXPECT_EQ(editor.CharColour(e + 2), TTestingMode::FormattedColour);
    EXPECT_EQ(editor.CharColour(e - 1), ColourBlack);
    EXPECT_EQ(editor.SelStart(), 0);
    EXPECT_EQ(mode.WindowTitle(), "[Testing mode]");
}

TEST_F(TTestingFixture, TestPassesWithEveryScriptedAnswerConsumed)
{
    const TTestOutcome outcome = mode.RunTest();
    for (int i = 0; i < editor.LineCount(); ++i)
        EXPECT_EQ(U(editor.Line(i)), U(TestRows()[static_cast<std::size_t>(i)].Expected)) << "line " << i;
    EXPECT_TRUE(outcome.Passed) << "line " << outcome.Line << ": " << U(outcome.Actual);
    EXPECT_EQ(outcome.AnswersConsumed, 23);
    EXPECT_TRUE(asker.Questions.empty()); // nothing beyond the script was asked
    EXPECT_TRUE(ui.Infos.empty());
    EXPECT_TRUE(ui.Errors.empty());
    EXPECT_EQ(U(ui.Caption("Testing1")), "Сброс теста");
    EXPECT_TRUE(mode.ExpectedLines.empty());
    EXPECT_EQ(mode.State(), TTestingMode::TState::Tested);
    EXPECT_FALSE(engine.Busy());
}

TEST_F(TTestingFixture, ChangedExpectedLineIsReportedAndSelected)
{
    mode.ExpectedLines[2] = W("ещё ещё Ещё ЕЩЁ еще");
    const TTestOutcome outcome = mode.RunTest();
    EXPECT_FALSE(outcome.Passed);
    EXPECT_EQ(outcome.Line, 2);
    EXPECT_EQ(U(outcome.Actual), "ещё ещё Ещё ЕЩЁ ещё");
    EXPECT_EQ(U(outcome.Expected), "ещё ещё Ещё ЕЩЁ еще");
    ASSERT_EQ(ui.Infos.size(), 1u);
    EXPECT_EQ(U(ui.Infos[0]), "Тест не прошёл !");
    EXPECT_EQ(editor.SelStart(), editor.LineStart(2));
    EXPECT_EQ(editor.SelLength(), static_cast<int>(editor.Line(2).size()));
}

TEST_F(TTestingFixture, SecondUseStartsFreeTestingWithQuestionsForTheUser)
{
    mode.Testing1Click();
    mode.Testing1Click();
    EXPECT_EQ(mode.State(), TTestingMode::TState::FreeTesting);
    EXPECT_EQ(mode.WindowTitle(), "[Free testing mode]");
    EXPECT_FALSE(ui.Enabled["Testing1"]);
    EXPECT_FALSE(editor.IsReadOnly());
    EXPECT_FALSE(mode.Script.ScriptedTesting);
    EXPECT_EQ(ui.StatusText(), "");
    EXPECT_EQ(editor.Line(1), W("все все Все ВСЕ все")); // the fresh table
    // Now a pass asks the user and runs past line 14.
    asker.WhenEmpty = TAnswer::Plain;
    const int scriptedBefore = mode.Script.NextAnswer;
    engine.DoYoficate(0, 1);
    EXPECT_FALSE(asker.Questions.empty());
    EXPECT_EQ(mode.Script.NextAnswer, scriptedBefore);
    // The table options are back: no FictionBook stop, so the last line changes too.
    EXPECT_EQ(editor.Line(21), W("С форматом FB: <BINARY ...> ещё"));
}

TEST(SelfTest, HeadlessRunPasses)
{
    TRecordingUi ui;
    TScriptedAsker asker;
    const TTestOutcome outcome = RunSelfTest(ui, asker);
    EXPECT_TRUE(outcome.Passed) << "line " << outcome.Line << ": " << U(outcome.Actual);
    EXPECT_EQ(outcome.AnswersConsumed, 23);
}

} // namespace
} // namespace tildo
