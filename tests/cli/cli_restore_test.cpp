// The restoration pass of the built tildo-cli on real files.

#include "cli_runner.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

namespace tildo::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> WithDictionary(const std::string& dic, std::vector<std::string> args)
{
    args.insert(args.begin(), { "-d", dic });
    return args;
}

TEST(CliRestore, Utf8TextComesBackByteForByteApartFromTheRestoredLetters)
{
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    // A BOM, CR LF and LF breaks, a lone CR, characters CP1251 cannot hold and
    // no final line break.
    const std::string text = "\xEF\xBB\xBF"
                             "Еще елка\r\n中 ёж ЕЩЕ\n😀еще\rеж";
    const std::string path = dir.Write("a.txt", text);
    const TCliRun run = RunCli(WithDictionary(dic, { path }));
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out,
        "\xEF\xBB\xBF"
        "Ещё ёлка\r\n中 ёж ЕЩЁ\n😀ещё\rёж");
    EXPECT_NE(run.Err.find("Новых \"Ё/Е\": 5/0"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadFile(path), text); // the file itself is left alone

    // The same through standard input.
    const TCliRun piped = RunCli(WithDictionary(dic, { "-" }), text);
    EXPECT_EQ(piped.Out, run.Out);
}

TEST(CliRestore, Cp1251TextKeepsItsBytesAndItsEncoding)
{
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    const std::string text = W("еще все\r\nелка") + "\x98" + W(" лет");
    const std::string path = dir.Write("b.txt", text);
    TCliRun run = RunCli(WithDictionary(dic, { path }));
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, W("ещё все\r\nёлка") + "\x98" + W(" лет"));

    // Read as UTF-8 on purpose, the CP1251 letters are stray bytes: nothing
    // changes and every byte comes back.
    run = RunCli(WithDictionary(dic, { "--encoding", "utf-8", path }));
    EXPECT_EQ(run.Code, 0);
    EXPECT_EQ(run.Out, text);

    // A UTF-8 text cut inside its last character is still read as UTF-8.
    const std::string cut = std::string("еще ") + "\xD1";
    run = RunCli(WithDictionary(dic, { dir.Write("cut.txt", cut) }));
    EXPECT_EQ(run.Out, std::string("ещё ") + "\xD1");
}

TEST(CliRestore, CheckWritesNothingAndTellsWhetherTheTextWouldChange)
{
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    const std::string changing = dir.Write("c.txt", "еще");
    TCliRun run = RunCli(WithDictionary(dic, { "--check", changing }));
    EXPECT_EQ(run.Code, 1);
    EXPECT_TRUE(run.Out.empty());
    EXPECT_EQ(ReadFile(changing), "еще");
    run = RunCli(WithDictionary(dic, { "--check", dir.Write("d.txt", "ещё дед все") }));
    EXPECT_EQ(run.Code, 0);
    EXPECT_TRUE(run.Out.empty());
}

