#include "regex/find_all.h"

#include "regex/pattern_engine.h"

namespace tildo {

void SetFindModifiers(TPatternEngine& engine, bool ignoreCase)
{
    engine.SetModifier(TPatternEngine::ModifierI, ignoreCase);
    engine.SetModifier(TPatternEngine::ModifierR, true);
    engine.SetModifier(TPatternEngine::ModifierS, true);
    engine.SetModifier(TPatternEngine::ModifierG, true);
    engine.SetModifier(TPatternEngine::ModifierM, true);
    engine.SetModifier(TPatternEngine::ModifierX, false);
}

void ForEachMatch(TPatternEngine& engine, std::string_view expression, std::string_view text,
    const std::function<void(const TFoundMatch&)>& found)
{
    engine.SetExpression(expression);
    engine.SetInputString(text);
    const auto length = static_cast<long long>(text.size());
    long long offset = 1;
    while (offset <= length + 1 && engine.ExecPos(static_cast<int>(offset))) {
        const TFoundMatch match { engine.MatchStart(0) - 1, engine.MatchLength(0) };
        found(match);
        offset = static_cast<long long>(match.Offset) + match.Length + 1 + (match.Length == 0 ? 1 : 0);
    }
}

std::vector<TFoundMatch> FindAll(TPatternEngine& engine, std::string_view expression, std::string_view text)
{
    std::vector<TFoundMatch> found;
    ForEachMatch(engine, expression, text, [&](const TFoundMatch& match) { found.push_back(match); });
    return found;
}

} // namespace tildo
