#include "text/cp1251.h"

#include <gtest/gtest.h>

namespace tildo {
namespace {

TEST(CodePage, EveryByteRoundTrips)
{
    std::string all;
    for (int b = 0; b < 256; ++b) {
        const char16_t u = Cp1251ToUnicode(static_cast<unsigned char>(b));
        EXPECT_EQ(UnicodeToCp1251(u), b) << b;
        all += static_cast<char>(b);
    }
    EXPECT_EQ(Cp1251ToUnicode(0x98), u'\u0098');
    EXPECT_EQ(Cp1251ToUnicode(0xB8), u'ё');
    EXPECT_EQ(Cp1251ToUnicode(0xA8), u'Ё');
    EXPECT_EQ(Cp1251ToUnicode(0xB9), u'№');
    EXPECT_EQ(Cp1251ToUnicode(0x88), u'€');
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(CodePage, Utf8EdgesBecomePlaceholders)
{
    const std::string ph(1, static_cast<char>(ForeignPlaceholder));
    EXPECT_EQ(Utf8ToCp1251("\xE2\x84\xA2"), "\x99");          // ™ exists in the page
    EXPECT_EQ(Utf8ToCp1251("a\xE4\xB8\xAD" "b"), "a" + ph + "b"); // 中 does not
    EXPECT_EQ(Utf8ToCp1251("\xF0\x9F\x98\x80"), ph);           // an emoji is one character
    EXPECT_EQ(Utf8ToCp1251("\xC3"), ph);                       // truncated sequence
    EXPECT_EQ(Utf8ToCp1251("\xC0\x80"), ph + ph);              // overlong NUL is malformed
    EXPECT_EQ(Utf8ToCp1251("\xED\xA0\x80"), ph + ph + ph);     // a surrogate is malformed
    EXPECT_EQ(Cp("ёж"), "\xB8\xE6");
}

TEST(CodePage, PlainUtf8IsSkippedWholeAndOnlyThere)
{
    bool nonAscii = false;
    const std::string plain = "Ёлки и ещё раз ёлки: 42 штуки, яблоки.";
    std::size_t end = SkipPlainUtf8(plain, 0, nonAscii);
    EXPECT_TRUE(nonAscii);
    EXPECT_GT(end, plain.size() - 8); // only the last short block is left
    nonAscii = false;
    EXPECT_EQ(SkipPlainUtf8("just ASCII text here", 0, nonAscii), 16u);
    EXPECT_FALSE(nonAscii);

    // Whatever the mixture, the part skipped holds whole characters, each
    // ASCII or a valid two-byte Cyrillic one, and stops within eight bytes of
    // the first other character.
    const std::string pieces[] = { "a", " ", "е", "я", "ё", "Ѐ", "€", "\xFF", "\xD0",
        "\xD1"
        "a",
        "\x80", "\xC3\xA9" };
    unsigned seed = 11;
    for (int round = 0; round < 3000; ++round) {
        std::string s;
        const int count = round % 30;
        for (int k = 0; k < count; ++k) {
            seed = seed * 1103515245u + 12345u;
            // Mostly plain pieces, now and then another.
            const unsigned pick = (seed >> 16) % 40;
            s += pieces[pick < 34 ? pick % 6 : 6 + pick % 6];
        }
        const std::size_t start = s.empty() ? 0 : round % std::min<std::size_t>(s.size(), 3);
        std::size_t i = start;
        bool sawLetter = false;
        while (i < s.size()) {
            // Only from a character's start: a start inside one is not asked for.
            const auto b = static_cast<unsigned char>(s[i]);
            if ((b & 0xC0) != 0x80)
                break;
            ++i;
        }
        nonAscii = false;
        end = SkipPlainUtf8(s, i, nonAscii);
        ASSERT_LE(end, s.size());
        std::size_t at = i;
        while (at < end) {
            const std::size_t from = at;
            char32_t ch = 0;
            ASSERT_TRUE(NextUtf8(s, at, ch)) << round;
            ASSERT_TRUE(ch < 0x80 || (at - from == 2 && ch >= 0x400 && ch < 0x480)) << round;
            sawLetter = sawLetter || ch >= 0x80;
        }
        ASSERT_EQ(at, end) << round; // never inside a sequence
        EXPECT_EQ(nonAscii, sawLetter) << round;
        // Where it stops, something other lies within the next eight bytes.
        std::size_t plainRun = end;
        while (plainRun < s.size()) {
            const std::size_t from = plainRun;
            char32_t ch = 0;
            if (!NextUtf8(s, plainRun, ch)
                || !(ch < 0x80 || (plainRun - from == 2 && ch >= 0x400 && ch < 0x480))) {
                plainRun = from;
                break;
            }
        }
        if (plainRun == s.size())
            EXPECT_LT(s.size() - end, 9u) << round;
        else
            EXPECT_LE(plainRun - end, 8u) << round;
    }
}

} // namespace
} // namespace tildo
