#include "platform/file_io.h"
#include "support/recording_ui.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
    struct stat st {};
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

} // namespace
} // namespace tildo
