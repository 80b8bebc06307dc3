// Where tildo-cli writes: outputs that are not plain files, and files in
// place that other programs and other names share.

#include "child_process.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace tildo::test {
namespace {

namespace fs = std::filesystem;

const std::string Text = "еще елка\n";
const std::string Restored = "ещё ёлка\n";

std::vector<std::string> Restore(const std::string& dic, std::vector<std::string> args)
{
    args.insert(args.begin(), { "-d", dic });
    return args;
}

TEST(ReliableOutput, DevicesPipesAndLinksAreWrittenIntoNotReplaced)
{
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);
    const std::string text = dir.Write("a.txt", Text);

    // A character device of our own (the null device's numbers).
    const std::string device = dir.Path() + "/null";
    const bool haveDevice = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    const std::string sink = haveDevice ? device : "/dev/null";
    const std::string link = dir.Path() + "/to-null";
    fs::create_symlink(sink, link);
    if (haveDevice) {
        const TChildResult run = RunChild({ .Args = Restore(dic, { text, "-o", device }) });
        EXPECT_EQ(run.Code, 0) << run.Err;
        EXPECT_TRUE(fs::is_character_file(fs::symlink_status(device)));
    }
    TChildResult run = RunChild({ .Args = Restore(dic, { text, "-o", link }) });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_TRUE(fs::is_character_file(fs::status(link)));

    // A pipe: its reader gets the text and the pipe stays a pipe.
    const std::string fifo = dir.Path() + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::string got;
    std::thread reader([&] { got = ReadPipe(fifo, 5); });
    run = RunChild({ .Args = Restore(dic, { text, "-o", fifo }) });
    reader.join();
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(got, Restored);
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));
    // Standard output named as a path, when it is a pipe.
    const std::string stdoutPipe = dir.Path() + "/stdout";
    ASSERT_EQ(::mkfifo(stdoutPipe.c_str(), 0644), 0);
    std::thread stdoutReader([&] { got = ReadPipe(stdoutPipe, 5); });
    run = RunChild({ .Args = Restore(dic, { text, "-o", "/dev/stdout" }), .StdoutPath = stdoutPipe });
    stdoutReader.join();
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(got, Restored);

    // A link to a regular file: the file behind it gets the text, the link stays.
    const std::string target = dir.Write("target.txt", "old");
    const std::string fileLink = dir.Path() + "/to-target";
    fs::create_symlink("target.txt", fileLink);
    run = RunChild({ .Args = Restore(dic, { text, "-o", fileLink }) });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(fileLink)));
    EXPECT_EQ(ReadFile(target), Restored);
    EXPECT_EQ(ReadFile(text), Text);
    EXPECT_TRUE(LeftoverTemporaries(dir.Path()).empty());
}

// Runs -i on a file and, while the pass waits for an answer on the terminal,
// lets `meddle` act as another program; then answers and waits.
TChildResult InPlaceWithMeddling(const std::string& dic, const std::string& path,
    std::vector<std::string> extra, const std::function<void()>& meddle)
{
    std::vector<std::string> args = Restore(dic, { "-i", "--unanswered", "ask", path });
    args.insert(args.end(), extra.begin(), extra.end());
    TChild child({ .Args = args, .Terminal = true });
    const bool asked = child.WaitForTerminal("Отмена");
    meddle();
    child.Type("1\n");
    TChildResult result = child.Wait();
    EXPECT_TRUE(asked) << result.Err;
    return result;
}

TEST(ReliableOutput, InPlaceRefusesAFileSomebodyElseChangedMeanwhile)
{
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);
    const std::string original = W("все еще\n");
    const std::string path = dir.Write("a.txt", original);

    // Replaced by rename, as editors save: the new content stays, the
    // original is nowhere overwritten, the backup is not made of the newcomer.
    TChildResult run = InPlaceWithMeddling(
        dic, path, { "--backup", ".bak" }, [&] { fs::rename(dir.Write("new.txt", "their text\n"), path); });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("изменился"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadFile(path), "their text\n");
    EXPECT_FALSE(fs::exists(path + ".bak"));
    EXPECT_TRUE(LeftoverTemporaries(dir.Path()).empty());

    // Appended to in place.
    dir.Write("b.txt", original);
    run = InPlaceWithMeddling(dic, dir.Path() + "/b.txt", {},
        [&] { std::ofstream(dir.Path() + "/b.txt", std::ios::app) << "more\n"; });
    EXPECT_EQ(run.Code, 3);
    EXPECT_EQ(ReadFile(dir.Path() + "/b.txt"), original + "more\n");

    // Left alone, the same run writes.
    dir.Write("c.txt", original);
    run = InPlaceWithMeddling(dic, dir.Path() + "/c.txt", {}, [] {});
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(ReadFile(dir.Path() + "/c.txt"), W("всё ещё\n"));
    EXPECT_TRUE(LeftoverTemporaries(dir.Path()).empty());
}

