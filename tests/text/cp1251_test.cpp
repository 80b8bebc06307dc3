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

} // namespace
} // namespace tildo
