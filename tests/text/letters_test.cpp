#include "support/recording_ui.h"
#include "text/letters.h"

#include <gtest/gtest.h>

#include <random>

namespace tildo {
namespace {

using test::U;
using test::W;

TEST(Letters, ClassesFollowTheCodePage)
{
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        const bool russian = b >= 0xC0 || b == 0xA8 || b == 0xB8;
        EXPECT_EQ(IsRussianLetter(c), russian) << b;
        EXPECT_EQ(IsRussianCapital(c), (b >= 0xC0 && b <= 0xDF) || b == 0xA8) << b;
        EXPECT_EQ(IsPatternChar(c), russian || b == '*' || b == '?') << b;
        // Case mapping never leaves a letter pair and is its own inverse on pairs.
        if (LowerChar(c) != c) {
            EXPECT_EQ(UpperChar(LowerChar(c)), c) << b;
        }
    }
    // The non-Russian Cyrillic letters of the page separate words, but still have case pairs.
    EXPECT_FALSE(IsRussianLetter('\xB3')); // і
    EXPECT_EQ(LowerChar('\xB2'), '\xB3');
    EXPECT_EQ(UpperChar('\xBC'), '\xA3');
    EXPECT_EQ(UpperChar('\x83'), '\x81');
    EXPECT_TRUE(IsBlank('\xA0'));
    EXPECT_FALSE(IsBlank('\n'));
}

TEST(Letters, EmptyStringsAndWordCounts)
{
    EXPECT_TRUE(AllRussianLetters(""));
    EXPECT_TRUE(AllPatternChars(""));
    EXPECT_FALSE(HasRussianCapital(""));
    EXPECT_EQ(CountWords(""), 0);
    EXPECT_EQ(LastChar(""), "");
    EXPECT_EQ(DropLastChar(""), "");
    EXPECT_EQ(LowerTail(""), "");

    EXPECT_EQ(CountWords(W("всё-таки")), 2);
    EXPECT_EQ(CountWords(W("\\0 лет")), 1);
    EXPECT_EQ(CountWords(W("о    чём")), 2);
    EXPECT_EQ(CountWords(W("ёлка2")), 1);
    EXPECT_EQ(CountWords(W("мир і сон")), 2); // і is not a Russian letter
    EXPECT_EQ(CountWords(W("світ")), 2); // and splits a word
    EXPECT_FALSE(AllRussianLetters(W("все-таки")));
    EXPECT_TRUE(AllPatternChars(W("*съёмка?")));

    // Counted eight bytes at a time: words across the blocks' bounds, at both
    // ends, and the bytes next to the letters' ranges, against a count byte
    // by byte.
    const char bytes[] = { 'a', ' ', '\xC0', '\xFF', '\xBF', '\xA8', '\xB8', '\xA7', '\xB9', '\x80' };
    unsigned seed = 7;
    for (int round = 0; round < 2000; ++round) {
        std::string s;
        const int length = round % 41;
        for (int k = 0; k < length; ++k) {
            seed = seed * 1103515245u + 12345u;
            s += bytes[(seed >> 16) % sizeof bytes];
        }
        int expected = 0;
        std::size_t expectedFirst = std::string::npos;
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (IsRussianLetter(s[i]) && (i == 0 || !IsRussianLetter(s[i - 1]))) {
                if (expected++ == 0)
                    expectedFirst = i;
            }
        }
        std::size_t first = 0;
        ASSERT_EQ(CountWords(s, first), expected) << round;
        ASSERT_EQ(first, expectedFirst) << round;
        ASSERT_EQ(CountWords(s), expected) << round;
    }
}

TEST(Letters, TestsForTheLettersE)
{
    EXPECT_TRUE(HasDottedE(W("ЁЛКА")));
    EXPECT_FALSE(HasDottedE(W("елка")));
    EXPECT_TRUE(HasAnyE(W("Ель")));
    EXPECT_FALSE(HasAnyE(W("мир")));

    EXPECT_TRUE(IsCandidate(W("все"), false, false));
    EXPECT_FALSE(IsCandidate(W("всё"), false, false));
    EXPECT_TRUE(IsCandidate(W("всё"), false, true));
    EXPECT_FALSE(IsCandidate(W("все"), true, false)); // collecting looks only at ё
    EXPECT_TRUE(IsCandidate(W("ВСЁ"), true, true));
}

