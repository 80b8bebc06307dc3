// Dictionaries that are not dictionaries, or are damaged.

#include "child_process.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace tildo::test {
namespace {

int Lines(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST(DamagedDictionary, BinaryOrUnorderedIsRefusedUnlessAcceptedAndFindingsStayShort)
{
    TTempDir dir;
    const std::string text = dir.Write("a.txt", "еще\n");

    std::string noise;
    std::uint32_t state = 1;
    for (int i = 0; i < 200'000; ++i) {
        state = state * 1103515245u + 12345u;
        noise += static_cast<char>(state >> 24);
    }
    const std::string binary = dir.Write("binary.dat", noise);
    const std::string nul = dir.Write("nul.dat", W("ещё\r\n") + std::string(10, '\0') + W("ёж\r\n"));
    const std::string unordered = dir.Write("unordered.dat", W("ёлка\r\nёж\r\nещё\r\n"));
    for (const std::string& dic : { binary, nul, unordered }) {
        const TChildResult run = RunChild({ .Args = { "-d", dic, text } });
        EXPECT_EQ(run.Code, 3) << dic;
        EXPECT_NE(run.Err.find("--accept-damaged-dictionary"), std::string::npos) << run.Err;
        EXPECT_TRUE(run.Out.empty());
        EXPECT_LE(Lines(run.Err), 4) << run.Err;
    }
    // Accepted, the damaged dictionary serves as well as it can.
    TChildResult run = RunChild({ .Args = { "-d", unordered, "--accept-damaged-dictionary", text } });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "ещё\n");
    run = RunChild({ .Args = { "-d", binary, "--accept-damaged-dictionary", text } });
    EXPECT_LE(run.Err.size(), 2000U) << "a few short lines";

    // A combination file with thousands of faulty lines and a huge one-line
    // file give a few short lines, not one per fault or a message as big as
    // the file.
    const std::string good = SmallDictionary(dir);
    std::string many;
    for (int i = 0; i < 7553; ++i)
        many += W(i % 2 == 0 ? "я вот\r\n" : "а вот\r\n");
    std::string hugeCombination;
    while (hugeCombination.size() < (20 << 20))
        hugeCombination += W("а ");
    const std::vector<std::vector<std::string>> loads {
        { "-d", good, "-c", dir.Write("many.dat", many) },
        { "-d", good, "-c", dir.Write("huge-combi.dat", hugeCombination) },
        { "-d", dir.Write("huge.dat", W("ёж") + std::string(20 << 20, 'x')) },
    };
    for (std::vector<std::string> args : loads) {
        args.insert(args.end(), { "--accept-damaged-dictionary", text });
        run = RunChild({ .Args = args });
        EXPECT_EQ(run.Code, 0) << args[3];
        EXPECT_LE(Lines(run.Err), 4) << args[3];
        EXPECT_LE(run.Err.size(), 2000U) << args[3];
    }
    run = RunChild({ .Args = { "-d", good, "-c", dir.Path() + "/many.dat", text } });
    EXPECT_EQ(run.Code, 3);
}

} // namespace
} // namespace tildo::test
