#include "regex/pattern_engine.h"

#include "regex/pattern_compiler.h"
#include "regex/pattern_matcher.h"

#include <climits>
#include <cstring>
#include <stdexcept>

namespace tildo {

using namespace pattern;

namespace {

unsigned ModifierMask(int index)
{
    if (index < TPatternEngine::ModifierI || index > TPatternEngine::ModifierX)
        throw EPatternError(PatternBadModifier);
    return 1u << (index - 1);
}

} // namespace

TPatternEngine::TPatternEngine()
    : m_modifiers(DefaultModifiers)
    , m_pairedSeparator("\r\n")
    , m_poll(std::make_unique<TPollState>())
{
    ClearMatch();
}

TPatternEngine::~TPatternEngine() = default;

void TPatternEngine::SetModifier(int index, bool on)
{
    const unsigned mask = ModifierMask(index);
    m_modifiers = on ? (m_modifiers | mask) : (m_modifiers & ~mask);
}

bool TPatternEngine::Modifier(int index) const
{
    return (m_modifiers & ModifierMask(index)) != 0;
}

void TPatternEngine::SetExpression(std::string_view expression)
{
    if (m_expression && *m_expression == expression && m_compiled)
        return;
    m_expression = std::string(expression);
    m_compiled.reset();
}

const std::string& TPatternEngine::Expression() const
{
    static const std::string none;
    return m_expression ? *m_expression : none;
}

void TPatternEngine::SetInputString(std::string_view text)
{
    // Positions are ints, as the find dialog passes them.
    if (text.size() > static_cast<std::size_t>(INT_MAX - 2))
        throw std::length_error("text too long for a pattern search");
    m_input = std::string(text);
    ClearMatch();
}

const std::string& TPatternEngine::InputString() const
{
    if (!m_input)
        throw EPatternError(PatternNoInputToRead);
    return *m_input;
}

void TPatternEngine::SetLinePairedSeparator(std::string_view pair)
{
    if (!(pair.empty() || (pair.size() == 2 && pair[0] != pair[1])))
        throw EPatternError(PatternBadPairedSeparator);
    m_pairedSeparator = std::string(pair);
}

void TPatternEngine::SetEscapeSource(UserInterface* ui)
{
    m_poll->Ui = ui;
}

void TPatternEngine::ClearMatch()
{
    m_start.fill(-1);
    m_end.fill(-1);
}

int TPatternEngine::MatchStart(int group) const
{
    if (group < 0 || group >= GroupCount || !m_input)
        return -1;
    const int start = m_start[static_cast<std::size_t>(group)];
    return start < 0 ? -1 : start + 1;
}

int TPatternEngine::MatchLength(int group) const
{
    if (group < 0 || group >= GroupCount || !m_input)
        return -1;
    const auto g = static_cast<std::size_t>(group);
    return m_start[g] < 0 ? -1 : m_end[g] - m_start[g];
}

void TPatternEngine::Compile()
{
    m_compiled.reset();
    m_compiled = std::make_unique<TCompiledPattern>(CompilePattern(*m_expression, m_modifiers));
    m_compiledModifiers = m_modifiers;
}

bool TPatternEngine::ExecPos(int offset)
{
    if (!m_expression)
        throw EPatternError(PatternNoExpression);
    if (!m_input)
        throw EPatternError(PatternNoInputString);
    if (offset <= 0)
        throw EPatternError(PatternBadOffset);
    ClearMatch();
    m_interrupted = false;
    if (!m_compiled || m_compiledModifiers != m_modifiers)
        Compile();
    if (m_compiled->Program.empty() || m_compiled->Program[0] != ProgramMagic)
        throw EPatternError(PatternCorruptedProgram);
    if (offset - 1 > static_cast<int>(m_input->size()))
        return false;
    return Search(offset - 1);
}

namespace {

// The first position from pos on where a line starts, or length + 1.
int NextLineStart(const TMatcher& matcher, const unsigned char* text, int length, int pos)
{
    while (pos <= length && !matcher.IsLineStart(pos)) {
        while (pos < length && !IsLineSeparator(text[pos]))
            ++pos;
        if (pos >= length)
            return length + 1;
        ++pos;
    }
    return pos;
}

} // namespace

// Tries each start position in order; the hints skip the positions where no
// match can begin.
bool TPatternEngine::Search(int from)
{
    const TCompiledPattern& compiled = *m_compiled;
    const TStartHints& hints = compiled.Hints;
    const std::string& input = *m_input;
    const auto* text = reinterpret_cast<const unsigned char*>(input.data());
    const int length = static_cast<int>(input.size());
    if (!hints.RequiredLiteral.empty()
        && input.find(hints.RequiredLiteral, static_cast<std::size_t>(from)) == std::string::npos)
        return false;
    TLineRules lines;
    lines.Paired = !m_pairedSeparator.empty();
    if (lines.Paired) {
        lines.First = static_cast<unsigned char>(m_pairedSeparator[0]);
        lines.Second = static_cast<unsigned char>(m_pairedSeparator[1]);
    }
    TPollState& poll = *m_poll;
    poll.Stopped = false;
    TMatcher matcher(compiled, input, lines, poll);
    for (int pos = from; pos <= length; ++pos) {
        if (hints.AnchoredStart && pos != from)
            break;
        if (hints.FirstChar >= 0) {
            const void* hit
                = std::memchr(text + pos, hints.FirstChar, static_cast<std::size_t>(length - pos));
            if (hit == nullptr)
                break;
            pos = static_cast<int>(static_cast<const unsigned char*>(hit) - text);
        } else if (hints.LineStart) {
            pos = NextLineStart(matcher, text, length, pos);
            if (pos > length)
                break;
        } else if (hints.HasStartSet) {
            while (pos < length && !hints.StartSet.Has(text[pos]))
                ++pos;
            if (pos >= length)
                break;
        }
        if (poll.Tick())
            break;
        matcher.ClearGroups();
        if (matcher.MatchHere(pos)) {
            for (int g = 0; g <= compiled.GroupCount; ++g) {
                const int start = matcher.GroupStart(g);
                const int end = matcher.GroupEnd(g);
                m_start[static_cast<std::size_t>(g)] = start >= 0 && end >= 0 ? start : -1;
                m_end[static_cast<std::size_t>(g)] = start >= 0 && end >= 0 ? end : -1;
            }
            return true;
        }
        if (poll.Stopped)
            break;
    }
    m_interrupted = poll.Stopped;
    return false;
}

} // namespace tildo
