// Decisions made beforehand, the grouped review and the terminal question's
// context, through the built tildo-cli and its pieces.

#include "cli/terminal_asker.h"
#include "cli_runner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

namespace tildo::test {
namespace {

using TJson = nlohmann::ordered_json;

// A UTF-8 text with a BOM and CR LF breaks, four все and a лет to ask about.
const std::string Text = "\xEF\xBB\xBF"
                         "Мы все знали: еще не все потеряно.\r\n"
                         "Десять лет все ждали,\r\n"
                         "и все.";

TEST(CliDecisions, ReportEditedByHandThenAppliedEqualsThePassAnsweredSo)
{
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    const std::string text = dir.Write("t.txt", Text);
    const std::string report = dir.Path() + "/r.json";
    TCliRun run = RunCli({ "-d", dic, "--off", "Context", "--unanswered", "keep", "--report", report, text });
    ASSERT_EQ(run.Code, 0) << run.Err;
    const std::string kept = run.Out;

    TJson json = TJson::parse(ReadFile(report));
    ASSERT_EQ(json["questions"].size(), 5u);
    std::vector<std::string> answers;
    int i = 0;
    for (TJson& q : json["questions"]) {
        const bool dotted = i++ % 3 != 1;
        q["answer"] = dotted ? "ё" : "е";
        answers.push_back(dotted ? "1" : "0");
    }
    // One question left to the pass: kept as written.
    json["questions"][4]["answer"] = "keep";
    answers[4] = "0";
    const std::string decisions = dir.Write("d.json", json.dump(2));
    std::string joined;
    for (const std::string& a : answers)
        joined += (joined.empty() ? "" : ",") + a;

    const std::string report2 = dir.Path() + "/r2.json";
    run = RunCli({ "-d", dic, "--off", "Context", "--unanswered", "keep", "--decisions", decisions,
        "--report", report2, text });
    EXPECT_EQ(run.Code, 0) << run.Err;
    const TCliRun answered
        = RunCli({ "-d", dic, "--off", "Context", "--unanswered", "keep", "--answers", joined, text });
    EXPECT_EQ(run.Out, answered.Out);
    EXPECT_NE(run.Out, kept);
    EXPECT_EQ(run.Out,
        "\xEF\xBB\xBF"
        "Мы всё знали: ещё не все потеряно.\r\n"
        "Десять лёт всё ждали,\r\n"
        "и все.");
    // Counters as a pass answered so; every question in the new report, in order.
    const TJson second = TJson::parse(ReadFile(report2));
    ASSERT_EQ(second["questions"].size(), 5u);
    EXPECT_EQ(second["questions"][1]["answer"], "е");
    EXPECT_EQ(second["questions"][4]["answer"], "keep");
    EXPECT_EQ(second["AskedDottedCount"], 3);
    EXPECT_EQ(ReadFile(text), Text); // the file itself is left alone
}

TEST(CliDecisions, TextEditedSinceTheReportGetsAMessageForEachMovedWord)
{
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    const std::string text = dir.Write("t.txt", Text);
    const std::string report = dir.Path() + "/r.json";
    ASSERT_EQ(
        RunCli({ "-d", dic, "--off", "Context", "--unanswered", "keep", "--report", report, text }).Code, 0);
    TJson json = TJson::parse(ReadFile(report));
    for (TJson& q : json["questions"])
        q["answer"] = "ё";
    const std::string decisions = dir.Write("d.json", json.dump());

    // A word in front of the first line's questions; the other lines as they were.
    const std::string edited = dir.Write("e.txt",
        "Мы втроём все знали: еще не все потеряно.\r\n"
        "Десять лет все ждали,\r\n"
        "и все.");
    TCliRun run = RunCli({ "-d", dic, "--off", "Context", "--decisions", decisions, edited });
    EXPECT_EQ(run.Code, 1);
    EXPECT_NE(
        run.Err.find("строка 1, столбец 4: там уже не «все», а «втроём» (ближайшее такое слово: строка 1, "
                     "столбец 11); решение пропущено"),
        std::string::npos)
        << run.Err;
    EXPECT_NE(run.Err.find("строка 1, столбец 22: там уже не «все», а «еще»"), std::string::npos) << run.Err;
    EXPECT_EQ(run.Out,
        "Мы втроём все знали: ещё не все потеряно.\r\n"
        "Десять лёт всё ждали,\r\n"
        "и всё.");
    // --force: the same text, and no error.
    const TCliRun forced
        = RunCli({ "-d", dic, "--off", "Context", "--decisions", decisions, "--force", edited });
    EXPECT_EQ(forced.Code, 0);
    EXPECT_EQ(forced.Out, run.Out);

    // A decision about a word the pass does not ask about is told too.
    json["questions"][0]["line"] = 3;
    json["questions"][0]["column"] = 1;
    json["questions"][0]["word"] = "и";
    run = RunCli({ "-d", dic, "--off", "Context", "--decisions", dir.Write("o.json", json.dump()), text });
    EXPECT_EQ(run.Code, 1);
    EXPECT_NE(run.Err.find("строка 3, столбец 1: о слове «и» проход не спрашивал"), std::string::npos)
        << run.Err;

    // Files that are not decisions, and options that do not go together.
    json["questions"][1]["answer"] = "ж";
    run = RunCli({ "-d", dic, "--off", "Context", "--decisions", dir.Write("x.json", json.dump()), text });
    EXPECT_EQ(run.Code, 2);
    EXPECT_NE(run.Err.find("вопрос 2: ответ \"ж\""), std::string::npos) << run.Err;
    EXPECT_EQ(RunCli({ "-d", dic, "--off", "Context", "--decisions",
                         dir.Write("y.json", "{\"questions\": [1"), text })
                  .Code,
        2);
    EXPECT_EQ(
        RunCli({ "-d", dic, "--off", "Context", "--decisions", dir.Write("z.json", "[]"), text }).Code, 2);
    EXPECT_EQ(
        RunCli({ "-d", dic, "--off", "Context", "--decisions", decisions, "--answers", "1", text }).Code, 2);
    EXPECT_EQ(RunCli({ "-d", dic, "--off", "Context", "--force", text }).Code, 2);
    EXPECT_EQ(
        RunCli({ "-d", dic, "--off", "Context", "--decisions", dir.Path() + "/missing.json", text }).Code, 3);
}

TEST(CliReview, GroupsBiggestFirstWithWholeWordContextsAndMixedSpellings)
{
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    const std::string text = dir.Write("t.txt", Text + "\r\nЕщё раз: всё.");
    const TCliRun run = RunCli({ "review", "-d", dic, "--off", "Context", text });
    ASSERT_EQ(run.Code, 0) << run.Err;
    const std::string& out = run.Out;
    const auto all = out.find("все/всё — 4, предлагается е\n");
    const auto years = out.find("лет/лёт — 1, предлагается е\n");
    const auto mixed = out.find("Написано по-разному — 7, предлагается ё 2, е 5\n");
    ASSERT_NE(all, std::string::npos) << out;
    ASSERT_NE(years, std::string::npos) << out;
    ASSERT_NE(mixed, std::string::npos) << out;
    EXPECT_LT(all, years);
    EXPECT_LT(years, mixed);
    // Place, proposed letter, the word marked, cut only between words.
    EXPECT_NE(out.find("  1:4      е  Мы «все» знали: еще не все…\n"), std::string::npos) << out;
    EXPECT_NE(out.find("  2:12     е  …Десять лет «все» ждали, и все. Ещё…\n"), std::string::npos) << out;
    EXPECT_NE(out.find("  4:1      ё  …все ждали, и все. «Ещё» раз: всё.\n"), std::string::npos) << out;
    EXPECT_NE(
        run.Err.find("Спорных слов: 5, из них с вопросом: 5; написано по-разному: 7"), std::string::npos)
        << run.Err;
    EXPECT_EQ(ReadFile(text), Text + "\r\nЕщё раз: всё.");
}

TEST(TerminalAsker, ContextInWholeWordsMarkedAndTheQuestionsLeft)
{
    TQuestion q;
    q.PlainForm = W("все");
    q.DottedForm = W("всё");
    // As a pass cuts it with three letters around: inside words at both ends.
    q.Context = W("что все хор");
    q.WordOffset = 4;
    q.WordLength = 3;
    q.Caption = W("Выберите верный вариант");
    std::istringstream in("1\n1\n");
    std::ostringstream out;
    TTerminalAsker asker(in, out, false);
    asker.ContextAddLetters = 3;
    asker.SetQuestionPlaces({ { 1, 5 }, { 2, 1 }, { 2, 9 } });
    EXPECT_EQ(asker.Ask(q, 2, 1), TAnswer::Dotted);
    std::string shown = out.str();
    EXPECT_NE(shown.find("Строка 2, столбец 1 (осталось вопросов: 2): "), std::string::npos) << shown;
    EXPECT_NE(shown.find("  …«все»…\n"), std::string::npos) << shown;

    std::ostringstream coloured;
    std::istringstream in2("1\n");
    TTerminalAsker colour(in2, coloured, true);
    q.Context = W("что все хорошо");
    EXPECT_EQ(colour.Ask(q, 1, 1), TAnswer::Dotted);
    shown = coloured.str();
    EXPECT_NE(shown.find("что \x1b[1;7mвсе\x1b[0m хорошо"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("осталось"), std::string::npos);
}

} // namespace
} // namespace tildo::test
