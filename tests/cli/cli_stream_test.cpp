// Batches of files, JSON Lines records and the progress line through the
// built tool.

#include "cli_runner.h"

#include "cli/progress.h"

#include <gtest/gtest.h>

namespace tildo::test {
namespace {

TEST(CliBatch, FilesOnTwoThreadsEqualSingleRunsAndAFailureStopsNoOther)
{
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    const std::string a = dir.Write("a.txt", "еще елка\nвсе лет\n");
    const std::string b = dir.Write("b.txt", W("полет еще\r\nеж"));
    const std::string binary = dir.Write("c.txt", std::string("еще") + '\0');
    TTempDir outDir;

    const TCliRun run
        = RunCli({ "-d", dic, "-j", "2", "-o", outDir.Path(), a, binary, b, dir.Path() + "/none.txt" });
    EXPECT_EQ(run.Code, 3) << run.Err;
    EXPECT_NE(run.Err.find("c.txt"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("none.txt"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("файлов: 2, с ошибками: 2"), std::string::npos) << run.Err;
    for (const std::string& f : { a, b }) {
        const TCliRun single = RunCli({ "-d", dic, f });
        EXPECT_EQ(single.Code, 0);
        EXPECT_EQ(ReadFile(outDir.Path() + f.substr(f.rfind('/'))), single.Out) << f;
    }
    EXPECT_EQ(ReadFile(outDir.Path() + "/a.txt"), "ещё ёлка\nвсе лет\n");

    // In place: changed files rewritten, the failing one untouched.
    const TCliRun inPlace = RunCli({ "-d", dic, "-j", "2", "-i", a, b, binary });
    EXPECT_EQ(inPlace.Code, 3);
    EXPECT_EQ(ReadFile(a), "ещё ёлка\nвсе лет\n");
    EXPECT_EQ(ReadFile(binary), std::string("еще") + '\0');

    // A batch needs somewhere to put its results.
    EXPECT_EQ(RunCli({ "-d", dic, "-j", "2", a, b }).Code, 2);
    EXPECT_EQ(RunCli({ "-d", dic, "-o", a, a, b }).Code, 2);
}

TEST(CliJsonl, RestoresOneFieldAndLeavesEveryOtherByte)
{
    TTempDir dir;
    const std::string dic = TestDictionary(dir);
    const std::string records = "{\"id\": 1, \"doc\": {\"text\": \"Еще \\u0435\\u0449\\u0435 \\\"елка\\\"\", "
                                "\"n\": [1, {\"text\": \"еще\"}]}, \"text\": \"еще\"}\n"
                                "\n"
                                "{\"doc\":{\"text\":\"😀\\ud83d\\ude00 еж\\r\\nеще\"}}\r\n"
                                "{\"doc\": {\"text\": null}}";
    const std::string path = dir.Write("r.jsonl", records);
    TCliRun run = RunCli({ "-d", dic, "--jsonl", "doc.text", path });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out,
        "{\"id\": 1, \"doc\": {\"text\": \"Ещё \\u0435\\u0449\\u0451 \\\"ёлка\\\"\", \"n\": [1, {\"text\": "
        "\"еще\"}]}, \"text\": \"еще\"}\n"
        "\n"
        "{\"doc\":{\"text\":\"😀\\ud83d\\ude00 ёж\\r\\nещё\"}}\r\n"
        "{\"doc\": {\"text\": null}}");

    // A malformed record stops the run with its line number, or is passed on.
    const std::string bad
        = dir.Write("bad.jsonl", "{\"text\": \"еще\"}\n{\"text\": \"еще}\n[1]\n{\"text\": \"елка\"}\n");
    run = RunCli({ "-d", dic, "--jsonl", "text", "-o", dir.Path() + "/out.jsonl", bad });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("строка 2"), std::string::npos) << run.Err;
    run = RunCli({ "-d", dic, "--jsonl", "text", "--jsonl-skip-bad", bad });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "{\"text\": \"ещё\"}\n{\"text\": \"еще}\n[1]\n{\"text\": \"ёлка\"}\n");
    EXPECT_NE(run.Err.find("строка 3"), std::string::npos) << run.Err;

    // Several JSON Lines files on two threads.
    TTempDir outDir;
    run = RunCli({ "-d", dic, "--jsonl", "doc.text", "-j", "2", "-o", outDir.Path(), path,
        dir.Write("s.jsonl", "{\"doc\":{\"text\":\"еще\"}}\n") });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(ReadFile(outDir.Path() + "/s.jsonl"), "{\"doc\":{\"text\":\"ещё\"}}\n");
}

TEST(Progress, LineShowsAmountRateAndTimeLeft)
{
    EXPECT_EQ(
        ProgressLine(12'300'000, 40'000'000, 0, 0, 2.0), "12,3 МБ из 40,0 МБ · 6,2 МБ/с · осталось 0:05");
    EXPECT_EQ(ProgressLine(5'000'000, 0, 0, 0, 0.0), "5,0 МБ · 0,0 МБ/с");
    EXPECT_EQ(ProgressLine(1'000'000, 3'601'000'000, 3, 10, 1.0),
        "файлов 3 из 10 · 1,0 МБ из 3601,0 МБ · 1,0 МБ/с · осталось 1:00:00");
    // Nothing is drawn into a pipe: the tool's standard error is one in the tests.
    TTempDir dir;
    const std::string big = dir.Write("big.txt", std::string(30 << 20, 'a'));
    const TCliRun run = RunCli({ "--unanswered", "keep", "-o", dir.Path() + "/out.txt", big });
    EXPECT_EQ(run.Err.find('\r'), std::string::npos);
}

} // namespace
} // namespace tildo::test
