// tildo-cli find against patterns and texts that would make it hang or
// swallow memory.

#include "child_process.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace tildo::test {
namespace {

TEST(ReliableSearch, RunawayPatternsStopWithTheirOwnMessage)
{
    TTempDir dir;
    const std::string text = dir.Write("a.txt", std::string(40, 'a') + "c\nb\n");
    for (const char* pattern : { "(a+)+b", "(.*a){20}b", "(a|aa)+b" }) {
        const TChildResult run = RunChild({ .Args = { "find", pattern, text } });
        EXPECT_EQ(run.Code, 2) << pattern;
        EXPECT_NE(run.Err.find("образец слишком сложен"), std::string::npos) << run.Err;
    }
}

TEST(ReliableSearch, MatchesAreStreamedNotKept)
{
    TTempDir dir;
    // Every position of an 8 MB text matches the empty pattern.
    const std::string text = dir.Write("a.txt", std::string(8 << 20, 'x'));
    const std::string out = dir.Path() + "/out";
    const TChildResult all = RunChild({ .Args = { "find", "", text }, .StdoutPath = out });
    ASSERT_EQ(all.Code, 0) << all.Err;
    std::uintmax_t expected = 0; // "1:COLUMN:" and a line break for each position
    for (int column = 1; column <= (8 << 20) + 1; ++column)
        expected += 4 + std::to_string(column).size();
    EXPECT_EQ(std::filesystem::file_size(out), expected);
    const TChildResult none = RunChild({ .Args = { "find", "y", text } });
    ASSERT_EQ(none.Code, 0) << none.Err;
    // Kept matches and their printed lines would take tens of bytes for each
    // of the 8 M matches; streamed, the search holds what finding none does.
    EXPECT_LT(all.MaxResidentKb, none.MaxResidentKb + 16 * 1024) << none.MaxResidentKb;
}

} // namespace
} // namespace tildo::test