TEST(ReliableOutput, InPlaceKeepsOwnerHardLinksAndReadOnlyFiles)
{
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);

    // A read-only file is refused, and replaced (still read-only) with --force.
    const std::string locked = dir.Write("locked.txt", Text);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read);
    TChildResult run = RunChild({ .Args = Restore(dic, { "-i", locked }) });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("только для чтения"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadFile(locked), Text);
    run = RunChild({ .Args = Restore(dic, { "-i", "--force", locked }) });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(ReadFile(locked), Restored);
    EXPECT_EQ(
        fs::status(locked).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::group_read);

    // Two names of one file: both see the new text, the backup keeps the old.
    const std::string first = dir.Write("first.txt", Text);
    const std::string second = dir.Path() + "/second.txt";
    fs::create_hard_link(first, second);
    run = RunChild({ .Args = Restore(dic, { "-i", "--backup", "~", first }) });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(ReadFile(first), Restored);
    EXPECT_EQ(ReadFile(second), Restored);
    EXPECT_EQ(fs::hard_link_count(first), 2U);
    EXPECT_EQ(ReadFile(first + "~"), Text);

    // The owner and group stay (a change of owner needs the privilege to make it).
    const std::string owned = dir.Write("owned.txt", Text);
    if (::chown(owned.c_str(), 65534, 65534) == 0) {
        run = RunChild({ .Args = Restore(dic, { "-i", owned }) });
        EXPECT_EQ(run.Code, 0) << run.Err;
        struct stat st
        {
        };
        ASSERT_EQ(::stat(owned.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 65534U);
        EXPECT_EQ(st.st_gid, 65534U);
        EXPECT_EQ(ReadFile(owned), Restored);
    }
    EXPECT_TRUE(LeftoverTemporaries(dir.Path()).empty());
}

TEST(ReliableOutput, BatchesFollowTheSameRulesFileByFile)
{
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);
    const std::string a = dir.Write("a.txt", Text);
    const std::string b = dir.Write("b.txt", Text);
    const std::string c = dir.Write("c.txt", Text);

    // -o DIR: a name there that is a pipe is written into, a link is followed.
    const std::string out = dir.Path() + "/out";
    fs::create_directory(out);
    ASSERT_EQ(::mkfifo((out + "/a.txt").c_str(), 0644), 0);
    const std::string elsewhere = dir.Write("elsewhere.txt", "old");
    fs::create_symlink(elsewhere, out + "/b.txt");
    std::string got;
    std::thread reader([&] { got = ReadPipe(out + "/a.txt", 5); });
    TChildResult run = RunChild({ .Args = Restore(dic, { "-j", "2", "-o", out, a, b, c }) });
    reader.join();
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(got, Restored);
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(out + "/a.txt")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(out + "/b.txt")));
    EXPECT_EQ(ReadFile(elsewhere), Restored);
    EXPECT_EQ(ReadFile(out + "/c.txt"), Restored);

    // -i: a read-only file fails alone; --force reaches every file of the
    // batch; a file with two names is rewritten under both.
    fs::permissions(a, fs::perms::owner_read);
    const std::string alias = dir.Path() + "/alias.txt";
    fs::create_hard_link(b, alias);
    run = RunChild({ .Args = Restore(dic, { "-j", "2", "-i", "--backup", ".bak", a, b }) });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("только для чтения"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadFile(a), Text);
    EXPECT_EQ(ReadFile(alias), Restored);
    EXPECT_EQ(fs::hard_link_count(b), 2U);
    EXPECT_EQ(ReadFile(b + ".bak"), Text);
    run = RunChild({ .Args = Restore(dic, { "-j", "2", "-i", "--force", a, c }) });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(ReadFile(a), Restored);
    EXPECT_EQ(fs::status(a).permissions() & fs::perms::all, fs::perms::owner_read);
    EXPECT_TRUE(LeftoverTemporaries(dir.Path()).empty());
    EXPECT_TRUE(LeftoverTemporaries(out).empty());
}

