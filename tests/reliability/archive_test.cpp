// Archives built to cost the reader: many members, members that unpack to
// more than the user allows, two members of one name.

#include "child_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tildo::test {
namespace {

std::uint32_t Crc32(const std::string& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void Put(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i, value >>= 8)
        out += static_cast<char>(value & 0xFF);
}

// A zip archive of stored members, in the given order.
std::string StoredZip(const std::vector<std::pair<std::string, std::string>>& members)
{
    std::string out;
    std::string directory;
    for (const auto& [name, data] : members) {
        const auto offset = static_cast<std::uint32_t>(out.size());
        const std::uint32_t crc = Crc32(data);
        const auto size = static_cast<std::uint32_t>(data.size());
        Put(out, 0x04034b50, 4);
        Put(out, 20, 2); // version needed
        Put(out, 0, 2); // flags
        Put(out, 0, 2); // stored
        Put(out, 0, 4); // time and date
        Put(out, crc, 4);
        Put(out, size, 4);
        Put(out, size, 4);
        Put(out, static_cast<std::uint32_t>(name.size()), 2);
        Put(out, 0, 2);
        out += name;
        out += data;
        Put(directory, 0x02014b50, 4);
        Put(directory, 20, 2);
        Put(directory, 20, 2);
        Put(directory, 0, 2);
        Put(directory, 0, 2);
        Put(directory, 0, 4);
        Put(directory, crc, 4);
        Put(directory, size, 4);
        Put(directory, size, 4);
        Put(directory, static_cast<std::uint32_t>(name.size()), 2);
        Put(directory, 0, 2); // extra
        Put(directory, 0, 2); // comment
        Put(directory, 0, 2); // disk
        Put(directory, 0, 2); // internal attributes
        Put(directory, 0, 4); // external attributes
        Put(directory, offset, 4);
        directory += name;
    }
    const auto directoryAt = static_cast<std::uint32_t>(out.size());
    out += directory;
    Put(out, 0x06054b50, 4);
    Put(out, 0, 2);
    Put(out, 0, 2);
    Put(out, static_cast<std::uint32_t>(members.size()), 2);
    Put(out, static_cast<std::uint32_t>(members.size()), 2);
    Put(out, static_cast<std::uint32_t>(directory.size()), 4);
    Put(out, directoryAt, 4);
    Put(out, 0, 2);
    return out;
}

const std::string WordNs = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

std::string WordPart(const std::string& root, const std::string& text)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:" + root + " " + WordNs + "><w:p><w:r><w:t>" + text
        + "</w:t></w:r></w:p></w:" + root + ">";
}

std::size_t Count(const std::string& s, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
        ++n;
    return n;
}

TEST(ArchiveLimits, ManyMembersUnpackedSizeAndTwinMembers)
{
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);

    // Thousands of header parts: each is found and read without going over
    // the whole directory again.
    std::vector<std::pair<std::string, std::string>> members { { "word/document.xml",
        WordPart("document", "еще") } };
    constexpr int Headers = 4000;
    for (int i = 1; i <= Headers; ++i)
        members.emplace_back("word/header" + std::to_string(i) + ".xml", WordPart("hdr", "еж"));
    const std::string many = dir.Write("many.docx", StoredZip(members));
    const auto start = std::chrono::steady_clock::now();
    TChildResult run = RunChild({ .Args = { "-d", dic, "-o", dir.Path() + "/many-out.docx", many } });
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_LT(seconds, 30.0);
    const std::string manyOut = ReadFile(dir.Path() + "/many-out.docx");
    EXPECT_EQ(Count(manyOut, "<w:t>ёж</w:t>"), static_cast<std::size_t>(Headers));
    EXPECT_EQ(Count(manyOut, "<w:t>ещё</w:t>"), 1u);

    // A document whose members unpack to more than allowed is refused and
    // nothing is written; a higher limit lets it through.
    const std::string big = dir.Write("big.docx",
        StoredZip({ { "word/document.xml", WordPart("document", "еще") },
            { "word/media/padding.bin", std::string(3 << 20, 'x') } }));
    const std::string bigOut = dir.Path() + "/big-out.docx";
    run = RunChild({ .Args = { "-d", dic, "--max-unpacked", "1M", "-o", bigOut, big } });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("--max-unpacked"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadFile(bigOut), "");
    run = RunChild({ .Args = { "-d", dic, "--max-unpacked", "4M", "-o", bigOut, big } });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(Count(ReadFile(bigOut), "<w:t>ещё</w:t>"), 1u);

    // Two members of one name: readers disagree on which is the document, so
    // the archive is refused whichever comes first.
    const std::string twins = StoredZip({ { "word/document.xml", WordPart("document", "еще") },
        { "word/document.xml", WordPart("document", "еж") } });
    const std::string twinsPath = dir.Write("twins.docx", twins);
    run = RunChild({ .Args = { "-d", dic, "-i", twinsPath } });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("word/document.xml"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadFile(twinsPath), twins);

    // A book whose table of contents is broken XML: the member and the
    // reason named in Russian, on one line.
    const std::string book = dir.Write("book.epub",
        StoredZip({ { "mimetype", "application/epub+zip" },
            { "META-INF/container.xml", "<container><rootfiles" } }));
    run = RunChild({ .Args = { "-d", dic, book } });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("book.epub"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("META-INF/container.xml"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("испорчен открывающий тег"), std::string::npos) << run.Err;
    EXPECT_EQ(run.Err.find("Error parsing"), std::string::npos) << run.Err;
    EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
}

