#include "esc_after_ui.h"
#include "regex/find_all.h"
#include "regex/pattern_engine.h"
#include "support/recording_ui.h"

#include <gtest/gtest.h>

namespace tildo {
namespace {

using test::W;

TEST(FindAll, StepsFromTheEndOfEachMatch)
{
    TPatternEngine e;
    SetFindModifiers(e, false);
    using M = std::vector<TFoundMatch>;
    EXPECT_EQ(FindAll(e, "ab", "abxab"), (M { { 0, 2 }, { 3, 2 } }));
    EXPECT_EQ(FindAll(e, "aa", "aaaaa"), (M { { 0, 2 }, { 2, 2 } }));
    // One character further after an empty match, so every position is tried once.
    EXPECT_EQ(FindAll(e, "x*", "axb"), (M { { 0, 0 }, { 1, 1 }, { 2, 0 }, { 3, 0 } }));
    EXPECT_EQ(FindAll(e, "", ""), (M { { 0, 0 } }));
    EXPECT_EQ(FindAll(e, "q", "abc"), M {});
    // Lines: multi-line is on; CR LF is one break.
    EXPECT_EQ(FindAll(e, "^\\w+$", "ab\r\ncd\nef"), (M { { 0, 2 }, { 4, 2 }, { 7, 2 } }));
}

TEST(FindAll, FindDialogModifiers)
{
    TPatternEngine e;
    using M = std::vector<TFoundMatch>;
    SetFindModifiers(e, true);
    EXPECT_TRUE(e.Modifier(TPatternEngine::ModifierM));
    EXPECT_EQ(FindAll(e, W("ё"), W("ЁёЕ")), (M { { 0, 1 }, { 1, 1 } }));
    EXPECT_EQ(FindAll(e, W("[а-я]+"), W("Ёлка и ЕЛЬ")), (M { { 0, 4 }, { 5, 1 }, { 7, 3 } }));
    SetFindModifiers(e, false);
    EXPECT_FALSE(e.Modifier(TPatternEngine::ModifierI));
    EXPECT_EQ(FindAll(e, W("ё"), W("ЁёЕ")), (M { { 1, 1 } }));
    // Dot matches line breaks by default, so this runs from the first line to
    // the last line holding ё.
    EXPECT_EQ(FindAll(e, W("^.*ё.*$"), W("а\nё\nб\nв")), (M { { 0, 7 } }));
    e.SetModifier(TPatternEngine::ModifierS, false);
    EXPECT_EQ(FindAll(e, W("^.*ё.*$"), W("а\nёж\nб\nвё")), (M { { 2, 2 }, { 7, 2 } }));
}

TEST(FindAll, StopsWithWhatItFoundWhenEscIsPressed)
{
    TPatternEngine e;
    SetFindModifiers(e, false);
    test::TEscAfterUi ui(2);
    e.SetEscapeSource(&ui);
    std::string text;
    for (int i = 0; i < 200'000; ++i)
        text += "ab ";
    const auto found = FindAll(e, "a(b)", text);
    EXPECT_TRUE(e.Interrupted());
    EXPECT_GT(found.size(), 0u);
    EXPECT_LT(found.size(), 200'000u);
    EXPECT_EQ(found.back().Offset, 3 * (static_cast<int>(found.size()) - 1));
}

TEST(FindAll, PatternErrorsPropagate)
{
    TPatternEngine e;
    EXPECT_THROW(FindAll(e, "(", "abc"), EPatternError);
}

} // namespace
} // namespace tildo