TEST(ReliableOutput, StreamedInPlaceRefusesAFileChangedDuringThePass)
{
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);
    std::string text;
    while (text.size() < (16 << 20))
        text += "еще елка и все такое " + std::to_string(text.size()) + "\n";
    const std::string path = dir.Write("big.txt", text);
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ::inotify_add_watch(watch, dir.Path().c_str(), IN_CREATE);
    TChild child({ .Args = Restore(dic, { "-i", path }) });
    // Appended to while the new text is being written.
    alignas(inotify_event) char events[4096];
    ASSERT_GT(::read(watch, events, sizeof events), 0);
    std::ofstream(path, std::ios::app) << "more\n";
    const TChildResult run = child.Wait();
    ::close(watch);
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("изменился"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadFile(path), text + "more\n");
    EXPECT_TRUE(LeftoverTemporaries(dir.Path()).empty());
}

// A report, a dictionary rewritten in place: the same rules as -o.
TEST(ReliableOutput, ReportsAndDictionariesFollowTheOutputRules)
{
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);
    const std::string text = dir.Write("a.txt", Text);

    // The report into a pipe: its reader gets the report, the pipe stays.
    const std::string fifo = dir.Path() + "/report-pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::string got;
    std::thread reader([&] { got = ReadPipe(fifo, 5); });
    TChildResult run = RunChild({ .Args = Restore(dic, { text, "--report", fifo }), .TimeoutSeconds = 20 });
    reader.join();
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_NE(got.find("\"questions\""), std::string::npos) << got;
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));

    // Through a link: the link stays, the file behind it gets the report.
    const std::string target = dir.Write("report.json", "old");
    const std::string link = dir.Path() + "/report-link";
    fs::create_symlink("report.json", link);
    run = RunChild({ .Args = Restore(dic, { text, "--report", link }) });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_NE(ReadFile(target).find("\"questions\""), std::string::npos);

    // A socket is no place for a report: refused before the text is written.
    const std::string socketPath = dir.Path() + "/sock";
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string out = dir.Path() + "/out.txt";
    run = RunChild({ .Args = Restore(dic, { text, "-o", out, "--report", socketPath }) });
    ::close(sock);
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("сокет"), std::string::npos) << run.Err;
    EXPECT_TRUE(fs::is_socket(fs::symlink_status(socketPath)));
    EXPECT_FALSE(fs::exists(out));

    // -o over a read-only file: refused as -i refuses it, replaced with --force.
    const std::string readOnly = dir.Write("ro.txt", "old");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    run = RunChild({ .Args = Restore(dic, { text, "-o", readOnly }) });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("только для чтения"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadFile(readOnly), "old");
    run = RunChild({ .Args = Restore(dic, { text, "-o", readOnly, "--force" }) });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(ReadFile(readOnly), Restored);

    // Another user's file keeps its owner (root may give it back; others are refused).
    const std::string theirs = dir.Write("theirs.txt", "old");
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
        run = RunChild({ .Args = Restore(dic, { text, "-o", theirs }) });
        EXPECT_EQ(run.Code, 0) << run.Err;
        struct stat st
        {
        };
        ASSERT_EQ(::stat(theirs.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(ReadFile(theirs), Restored);
    }

    // dict sort -i: through a link, with a second name, read-only, a pipe.
    const std::string words = dir.Write("words.txt", "zeta\nalpha\n");
    const std::string wordsLink = dir.Path() + "/words-link";
    const std::string wordsTwin = dir.Path() + "/words-twin";
    fs::create_symlink("words.txt", wordsLink);
    fs::create_hard_link(words, wordsTwin);
    run = RunChild({ .Args = { "dict", "sort", "-i", wordsLink } });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(wordsLink)));
    EXPECT_EQ(ReadFile(words), "alpha\r\nzeta\r\n");
    EXPECT_EQ(ReadFile(wordsTwin), ReadFile(words));
    EXPECT_EQ(fs::hard_link_count(words), 2u);
    const std::string frozen = dir.Write("frozen.txt", "zeta\nzeta\n");
    fs::permissions(frozen, fs::perms::owner_read);
    EXPECT_EQ(RunChild({ .Args = { "dict", "dedupe", "-i", frozen } }).Code, 3);
    EXPECT_EQ(ReadFile(frozen), "zeta\nzeta\n");
    const std::string wordsPipe = dir.Path() + "/words-pipe";
    ASSERT_EQ(::mkfifo(wordsPipe.c_str(), 0644), 0);
    run = RunChild({ .Args = { "dict", "sort", "-i", wordsPipe }, .TimeoutSeconds = 20 });
    EXPECT_EQ(run.Code, 3);
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(wordsPipe)));
    EXPECT_TRUE(LeftoverTemporaries(dir.Path()).empty());
}