// Writes bytes to path leaving every block of zeros a hole: a file that
// takes far less room on the disk than its size.
void WriteSparse(const std::string& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    constexpr std::size_t Block = 4096;
    const std::string zeros(Block, '\0');
    for (std::size_t at = 0; at < bytes.size(); at += Block) {
        const std::string_view block = std::string_view(bytes).substr(at, Block);
        if (block.size() == Block && block == zeros)
            continue;
        ASSERT_EQ(::pwrite(fd, block.data(), block.size(), static_cast<off_t>(at)),
            static_cast<ssize_t>(block.size()));
    }
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(bytes.size())), 0);
    ::close(fd);
}

// A document with two names is rewritten in place, after the room for the
// result is reserved. Here the result, gathered aside, fits on the disk, but
// the room for it in the file does not: the original is mostly a hole, so
// reserving takes as much again. The refusal must leave both names whole.
TEST(ReliableOutput, AReservationThatFailsLeavesADocumentWithTwoNamesWhole)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a small tmpfs for a full disk needs root";
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);
    const std::string disk = dir.Path() + "/disk";
    std::filesystem::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=3m") != 0)
        GTEST_SKIP() << "tmpfs could not be mounted here";
    const std::string document = StoredZip({ { "word/document.xml", WordPart("document", "еще елка") },
        { "word/media/blank.bin", std::string(std::size_t(2) << 20, '\0') } });
    const std::string file = disk + "/a.docx";
    const std::string twin = disk + "/b.docx";
    WriteSparse(file, document);
    std::filesystem::create_hard_link(file, twin);
    struct stat st
    {
    };
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    const auto free = std::filesystem::space(disk).available;
    if (st.st_blocks * 512 > 256 * 1024 || free < document.size() + 64 * 1024 || free > 2 * document.size())
        GTEST_SKIP() << "this file system keeps no holes or has other room than planned";

    const TChildResult run = RunChild({ .Args = { "-d", dic, "-i", file } });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("места для нового"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("a.docx"), std::string::npos) << run.Err;
    EXPECT_TRUE(ReadFile(file) == document);
    EXPECT_TRUE(ReadFile(twin) == document);
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 2u);
    // No scratch copy is left to fill the disk.
    EXPECT_GT(std::filesystem::space(disk).available, free - 64 * 1024);
    ::umount(disk.c_str());

    // With room for both, the same document is restored under both names.
    const std::string roomy = dir.Path() + "/c.docx";
    WriteSparse(roomy, document);
    std::filesystem::create_hard_link(roomy, dir.Path() + "/d.docx");
    EXPECT_EQ(RunChild({ .Args = { "-d", dic, "-i", roomy } }).Code, 0);
    EXPECT_NE(ReadFile(dir.Path() + "/d.docx").find("ещё ёлка"), std::string::npos);
}

} // namespace
} // namespace tildo::test
