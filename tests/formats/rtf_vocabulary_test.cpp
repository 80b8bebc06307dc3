// How a control word is read and what it means, shared by both readers of RTF.
#include "formats/rtf_vocabulary.h"

#include <gtest/gtest.h>

#include <string>

namespace tildo {
namespace {

TEST(RtfVocabulary, ControlWordsAndSymbolsAreReadToTheirEnd)
{
    const std::string_view rtf = "\\fs-24 x\\b0\\'E5\\'g1\\~\\bin2 {}\\qq\\bin99 ab\\";
    TRtfToken t = ReadRtfToken(rtf, 0);
    EXPECT_EQ(t.Kind, TRtfTokenKind::Word);
    EXPECT_EQ(t.Word, "fs");
    EXPECT_TRUE(t.HasParam);
    EXPECT_EQ(t.Param, -24);
    EXPECT_EQ(t.NumberEnd, 6U);
    EXPECT_EQ(t.End, 7U); // the delimiting space belongs to the word
    t = ReadRtfToken(rtf, 8);
    EXPECT_EQ(t.Word, "b");
    EXPECT_EQ(t.Param, 0);
    EXPECT_TRUE(t.HasParam);
    EXPECT_EQ(t.End, 11U);
    t = ReadRtfToken(rtf, 11);
    EXPECT_EQ(t.Kind, TRtfTokenKind::Byte);
    EXPECT_EQ(t.Byte, '\xE5');
    EXPECT_EQ(t.End, 15U);
    t = ReadRtfToken(rtf, 15); // not hex: only the two characters go
    EXPECT_EQ(t.Kind, TRtfTokenKind::Nothing);
    EXPECT_EQ(t.End, 17U);
    t = ReadRtfToken(rtf, 19);
    EXPECT_EQ(t.Kind, TRtfTokenKind::Symbol);
    EXPECT_EQ(t.Byte, '~');
    t = ReadRtfToken(rtf, 21); // the braces are data
    EXPECT_EQ(t.Kind, TRtfTokenKind::Binary);
    EXPECT_EQ(t.End, 29U);
    EXPECT_EQ(ReadRtfToken(rtf, 29).Word, "qq");
    EXPECT_FALSE(ReadRtfToken(rtf, 29).HasParam);
    t = ReadRtfToken(rtf, 32); // data past the end is cut short
    EXPECT_EQ(t.Kind, TRtfTokenKind::Binary);
    EXPECT_EQ(t.End, rtf.size());
    t = ReadRtfToken(rtf, rtf.size() - 1);
    EXPECT_EQ(t.Kind, TRtfTokenKind::Nothing);
    EXPECT_EQ(t.End, rtf.size());
    // Parameters too large for an int are clamped, words too long ignored.
    EXPECT_EQ(ReadRtfToken("\\u99999999999999999999", 0).Param, INT32_MAX);
    EXPECT_EQ(ReadRtfToken("\\u-99999999999", 0).Param, INT32_MIN);
    const std::string longWord = "\\" + std::string(RtfMaxWordLength + 1, 'a');
    EXPECT_EQ(ReadRtfToken(longWord, 0).Kind, TRtfTokenKind::Overlong);
    EXPECT_EQ(ReadRtfToken("\\" + longWord.substr(2), 0).Kind, TRtfTokenKind::Word);
}

TEST(RtfVocabulary, WordsMeanWhatBothReadersNeed)
{
    ASSERT_NE(FindRtfWord("ldblquote"), nullptr);
    EXPECT_EQ(FindRtfWord("ldblquote")->Char, U'\u201C');
    EXPECT_EQ(FindRtfWord("mac")->Word, TRtfWord::DocCodePage);
    EXPECT_EQ(FindRtfWord("pca")->Char, 850U);
    EXPECT_EQ(FindRtfWord("footerf")->Word, TRtfWord::Side);
    EXPECT_EQ(FindRtfWord("fldinst")->Word, TRtfWord::Skip);
    EXPECT_EQ(FindRtfWord("nestrow")->Word, TRtfWord::Break);
    EXPECT_EQ(FindRtfWord("ulwave")->Word, TRtfWord::Underline);
    EXPECT_EQ(FindRtfWord("pard"), nullptr);
    EXPECT_EQ(FindRtfWord("Par"), nullptr); // words are case-sensitive

    EXPECT_EQ(RtfUnicodeChar(1105), U'ё');
    EXPECT_EQ(RtfUnicodeChar(-4064), U'\uF020');
    EXPECT_EQ(RtfUnicodeChar(70000), U'\uFFFD');
    EXPECT_EQ(RtfUnicodeChar(-70000), U'\uFFFD');
}

TEST(RtfVocabulary, SurrogatePairsJoinAndStrayOnesAreReplaced)
{
    TRtfSurrogates s;
    char32_t out[2] = {};
    EXPECT_TRUE(s.Plain(U'ё'));
    EXPECT_FALSE(s.Plain(0xDE00));
    EXPECT_EQ(s.Take(0xD83D, out), 0);
    EXPECT_TRUE(s.Pending());
    EXPECT_FALSE(s.Plain(U'ё')); // it must first give the lone surrogate's U+FFFD
    ASSERT_EQ(s.Take(0xDE00, out), 1);
    EXPECT_EQ(out[0], U'\U0001F600');
    EXPECT_EQ(s.Take(0xD83D, out), 0);
    ASSERT_EQ(s.Take(U'ё', out), 2); // a high one left alone, then the character
    EXPECT_EQ(out[0], U'\uFFFD');
    EXPECT_EQ(out[1], U'ё');
    EXPECT_EQ(s.Take(0xD83D, out), 0);
    ASSERT_EQ(s.Take(0xD83D, out), 1); // the second waits for its own pair
    EXPECT_EQ(out[0], U'\uFFFD');
    EXPECT_TRUE(s.Pending());
    s.Clear();
    ASSERT_EQ(s.Take(0xDE00, out), 1); // a low one alone
    EXPECT_EQ(out[0], U'\uFFFD');
    EXPECT_FALSE(s.Pending());
}

} // namespace
} // namespace tildo
