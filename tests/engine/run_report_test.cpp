#include "engine_fixture.h"

#include <clocale>

namespace tildo::test {
namespace {

// A clock that advances only when told to.
struct RunReport : TEngineFixture
{
    std::chrono::steady_clock::time_point now {};
    void SetUp() override
    {
        engine.Clock = [this] { return now; };
        std::setlocale(LC_NUMERIC, "C");
    }
};

TEST(RunReportFormat, BothFormatsWithTheGivenSeparator)
{
    TRunCounters c;
    c.NewDottedCount = 12;
    c.NewPlainCount = 3;
    c.AskedDottedCount = 4;
    c.AskedPlainCount = 1;
    c.CombiDecisionCount = 2;
    EXPECT_EQ(U(FormatRunReport(c, 1.5, false, ",")),
        "Новых \"Ё/Е\": 12/3 (в т.ч. с запросом 4/1); словосочетаний: 2; время: 1,50 с; скорость: 10 "
        "замен/с");
    EXPECT_EQ(U(FormatRunReport(c, 0.0, true, ".")), "Найдено новых Ё: 12; время: 0.00 с; скорость: 0 Ё/с");
    // Shown as 0.00 s, the time gives no speed.
    EXPECT_EQ(U(FormatRunReport(c, 0.004, false, ".")),
        "Новых \"Ё/Е\": 12/3 (в т.ч. с запросом 4/1); словосочетаний: 2; время: 0.00 с; скорость: 0 замен/с");
    EXPECT_EQ(
        U(FormatRunReport(c, 0.006, true, ".")), "Найдено новых Ё: 12; время: 0.01 с; скорость: 2000 Ё/с");
    EXPECT_EQ(
        U(FormatRunReport(c, 2.0 / 3.0, true, ",")), "Найдено новых Ё: 12; время: 0,67 с; скорость: 18 Ё/с");
}

TEST(RunReportFormat, SpeedRoundsHalvesToEven)
{
    EXPECT_EQ(ReportSpeed(5, 2), 2);
    EXPECT_EQ(ReportSpeed(7, 2), 4);
    EXPECT_EQ(ReportSpeed(3, 1.5), 2);
    EXPECT_EQ(ReportSpeed(10, 0), 0);
    EXPECT_EQ(ReportSpeed(1e12, 1e-9), std::numeric_limits<std::int32_t>::max());
}

TEST(RunReportFormat, SeparatorComesFromTheNumericLocale)
{
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(LocaleDecimalSeparator(), ".");
}

TEST_F(RunReport, CountersAddUpOverPassesAndCountAskedLetters)
{
    Dictionary({ "всё?", "ещё" });
    Text("еще все");
    Answers({ TAnswer::Dotted });
    Pass();
    EXPECT_EQ(Status(),
        "Новых \"Ё/Е\": 2/0 (в т.ч. с запросом 1/0); словосочетаний: 0; время: 0.00 с; скорость: 0 замен/с");
    EXPECT_TRUE(ui.Enabled["ClearStat1"]);

    // A second pass starts from the totals; its time is its own.
    Text("еще");
    engine.Clock = [this] {
        now += std::chrono::milliseconds(500);
        return now;
    };
    Pass();
    const TRunCounters& c = engine.Counters();
    EXPECT_EQ(c.NewDottedCount, 3);
    EXPECT_EQ(c.AskedDottedCount, 1);
    EXPECT_TRUE(Status().starts_with("Новых \"Ё/Е\": 3/0 (в т.ч. с запросом 1/0)")) << Status();
}

TEST_F(RunReport, MisplacedDottedEAnsweredWithTheDictionaryFormCountsBothWays)
{
    Dictionary({ "трёхведёрный" });
    Option("CheckYo1");
    Text("трехвёдерный");
    Answers({ TAnswer::Plain });
    Pass();
    EXPECT_EQ(Result(), "трёхведёрный");
    const TRunCounters& c = engine.Counters();
    EXPECT_EQ(c.NewDottedCount, 2);
    EXPECT_EQ(c.NewPlainCount, 1);
    EXPECT_EQ(c.AskedDottedCount, 2);
    EXPECT_EQ(c.AskedPlainCount, 1);
}

TEST_F(RunReport, CombinationDecisionsAreCountedEvenWhenNothingChanges)
{
    Dictionary({ "всё?" });
    Combinations({ "все равно" });
    Text("все равно");
    Pass();
    EXPECT_EQ(engine.Counters().CombiDecisionCount, 1);
    EXPECT_EQ(engine.Counters().NewDottedCount, 0);
    EXPECT_FALSE(ui.Enabled["ClearStat1"]);
    EXPECT_TRUE(Status().starts_with("Новых \"Ё/Е\": 0/0 (в т.ч. с запросом 0/0); словосочетаний: 1;"))
        << Status();
}

TEST_F(RunReport, CollectionGathersUnconfirmedDottedWordsFromTheCaret)
{
    MemoryDocument pane;
    engine.SetWordPane(&pane);
    Dictionary({ "ещё", "трёхведёрный" });
    Combinations({ "о чём" });
    Option("CheckYo1", false);
    Text("ёлка трехвёдерный\nещё Ёлка, еще");
    engine.DoYoficate(0, 1); // a pass first: it counts one ё
    Text("ёлка трехвёдерный\nещё Ёлка, еще");
    doc.Select(0, 0);
    engine.CollectNewDotted();
    EXPECT_EQ(Result(), "ёлка трехвёдерный\nещё Ёлка, еще"); // the text is not changed
    EXPECT_EQ(U(pane.Text()), "ёлка\nтрехвёдерный\nЁлка");
    EXPECT_EQ(engine.Counters().NewDottedCount, 1 + 3); // the total goes on
    EXPECT_TRUE(asker.Questions.empty());
    EXPECT_TRUE(Status().starts_with("Найдено новых Ё: 3; время: ")) << Status(); // this run's finds
    // The two marks are back as they were; the pass state was never busy.
    EXPECT_TRUE(ui.Checked["CombiWords1"]);
    EXPECT_FALSE(ui.Checked["CheckYo1"]);
    EXPECT_EQ(asker.BeginCount, 1);

    // From the caret, not from the start; a word met again is added again.
    doc.Select(doc.LineStart(1), 0);
    engine.CollectNewDotted();
    EXPECT_EQ(U(pane.Text()), "ёлка\nтрехвёдерный\nЁлка\nЁлка");

    // The collection ends with its run: a pass after it writes back and reports as a pass.
    Text("еще");
    engine.DoYoficate(0, 1);
    EXPECT_EQ(Result(), "ещё");
    EXPECT_TRUE(Status().starts_with("Новых \"Ё/Е\"")) << Status();
}

TEST_F(RunReport, WindowlessCallersGetTheReportAndTheCounters)
{
    Dictionary({ "ещё", "всё?" });
    Text("еще все");
    asker.WhenEmpty = TAnswer::Cancel;
    const TRunOutcome pass = RunPass(engine);
    EXPECT_TRUE(pass.Aborted);
    EXPECT_EQ(pass.Counters.NewDottedCount, 1);
    EXPECT_EQ(pass.Report, ui.StatusText());
    EXPECT_TRUE(U(pass.Report).starts_with("Новых \"Ё/Е\": 1/0")) << U(pass.Report);

    MemoryDocument pane;
    Text("ёлка");
    const TRunOutcome collected = RunCollection(engine, pane);
    EXPECT_FALSE(collected.Aborted);
    EXPECT_EQ(collected.Counters.NewDottedCount, 2); // the pass's one and the collection's
    EXPECT_TRUE(U(collected.Report).starts_with("Найдено новых Ё: 1;")) << U(collected.Report);
    EXPECT_EQ(U(pane.Text()), "ёлка");
}

TEST_F(RunReport, CollectionThatFindsNothingLeavesThePaneAlone)
{
    MemoryDocument pane;
    pane.SetText(W("слово\n"));
    engine.SetWordPane(&pane);
    Dictionary({ "ещё" });
    Text("ещё дом");
    engine.CollectNewDotted();
    EXPECT_EQ(U(pane.Text()), "слово\n");
    EXPECT_TRUE(Status().starts_with("Найдено новых Ё: 0;")) << Status();
    Text("ёж");
    engine.CollectNewDotted();
    EXPECT_EQ(U(pane.Text()), "слово\nёж");
}

} // namespace
} // namespace tildo::test
