#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "engine/combination_filter.h"
#include "engine/lookup_cache.h"
#include "support/recording_ui.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tildo::test {
namespace {

TEST(LookupCache, KeepsEveryWordApartWhateverItsLength)
{
    TLookupCache cache;
    std::vector<std::string> words;
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        // Long words share their first 16 bytes, so the tail must tell them apart.
        std::string w = i % 3 == 0 ? std::string(16, 'x') : std::string();
        const int length = 1 + static_cast<int>(random() % 30);
        for (int k = 0; k < length; ++k)
            w += static_cast<char>(0xC0 + random() % 64);
        words.push_back(w);
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    for (std::size_t i = 0; i < words.size(); i += 2) {
        TDicEntry e;
        e.Index = static_cast<int>(i);
        e.IsRule = i % 4 == 0;
        e.Form = i % 6 == 0 ? std::string() : words[i] + "!";
        cache.Insert(words[i], i % 10 != 0, e);
    }
    EXPECT_EQ(cache.Count(), static_cast<int>((words.size() + 1) / 2));
    TDicEntry e;
    bool found = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const bool cached = cache.Find(words[i], found, e);
        ASSERT_EQ(cached, i % 2 == 0) << i;
        if (!cached)
            continue;
        EXPECT_EQ(found, i % 10 != 0);
        EXPECT_EQ(e.Index, static_cast<int>(i));
        EXPECT_EQ(e.IsRule, i % 4 == 0);
        EXPECT_EQ(e.Form, i % 6 == 0 ? std::string() : words[i] + "!");
    }
    EXPECT_FALSE(cache.Find("", found, e));
    cache.Clear();
    EXPECT_FALSE(cache.Find(words[0], found, e));
}

TEST(CombinationFilter, PassesEveryCandidateThatMatchesAnEntry)
{
    TRecordingUi ui;
    TBufferLimits limits;
    TCombiWordsDic combi(limits);
    for (const char* line : { "\\0 лет", "\\0-\\0 раз", "всё-таки", "о чём", "Тер-", "а\\б" })
        combi.AddCombination(W(line), ui);
    TCombinationFilter filter;
    EXPECT_TRUE(filter.MayMatch(W("дом"))); // not built: everything passes
    filter.Build(combi);

    for (const char* candidate : { "125 лет", "1 лет", "\\0 лет", "12-3 раз", "все-таки", "Все-таки",
             "ВСЕ-ТАКИ", "вСе-ТаКи", "о чем", "О ЧЕМ", "Тер-", "ТЕР-", "а\\б" }) {
        EXPECT_GE(combi.FindCombination(W(candidate)), 0) << candidate;
        EXPECT_TRUE(filter.MayMatch(W(candidate))) << candidate;
    }
    // Random texts from the entries' pieces: whatever the dictionary matches passes.
    const char* pieces[] = { "\\", "0", "12", "7", " ", "-", "лет", "ЛЕТ", "раз", "все", "таки", "о", "чем",
        "Тер", "тер", "а", "б" };
    std::mt19937 random(11);
    int matched = 0;
    for (int i = 0; i < 100000; ++i) {
        std::string candidate;
        const int n = 1 + static_cast<int>(random() % 5);
        for (int k = 0; k < n; ++k)
            candidate += W(pieces[random() % (sizeof pieces / sizeof *pieces)]);
        if (combi.FindCombination(candidate) >= 0) {
            ++matched;
            EXPECT_TRUE(filter.MayMatch(candidate)) << U(candidate);
        }
    }
    EXPECT_GT(matched, 100); // the property was put to the test
    EXPECT_FALSE(filter.MayMatch(W("все равно")));
    EXPECT_FALSE(filter.MayMatch(W("дом")));
}

} // namespace
} // namespace tildo::test
