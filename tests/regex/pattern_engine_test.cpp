#include "esc_after_ui.h"
#include "regex/pattern_engine.h"
#include "support/recording_ui.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace tildo {
namespace {

using test::W;

// Start (from 1) and length of group n after searching text from offset;
// {-1, -1} when nothing is found.
std::pair<int, int> Find(TPatternEngine& engine, const std::string& pattern, const std::string& text,
    int offset = 1, int group = 0)
{
    engine.SetExpression(pattern);
    engine.SetInputString(text);
    if (!engine.ExecPos(offset))
        return { -1, -1 };
    return { engine.MatchStart(group), engine.MatchLength(group) };
}

using Span = std::pair<int, int>;
const Span None { -1, -1 };

TEST(PatternEngine, RussianRangesIncludeYoOnlyWithR)
{
    TPatternEngine e;
    EXPECT_EQ(Find(e, W("[а-я]+"), W("ёлка")), Span(1, 4));
    EXPECT_EQ(Find(e, W("[А-Я]"), W("Ё")), Span(1, 1));
    EXPECT_EQ(Find(e, W("^[а-Я]+$"), W("ЁжЕё")), Span(1, 4));
    EXPECT_EQ(Find(e, W("[^а-я]"), W("ё")), None);
    e.SetModifier(TPatternEngine::ModifierR, false);
    EXPECT_EQ(Find(e, W("[а-я]+"), W("ёлка")), Span(2, 3));
    EXPECT_EQ(Find(e, W("[А-Я]"), W("Ё")), None);
    EXPECT_THROW(Find(e, W("[а-Я]"), "x"), EPatternError);
    // (?r) inside the pattern switches the alphabets back on.
    EXPECT_EQ(Find(e, W("(?r)[а-я]"), W("ё")), Span(1, 1));
}

TEST(PatternEngine, WordSetHoldsOnlyAsciiCharacters)
{
    TPatternEngine e;
    EXPECT_EQ(Find(e, W("\\w"), W("ёж_")), Span(3, 1));
    EXPECT_EQ(Find(e, W("\\W+"), W("ёж_")), Span(1, 2));
    // No boundary anywhere between Cyrillic letters and a space.
    EXPECT_EQ(Find(e, "\\b", W("аб вг")), None);
    EXPECT_EQ(Find(e, W("\\Bб\\B"), W("аб вг")), Span(2, 1));
    EXPECT_EQ(Find(e, "\\bab\\b", "xab ab"), Span(5, 2));
    // \b looks at the character before the start offset.
    EXPECT_EQ(Find(e, "\\bb", "ab b", 2), Span(4, 1));
    EXPECT_EQ(Find(e, "\\d\\s\\S", "a1\t\xB8"), Span(2, 3));
}

TEST(PatternEngine, LineAnchorsTreatCrLfAsOneBreak)
{
    TPatternEngine e;
    e.SetModifier(TPatternEngine::ModifierM, true);
    const std::string text = "ab\r\ncd\ref\ngh";
    EXPECT_EQ(Find(e, "^c", text), Span(5, 1));
    EXPECT_EQ(Find(e, "^e", text), Span(8, 1));
    EXPECT_EQ(Find(e, "^g", text), Span(11, 1));
    EXPECT_EQ(Find(e, "^\\n", text), None); // not between CR and LF
    EXPECT_EQ(Find(e, "b\\r$", text), None); // not between CR and LF
    EXPECT_EQ(Find(e, "d$", text), Span(6, 1)); // before a lone CR
    EXPECT_EQ(Find(e, "b$", text), Span(2, 1));
    EXPECT_EQ(Find(e, "^$", "a\r\n\r\nb"), Span(4, 0));
    EXPECT_EQ(Find(e, "^", "a\n", 2), Span(3, 0)); // after a final break
    // Without the pair every separator is a break of its own.
    e.SetLinePairedSeparator("");
    EXPECT_EQ(Find(e, "^\\n", text), Span(4, 1));
    e.SetLinePairedSeparator("\r\n");
    // Without m the anchors mean the whole text only.
    e.SetModifier(TPatternEngine::ModifierM, false);
    EXPECT_EQ(Find(e, "^c", text), None);
    EXPECT_EQ(Find(e, "b$", text), None);
    EXPECT_EQ(Find(e, "h$", text), Span(12, 1));
    EXPECT_EQ(Find(e, "\\Aa", text), Span(1, 1));
    EXPECT_EQ(Find(e, "^a", text, 2), None);
    e.SetModifier(TPatternEngine::ModifierM, true);
    EXPECT_EQ(Find(e, "\\Ac", text), None);
    EXPECT_EQ(Find(e, "b\\Z", text), None);
}

TEST(PatternEngine, DotAndLineSeparators)
{
    TPatternEngine e;
    EXPECT_EQ(Find(e, "a.b", "a\nb"), Span(1, 3));
    e.SetModifier(TPatternEngine::ModifierS, false);
    EXPECT_EQ(Find(e, "a.b", "a\nb a\rb axb"), Span(9, 3));
    EXPECT_EQ(Find(e, "(?s)a.b", "a\nb"), Span(1, 3));
}

TEST(PatternEngine, CaseInsensitiveThroughCp1251Pairs)
{
    TPatternEngine e;
    e.SetModifier(TPatternEngine::ModifierI, true);
    EXPECT_EQ(Find(e, W("ЁЖ"), W("еж ёж")), Span(4, 2));
    EXPECT_EQ(Find(e, W("[а-в]+"), W("гАБВг")), Span(2, 3));
    EXPECT_EQ(Find(e, W("[^а]"), W("аА1")), Span(3, 1));
    EXPECT_EQ(Find(e, W("(ё)\\1"), W("Ёё")), Span(1, 2));
    e.SetModifier(TPatternEngine::ModifierI, false);
    EXPECT_EQ(Find(e, W("ЁЖ"), W("ёж")), None);
    EXPECT_EQ(Find(e, W("(ё)\\1"), W("Ёё")), None);
    // (?i) lasts to the end of its group, across the group's later alternatives.
    EXPECT_EQ(Find(e, "(a(?i)b)B", "aBB aBb"), Span(1, 3));
    EXPECT_EQ(Find(e, "(a(?i)b)b", "aBB"), None);
    EXPECT_EQ(Find(e, "(z(?i)|a)", "A"), Span(1, 1));
    EXPECT_EQ(Find(e, "(?I)A(?-i)B", "ab aB"), Span(4, 2));
}

TEST(PatternEngine, GreedyLazyAndBounds)
{
    TPatternEngine e;
    EXPECT_EQ(Find(e, "a+", "baaa"), Span(2, 3));
    EXPECT_EQ(Find(e, "a+?", "baaa"), Span(2, 1));
    EXPECT_EQ(Find(e, "<.*>", "<a><b>"), Span(1, 6));
    EXPECT_EQ(Find(e, "<.*?>", "<a><b>"), Span(1, 3));
    EXPECT_EQ(Find(e, "(ab){2,3}", "abababab"), Span(1, 6));
    EXPECT_EQ(Find(e, "(ab){2,3}?", "abababab"), Span(1, 4));
    EXPECT_EQ(Find(e, "(ab){2}", "ab abab"), Span(4, 4));
    EXPECT_EQ(Find(e, "x{0}y", "xy"), Span(2, 1));
    EXPECT_EQ(Find(e, "abc+", "abcabccc"), Span(1, 3)); // the quantifier takes the last letter only
    EXPECT_EQ(Find(e, "(a|ab)(c|bcd)(d*)", "abcd", 1, 3), Span(5, 0));
    // Without g every quantifier is non-greedy.
    e.SetModifier(TPatternEngine::ModifierG, false);
    EXPECT_EQ(Find(e, "a+", "aaa"), Span(1, 1));
    EXPECT_EQ(Find(e, "(ab)+", "ababab"), Span(1, 2));
    EXPECT_EQ(Find(e, "a*?", "aaa"), Span(1, 0));
    EXPECT_EQ(Find(e, "(?g)a+", "aaa"), Span(1, 3));
}

TEST(PatternEngine, BraceThatIsNoBoundIsALiteral)
{
    TPatternEngine e;
    EXPECT_EQ(Find(e, "a{,2}", "a{,2}"), Span(1, 5));
    EXPECT_EQ(Find(e, "a{x}", "aa{x}"), Span(2, 4));
    EXPECT_EQ(Find(e, "{", "x{"), Span(2, 1));
    EXPECT_EQ(Find(e, "a{2", "aa{2"), Span(2, 3));
    EXPECT_EQ(Find(e, "a{1,}", "baaa"), Span(2, 3));
}

TEST(PatternEngine, BackReferences)
{
    TPatternEngine e;
    EXPECT_EQ(Find(e, "(a|b)\\1", "abba"), Span(2, 2));
    EXPECT_EQ(Find(e, "(.)\\1+", "abbbc"), Span(2, 3));
    EXPECT_EQ(Find(e, "(x)?y\\1", "yx"), None); // an unset group matches nothing
    EXPECT_EQ(Find(e, "(a*)b\\1+c", "bc"), Span(1, 2)); // an empty reference cannot loop for ever
    EXPECT_EQ(Find(e, "(a*)b\\1{3}?c", "bc"), Span(1, 2));
    // Two digits name groups 10 to 14; a reference may come before its group.
    EXPECT_EQ(Find(e, "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)\\11\\10", "abcdefghijkkj"), Span(1, 13));
}

TEST(PatternEngine, EscapesCommentsAndExtendedSyntax)
{
    TPatternEngine e;
    EXPECT_EQ(Find(e, "\\x41\\x{42}\\x{0043}", "ABC"), Span(1, 3));
    EXPECT_EQ(Find(e, "[\\x41-\\x43]+", "xCAB"), Span(2, 3));
    EXPECT_EQ(Find(e, "\\t\\n\\r\\f\\a\\e", "\t\n\r\f\a\x1B"), Span(1, 6));
    EXPECT_EQ(Find(e, "\\.\\*\\q", "a.*q"), Span(2, 3));
    EXPECT_EQ(Find(e, "[]a]+", "x]a"), Span(2, 2));
    EXPECT_EQ(Find(e, "[^]a]", "]ab"), Span(3, 1));
    EXPECT_EQ(Find(e, "[a-]+", "-a-"), Span(1, 3));
    EXPECT_EQ(Find(e, "[\\d-z]+", "1-z"), Span(1, 3));
    EXPECT_EQ(Find(e, "[\\D]", "1a"), Span(2, 1));
    EXPECT_EQ(Find(e, "a(?#comment)b", "ab"), Span(1, 2));
    EXPECT_EQ(Find(e, "a(?#c)*", "aaa"), Span(1, 3)); // a comment between an atom and its quantifier
    EXPECT_EQ(Find(e, std::string("a\\x00b", 6), std::string("a\0b", 3)), Span(1, 3));
    e.SetModifier(TPatternEngine::ModifierX, true);
    EXPECT_EQ(Find(e, "a b # note\n c\t+ [ ]", "abcc "), Span(1, 5));
    EXPECT_EQ(Find(e, "a\\ b\\#", "a b#"), Span(1, 4));
    EXPECT_EQ(Find(e, "(?-x)a b", "a b"), Span(1, 3));
}

TEST(PatternEngine, OffsetsAndRegisters)
{
    TPatternEngine e;
    EXPECT_EQ(Find(e, "b", "abab", 3), Span(4, 1));
    EXPECT_EQ(Find(e, "b", "abab", 5), None);
    EXPECT_EQ(Find(e, "$", "ab", 3), Span(3, 0)); // length plus one still searches the end
    EXPECT_FALSE(e.ExecPos(4)); // past it: false, no error
    EXPECT_EQ(e.MatchStart(0), -1);

    EXPECT_TRUE((Find(e, "(a)|(b)", "b") == Span(1, 1)));
    EXPECT_EQ(e.MatchStart(1), -1);
    EXPECT_EQ(e.MatchLength(1), -1);
    EXPECT_EQ(e.MatchStart(2), 1);
    EXPECT_EQ(e.MatchStart(15), -1);
    EXPECT_EQ(e.MatchStart(-1), -1);
    // The last round of a repetition gives the group's text.
    EXPECT_EQ(Find(e, "(\\w)+", "xyz", 1, 1), Span(3, 1));
    // A new text clears the registers.
    e.SetInputString("b");
    EXPECT_EQ(e.MatchStart(0), -1);

    TPatternEngine fresh;
    EXPECT_EQ(fresh.MatchStart(0), -1);
    EXPECT_THROW(fresh.InputString(), EPatternError);
}

TEST(PatternEngine, FourteenGroups)
{
    TPatternEngine e;
    std::string pattern;
    for (int i = 0; i < 14; ++i)
        pattern += "(" + std::string(1, static_cast<char>('a' + i)) + ")";
    EXPECT_EQ(Find(e, pattern, "xabcdefghijklmn", 1, 14), Span(15, 1));
    EXPECT_EQ(e.MatchStart(9), 10);
}

TEST(PatternEngine, StartHintsKeepResultsRight)
{
    TPatternEngine e;
    // required literal, searched from the offset on
    EXPECT_EQ(Find(e, "a*bcd", "bcdabcd", 3), Span(4, 4));
    EXPECT_EQ(Find(e, ".*ab", "xxab", 4), None);
    EXPECT_EQ(Find(e, "(.*)ab", "xxabyab", 1, 1), Span(1, 5));
    // first literal character, start set, anchored and line starts
    EXPECT_EQ(Find(e, "(abc|abd)", "xabd"), Span(2, 3));
    EXPECT_EQ(Find(e, "x?(abc)", "zabc"), Span(2, 3));
    EXPECT_EQ(Find(e, "\\Aab", "abab", 2), None);
    e.SetModifier(TPatternEngine::ModifierM, true);
    EXPECT_EQ(Find(e, "^b", "ab\r\nb", 2), Span(5, 1));
    EXPECT_EQ(Find(e, "^\\r", "a\r\r\n", 1), Span(3, 1));
}

TEST(PatternEngine, RecompilesWhenAModifierOrTheExpressionChanges)
{
    TPatternEngine e;
    e.SetInputString("ABC");
    e.SetExpression("b");
    EXPECT_FALSE(e.ExecPos(1));
    e.SetModifier(TPatternEngine::ModifierI, true);
    EXPECT_TRUE(e.Modifier(TPatternEngine::ModifierI));
    EXPECT_TRUE(e.ExecPos(1));
    e.SetExpression("c");
    EXPECT_TRUE(e.ExecPos(1));
    EXPECT_EQ(e.MatchStart(0), 3);
    e.SetModifier(TPatternEngine::ModifierI, false);
    EXPECT_FALSE(e.ExecPos(1));
    // A failed compilation leaves nothing stale behind.
    e.SetExpression("(");
    EXPECT_THROW(e.ExecPos(1), EPatternError);
    EXPECT_THROW(e.ExecPos(1), EPatternError);
    e.SetExpression("C");
    EXPECT_TRUE(e.ExecPos(1));
    EXPECT_EQ(e.Expression(), "C");
}

TEST(PatternEngine, KeepsPrivateCopies)
{
    TPatternEngine e;
    std::string text = "abc";
    std::string pattern = "b";
    e.SetExpression(pattern);
    e.SetInputString(text);
    text = "xxx";
    pattern = "x";
    EXPECT_TRUE(e.ExecPos(1));
    EXPECT_EQ(e.MatchStart(0), 2);
    EXPECT_EQ(e.InputString(), "abc");
}

TEST(PatternEngine, DefaultsAndModifierIndexes)
{
    TPatternEngine e;
    EXPECT_FALSE(e.Modifier(TPatternEngine::ModifierI));
    EXPECT_TRUE(e.Modifier(TPatternEngine::ModifierR));
    EXPECT_TRUE(e.Modifier(TPatternEngine::ModifierS));
    EXPECT_TRUE(e.Modifier(TPatternEngine::ModifierG));
    EXPECT_FALSE(e.Modifier(TPatternEngine::ModifierM));
    EXPECT_FALSE(e.Modifier(TPatternEngine::ModifierX));
    EXPECT_EQ(e.LinePairedSeparator(), "\r\n");
    EXPECT_FALSE(e.HasExpression());
    EXPECT_EQ(e.Expression(), "");
}

TEST(PatternEngine, EscStopsAnExponentialSearch)
{
    // Each would take far longer than a test run without the poll.
    struct TCase
    {
        std::string pattern;
        std::string text;
    };
    const TCase cases[] = {
        { "(a|a)*b", std::string(60, 'a') + "cb" },
        { "(\\w+\\s?)*$", std::string(80, 'w') + "!" },
        { "(x+x+)+y", std::string(60, 'x') + "zy" },
    };
    for (const auto& c : cases) {
        TPatternEngine e;
        test::TEscAfterUi ui(3);
        e.SetEscapeSource(&ui);
        e.SetExpression(c.pattern);
        e.SetInputString(c.text);
        EXPECT_FALSE(e.ExecPos(1)) << c.pattern;
        EXPECT_TRUE(e.Interrupted()) << c.pattern;
        EXPECT_EQ(ui.EscQueries, 4) << c.pattern;
        EXPECT_EQ(e.MatchStart(0), -1);
    }
    // Esc not pressed: a search that ends is not marked interrupted.
    TPatternEngine e;
    test::TRecordingUi quiet;
    e.SetEscapeSource(&quiet);
    EXPECT_EQ(Find(e, "(a|a)*b", std::string(12, 'a') + "b"), Span(1, 13));
    EXPECT_FALSE(e.Interrupted());
}

TEST(PatternEngine, LongRepetitionsNeitherCrashNorExhaustMemory)
{
    TPatternEngine e;
    // Repeats of one character keep no state per round.
    const std::string as(3'000'000, 'a');
    EXPECT_EQ(Find(e, "a*b|a+$", as), Span(1, 3'000'000));
    // A group repeated hundreds of thousands of times keeps its backtracking
    // state on the heap.
    std::string abs;
    for (int i = 0; i < 200'000; ++i)
        abs += "ab";
    EXPECT_EQ(Find(e, "(ab)*c|(ab)+$", abs), Span(1, 400'000));
    // Past the cap the search fails with an error instead of a crash.
    for (int i = 0; i < 600'000; ++i)
        abs += "ab";
    try {
        Find(e, "(ab)*$", abs);
        FAIL() << "expected the backtracking cap";
    } catch (const EPatternError& err) {
        EXPECT_EQ(err.ErrorCode(), PatternBacktrackLimit);
        EXPECT_STREQ(err.what(), "Pattern(exec): Backtrack Stack Exceeded");
    }
}

TEST(PatternEngine, RunawayBacktrackingEndsWithItsOwnErrorWhileOrdinarySearchesRunFree)
{
    TPatternEngine e;
    // Exponential in the run of letters, and quadratic work per attempt hidden
    // behind one backreference.
    const std::string run = std::string(40, 'a') + "c b";
    // No part of this text follows itself (a square-free word from the
    // Thue-Morse sequence), so (.+)\1 tries every split at every start.
    std::string noDoubles;
    const auto parity = [](unsigned n) { return __builtin_popcount(n) & 1; };
    for (unsigned n = 0; n < 300'000; ++n)
        noDoubles += "abc"[parity(n + 1) - parity(n) + 1];
    const std::pair<const char*, const std::string*> runaway[]
        = { { "(a+)+b", &run }, { "(.*a){20}b", &run }, { "(a|aa)+b", &run }, { "(.+)\\1", &noDoubles } };
    for (const auto& [pattern, text] : runaway) {
        try {
            Find(e, pattern, *text);
            ADD_FAILURE() << pattern << " should run out of steps";
        } catch (const EPatternError& err) {
            EXPECT_EQ(err.ErrorCode(), PatternStepLimit) << pattern;
            EXPECT_NE(std::string(err.what()).find("Step Budget"), std::string::npos);
        }
    }
    // Heavy but ordinary: every start position tried over a long text with
    // words and without the letter sought, a lazy scan to a far end, a
    // greedy run over one long line.
    std::string words;
    while (words.size() < 2'000'000)
        words += "слово другое третье ";
    const std::string text = W(words);
    EXPECT_EQ(Find(e, W("\\w+ъ"), text), Span(-1, -1));
    EXPECT_EQ(Find(e, W("(\\w+\\s+){2}ъ"), text), Span(-1, -1));
    EXPECT_EQ(Find(e, ".*?x", text + "x"), Span(1, static_cast<int>(text.size()) + 1));
    EXPECT_EQ(Find(e, "[^x]*y", text + "y"), Span(1, static_cast<int>(text.size()) + 1));
}

TEST(PatternEngine, LoopStackHoldsTenLevels)
{
    auto nested = [](int levels) { return std::string(static_cast<std::size_t>(levels), '(') + "a"; };
    std::string ten = nested(10), eleven = nested(11);
    for (int i = 0; i < 10; ++i)
        ten += "){1,2}";
    for (int i = 0; i < 11; ++i)
        eleven += "){1,2}";
    TPatternEngine e;
    EXPECT_EQ(Find(e, ten, "aa"), Span(1, 2));
    try {
        Find(e, eleven, "a");
        FAIL() << "expected the loop stack error";
    } catch (const EPatternError& err) {
        EXPECT_EQ(err.ErrorCode(), PatternLoopStackExceeded);
        EXPECT_EQ(err.CompilerErrorPos(), EPatternError::NoPosition);
    }
}

} // namespace
} // namespace tildo
