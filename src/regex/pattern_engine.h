#pragma once

#include "regex/pattern_error.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tildo {

class UserInterface;

namespace pattern {
struct TCompiledPattern;
struct TPollState;
} // namespace pattern

// The pattern engine behind the regular-expression search: Perl-like patterns
// compiled into a node program and matched by backtracking against a CP1251
// text. One object is reused for every search; it recompiles only when the
// expression or a modifier has changed since the last compilation.
class TPatternEngine
{
public:
    // Modifier indexes for SetModifier and Modifier.
    static constexpr int ModifierI = 1; // case-insensitive (off)
    static constexpr int ModifierR = 2; // а-я, А-Я include ё, Ё (on)
    static constexpr int ModifierS = 3; // . matches line breaks too (on)
    static constexpr int ModifierG = 4; // greedy repetition (on)
    static constexpr int ModifierM = 5; // ^ and $ at every line (off)
    static constexpr int ModifierX = 6; // blanks and # comments ignored (off)
    static constexpr int GroupCount = 15; // groups 0 (the whole match) to 14

    TPatternEngine();
    ~TPatternEngine();
    TPatternEngine(const TPatternEngine&) = delete;
    TPatternEngine& operator=(const TPatternEngine&) = delete;

    // Raises error 127 (without a position) for an index outside 1..6.
    void SetModifier(int index, bool on);
    bool Modifier(int index) const;

    // Stores a copy; the compiled program is dropped when the text differs.
    void SetExpression(std::string_view expression);
    bool HasExpression() const { return m_expression.has_value(); }
    // Empty when no expression was set.
    const std::string& Expression() const;

    // Stores a private copy of the text and clears the match registers.
    void SetInputString(std::string_view text);
    // Raises error 1008 when no text was set.
    const std::string& InputString() const;

    // The pair of line separators that counts as one line break: two different
    // characters, or empty for none (error 128 otherwise). CR LF by default.
    void SetLinePairedSeparator(std::string_view pair);
    const std::string& LinePairedSeparator() const { return m_pairedSeparator; }

    // Searches the text from offset (from 1) to its end for the leftmost match.
    // Raises 1003 without an expression, 1005 without a text, 1006 for an
    // offset below 1, and the compile errors of the expression. An offset past
    // the text's length plus one gives false, as does a search stopped by Esc.
    bool ExecPos(int offset);

    // Position (from 1) and length of group n of the last match; -1 when n is
    // outside 0..14, when no text is set or when the group took no part.
    int MatchStart(int group) const;
    int MatchLength(int group) const;

    // Where Esc is polled during a search (none by default). A search stopped
    // by Esc finds nothing, raises nothing and sets Interrupted().
    void SetEscapeSource(UserInterface* ui);
    bool Interrupted() const { return m_interrupted; }

private:
    void Compile();
    bool Search(int from);
    void ClearMatch();

    std::optional<std::string> m_expression;
    std::optional<std::string> m_input;
    unsigned m_modifiers;
    std::string m_pairedSeparator;
    std::unique_ptr<pattern::TCompiledPattern> m_compiled;
    unsigned m_compiledModifiers = 0;
    std::array<int, GroupCount> m_start {};
    std::array<int, GroupCount> m_end {};
    std::unique_ptr<pattern::TPollState> m_poll;
    bool m_interrupted = false;
};

} // namespace tildo