TEST(CliRestore, InPlaceReplacesTheFileAndKeepsABackupWhenAsked)
{
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    const std::string path = dir.Write("e.txt", W("еще елка"));
    ::chmod(path.c_str(), 0600);
    TCliRun run = RunCli(WithDictionary(dic, { "-i", path }));
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_TRUE(run.Out.empty());
    EXPECT_EQ(ReadFile(path), W("ещё ёлка"));
    EXPECT_EQ(
        fs::status(path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

    const std::string second = dir.Write("f.txt", "еще");
    fs::create_symlink(second, dir.Path() + "/link.txt");
    run = RunCli(WithDictionary(dic, { "-i", "--backup", ".orig", dir.Path() + "/link.txt" }));
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_TRUE(fs::is_symlink(dir.Path() + "/link.txt")); // the link still leads to the text
    EXPECT_EQ(ReadFile(second), "ещё");
    EXPECT_EQ(ReadFile(second + ".orig"), "еще");

    // No temporary file is left behind.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.Path()))
        ++files;
    EXPECT_EQ(files, 5); // test.dat, e.txt, f.txt, f.txt.orig, link.txt

    run = RunCli(WithDictionary(dic, { "-o", dir.Path() + "/g.txt", path }));
    EXPECT_EQ(run.Code, 0);
    EXPECT_EQ(ReadFile(dir.Path() + "/g.txt"), W("ещё ёлка"));
}

TEST(CliRestore, ExitCodesTellUsageFromInputOutputFailures)
{
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    const std::string text = dir.Write("t.txt", "еще");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>> {
             { "--on", "Marks", text },
             { "--answers", "1,x", text },
             { "--unanswered", "sometimes", text },
             { "--encoding", "koi8-r", text },
             { "-i", "-" },
             { "-i", "-o", "x.txt", text },
             { "--check", "-i", text },
             { "--backup", ".b", text },
             { "--no-such-option", text },
         }) {
        const TCliRun run = RunCli(WithDictionary(dic, args));
        EXPECT_EQ(run.Code, 2) << args.front();
        EXPECT_NE(run.Err.find("tildo-cli: "), std::string::npos);
    }
    EXPECT_EQ(RunCli({ "-d", dir.Path() + "/none.dat", text }).Code, 3);
    EXPECT_EQ(RunCli({ "-d", dir.Path(), text }).Code, 3); // a directory is no dictionary
    EXPECT_EQ(RunCli({ "-d", dir.Write("empty.dat", "# nothing\r\n"), text }).Code, 3);
    EXPECT_EQ(RunCli(WithDictionary(dic, { "-c", dir.Path() + "/none.dat", text })).Code, 3);
    EXPECT_EQ(RunCli(WithDictionary(dic, { dir.Path() + "/none.txt" })).Code, 3);
    EXPECT_EQ(RunCli(WithDictionary(dic, { "-o", dir.Path() + "/no/such/dir.txt", text })).Code, 3);

    // Binary input is refused and left alone.
    const std::string binary = std::string("\x7F"
                                           "ELF")
        + std::string(2, '\0') + "еще";
    const std::string binaryPath = dir.Write("bin.txt", binary);
    const TCliRun run = RunCli(WithDictionary(dic, { "-i", binaryPath }));
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("не похож на текст"), std::string::npos);
    EXPECT_EQ(ReadFile(binaryPath), binary);
}

TEST(CliRestore, ScriptedAnswersIncludingUndoAndCancelAreRecordedInTheReport)
{
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    const std::string report = dir.Path() + "/report.json";
    // 1 makes the first все всё; U takes it back and the scan asks about it
    // again; 0 leaves it; 1 changes the second; C stops before the third.
    const TCliRun run
        = RunCli(WithDictionary(dic, { "--answers", "1,U,0", "--answers", "1,c", "--report", report }),
            "все все все\n");
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "все всё все\n");
    EXPECT_NE(run.Err.find("Отмена"), std::string::npos);

    const auto json = nlohmann::json::parse(ReadFile(report));
    EXPECT_EQ(json["NewDottedCount"], 2); // undo takes back the letter, not the count
    EXPECT_EQ(json["AskedDottedCount"], 2);
    EXPECT_EQ(json["NewPlainCount"], 0);
    EXPECT_EQ(json["CombiDecisionCount"], 0);
    EXPECT_TRUE(json["seconds"].is_number());
    const auto& q = json["questions"];
    ASSERT_EQ(q.size(), 5u);
    const char* answers[] = { "1", "U", "0", "1", "C" };
    const int columns[] = { 1, 5, 1, 5, 9 };
    const char* defaults[] = { "е", "ё", "ё", "е", "ё" }; // the last answer is proposed
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(q[i]["answer"], answers[i]) << i;
        EXPECT_EQ(q[i]["line"], 1);
        EXPECT_EQ(q[i]["column"], columns[i]) << i;
        EXPECT_EQ(q[i]["default"], defaults[i]) << i;
        EXPECT_EQ(q[i]["plain"], "все");
        EXPECT_EQ(q[i]["dotted"], "всё");
    }
    EXPECT_EQ(q[1]["word"], "все");
}

