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

TEST(DamagedDictionary, OneControlByteAnywhereIsFoundAndLineBreaksAndTabsAreNot)
{
    // The bytes are looked at eight at a time: a stray byte at every place
    // of such a group, and in the few bytes after the last whole group.
    TTempDir dir;
    const std::string text = dir.Write("a.txt", "еще\n");
    std::string clean = "#\ta comment\twith tabs\r\n";
    for (int i = 0; i < 120; ++i) // ёлкааа, ёлкааб, ... in order
        clean += W("ёлка") + static_cast<char>('\xE0' + i / 32) + static_cast<char>('\xE0' + i % 32) + "\r\n";
    clean += W("ещё\n");
    TChildResult run = RunChild({ .Args = { "-d", dir.Write("clean.dat", clean), text } });
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "ещё\n");
    for (const std::size_t at : { std::size_t(0), std::size_t(3), std::size_t(7), std::size_t(64 + 5),
             clean.size() - 9, clean.size() - 1 }) {
        for (const char stray : { '\x01', '\x1F', '\x0B' }) {
            std::string damaged = clean;
            damaged[at] = stray;
            run = RunChild({ .Args = { "-d", dir.Write("damaged.dat", damaged), text } });
            EXPECT_EQ(run.Code, 3) << at << " " << int(stray);
            EXPECT_NE(run.Err.find("--accept-damaged-dictionary"), std::string::npos) << run.Err;
        }
    }
    // Bytes that differ from a control byte in one bit only are letters or
    // punctuation of the code page: no finding.
    std::string near = clean + W("ё") + std::string("\x21\x41\xA0\xE1\r\n");
    run = RunChild({ .Args = { "-d", dir.Write("near.dat", near), text } });
    EXPECT_EQ(run.Err.find("двоичные"), std::string::npos) << run.Err;
}

} // namespace
} // namespace tildo::test
