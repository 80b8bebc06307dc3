#include "app/text_search.h"

#include "platform/text_document.h"
#include "regex/find_all.h"
#include "text/cp1251.h"
#include "text/letters.h"

#include <algorithm>

namespace tildo {

namespace {

bool IsWordChar(char c)
{
    return IsDigit(c) || c == '_' || LowerChar(c) != UpperChar(c);
}

bool IsWholeWord(std::string_view text, std::size_t at, std::size_t length)
{
    if (at > 0 && IsWordChar(text[at - 1]))
        return false;
    const std::size_t end = at + length;
    return end >= text.size() || !IsWordChar(text[end]);
}

// What the user did wrong, for the errors a pattern can have; the rest are
// faults of the engine itself.
const char* PatternMistake(int code)
{
    switch (code) {
    case PatternTooBig:
        return "выражение слишком длинное";
    case PatternTooManyGroups:
        return "слишком много групп ( )";
    case PatternUnmatchedOpen:
    case PatternUnmatchedClose:
        return "непарная скобка ( )";
    case PatternJunkOnEnd:
        return "лишние символы в конце";
    case PatternEmptyOperand:
        return "повторяемая часть может быть пустой (* или +)";
    case PatternNestedQuantifier:
        return "повторитель после повторителя (*, ?, +)";
    case PatternBadHexDigit:
        return "неверная шестнадцатеричная цифра";
    case PatternInvalidRange:
        return "неверный диапазон в [ ]";
    case PatternSetTrailingBackslash:
    case PatternTrailingBackslash:
        return "\\ в конце без символа после него";
    case PatternNoHexCode:
        return "нет шестнадцатеричного кода после \\x";
    case PatternHexCodeTooBig:
        return "слишком большой код после \\x";
    case PatternUnmatchedSet:
        return "непарная скобка [ ]";
    case PatternQuantifierFollowsNothing:
        return "повторитель (?, +, *, {) не после символа";
    case PatternBoundTooBig:
        return "слишком большое число в { }";
    case PatternBoundMinAboveMax:
        return "в { } наименьшее число больше наибольшего";
    case PatternUnclosedComment:
        return "не закрыт комментарий (?# )";
    case PatternBadModifier:
        return "неизвестный модификатор";
    case PatternNoSuchGroup:
        return "ссылка на группу, которой нет";
    case PatternBacktrackLimit:
    case PatternStepLimit:
        return "поиск по этому выражению требует слишком много перебора";
    default:
        return nullptr;
    }
}

// The next candidate at or after from: exact bytes, or letters of either case.
std::size_t NextOccurrence(std::string_view text, std::string_view what, std::size_t from, bool matchCase)
{
    if (matchCase)
        return text.find(what, from);
    const char first = LowerChar(what[0]);
    const std::size_t last = text.size() - what.size();
    for (std::size_t i = from; i <= last; ++i) {
        if (LowerChar(text[i]) != first)
            continue;
        std::size_t k = 1;
        while (k < what.size() && LowerChar(text[i + k]) == LowerChar(what[k]))
            ++k;
        if (k == what.size())
            return i;
    }
    return std::string_view::npos;
}

} // namespace

std::string PatternErrorMessage(const EPatternError& error)
{
    const char* mistake = PatternMistake(error.ErrorCode());
    std::string text = Cp("Ошибка в регулярном выражении: ")
        + (mistake != nullptr ? Cp(mistake)
                              : Cp("внутренняя ошибка поиска, код ") + std::to_string(error.ErrorCode()));
    if (error.CompilerErrorPos() != EPatternError::NoPosition)
        text += Cp(" (позиция ") + std::to_string(error.CompilerErrorPos()) + ")";
    return text;
}

int FindPlain(std::string_view text, std::string_view what, int from, bool matchCase, bool wholeWord)
{
    if (what.empty() || from < 0)
        return -1;
    std::size_t at = static_cast<std::size_t>(from);
    while (at < text.size() && what.size() <= text.size() - at) {
        at = NextOccurrence(text, what, at, matchCase);
        if (at == std::string_view::npos)
            return -1;
        if (!wholeWord || IsWholeWord(text, at, what.size()))
            return static_cast<int>(at);
        ++at;
    }
    return -1;
}

TTextSearch::TTextSearch()
{
    // Multi-line anchors for every search of the dialog.
    SetFindModifiers(m_engine, false);
}

void TTextSearch::Begin(TextDocument& target, TFindMode mode)
{
    m_target = &target;
    m_mode = mode;
    m_first = true;
    m_origin = target.SelStart();
    target.Select(m_origin, 0);
}

void TTextSearch::SetTarget(TextDocument& target)
{
    if (m_target != &target)
        m_origin = target.SelStart();
    m_target = &target;
}

void TTextSearch::Forget(const TextDocument& target)
{
    if (m_target == &target)
        m_target = nullptr;
}

std::pair<int, int> TTextSearch::Search(std::string_view text, const TFindRequest& request, int from)
{
    if (m_mode == TFindMode::Plain) {
        const int at = FindPlain(text, request.Text, from, request.MatchCase, request.WholeWord);
        return { at, static_cast<int>(request.Text.size()) };
    }
    SetFindModifiers(m_engine, !request.MatchCase);
    m_engine.SetExpression(request.Text);
    m_engine.SetInputString(text);
    if (!m_engine.ExecPos(from + 1) || m_engine.MatchStart(0) < 1)
        return { -1, 0 };
    return { m_engine.MatchStart(0) - 1, m_engine.MatchLength(0) };
}

bool TTextSearch::FindNext(const TFindRequest& request)
{
    if (m_target == nullptr)
        return false;
    TextDocument& doc = *m_target;
    doc.Focus();
    const int skip = m_first ? 0 : std::max(doc.SelLength(), 1);
    const int from = doc.SelStart() + skip;
    std::string scratch;
    const std::string_view text = doc.TextView(scratch);
    const auto [at, length]
        = from <= static_cast<int>(text.size()) ? Search(text, request, from) : std::pair { -1, 0 };
    if (at < 0) {
        doc.Select(std::min(m_origin, doc.Length()), 0);
        m_first = true;
        return false;
    }
    doc.Select(at, 0);
    doc.ScrollToCaret();
    doc.Select(at, length);
    m_first = false;
    return true;
}

} // namespace tildo