TEST(CliRestore, ReportCountsColumnsInCharactersAndKeepsUnansweredWords)
{
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    const std::string report = dir.Path() + "/r.json";
    const std::string text = "— 😀 все\n中Лет";
    // Standard input is not a terminal here: unanswered words are kept.
    TCliRun run = RunCli(WithDictionary(dic, { "--off", "Context", "--report", report }), text);
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, text);
    auto q = nlohmann::json::parse(ReadFile(report))["questions"];
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[0]["line"], 1);
    EXPECT_EQ(q[0]["column"], 5);
    EXPECT_EQ(q[0]["answer"], "keep");
    EXPECT_EQ(q[0]["caption"], "Выберите верный вариант");
    EXPECT_EQ(q[1]["line"], 2);
    EXPECT_EQ(q[1]["column"], 2);
    EXPECT_EQ(q[1]["word"], "Лет");
    EXPECT_EQ(q[1]["dotted"], "Лёт");

    // cancel: the pass stops at the first question.
    run = RunCli(WithDictionary(dic, { "--unanswered", "cancel", "--report", report }), "еще все еще");
    EXPECT_EQ(run.Out, "ещё все еще");
    q = nlohmann::json::parse(ReadFile(report))["questions"];
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0]["answer"], "C");
}

TEST(CliRestore, OnlyObligatoryAndOnlyIndisputableExcludeEachOtherAsInTheMenu)
{
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    const std::string report = dir.Path() + "/r.json";
    // The later of the two wins: only the variant все is considered.
    TCliRun run
        = RunCli(WithDictionary(dic, { "--on", "NoVarOnly,VarOnly", "--answers", "1", "--report", report }),
            "еще все");
    EXPECT_EQ(run.Out, "еще всё");
    EXPECT_EQ(nlohmann::json::parse(ReadFile(report))["questions"].size(), 1u);
    // Only the obligatory ещё; the variant is not even asked about.
    run = RunCli(
        WithDictionary(dic, { "--on", "VarOnly", "--on", "NoVarOnly", "--report", report }), "еще все");
    EXPECT_EQ(run.Out, "ещё все");
    EXPECT_EQ(nlohmann::json::parse(ReadFile(report))["questions"].size(), 0u);
    // --off comes after --on.
    run = RunCli(WithDictionary(dic, { "--on", "NoVarOnly", "--off", "NoVarOnly", "--answers", "1" }), "все");
    EXPECT_EQ(run.Out, "всё");
}

TEST(CliRestore, RichTextPatchedInPlaceAndFictionBook)
{
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    const std::string rtf = dir.Write("r.rtf",
        "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}}\\f0 "
        "\\'e5\\'f9\\'e5 \\b \\'e5\\'eb\\'ea\\'e0\\b0\\par}");
    // ё written as е was, marked blue through a colour table of its own.
    TCliRun run = RunCli(WithDictionary(dic, { "--on", "Mark", rtf }));
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out,
        "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue255;}\\f0 "
        "\\'e5\\'f9{\\cf1 \\'b8} \\b {\\cf1 \\'b8}\\'eb\\'ea\\'e0\\b0\\par}");
    run = RunCli(WithDictionary(dic, { rtf }));
    EXPECT_EQ(run.Out,
        "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}}\\f0 "
        "\\'e5\\'f9\\'b8 \\b \\'b8\\'eb\\'ea\\'e0\\b0\\par}");

    // FictionBook: its text changes in the declared encoding; attributes, the
    // description and binaries do not, whatever FBFormat says.
    const std::string book
        = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<FictionBook><description><id>" + W("еще")
        + "</id></description><body><p>" + W("еще") + " <a l:href=\"#" + W("еще") + "\">" + W("ещ") + "</a>"
        + W("е") + "</p></body><binary id=\"" + W("еще") + "\">" + W("еще") + "</binary></FictionBook>\n";
    const std::string fb2 = dir.Write("b.fb2", book);
    std::string restoredBook = book;
    for (const std::string& word : { W("<p>еще"), W(">ещ</a>е") })
        restoredBook.replace(
            restoredBook.find(word), word.size(), word == W("<p>еще") ? W("<p>ещё") : W(">ещ</a>ё"));
    run = RunCli(WithDictionary(dic, { fb2 }));
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, restoredBook);
    run = RunCli(WithDictionary(dic, { "--off", "FBFormat", fb2 }));
    EXPECT_EQ(run.Out, restoredBook);
}

