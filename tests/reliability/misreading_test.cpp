// Inputs that used to be misread in silence: they must be read right or
// refused aloud.

#include "child_process.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace tildo::test {
namespace {

TEST(AloudMisreading, BrokenUtf8UnknownFictionBookEncodingAndMissingGroups)
{
    TTempDir dir;
    const std::string dic = SmallDictionary(dir);

    // One stray byte in a UTF-8 text: read as CP1251 (nothing changes), but
    // the user is told where and how to insist.
    const std::string broken = "еще елка \xFF все\n";
    const std::string text = dir.Write("broken.txt", broken);
    TChildResult run = RunChild({ .Args = { "-d", dic, text } });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, broken);
    EXPECT_NE(run.Err.find("0xFF"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("смещению 16"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("--encoding utf-8"), std::string::npos) << run.Err;
    run = RunChild({ .Args = { "-d", dic, "--encoding", "utf-8", text } });
    EXPECT_EQ(run.Out, "ещё ёлка \xFF все\n");
    EXPECT_EQ(run.Err.find("--encoding"), std::string::npos) << run.Err;
    // The same far into a long text read in many pieces, and into one line
    // longer than any piece.
    std::string lines;
    while (lines.size() < (5 << 20))
        lines += "еще елка и все такое\n";
    std::string oneLine = lines;
    std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
    for (const std::string& head : { lines, oneLine }) {
        run = RunChild(
            { .Args = { "-d", dic, "-o", dir.Path() + "/out.txt", dir.Write("long.txt", head + broken) } });
        EXPECT_EQ(run.Code, 0) << run.Err;
        EXPECT_NE(run.Err.find("смещению " + std::to_string(head.size() + 16)), std::string::npos) << run.Err;
    }
    // A CP1251 text gives no such warning.
    run = RunChild({ .Args = { "-d", dic, dir.Write("cp.txt", W("еще елка\n")) } });
    EXPECT_EQ(run.Out, W("ещё ёлка\n"));
    EXPECT_EQ(run.Err.find("UTF-8"), std::string::npos) << run.Err;

    // A FictionBook in KOI8-R is read and written in KOI8-R; one in an
    // encoding not read is refused, not passed through unchanged.
    const std::string koi
        = "<?xml version=\"1.0\" encoding=\"KOI8-R\"?>\n<FictionBook><body><p>\xC5\xDD\xC5</p>"
          "</body></FictionBook>\n";
    const std::string book = dir.Write("book.fb2", koi);
    run = RunChild({ .Args = { "-d", dic, "-i", book } });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(ReadFile(book),
        "<?xml version=\"1.0\" encoding=\"KOI8-R\"?>\n<FictionBook><body><p>\xC5\xDD\xA3</p>"
        "</body></FictionBook>\n");
    const std::string big5
        = "<?xml version=\"1.0\" encoding=\"Big5\"?>\n<FictionBook><body><p>\xC5\xDD\xC5</p>"
          "</body></FictionBook>\n";
    const std::string other = dir.Write("other.fb2", big5);
    run = RunChild({ .Args = { "-d", dic, "-i", other } });
    EXPECT_EQ(run.Code, 3);
    EXPECT_NE(run.Err.find("big5"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadFile(other), big5);

    // A backreference to a group the pattern lacks is a pattern error.
    for (const char* pattern : { "\\15", "(a)\\2", "a\\1" }) {
        run = RunChild({ .Args = { "find", pattern, text } });
        EXPECT_EQ(run.Code, 2) << pattern;
        EXPECT_NE(run.Err.find("Does Not Exist"), std::string::npos) << run.Err;
    }
}

} // namespace
} // namespace tildo::test
