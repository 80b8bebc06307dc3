#include "platform/file_io.h"
#include "support/recording_ui.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tildo {
namespace {

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    TLineReader reader(path);
    std::string_view line;
    while (reader.Next(line))
        lines.emplace_back(line);
    return lines;
}

TEST(FileIo, LineReaderSplitsOnLfAndDropsTheCr)
{
    test::TTempDir dir;
    using L = std::vector<std::string>;
    EXPECT_EQ(ReadLines(dir.Write("a", "")), L {});
    EXPECT_EQ(ReadLines(dir.Write("b", "x")), L { "x" });
    EXPECT_EQ(ReadLines(dir.Write("c", "x\r\ny\nz\r")), (L { "x", "y", "z" }));
    EXPECT_EQ(ReadLines(dir.Write("d", "\r\n\n")), (L { "", "" }));
    EXPECT_EQ(ReadLines(dir.Write("e", "a\rb\n")), L { "a\rb" });
    // Lines longer than the read block, and a CR LF split across blocks.
    std::string big(70000, 'q');
    std::string text = big + "\r\n" + std::string(65535, 'w') + "\r\nend";
    EXPECT_EQ(ReadLines(dir.Write("f", text)), (L { big, std::string(65535, 'w'), "end" }));
    EXPECT_THROW(ReadLines(dir.Path()), EFileError);
    EXPECT_THROW(ReadLines(dir.Path() + "/missing"), EFileError);
}

TEST(FileIo, AtomicWriteReplacesOrLeavesTheOriginal)
{
    test::TTempDir dir;
    const std::string path = dir.Write("t.txt", "old");
    ::chmod(path.c_str(), 0600);
    WriteFileAtomic(path, "new");
    EXPECT_EQ(ReadWholeFile(path), "new");
    struct stat st
    {
    };
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // A target in a missing directory fails with the path and leaves nothing behind.
    try {
        WriteFileAtomic(dir.Path() + "/no/such/file", "x");
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(e.Path(), dir.Path() + "/no/such/file");
        EXPECT_FALSE(e.Reason().empty());
    }
    // Renaming over a directory fails, and the temporary file is removed.
    std::filesystem::create_directory(dir.Path() + "/sub");
    EXPECT_THROW(WriteFileAtomic(dir.Path() + "/sub", "x"), EFileError);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 2); // t.txt and sub
    AppendToFile(path, "+1");
    AppendToFile(path, "+2");
    EXPECT_EQ(ReadWholeFile(path), "new+1+2");
}

TEST(FileIo, OneWriterForEveryFileAndBoundedReads)
{
    namespace fs = std::filesystem;
    test::TTempDir dir;

    // Hard links: rewritten in place, so both names see the new bytes.
    const std::string file = dir.Write("a.txt", "old");
    const std::string twin = dir.Path() + "/b.txt";
    fs::create_hard_link(file, twin);
    WriteFileAtomic(file, "new bytes");
    EXPECT_EQ(fs::hard_link_count(file), 2u);
    EXPECT_EQ(ReadWholeFile(twin), "new bytes");

    // A read-only file only with force; a pipe is not read.
    const std::string frozen = dir.Write("ro.txt", "kept");
    fs::permissions(frozen, fs::perms::owner_read);
    EXPECT_THROW(WriteFileAtomic(frozen, "x"), EFileError);
    EXPECT_EQ(ReadWholeFile(frozen), "kept");
    WriteFileAtomic(frozen, "x", true);
    EXPECT_EQ(ReadWholeFile(frozen), "x");
    const std::string fifo = dir.Path() + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_THROW(ReadWholeFile(fifo), EFileError);
    EXPECT_THROW(TLineReader reader(fifo), EFileError);
    // A pipe nobody reads is refused rather than waited for.
    EXPECT_THROW(WriteFileAtomic(fifo, "x"), EFileError);
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));

    // The limit on whole reads, and its reason naming it.
    const std::string big = dir.Write("big", std::string(100, 'x'));
    try {
        ReadWholeFile(big, nullptr, 99);
        ADD_FAILURE() << "read past the limit";
    } catch (const EFileError& e) {
        EXPECT_EQ(e.Path(), big);
        EXPECT_EQ(e.Reason(), TooLargeReason(99));
    }
    EXPECT_EQ(ReadWholeFile(big, nullptr, 100).size(), 100u);
    // Whole reads come back exact whatever the size against the read steps,
    // from a file (its size known beforehand) and from a descriptor (not).
    for (const std::size_t size : { std::size_t(0), std::size_t(1), std::size_t(65535), std::size_t(65536),
             std::size_t(65537), std::size_t(300001) }) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>('a' + i * 7 % 26);
        const std::string path = dir.Write("sized", bytes);
        const std::string read = ReadWholeFile(path);
        EXPECT_EQ(read.size(), size);
        EXPECT_TRUE(read == bytes) << size;
        const int fd = ::open(path.c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        EXPECT_TRUE(ReadWholeDescriptor(fd, path, std::int64_t(size)) == bytes) << size;
        ::close(fd);
        if (size > 0) {
            const int again = ::open(path.c_str(), O_RDONLY);
            EXPECT_THROW(ReadWholeDescriptor(again, path, std::int64_t(size) - 1), EFileError) << size;
            ::close(again);
        }
    }

    // One file by identity, not by spelling; a file yet to be made too.
    EXPECT_TRUE(SameFile(file, twin));
    EXPECT_TRUE(SameFile(file, dir.Path() + "/./a.txt"));
    EXPECT_TRUE(SameFile(dir.Path() + "/new.txt", dir.Path() + "/sub/../new.txt"));
    EXPECT_FALSE(SameFile(file, frozen));

    // A name at the longest a folder allows still gets a scratch name beside it.
    const std::string longest = dir.Path() + "/" + std::string(255, 'y');
    WriteFileAtomic(longest, "fits");
    EXPECT_EQ(ReadWholeFile(longest), "fits");

    // Messages: system reasons in our words, a name with a line break quoted.
    EXPECT_EQ(SystemErrorText(ENOSPC), "нет места на диске");
    EXPECT_EQ(SystemErrorText(EISDIR), "это каталог");
    EXPECT_EQ(PathForMessage("/a/b.txt"), "/a/b.txt");
    EXPECT_EQ(PathForMessage("a\nb\"c"), "\"a\\nb\\\"c\"");
}

} // namespace
} // namespace tildo