TEST(CliRestore, ShippedDictionariesBesideTheProgram)
{
    // Neither -d nor -c: tildo.dat and combi.dat beside the executable.
    TCliRun run = RunCli({}, "Еще елка, все-таки о чем-то.\n");
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "Ещё ёлка, всё-таки о чём-то.\n");
    // --no-combi, or a main dictionary of one's own, go without the combinations
    // (the context still settles чём after о).
    run = RunCli({ "--no-combi" }, "Еще елка, все-таки о чем-то.\n");
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "Ещё ёлка, все-таки о чём-то.\n");
    run = RunCli({ "-d", std::string(TILDO_DATA_DIR) + "/tildo.dat", "--off", "Context" },
        "Еще елка, все-таки о чем-то.\n");
    EXPECT_EQ(run.Out, "Ещё ёлка, все-таки о чем-то.\n");
    TTempDir dir;
    const std::string report = dir.Path() + "/r.json";
    run = RunCli({ "-c", std::string(TILDO_DATA_DIR) + "/combi.dat", "--report", report },
        "Еще елка, все-таки о чем-то.\n");
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "Ещё ёлка, всё-таки о чём-то.\n");
    const auto json = nlohmann::json::parse(ReadFile(report));
    EXPECT_GE(json["CombiDecisionCount"].get<int>(), 2);
    EXPECT_EQ(json["questions"].size(), 0u);
    // Obligatory replacements only: the variants are left alone.
    run = RunCli({ "--on", "NoVarOnly" }, "еще все\n");
    EXPECT_EQ(run.Out, "ещё все\n");
}

TEST(CliRestore, ContextDecidesSureWordsAndTheReportRecordsItsEvidence)
{
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    const std::string report = dir.Path() + "/report.json";
    const std::string text = "Вот это все. Он знал все.\n";
    // On by default: the sure все is decided, the other one asked and kept.
    TCliRun run = RunCli(WithDictionary(dic, { "--unanswered", "keep", "--report", report }), text);
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "Вот это всё. Он знал все.\n");
    EXPECT_NE(run.Err.find("по контексту: 1"), std::string::npos) << run.Err;
    auto json = nlohmann::json::parse(ReadFile(report));
    EXPECT_EQ(json["ContextDecisionCount"], 1);
    EXPECT_EQ(json["AskedDottedCount"], 0);
    ASSERT_EQ(json["questions"].size(), 1u);
    // Asked, the judge could not tell: only the family is recorded.
    EXPECT_EQ(json["questions"][0]["context"], nlohmann::json({ { "family", "all" } }));
    ASSERT_EQ(json["context"].size(), 1u);
    const nlohmann::json d = json["context"][0];
    EXPECT_EQ(d["line"], 1);
    EXPECT_EQ(d["column"], 9);
    EXPECT_EQ(d["word"], "всё");
    EXPECT_EQ(d["answer"], "ё");
    EXPECT_EQ(d["family"], "all");
    EXPECT_EQ(d["evidence"].get<std::string>().rfind("«это всё»", 0), 0u) << d["evidence"];

    // Every change confirmed: the question carries the judge's answer and evidence.
    run = RunCli(WithDictionary(dic, { "--on", "AlwaysAsk", "--answers", "0,0", "--report", report }), text);
    EXPECT_EQ(run.Out, text);
    json = nlohmann::json::parse(ReadFile(report));
    ASSERT_EQ(json["questions"].size(), 2u);
    EXPECT_EQ(json["questions"][0]["default"], "ё");
    EXPECT_EQ(json["questions"][0]["context"]["answer"], "ё");
    EXPECT_EQ(json["questions"][0]["context"]["evidence"], d["evidence"]);
    EXPECT_FALSE(json["questions"][1]["context"].contains("answer"));
    EXPECT_FALSE(json.contains("context"));

    // Off: today's output, report and questions.
    run = RunCli(
        WithDictionary(dic, { "--off", "Context", "--unanswered", "keep", "--report", report }), text);
    EXPECT_EQ(run.Out, text);
    EXPECT_EQ(run.Err.find("контексту"), std::string::npos);
    json = nlohmann::json::parse(ReadFile(report));
    EXPECT_EQ(json["questions"].size(), 2u);
    EXPECT_FALSE(json["questions"][0].contains("context"));
    EXPECT_FALSE(json.contains("ContextDecisionCount"));
    EXPECT_FALSE(json.contains("context"));

    // Automatic mode applies the sure decisions only.
    run = RunCli(WithDictionary(dic, { "--on", "NoVarOnly" }), text);
    EXPECT_EQ(run.Out, "Вот это всё. Он знал все.\n");
}

