// Archives built to cost the reader: many members, members that unpack to
// more than the user allows, two members of one name.

#include "child_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
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

} // namespace
} // namespace tildo::test