// Two parts for one file, or an output without a folder: refused before a
// byte is read or written.
TEST(ReliableOutput, OneFileInTwoPartsOrNowhereToWriteStopsTheRunFirst)
{
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);
    const std::string text = dir.Write("a.txt", Text);
    const std::string twin = dir.Path() + "/twin.txt";
    fs::create_hard_link(text, twin);
    const std::string out = dir.Path() + "/out.txt";
    const std::string dotted = dir.Path() + "/./out.txt";
    const std::string link = dir.Path() + "/to-out";
    fs::create_symlink("out.txt", link);
    for (const std::vector<std::string>& args : { std::vector<std::string> { "-i", "--report", text, text },
             { text, "-o", out, "--report", dotted }, { text, "-o", twin },
             { text, "-o", out, "--report", link }, { "-i", "--backup", ".b", text, "--report", text + ".b" },
             { text, "-o", out, "--decisions", twin } }) {
        const TChildResult run = RunChild({ .Args = Restore(dic, args) });
        EXPECT_EQ(run.Code, 2) << run.Err;
        EXPECT_NE(run.Err.find("один и тот же файл"), std::string::npos) << run.Err;
        EXPECT_EQ(ReadFile(text), Text);
        EXPECT_FALSE(fs::exists(out));
    }

    // A report with no folder to go to: the text is not written either.
    TChildResult run
        = RunChild({ .Args = Restore(dic, { text, "-o", out, "--report", dir.Path() + "/no/r.json" }) });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("нет каталога"), std::string::npos) << run.Err;
    EXPECT_FALSE(fs::exists(out));

    // A name of 254 bytes is rewritten in place: the scratch name still fits.
    const std::string longName = dir.Write(std::string(250, 'x') + ".txt", Text);
    run = RunChild({ .Args = Restore(dic, { "-i", longName }) });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(ReadFile(longName), Restored);
    EXPECT_TRUE(LeftoverTemporaries(dir.Path()).empty());
}

// A file with two names on a disk without room for its new text is left
// whole under both. Needs a small file system of its own: root only.
TEST(ReliableOutput, AFullDiskLeavesAFileWithTwoNamesWhole)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a small tmpfs for a full disk needs root";
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);
    const std::string disk = dir.Path() + "/disk";
    fs::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "tmpfs could not be mounted here";
    // Plain text grows when ё is restored (two bytes in UTF-8 as е): 200 KB
    // of it cannot be written again once the disk is nearly full.
    std::string big;
    while (big.size() < 200'000)
        big += "еще елка\n";
    const std::string file = disk + "/a.txt";
    const std::string twin = disk + "/b.txt";
    {
        std::ofstream(file) << big;
    }
    fs::create_hard_link(file, twin);
    {
        std::ofstream filler(disk + "/filler");
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size()))
            if (fs::space(disk).available < 8192)
                break;
    }
    const TChildResult run = RunChild({ .Args = Restore(dic, { "-i", file }) });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("нет места на диске"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadFile(file), big);
    EXPECT_EQ(ReadFile(twin), big);
    EXPECT_EQ(run.Err.find("No space"), std::string::npos) << run.Err;
    ::umount(disk.c_str());
}

TEST(ReliableInput, DevicesAreRefusedPipesAreRead)
{
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);
    const std::string text = dir.Write("a.txt", Text);

    // A device that never ends (the zero device's numbers), and a directory.
    const std::string zero = dir.Path() + "/zero";
    const std::string device = ::mknod(zero.c_str(), S_IFCHR | 0666, makedev(1, 5)) == 0 ? zero : "/dev/zero";
    for (const std::vector<std::string>& args : { std::vector<std::string> { device },
             { "--unanswered", "keep", device }, { "find", "е", device }, { dir.Path() } }) {
        std::vector<std::string> full = args;
        if (args.front() != "find")
            full = Restore(dic, args);
        const TChildResult run = RunChild({ .Args = full });
        EXPECT_EQ(run.Code, 3) << args.front();
        EXPECT_NE(run.Err.find("не обычный файл"), std::string::npos) << run.Err;
    }
    // In a batch the device fails alone.
    const std::string out = dir.Path() + "/out";
    fs::create_directory(out);
    TChildResult run = RunChild({ .Args = Restore(dic, { "-j", "2", "-o", out, device, text }) });
    EXPECT_EQ(run.Code, 3);
    EXPECT_EQ(ReadFile(out + "/a.txt"), Restored);

    // A named pipe ends when its writer closes it.
    const std::string fifo = dir.Path() + "/in";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::thread writer([&] { std::ofstream(fifo) << Text; });
    run = RunChild({ .Args = Restore(dic, { fifo }) });
    writer.join();
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, Restored);

    // Binary standard input is refused at its first zero byte.
    run = RunChild({ .Args = Restore(dic, { "-" }), .Stdin = std::string(4 << 20, '\0') });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("нулевые байты"), std::string::npos) << run.Err;
}

} // namespace
} // namespace tildo::test
