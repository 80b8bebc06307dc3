// tildo-cli find against patterns and texts that would make it hang or
// swallow memory.

#include "child_process.h"

#include <cstdlib>
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
    // Every position of a 4 MB text matches the empty pattern.
    const std::string text = dir.Write("a.txt", std::string(4 << 20, 'x'));
    const std::string out = dir.Path() + "/out";
    // A sanitizer build keeps freed memory aside for a while; the child must
    // not, so that what it holds is what it uses.
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    ::setenv("ASAN_OPTIONS",
        (std::string(sanitizer != nullptr ? sanitizer : "") + ":quarantine_size_mb=0").c_str(), 1);
    const TChildResult all = RunChild({ .Args = { "find", "", text }, .StdoutPath = out });
    ASSERT_EQ(all.Code, 0) << all.Err;
    std::uintmax_t expected = 0; // "1:COLUMN:" and a line break for each position
    for (int column = 1; column <= (4 << 20) + 1; ++column)
        expected += 4 + std::to_string(column).size();
    EXPECT_EQ(std::filesystem::file_size(out), expected);
    const TChildResult none = RunChild({ .Args = { "find", "y", text } });
    ASSERT_EQ(none.Code, 0) << none.Err;
    // Kept matches and their printed lines would take tens of bytes for each
    // of the 4 M matches; streamed, the search holds what finding none does.
    EXPECT_LT(all.MaxResidentKb, none.MaxResidentKb + 16 * 1024) << none.MaxResidentKb;
}

} // namespace
} // namespace tildo::test
