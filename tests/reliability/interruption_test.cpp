// tildo-cli ended from outside: signals, a file size limit, full devices.

#include "child_process.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tildo::test {
namespace {

namespace fs = std::filesystem;

std::string LargeText(std::size_t bytes)
{
    std::string text;
    while (text.size() < bytes)
        text += "еще елка и все такое, что было " + std::to_string(text.size()) + "\n";
    return text;
}

// A full device of our own where the system lets us make one.
std::string FullDevice(const TTempDir& dir)
{
    const std::string path = dir.Path() + "/full";
    return ::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0 ? path : "/dev/full";
}

// Waits until a file is created in dir (the writer's temporary file).
bool WaitForCreation(int watch)
{
    alignas(inotify_event) char buffer[4096];
    return ::read(watch, buffer, sizeof buffer) > 0;
}

TEST(Interruption, SignalsEndTheRunWithAMessageAndLeaveNoTemporaryFile)
{
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);
    const std::string text = LargeText(8 << 20);
    for (const int signal : { SIGTERM, SIGINT, SIGHUP }) {
        const std::string path = dir.Write("big.txt", text);
        const int watch = ::inotify_init1(IN_CLOEXEC);
        ASSERT_GE(watch, 0);
        ::inotify_add_watch(watch, dir.Path().c_str(), IN_CREATE);
        TChild child({ .Args = { "-d", dic, "-i", path } });
        // The signal arrives while the new text is being written.
        ASSERT_TRUE(WaitForCreation(watch));
        child.Signal(signal);
        const TChildResult run = child.Wait();
        ::close(watch);
        EXPECT_EQ(run.Signal, signal);
        EXPECT_NE(run.Err.find("прервано"), std::string::npos) << run.Err;
        EXPECT_TRUE(LeftoverTemporaries(dir.Path()).empty()) << signal;
        const std::string after = ReadFile(path);
        EXPECT_TRUE(after == text || after.size() == text.size()) << "the text is whole";
    }

    // A batch on two threads: every thread's temporary file goes.
    {
        const std::string a = dir.Write("a.txt", text);
        const std::string b = dir.Write("b.txt", text);
        const int watch = ::inotify_init1(IN_CLOEXEC);
        ASSERT_GE(watch, 0);
        ::inotify_add_watch(watch, dir.Path().c_str(), IN_CREATE);
        TChild child({ .Args = { "-d", dic, "-j", "2", "-i", a, b } });
        ASSERT_TRUE(WaitForCreation(watch));
        child.Signal(SIGTERM);
        const TChildResult run = child.Wait();
        ::close(watch);
        EXPECT_EQ(run.Signal, SIGTERM);
        EXPECT_TRUE(LeftoverTemporaries(dir.Path()).empty());
        for (const std::string& path : { a, b })
            EXPECT_EQ(ReadFile(path).size(), text.size());
    }

    // A signal while a question waits for its answer.
    const std::string path = dir.Write("small.txt", "все\n");
    TChild child({ .Args = { "-d", dic, "-i", "--unanswered", "ask", path }, .Terminal = true });
    ASSERT_TRUE(child.WaitForTerminal("Отмена"));
    child.Signal(SIGTERM);
    const TChildResult run = child.Wait();
    EXPECT_EQ(run.Signal, SIGTERM);
    EXPECT_NE(run.Err.find("прервано"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadFile(path), "все\n");
}

TEST(Interruption, FileSizeLimitIsAWriteError)
{
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);
    const std::string text = LargeText(64 << 10);
    const std::string path = dir.Write("a.txt", text);

    TChildResult run
        = RunChild({ .Args = { "-d", dic, path, "-o", dir.Path() + "/out.txt" }, .FileSizeLimit = 16 << 10 });
    EXPECT_EQ(run.Code, 3);
    EXPECT_EQ(run.Signal, 0);
    EXPECT_NE(run.Err.find("out.txt"), std::string::npos) << run.Err;
    EXPECT_FALSE(fs::exists(dir.Path() + "/out.txt"));

    run = RunChild({ .Args = { "-d", dic, "-i", path }, .FileSizeLimit = 16 << 10 });
    EXPECT_EQ(run.Code, 3);
    EXPECT_EQ(ReadFile(path), text);
    EXPECT_TRUE(LeftoverTemporaries(dir.Path()).empty());
}

TEST(Interruption, FullStandardOutputOrErrorIsReportedNotAborted)
{
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);
    const std::string full = FullDevice(dir);
    const std::string path = dir.Write("a.txt", "еще\n");

    const std::vector<std::vector<std::string>> reports { { "--help" }, { "--version" },
        { "restore", "--help" }, { "-d", dic, path }, { "find", "е", path }, { "dict", "sort", dic } };
    for (const auto& args : reports) {
        const TChildResult run = RunChild({ .Args = args, .StdoutPath = full });
        EXPECT_EQ(run.Code, 3) << args.front();
        EXPECT_EQ(run.Signal, 0) << args.front();
        EXPECT_NE(run.Err.find("stdout"), std::string::npos) << run.Err;
    }

    // With nowhere to report, an in-place run still does its work and says it did.
    TChildResult run = RunChild({ .Args = { "-d", dic, "-i", path }, .StderrPath = full });
    EXPECT_EQ(run.Code, 0);
    EXPECT_EQ(ReadFile(path), "ещё\n");
    run = RunChild({ .Args = { "--version" }, .StdoutPath = full, .StderrPath = full });
    EXPECT_EQ(run.Code, 3);
    EXPECT_EQ(run.Signal, 0);
}

} // namespace
} // namespace tildo::test
