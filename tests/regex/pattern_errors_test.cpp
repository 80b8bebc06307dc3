#include "regex/pattern_engine.h"
#include "support/recording_ui.h"

#include <gtest/gtest.h>

#include <string>

namespace tildo {
namespace {

struct TCompileError
{
    std::string Pattern;
    int Code;
    int Position;
};

// Compiles pattern by searching with it; the error it raised, if any.
std::optional<EPatternError> ErrorOf(const std::string& pattern, bool extended = false)
{
    TPatternEngine e;
    e.SetModifier(TPatternEngine::ModifierX, extended);
    e.SetExpression(pattern);
    e.SetInputString("text");
    try {
        e.ExecPos(1);
    } catch (const EPatternError& err) {
        return err;
    }
    return std::nullopt;
}

TEST(PatternErrors, EveryCompileErrorWithItsPosition)
{
    const std::string fifteenGroups = "()()()()()()()()()()()()()()()";
    const TCompileError cases[] = {
        { fifteenGroups, PatternTooManyGroups, 29 },
        { "(a", PatternUnmatchedOpen, 2 },
        { "((a)", PatternUnmatchedOpen, 4 },
        { "a)", PatternUnmatchedClose, 2 },
        { "(a))b", PatternUnmatchedClose, 4 },
        { "(a*)*", PatternEmptyOperand, 5 },
        { "(a|)+", PatternEmptyOperand, 5 },
        { "\\b{2}", PatternEmptyOperand, 5 },
        { "(a?){1,3}", PatternEmptyOperand, 9 },
        { "a**", PatternNestedQuantifier, 3 },
        { "a{2}*", PatternNestedQuantifier, 5 },
        { "a*?+", PatternNestedQuantifier, 4 },
        { "a+ *", PatternNestedQuantifier, 4 }, // x is off: the blank is a character... see below
        { "\\x4Z", PatternBadHexDigit, 4 },
        { "\\x4", PatternBadHexDigit, 3 },
        { "\\x{4Z}", PatternBadHexDigit, 5 },
        { "\\x{41", PatternBadHexDigit, 5 },
        { "[z-a]", PatternInvalidRange, 4 },
        { "[\\x42-A]", PatternInvalidRange, 7 },
        { "[a\\", PatternSetTrailingBackslash, 3 },
        { "\\xG", PatternNoHexCode, 2 },
        { "a\\x", PatternNoHexCode, 3 },
        { "\\x{}", PatternNoHexCode, 4 },
        { "\\x{100}", PatternHexCodeTooBig, 7 },
        { "\\x{FFFFFFFFFFFF}", PatternHexCodeTooBig, 16 },
        { "[a", PatternUnmatchedSet, 2 },
        { "[]", PatternUnmatchedSet, 2 },
        { "[^]", PatternUnmatchedSet, 3 },
        { "*a", PatternQuantifierFollowsNothing, 1 },
        { "a|+b", PatternQuantifierFollowsNothing, 3 },
        { "(?b", PatternBadModifier, 3 },
        { "(?i)?", PatternQuantifierFollowsNothing, 5 },
        { "{2}", PatternQuantifierFollowsNothing, 1 },
        { "a\\", PatternTrailingBackslash, 2 },
        { "a{123456789}", PatternBoundTooBig, 11 },
        { "a{1,123456789}", PatternBoundTooBig, 13 },
        { "a{3,2}", PatternBoundMinAboveMax, 6 },
        { "a(?#note", PatternUnclosedComment, 8 },
        { "(?q)", PatternBadModifier, 3 },
        { "(?i", PatternBadModifier, 3 },
        { "(?i-m-s)", PatternBadModifier, 6 },
        { "(?:a)", PatternBadModifier, 3 },
        { "\\15", PatternNoSuchGroup, 3 },
        { "(a)\\15", PatternNoSuchGroup, 6 },
        { "a\\1", PatternNoSuchGroup, 3 },
        { "(a)(b)\\3c", PatternNoSuchGroup, 8 },
    };
    for (const auto& c : cases) {
        if (c.Pattern == "a+ *") {
            // Without x the blank ends the quantifier's reach: no error.
            EXPECT_FALSE(ErrorOf(c.Pattern).has_value());
            const auto err = ErrorOf(c.Pattern, true);
            ASSERT_TRUE(err.has_value());
            EXPECT_EQ(err->ErrorCode(), c.Code);
            EXPECT_EQ(err->CompilerErrorPos(), c.Position);
            continue;
        }
        const auto err = ErrorOf(c.Pattern);
        ASSERT_TRUE(err.has_value()) << c.Pattern;
        EXPECT_EQ(err->ErrorCode(), c.Code) << c.Pattern << ": " << err->what();
        EXPECT_EQ(err->CompilerErrorPos(), c.Position) << c.Pattern << ": " << err->what();
    }
}

TEST(PatternErrors, MessagesCarryTheTextAndThePosition)
{
    EXPECT_STREQ(ErrorOf("a{3,2}")->what(), "Pattern(comp): BRACE Min Param Greater then Max (pos 6)");
    EXPECT_STREQ(ErrorOf("(a*)*")->what(), "Pattern(comp): *+ Operand Could Be Empty (pos 5)");
    EXPECT_STREQ(ErrorOf("a**")->what(), "Pattern(comp): Nested *?+ (pos 3)");
    EXPECT_STREQ(ErrorOf("*a")->what(), "Pattern(comp): ?+*{ Follows Nothing (pos 1)");
    EXPECT_STREQ(ErrorOf("a)")->what(), "Pattern(comp): ParseReg Unmatched () (pos 2)");
    EXPECT_STREQ(ErrorOf("a\\")->what(), "Pattern(comp): Trailing \\ (pos 2)");
    EXPECT_STREQ(ErrorOf("[\\")->what(), "Pattern(comp): Parse Atom Trailing \\ (pos 2)");
    EXPECT_EQ(PatternErrorText(PatternNoErrors), "No errors");
    EXPECT_EQ(PatternErrorText(PatternBuildOptionNotice), "Unknown error");
    EXPECT_EQ(PatternErrorText(4242), "Unknown error");
    EXPECT_EQ(PatternErrorText(PatternBadPairedSeparator),
        "Pattern(comp): LinePairedSeparator must countain two different chars or no chars at all");
}

TEST(PatternErrors, RunTimeErrorsHaveNoPosition)
{
    TPatternEngine e;
    auto codeOf = [&e](int offset) {
        try {
            e.ExecPos(offset);
        } catch (const EPatternError& err) {
            EXPECT_EQ(err.CompilerErrorPos(), EPatternError::NoPosition);
            EXPECT_EQ(std::string(err.what()), PatternErrorText(err.ErrorCode()));
            return err.ErrorCode();
        }
        return 0;
    };
    EXPECT_EQ(codeOf(1), PatternNoExpression);
    e.SetExpression("a");
    EXPECT_EQ(codeOf(1), PatternNoInputString);
    e.SetInputString("a");
    EXPECT_EQ(codeOf(0), PatternBadOffset);
    EXPECT_EQ(codeOf(-5), PatternBadOffset);
    EXPECT_EQ(codeOf(1), 0);
    EXPECT_STREQ(
        EPatternError(PatternNoExpression).what(), "Pattern(exec): Not Assigned Expression Property");
}

TEST(PatternErrors, SettingsOutsideTheirRange)
{
    TPatternEngine e;
    for (int index : { 0, 7, -1 }) {
        try {
            e.SetModifier(index, true);
            ADD_FAILURE() << index;
        } catch (const EPatternError& err) {
            EXPECT_EQ(err.ErrorCode(), PatternBadModifier);
            EXPECT_EQ(err.CompilerErrorPos(), EPatternError::NoPosition);
        }
        EXPECT_THROW(e.Modifier(index), EPatternError);
    }
    for (const char* bad : { "\r", "\n\n", "\r\n\r" }) {
        try {
            e.SetLinePairedSeparator(bad);
            ADD_FAILURE() << bad;
        } catch (const EPatternError& err) {
            EXPECT_EQ(err.ErrorCode(), PatternBadPairedSeparator);
        }
    }
    EXPECT_EQ(e.LinePairedSeparator(), "\r\n");
    e.SetLinePairedSeparator("\n\r");
    EXPECT_EQ(e.LinePairedSeparator(), "\n\r");
}

TEST(PatternErrors, GiantPatternIsTooBig)
{
    const auto err = ErrorOf(std::string(14'000'000, '.'));
    ASSERT_TRUE(err.has_value());
    EXPECT_EQ(err->ErrorCode(), PatternTooBig);
}

} // namespace
} // namespace tildo