TEST(Letters, Transformations)
{
    EXPECT_EQ(U(ToLower(W("ЁЖИК Ab"))), "ёжик ab");
    EXPECT_EQ(U(ToUpper(W("ёжик ab"))), "ЁЖИК AB");
    EXPECT_EQ(U(FoldDottedE(W("Ёлки-палки, ёж"))), "Елки-палки, еж");
    EXPECT_EQ(U(LowerTail(W("ВСЕ"))), "Все");

    EXPECT_EQ(U(ApplyCase(W("всё"), W("все"))), "всё");
    EXPECT_EQ(U(ApplyCase(W("всё"), W("Все"))), "Всё");
    EXPECT_EQ(U(ApplyCase(W("всё"), W("ВСЕ"))), "ВСЁ");
    EXPECT_EQ(U(ApplyCase(W("всё"), W("вСе"))), "вСё");
    EXPECT_EQ(U(ApplyCase(W("Щёлково"), W("ЩЕЛКОВО"))), "ЩЁЛКОВО");
    EXPECT_EQ(U(ApplyCase(W("Щёлково"), W("щелково"))), "Щёлково"); // capitals never removed
    EXPECT_EQ(U(ApplyCase(W("ёлочка"), W("ЁЛ"))), "ЁЛочка"); // a shorter word leaves the tail
    EXPECT_EQ(ApplyCase(W("ёж"), "XY"), W("ёж")); // Latin capitals do not count

    EXPECT_EQ(CollapseBlanks(W("а\t  ") + "\xA0" + W("б\n  в")), W("а б\n в"));
    EXPECT_EQ(CollapseBlanks("  x"), " x");

    EXPECT_EQ(PosFrom("<B", "a<Bb<B", 1), 2u);
    EXPECT_EQ(PosFrom("<B", "a<Bb<B", 3), 5u);
    EXPECT_EQ(PosFrom("x", "abc", 4), 0u);
    EXPECT_EQ(PosFrom("x", "", 1), 0u);
    EXPECT_EQ(LastChar("ab"), "b");
    EXPECT_EQ(DropLastChar("ab"), "a");
}

TEST(Letters, CountEndings)
{
    auto ending = [](long long n, int kind) {
        std::string e = "unchanged";
        CountEnding(n, kind, e);
        return U(e);
    };
    EXPECT_EQ(ending(0, 1), "");
    EXPECT_EQ(ending(11, 2), "");
    EXPECT_EQ(ending(1, 2), "о");
    EXPECT_EQ(ending(2, 2), "а");
    EXPECT_EQ(ending(112, 2), "");
    EXPECT_EQ(ending(21, 2), "о");
    EXPECT_EQ(ending(1, 1), "а");
    EXPECT_EQ(ending(3, 1), "ы");
    EXPECT_EQ(ending(104, 1), "ы");
    EXPECT_EQ(ending(21, 3), "е");
    EXPECT_EQ(ending(2, 3), "я");
    EXPECT_EQ(ending(25, 3), "й");
    EXPECT_EQ(ending(14, 3), "й");
    EXPECT_EQ(ending(5, 4), "unchanged");
}

TEST(Letters, BlanksCollapsedPieceByPiece)
{
    EXPECT_EQ(CollapseBlanks("a \t\xA0 b  "), "a b ");
    // A separator collected in pieces, collapsed as it grows, reads as the
    // whole collapsed at once, whatever the cuts.
    const char alphabet[] = { ' ', ' ', ' ', '\t', '\xA0', ',', 'x', '1', '-', '\r' };
    std::mt19937 random(5);
    for (int round = 0; round < 5000; ++round) {
        std::string whole;
        std::string collapsed;
        const int pieces = 1 + static_cast<int>(random() % 4);
        for (int k = 0; k < pieces; ++k) {
            std::string piece;
            const int length = static_cast<int>(random() % 20);
            for (int i = 0; i < length; ++i)
                piece += alphabet[random() % sizeof alphabet];
            whole += piece;
            AppendCollapsingBlanks(collapsed, piece);
        }
        ASSERT_EQ(collapsed, CollapseBlanks(whole)) << whole;
    }
}

} // namespace
} // namespace tildo
