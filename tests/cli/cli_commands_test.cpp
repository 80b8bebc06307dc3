// collect, selftest, find, dict and forms of the built tildo-cli.

#include "cli_runner.h"

#include <gtest/gtest.h>

namespace tildo::test {
namespace {

std::string DicText(std::initializer_list<const char*> lines)
{
    std::string text;
    for (const char* line : lines)
        text += W(line) + "\r\n";
    return text;
}

TEST(CliCollect, ListsEveryUnconfirmedWordInTheTextsEncoding)
{
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    const std::string text = "Ёжики и ёлка, ёжики; ещё Ещё.\r\nЩётка";
    TCliRun run = RunCli({ "collect", "-d", dic, dir.Write("a.txt", text) });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "Ёжики\nёжики\nЩётка\n");
    EXPECT_NE(run.Err.find("Найдено новых Ё: 3"), std::string::npos) << run.Err;

    run = RunCli({ "collect", "-d", dic, dir.Write("b.txt", W(text)) });
    EXPECT_EQ(run.Out, W("Ёжики\nёжики\nЩётка\n"));
}

TEST(CliSelfTest, PassesSilently)
{
    const TCliRun run = RunCli({ "selftest" });
    EXPECT_EQ(run.Code, 0) << run.Out << run.Err;
    EXPECT_TRUE(run.Out.empty());
}

TEST(CliFind, PrintsLineColumnAndTextOfEveryMatch)
{
    TTempDir dir;
    const std::string path = dir.Write("a.txt", "😀 еще Еще\r\nещё\n");
    TCliRun run = RunCli({ "find", "е[щш][её]", path });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "1:3:еще\n2:1:ещё\n");
    run = RunCli({ "find", "--ignore-case", "е[щш][её]", path });
    EXPECT_EQ(run.Out, "1:3:еще\n1:7:Еще\n2:1:ещё\n");
    // A match over a line break keeps the break's own bytes; ^ and $ work per line.
    run = RunCli({ "find", "Еще\\s+е", path });
    EXPECT_EQ(run.Out, "1:7:Еще\r\nе\n");
    run = RunCli({ "find", "^ещ.$", path });
    EXPECT_EQ(run.Out, "2:1:ещё\n");

    // CP1251 in, CP1251 out; the pattern comes as UTF-8 either way.
    run = RunCli({ "find", "щ.", dir.Write("b.txt", W("где еще\r\n")) });
    EXPECT_EQ(run.Out, "1:6:" + W("ще") + "\n");

    run = RunCli({ "find", "(а|б", path });
    EXPECT_EQ(run.Code, 2);
    EXPECT_NE(run.Err.find("(pos "), std::string::npos) << run.Err;
    EXPECT_TRUE(run.Out.empty());
}

TEST(CliDict, CheckListsFaultyLinesAndFailsOnThem)
{
    TTempDir dir;
    const std::string faulty = dir.Write("f.dat", DicText({ "# comment", "ёж", "всё?", "ещё", "абв" }));
    TCliRun run = RunCli({ "dict", "check", faulty });
    EXPECT_EQ(run.Code, 1);
    EXPECT_EQ(run.Out, "3: Ошибка: нарушен порядок слов\n5: Ошибка: строка без Ё\n");
    run = RunCli({ "dict", "check", TestDictionary(dir) });
    EXPECT_EQ(run.Code, 0) << run.Out;
    EXPECT_TRUE(run.Out.empty());
    EXPECT_EQ(RunCli({ "dict", "check", dir.Path() + "/none.dat" }).Code, 3);
    EXPECT_EQ(RunCli({ "dict", "check" }).Code, 2);
}

