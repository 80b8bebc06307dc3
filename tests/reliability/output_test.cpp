// Where tildo-cli writes: outputs that are not plain files, and files in
// place that other programs and other names share.

#include "child_process.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

} // namespace
} // namespace tildo::test
