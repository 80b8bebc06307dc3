// Compiles arbitrary patterns under arbitrary modifiers and runs them on
// arbitrary text. Input layout: one byte of modifier bits (bit 6: no paired
// line separator), one byte giving the pattern's length, the pattern, then the
// text. Esc is "pressed" after a few polls so that exponential patterns end.
#include "platform/user_interface.h"
#include "regex/find_all.h"
#include "regex/pattern_engine.h"

#include <cstddef>
#include "fuzz_support.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Presses Esc soon, so that a pattern that would backtrack for minutes ends.
class TEscSoonUi : public tildo::fuzz::TNullUi
{
public:
    bool IsEscPressed() override { return ++m_queries > 2; }

private:
    int m_queries = 0;
};

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Every register of a match lies inside the text.
void CheckRegisters(const tildo::TPatternEngine& engine, int length)
{
    for (int g = 0; g < tildo::TPatternEngine::GroupCount; ++g) {
        const int start = engine.MatchStart(g);
        const int len = engine.MatchLength(g);
        Check((start == -1) == (len == -1));
        if (start != -1)
            Check(start >= 1 && len >= 0 && start - 1 + len <= length);
    }
    Check(engine.MatchStart(0) >= 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const unsigned mods = data[0];
    const std::size_t patternLength = std::min<std::size_t>(data[1], size - 2);
    const std::string pattern(reinterpret_cast<const char*>(data + 2), patternLength);
    const std::string text(reinterpret_cast<const char*>(data + 2 + patternLength), size - 2 - patternLength);

    tildo::TPatternEngine engine;
    TEscSoonUi ui;
    engine.SetEscapeSource(&ui);
    for (int index = 1; index <= 6; ++index)
        engine.SetModifier(index, (mods >> (index - 1)) & 1);
    if (mods & 0x40)
        engine.SetLinePairedSeparator("");
    const int length = static_cast<int>(text.size());
    try {
        engine.SetExpression(pattern);
        engine.SetInputString(text);
        if (engine.ExecPos(1))
            CheckRegisters(engine, length);
        if (engine.ExecPos(length / 2 + 1)) {
            CheckRegisters(engine, length);
            Check(engine.MatchStart(0) >= length / 2 + 1);
        }
        Check(!engine.ExecPos(length + 2));
        const auto found = tildo::FindAll(engine, pattern, text);
        int end = 0;
        for (const auto& m : found) {
            Check(m.Offset >= end && m.Length >= 0 && m.Offset + m.Length <= length);
            end = m.Offset + m.Length;
        }
    } catch (const tildo::EPatternError& e) {
        // Compile errors are what bad patterns give; of the run-time ones only
        // the loop-stack and backtracking caps may come from a valid program.
        const int code = e.ErrorCode();
        Check((code >= 100 && code < 200) || code == tildo::PatternLoopStackExceeded
            || code == tildo::PatternBacktrackLimit);
        Check(code != tildo::PatternInternalUrp && code != tildo::PatternAtomDisaster
            && code != tildo::PatternJunkOnEnd);
    }
    return 0;
}