TEST(CliRestore, DamagedTagDictionaryStopsThePassOnlyWithContextOn)
{
    // A copy of the program beside data files of its own.
    TTempDir dir;
    const std::string program = dir.Path() + "/tildo-cli";
    std::filesystem::copy_file(TILDO_CLI_PATH, program);
    std::filesystem::copy_file(std::string(TILDO_DATA_DIR) + "/tildo.dat", dir.Path() + "/tildo.dat");
    std::filesystem::copy_file(std::string(TILDO_DATA_DIR) + "/rare_yo.dat", dir.Path() + "/rare_yo.dat");
    const std::string tags = dir.Write("tags.dat", std::string("TILDOTAG") + std::string(64, '\x01'));
    TCliRun run = RunCliAt(program, { "--unanswered", "keep" }, "Вот это все.\n");
    EXPECT_EQ(run.Code, 3);
    EXPECT_EQ(run.Out, "");
    EXPECT_NE(run.Err.find(tags), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("Словарь грамматических признаков"), std::string::npos) << run.Err;

    // The tag dictionary is read beside the main one, but its message comes
    // after the main dictionary's, and not at all when that one fails.
    const std::string unordered = dir.Write("unordered.dat", W("ёлка\r\nёж\r\nещё\r\n"));
    run = RunCliAt(program, { "-d", unordered, "--accept-damaged-dictionary", "--unanswered", "keep" },
        "Вот это все.\n");
    EXPECT_EQ(run.Code, 3);
    const std::size_t order = run.Err.find("Порядок слов в словаре нарушен");
    ASSERT_NE(order, std::string::npos) << run.Err;
    EXPECT_LT(order, run.Err.find("Словарь грамматических признаков")) << run.Err;
    run = RunCliAt(program, { "-d", unordered, "--unanswered", "keep" }, "Вот это все.\n");
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("порядок слов нарушен"), std::string::npos) << run.Err;
    EXPECT_EQ(run.Err.find("признаков"), std::string::npos) << run.Err;

    // Off, the files are not read at all: a missing one does not matter either.
    std::filesystem::remove(dir.Path() + "/rare_yo.dat");
    run = RunCliAt(program, { "--off", "Context", "--unanswered", "keep" }, "Вот это все.\n");
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "Вот это все.\n");
}

TEST(CliRestore, ContextOffGivesTodaysOutputReportAndProposedAnswers)
{
    // A sample of the technical guides with its ё taken out, and what the
    // program wrote for it before it could decide by context.
    const std::string data = std::string(TILDO_TEST_DATA_DIR) + "/context_off_sample";
    TTempDir dir;
    const std::string report = dir.Path() + "/r.json";
    TCliRun run = RunCli({ "--off", "Context", "--unanswered", "keep", "--report", report, data + ".txt" });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, ReadFile(data + ".keep.txt"));
    std::string json = ReadFile(report);
    const auto seconds = json.find("  \"seconds\"");
    ASSERT_NE(seconds, std::string::npos);
    json.erase(seconds, json.find('\n', seconds) + 1 - seconds);
    EXPECT_EQ(json, ReadFile(data + ".report.json"));
    run = RunCli({ "--off", "Context", "--on", "NoVarOnly", data + ".txt" });
    EXPECT_EQ(run.Out, ReadFile(data + ".novar.txt"));
    // On, the same text gets fewer questions.
    run = RunCli({ "--unanswered", "keep", "--report", report, data + ".txt" });
    const auto on = nlohmann::json::parse(ReadFile(report));
    EXPECT_LT(
        on["questions"].size(), nlohmann::json::parse(ReadFile(data + ".report.json"))["questions"].size());
    EXPECT_GT(on["ContextDecisionCount"].get<int>(), 0);
}

} // namespace
} // namespace tildo::test
