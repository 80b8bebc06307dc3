#include "app/text_search.h"
#include "support/recording_ui.h"
#include "text/memory_document.h"

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::W;

TEST(FindPlain, CaseAndWholeWordOptions)
{
    const std::string text = W("Ёлка, ёлкам; ЁЛКА ёлка_1 xёлка");
    // Either case of Cyrillic letters, Ё/ё included, without match case.
    EXPECT_EQ(FindPlain(text, W("ёлка"), 0, false, false), 0);
    EXPECT_EQ(FindPlain(text, W("ёлка"), 0, true, false), 6);
    EXPECT_EQ(FindPlain(text, W("ЁЛКА"), 1, true, false), 13);
    // Whole words: a following letter, digit or underscore, or a preceding
    // Latin letter disqualify an occurrence.
    EXPECT_EQ(FindPlain(text, W("ёлка"), 1, false, true), 13);
    EXPECT_EQ(FindPlain(text, W("ёлка"), 14, false, true), -1);
    EXPECT_EQ(FindPlain(text, W("ёлка"), 14, false, false), 18);
    // Bounds: an empty text to find, a start past the end, a match that
    // would run past the end.
    EXPECT_EQ(FindPlain(text, "", 0, false, false), -1);
    EXPECT_EQ(FindPlain(text, W("ёлка"), 100, false, false), -1);
    EXPECT_EQ(FindPlain(W("ёл"), W("ёлка"), 0, false, false), -1);
    EXPECT_EQ(FindPlain("ab c", "C", 0, false, true), 3);
}

TEST(TextSearch, StepsThroughMatchesThenStartsOver)
{
    MemoryDocument doc;
    doc.SetText(W("ёж и еж\nещё ёж"));
    doc.Select(2, 3); // the search starts from the caret, not the old selection
    TTextSearch search;
    search.Begin(doc, TFindMode::Plain);
    EXPECT_EQ(doc.SelLength(), 0);
    const TFindRequest hedgehog { W("ёж"), true, false };

    ASSERT_TRUE(search.FindNext(hedgehog));
    EXPECT_EQ(doc.SelStart(), 12);
    EXPECT_EQ(doc.SelLength(), 2);
    EXPECT_FALSE(search.IsFirstSearch());
    // Past the end: the selection collapses back to where the search began.
    EXPECT_FALSE(search.FindNext(hedgehog));
    EXPECT_EQ(doc.SelStart(), 2);
    EXPECT_EQ(doc.SelLength(), 0);
    EXPECT_TRUE(search.IsFirstSearch());
    ASSERT_TRUE(search.FindNext(hedgehog));
    EXPECT_EQ(doc.SelStart(), 12);

    // A new search from the start finds both, then fails, then starts over.
    doc.Select(0, 0);
    search.Begin(doc, TFindMode::Plain);
    std::vector<int> found;
    for (int i = 0; i < 4; ++i)
        found.push_back(search.FindNext(hedgehog) ? doc.SelStart() : -1);
    EXPECT_EQ(found, (std::vector<int> { 0, 12, -1, 0 }));
}

TEST(TextSearch, PatternModeSkipsTheMatchNotThePattern)
{
    MemoryDocument doc;
    doc.SetText(W("год 1999, год 2000 и 12"));
    TTextSearch search;
    search.Begin(doc, TFindMode::Pattern);
    // The pattern is longer than its matches: stepping by the match's length
    // must not jump over the next one.
    const TFindRequest digits { "\\d+", false, false };
    std::vector<std::pair<int, int>> found;
    while (search.FindNext(digits))
        found.emplace_back(doc.SelStart(), doc.SelLength());
    EXPECT_EQ(found, (std::vector<std::pair<int, int>> { { 4, 4 }, { 14, 4 }, { 21, 2 } }));

    // Case-insensitive exactly without match case; the engine's Russian ranges.
    doc.Select(0, 0);
    search.Begin(doc, TFindMode::Pattern);
    EXPECT_FALSE(search.FindNext({ W("ГОД"), true, false }));
    EXPECT_TRUE(search.FindNext({ W("ГОД [а-я]*"), false, false }));
    EXPECT_EQ(doc.SelStart(), 0);

    // An empty match moves on by one character instead of standing still.
    doc.Select(0, 0);
    search.Begin(doc, TFindMode::Pattern);
    ASSERT_TRUE(search.FindNext({ "^", false, false }));
    EXPECT_EQ(doc.SelStart(), 0);
    EXPECT_FALSE(search.FindNext({ "^", false, false }));

    // A bad pattern raises the engine's error and leaves the selection.
    doc.Select(3, 2);
    EXPECT_THROW(search.FindNext({ "(", false, false }), EPatternError);
    EXPECT_EQ(doc.SelStart(), 3);
    EXPECT_EQ(doc.SelLength(), 2);
}

TEST(TextSearch, SharedTargetKeepsModeAndFlag)
{
    MemoryDocument main;
    main.SetText(W("все и всё"));
    MemoryDocument pane;
    pane.SetText(W("всё\nвсё?\n"));
    TTextSearch search;
    search.Begin(main, TFindMode::Pattern);
    ASSERT_TRUE(search.FindNext({ W("вс."), false, false }));
    search.SetTarget(pane);
    EXPECT_EQ(search.Mode(), TFindMode::Pattern);
    EXPECT_FALSE(search.IsFirstSearch());
    ASSERT_TRUE(search.FindNext({ W("всё\\?"), false, false }));
    EXPECT_EQ(pane.SelStart(), 4);
    EXPECT_EQ(main.SelStart(), 0); // the main editor's selection is left alone

    search.Forget(main); // not the target: nothing changes
    EXPECT_EQ(search.Target(), &pane);
    search.Forget(pane);
    EXPECT_EQ(search.Target(), nullptr);
    EXPECT_FALSE(search.FindNext({ W("всё"), false, false }));
}

} // namespace
} // namespace tildo
