// The pass decides from walks through the combination filter whether a
// window's candidates need to be built at all. These tests hold that shortcut
// against the straightforward way: build every candidate text and look each
// one up.

#include "dict/combination_dictionary.h"
#include "dict/my_lists.h"
#include "engine/combination_filter.h"
#include "support/recording_ui.h"
#include "text/letters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace tildo::test {
namespace {

std::string Trimmed(const std::string& s)
{
    std::size_t a = 0;
    std::size_t b = s.size();
    while (b > a && static_cast<unsigned char>(s[b - 1]) <= 32)
        --b;
    while (a < b && static_cast<unsigned char>(s[a]) <= 32)
        ++a;
    return s.substr(a, b - a);
}

// The candidates of the window's oldest word, built the plain way.
std::vector<std::string> ReferenceCandidates(const TWordBuffer& window, int maxWords)
{
    std::vector<std::string> candidates;
    std::string chain;
    std::string leadChain;
    const bool withLead = window.Separators[0] != " ";
    for (int k = 0; k < window.Words.Count(); ++k) {
        const std::string separator(window.Separators[k]);
        const std::string folded = FoldDottedE(window.Words[k]);
        if (k == 0)
            candidates.push_back(folded);
        if (k > 0) {
            if (separator != " ") {
                candidates.push_back(Trimmed(chain + separator));
                if (withLead)
                    candidates.push_back(Trimmed(leadChain + separator));
            }
            if (!folded.empty() && k < maxWords)
                candidates.push_back(Trimmed(chain + separator + folded));
        }
        chain = candidates.back();
        if (withLead && k < maxWords) {
            candidates.push_back(Trimmed(leadChain + separator + folded));
            leadChain = candidates.back();
        }
    }
    return candidates;
}

const char* const Words[] = { "все", "Все", "ВСЕ", "всё", "ВсЁ", "чем", "чём", "о", "О", "лет", "таки",
    "ТАКИ", "равно", "при", "тер", "Тер", "дом", "е", "ёлка", "в" };
// What the scan hands over as separators (no Russian letters), and a few
// texts it never makes, for the trimming at both ends.
const char* const Separators[] = { " ", " ", " ", ", ", ",", "-", " - ", ". ", "(", " 125 ", "12", "1\\2",
    "\\", "\\0 ", " 3-4 ", "; ", "\r", "\x01 ", " ,", "", "о " };

std::string Pick(std::mt19937& random, const char* const* items, std::size_t count)
{
    return W(items[random() % count]);
}

// A random window; the last entry is sometimes the end entry (no word).
void FillWindow(std::mt19937& random, TWordBuffer& window, int capacity)
{
    window.Clear();
    const int count = 1 + static_cast<int>(random() % static_cast<unsigned>(capacity));
    for (int k = 0; k < count; ++k) {
        const bool end = k == count - 1 && k > 0 && random() % 4 == 0;
        window.Push(k * 10, end ? std::string() : Pick(random, Words, std::size(Words)),
            Pick(random, Separators, std::size(Separators)));
    }
}

// An entry in the form a dictionary line takes: ё kept where a word has it,
// digit runs as \0, sometimes a changed case.
std::string EntryFrom(std::mt19937& random, const std::string& candidate)
{
    std::string entry;
    for (std::size_t i = 0; i < candidate.size(); ++i) {
        if (IsDigit(candidate[i]) && random() % 2 == 0) {
            entry += "\\0";
            while (i + 1 < candidate.size() && IsDigit(candidate[i + 1]))
                ++i;
        } else {
            entry += candidate[i];
        }
    }
    if (random() % 3 == 0)
        entry = ToLower(entry);
    else if (random() % 5 == 0 && !entry.empty())
        entry[0] = UpperChar(entry[0]);
    return entry;
}

TEST(CombinationScreening, AgreesWithTheCandidatesBuiltOneByOne)
{
    std::mt19937 random(20240607);
    int screenedOut = 0;
    int matched = 0;
    for (const int bufferLength : { 3, 2, 4 }) {
        TRecordingUi ui;
        TBufferLimits limits;
        limits.WordsBufferLength = bufferLength;
        TWordBuffer window(limits);
        for (int round = 0; round < 60; ++round) {
            // A dictionary made partly from the candidates of random windows.
            TCombiWordsDic combi(limits);
            std::vector<std::string> lines;
            for (int n = 0; n < (round % 2 == 0 ? 12 : 80); ++n) {
                FillWindow(random, window, limits.BufferCapacity());
                const std::vector<std::string> texts = ReferenceCandidates(window, limits.MaxCombiWords());
                lines.push_back(EntryFrom(random, texts[random() % texts.size()]));
            }
            std::sort(lines.begin(), lines.end(),
                [](const std::string& a, const std::string& b) { return CompareFolded(a, b) < 0; });
            for (const std::string& line : lines)
                combi.AddCombination(line, ui);
            TCombinationFilter filter;
            filter.Build(combi);

            for (int n = 0; n < 200; ++n) {
                FillWindow(random, window, limits.BufferCapacity());
                const std::vector<std::string> texts = ReferenceCandidates(window, limits.MaxCombiWords());
                bool anyPasses = false;
                bool anyMatches = false;
                for (std::size_t j = 1; j < texts.size(); ++j) {
                    anyPasses = anyPasses || filter.MayMatch(texts[j]);
                    anyMatches = anyMatches || combi.FindCombination(texts[j]) >= 0;
                }
                const bool screened = filter.AnyCandidateMayMatch(window, limits.MaxCombiWords());
                // The walks see exactly the texts the candidates hold.
                ASSERT_EQ(screened, anyPasses) << U(window.Words[0]) << "|" << U(window.Separators[0]);
                ASSERT_TRUE(!anyMatches || screened);
                screenedOut += screened ? 0 : 1;
                matched += anyMatches ? 1 : 0;
            }
        }
    }
    // Both ways out were taken often enough to mean something.
    EXPECT_GT(screenedOut, 2000);
    EXPECT_GT(matched, 500);
}

TEST(CombinationScreening, WalksExtendLikeTrimmedTexts)
{
    TRecordingUi ui;
    TBufferLimits limits;
    TCombiWordsDic combi(limits);
    for (const char* line : { "\\0 лет", ", чем", "всё-таки", "о чём", "Тер-" })
        combi.AddCombination(W(line), ui);
    TCombinationFilter filter;
    EXPECT_FALSE(filter.Built());
    filter.Build(combi);
    ASSERT_TRUE(filter.Built());

    using TWalk = TCombinationFilter::TWalk;
    // Leading and trailing blanks go while the text is empty; digit runs are one.
    TWalk walk = filter.Extend(TWalk {}, " 12", W(" лет"));
    EXPECT_TRUE(filter.Accepts(walk));
    walk = filter.Extend(TWalk {}, " ,", W(" Чем "));
    EXPECT_TRUE(filter.Accepts(walk));
    // A text grown from an accepted one is a new text.
    EXPECT_FALSE(filter.Accepts(filter.Extend(walk, ",", {})));
    // Blanks at the end of an added separator are trimmed, inside they count.
    walk = filter.Extend(TWalk {}, {}, W("ВСЕ"));
    EXPECT_FALSE(filter.Accepts(walk));
    EXPECT_TRUE(filter.Accepts(filter.Extend(walk, "-", W("таки"))));
    EXPECT_FALSE(filter.Accepts(filter.Extend(walk, "- ", W("таки"))));
    EXPECT_TRUE(filter.Accepts(filter.Extend(filter.Extend(TWalk {}, {}, W("тер")), "- \r", {})));
    // A text no entry begins like stays rejected whatever follows.
    walk = filter.Extend(TWalk {}, {}, W("дом"));
    EXPECT_LT(walk.Node, 0);
    EXPECT_FALSE(filter.Accepts(filter.Extend(walk, " ", W("лет"))));
    // An empty text is never accepted.
    EXPECT_FALSE(filter.Accepts(filter.Extend(TWalk {}, " \r ", {})));
    filter.Clear();
    EXPECT_FALSE(filter.Built());
    EXPECT_TRUE(filter.MayMatch(W("дом")));
}

} // namespace
} // namespace tildo::test