TEST(CliDict, SortDedupeSubtractAndSweepPrintTheResultOrWriteInPlace)
{
    TTempDir dir;
    const std::string path = dir.Write("s.dat", DicText({ "# head", "ещё", "всё?", "ёж", "ёж" }));
    TCliRun run = RunCli({ "dict", "sort", path });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, DicText({ "# head", "всё?", "ёж", "ёж", "ещё" }));
    EXPECT_NE(run.Err.find("Словоформ/сочетаний: 4"), std::string::npos) << run.Err;

    run = RunCli({ "dict", "sort", "-i", path });
    EXPECT_TRUE(run.Out.empty());
    EXPECT_EQ(ReadFile(path), DicText({ "# head", "всё?", "ёж", "ёж", "ещё" }));

    run = RunCli({ "dict", "dedupe", path });
    EXPECT_EQ(run.Out, DicText({ "# head", "всё?", "ёж", "ещё" }));
    EXPECT_NE(run.Err.find("удалено дублей: 1"), std::string::npos) << run.Err;

    const std::string base = dir.Write("b.dat", DicText({ "всё?", "ёж", "ёлка", "ещё" }));
    run = RunCli({ "dict", "subtract", base, dir.Write("o.dat", DicText({ "ёж", "ещё" })) });
    EXPECT_EQ(run.Out, DicText({ "всё?", "ёлка" }));

    run = RunCli({ "dict", "sweep", dir.Write("w.txt", DicText({ "ёж", "ёжик", "ещё" })), path });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, DicText({ "ёжик" }));
}

TEST(CliForms, PrintsEveryFittingParadigmWithItsForms)
{
    TTempDir dir;
    const std::string rules = dir.Write("morphs.dat",
        DicText({ "# rules", "=Существительное", "ёлка:[кгх]а:2:ка,ки,ке", "broken line", "=Глагол",
            "махнуть:нуть:3:ёшь,ёт" }));
    TCliRun run = RunCli({ "forms", "--rules", rules, "ёлка?" });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "Существительное (ёлка)\nёлка?\nёлки?\nёлке?\n");

    run = RunCli({ "forms", "--rules", rules, "дернуть" });
    EXPECT_EQ(run.Out, "Глагол (махнуть)\nдернёшь\nдернёт\n");

    // The shipped rules beside the program.
    run = RunCli({ "forms", "ёлка" });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out.rfind("Существительное (ёлка)\nёлка\nёлки\n", 0), 0u) << run.Out;

    EXPECT_EQ(RunCli({ "forms", "--rules", dir.Path() + "/none.dat", "ёлка" }).Code, 3);
}

TEST(CliTags, ShowsEverySpellingWithItsReadings)
{
    TCliRun run = RunCli({ "tags", "все" });
    EXPECT_EQ(run.Code, 0) << run.Err;
    // Both spellings, each followed by its readings in Russian and OpenCorpora names.
    const auto plain = run.Out.find("все\n");
    const auto dotted = run.Out.find("всё\n");
    ASSERT_NE(plain, std::string::npos) << run.Out;
    ASSERT_NE(dotted, std::string::npos) << run.Out;
    EXPECT_LT(plain, dotted);
    EXPECT_NE(run.Out.find("все\n  прил. мн. ч. им. п. местоим. (ADJF plur nomn Apro)\n"), std::string::npos)
        << run.Out;
    EXPECT_NE(
        run.Out.find("  прил. ср. р. ед. ч. им. п. местоим. (ADJF neut sing nomn Apro)\n"), std::string::npos)
        << run.Out;
    // Written with ё, the word is found all the same.
    EXPECT_EQ(RunCli({ "tags", "всё" }).Out, run.Out);

    run = RunCli({ "tags", "щщщщ" });
    EXPECT_EQ(run.Code, 1);
    EXPECT_NE(run.Err.find("не знает слова \"щщщщ\""), std::string::npos) << run.Err;

    TTempDir dir;
    const std::string damaged = dir.Write("tags.dat", "TILDOTAG damaged");
    run = RunCli({ "tags", "--tags", damaged, "все" });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find(damaged), std::string::npos) << run.Err;
    EXPECT_NE(RunCli({ "--help" }).Out.find("tildo-cli tags"), std::string::npos);
}

TEST(CliHelp, RussianHelpAndVersion)
{
    TCliRun run = RunCli({ "--help" });
    EXPECT_EQ(run.Code, 0);
    EXPECT_NE(run.Out.find("Использование"), std::string::npos);
    EXPECT_NE(run.Out.find("--unanswered keep|cancel|ask"), std::string::npos);
    run = RunCli({ "find", "-h" });
    EXPECT_NE(run.Out.find("СТРОКА:СТОЛБЕЦ:ТЕКСТ"), std::string::npos);
    run = RunCli({ "--version" });
    EXPECT_EQ(run.Code, 0);
    EXPECT_EQ(run.Out.rfind("tildo-cli ", 0), 0u);
}

} // namespace
} // namespace tildo::test
