#include "support/recording_ui.h"
#include "text/collation.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace tildo {
namespace {

using test::W;

TEST(Collation, CompareWordsOrdersLikeTheDictionaries)
{
    EXPECT_EQ(CompareWords(W("еж"), W("ёж")), 1); // ё has the lower code
    EXPECT_EQ(CompareFolded(W("еж"), W("ёж")), 0);
    EXPECT_EQ(CompareWords(W("Орел"), W("орел")), -1);
    EXPECT_EQ(CompareWords(W("орел"), W("Орел")), 1);
    EXPECT_EQ(CompareWords(W("все"), W("все-таки")), -1);
    EXPECT_EQ(CompareWords(W("все-таки"), W("всем")), -1);
    EXPECT_EQ(CompareWords(W("\\0 лет"), W("всё-таки")), -1);
    EXPECT_EQ(CompareWords("", ""), 0);
    EXPECT_EQ(CompareWords("", "a"), -1);
    EXPECT_EQ(CompareWords(W("ёж"), W("ёж")), 0);
    // Antisymmetric and zero only for identical strings, over random byte strings.
    std::mt19937 rng(7);
    for (int n = 0; n < 2000; ++n) {
        std::string a(rng() % 4, ' ');
        std::string b(rng() % 4, ' ');
        const char alphabet[] = "aAbB\xE5\xC5\xB8\xA8?*";
        for (char& c : a)
            c = alphabet[rng() % 10];
        for (char& c : b)
            c = alphabet[rng() % 10];
        EXPECT_EQ(CompareWords(a, b), -CompareWords(b, a));
        EXPECT_EQ(CompareWords(a, b) == 0, a == b);
        EXPECT_EQ(CompareFolded(a, b), CompareWords(FoldDottedE(a), FoldDottedE(b)));
        EXPECT_EQ(CompareEntriesLower(a, b), CompareEntries(ToLower(a), ToLower(b)));
    }
}

TEST(Collation, CompareEntriesDropsOneVariantMark)
{
    EXPECT_EQ(CompareEntries(W("всё?"), W("все")), 0);
    EXPECT_EQ(CompareEntries(W("всё??"), W("все??")), 0);
    EXPECT_EQ(CompareEntries(W("всё??"), W("все?")), 1); // only one mark goes from each side
    EXPECT_NE(CompareEntries(W("в?сё"), W("всё")), 0); // a mark inside is an ordinary byte
    EXPECT_EQ(CompareEntriesLower(W("Всё?"), W("все")), 0);
    TStringList list { W("ёж"), W("ель") };
    EXPECT_EQ(SortCompare(list, 0, 1), -1); // еж before ель once ё counts as е
}

TEST(Collation, FindExactAndInsertPos)
{
    auto cmp = [](const std::string& item, const std::string& key) { return CompareWords(item, key); };
    const TStringList empty;
    EXPECT_EQ(FindExact(empty, std::string("a"), cmp), -1);
    EXPECT_EQ(FindInsertPos(empty, 0, 0, cmp, std::string("a")), 0);
    EXPECT_EQ(FindInsertPos(empty, 0, -1, cmp, std::string("a")), 0);

    int calls = 0;
    const TStringList one { "m" };
    EXPECT_EQ(FindExact(one, std::string("x"), [&](const std::string& i, const std::string& k) {
        ++calls;
        return CompareWords(i, k);
    }),
        -1);
    EXPECT_EQ(calls, 2); // compared as the first item and again as the last

    const TStringList list { "b", "d", "f", "h", "j" };
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(FindExact(list, list[static_cast<std::size_t>(i)], cmp), i);
    EXPECT_EQ(FindExact(list, std::string("c"), cmp), -1);
    EXPECT_EQ(FindInsertPos(list, 0, 5, cmp, std::string("z")), 5);
    EXPECT_EQ(FindInsertPos(list, 0, 4, cmp, std::string("z")), 5);
    EXPECT_EQ(FindInsertPos(list, 0, 5, cmp, std::string("a")), 0);
    EXPECT_EQ(FindInsertPos(list, 0, 4, cmp, std::string("f")), 2);
    // Every key lands between its neighbours, with either upper bound callers use.
    for (const char* key : { "a", "c", "e", "g", "i", "k" }) {
        for (int hi : { 4, 5 }) {
            const int p = FindInsertPos(list, 0, hi, cmp, std::string(key));
            ASSERT_GE(p, 0);
            ASSERT_LE(p, 5);
            if (p > 0) {
                EXPECT_LT(list[static_cast<std::size_t>(p - 1)], std::string(key)) << key << hi;
            }
            if (p < 5) {
                EXPECT_GT(list[static_cast<std::size_t>(p)], std::string(key)) << key << hi;
            }
        }
    }
}

TEST(Collation, FindKeyHonoursTheCaseOfKeys)
{
    TStringList keys { W("Щелково"), W("все"), W("еще"), W("кОт") };
    std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return CompareWords(a, b) < 0; });
    const int all = FindKey(keys, W("все"));
    ASSERT_GE(all, 0);
    for (const char* w : { "все", "Все", "ВСЕ", "вСе" })
        EXPECT_EQ(FindKey(keys, W(w)), all) << w;
    const int place = FindKey(keys, W("Щелково"));
    ASSERT_GE(place, 0);
    EXPECT_EQ(FindKey(keys, W("ЩЕЛКОВО")), place);
    EXPECT_EQ(FindKey(keys, W("щелково")), -1);
    EXPECT_EQ(FindKey(keys, W("щЕлКоВо")), -1);
    EXPECT_EQ(FindKey(keys, W("кОт")), -1); // a capital after the first letter is never found
    EXPECT_EQ(FindKey(keys, W("мир")), -1);
    EXPECT_EQ(FindKey(TStringList {}, W("мир")), -1);
}

} // namespace
} // namespace tildo
