#include "word_decider.h"

#include "engine/question.h"
#include "text/cp1251.h"
#include "text/letters.h"

#include <algorithm>

namespace tildo {

TWordDecider::TWordDecider(TDic& dic, TCombiWordsDic& combi, UserInterface& ui)
    : TWordDecider(dic, combi, dic, combi, ui)
{
}

TWordDecider::TWordDecider(const TDic& dic, const TCombiWordsDic& combi, TDicRunState& dicState,
    TCombiRunState& combiState, UserInterface& ui)
    : m_dic(dic)
    , m_combi(combi)
    , m_dicState(dicState)
    , m_combiUse(combiState)
    , m_ui(ui)
{
}

bool TWordDecider::FindInDictionary(std::string_view folded)
{
    bool found = false;
    if (!m_cache.Find(folded, found, m_entry)) {
        found = m_dic.Lookup(folded, m_entry);
        m_cache.Insert(folded, found, m_entry);
    }
    return found;
}

bool IsAbbreviationStop(std::string_view after)
{
    if (after.size() < 2 || after[0] != '.' || after[1] == '.')
        return false;
    std::size_t i = 1;
    while (i < after.size() && IsBlank(after[i]))
        ++i;
    if (i == after.size())
        return false;
    const char c = after[i];
    if (c == ',' || c == ';' || c == ':' || c == ')' || c == ']')
        return true;
    // A letter or a digit right after the stop is a file name or a number
    // (отчет.txt, 1.5), not a sentence that goes on.
    const bool lower = (IsRussianLetter(c) && !IsRussianCapital(c)) || (c >= 'a' && c <= 'z');
    return i > 1 && (lower || IsDigit(c));
}

namespace {

// Whether one side of a word marks it as a cell or a command: a tab or a run
// of blanks between it and the next character, or a digit or a bar next to
// it. side runs away from the word (before is read backwards); the line's
// start or end, or blanks that lead to it, mark nothing.
template <class TNext> bool MarksApart(std::size_t size, TNext next)
{
    std::size_t blanks = 0;
    bool tab = false;
    while (blanks < size && IsBlank(next(blanks))) {
        tab |= next(blanks) == '\t';
        ++blanks;
    }
    if (blanks == size)
        return false;
    const char c = next(blanks);
    return tab || blanks >= 2 || IsDigit(c) || c == '|';
}

} // namespace

bool StandsApart(std::string_view before, std::string_view after)
{
    return MarksApart(before.size(), [before](std::size_t i) { return before[before.size() - 1 - i]; })
        || MarksApart(after.size(), [after](std::size_t i) { return after[i]; });
}

namespace {

bool AllBlank(std::string_view s)
{
    for (const char c : s) {
        if (!IsBlank(c))
            return false;
    }
    return true;
}

} // namespace

void NoteSurroundings(const TextDocument& doc, int position, TWordCase& word)
{
    const int length = static_cast<int>(word.Word.size());
    const int line = doc.LineOf(position);
    const int start = doc.LineStart(line);
    if (start < 0 || position < start)
        return;
    const int column = position - start;
    // A few bytes each side (no heap); further only across a run of blanks,
    // to tell whether it leads to the line's start or end.
    std::string before;
    std::string after;
    for (int reach = 8;; reach *= 4) {
        const int from = std::max(column - reach, 0);
        before = doc.LineSlice(line, from, column - from);
        if (from == 0 || !AllBlank(before))
            break;
    }
    for (int reach = 8;; reach *= 4) {
        after = doc.LineSlice(line, column + length, reach);
        if (static_cast<int>(after.size()) < reach || !AllBlank(after))
            break;
    }
    word.AbbreviationStop = IsAbbreviationStop(after);
    word.StandsApart = StandsApart(before, after);
}

bool IsDisguisedWord(const TWordCase& word)
{
    const std::string_view text = word.Word;
    if (word.AbbreviationStop && text.size() <= AbbreviationLetters)
        return true;
    if (!word.StandsApart || text.size() > 3)
        return false;
    for (const char c : text) {
        if (!IsRussianCapital(c))
            return false;
    }
    return true;
}

TWordCase TWordDecider::LookUp(std::string_view word, bool hasDotted)
{
    // A word without ё is its own lookup key.
    bool found = false;
    bool cached = false;
    if (!hasDotted)
        cached = m_cache.Find(word, found, m_entry);
    if (!cached) {
        if (hasDotted) {
            m_folded.assign(word);
            FoldDottedEInPlace(m_folded);
            found = FindInDictionary(m_folded);
        } else {
            found = FindInDictionary(word);
        }
    }
    TWordCase c;
    c.Word = word;
    if (!found)
        return c;
    const int i = m_entry.Index;
    c.Entry = i;
    c.Form = m_entry.Form;
    if (m_entry.IsRule) {
        c.Kind = TEntryKind::Rule;
        c.Variant = m_dic.RuleVariant[i] != 0;
        c.Last = ChoiceOfStored(m_dicState.RuleLastAnswer[i]);
    } else {
        c.Kind = TEntryKind::Form;
        c.Variant = m_dic.FormVariant[i] != 0;
        c.Last = ChoiceOfStored(m_dicState.FormLastAnswer[i]);
        c.Standing = ChoiceOfStored(m_dicState.FormAlways[i]);
    }
    return c;
}

TWordDecision TWordDecider::Decide(
    const TPassOptions& options, bool collecting, const TWordCase& word, TQuestionPort& port)
{
    TWordDecision out;
    // The answer that stands without a question, and whether the е spelling
    // is a word too. A standing choice settles a word form; a combination's
    // verdict settles any word the dictionary knows.
    bool variant = false;
    TAnswer answer = TAnswer::Plain;
    const bool standing = word.Kind == TEntryKind::Form && word.Standing != TAnswer::None;
    if (standing) {
        answer = word.Standing;
    } else if (word.Kind != TEntryKind::None) {
        variant = word.Variant;
        answer = variant ? word.Last : TAnswer::Dotted;
    }
    if (word.Kind != TEntryKind::None && word.Combination != TAnswer::None) {
        answer = word.Combination;
        variant = false;
        out.ByCombination = true;
        if (word.CombinationEntry >= 0 && word.CombinationEntry < m_combi.Count())
            m_combiUse.UseCounts.Set(word.CombinationEntry, m_combiUse.UseCounts[word.CombinationEntry] + 1);
        else
            m_ui.ErrorBox(Cp("Ошибка #1!"));
    }

    const std::string_view text = word.Word;
    const bool hasDotted = HasDottedE(text);
    // A ё that neither the user's standing choice nor the text itself gives
    // goes into a disguised word only by a question.
    if (!standing && !variant && answer == TAnswer::Dotted && !hasDotted && IsDisguisedWord(word))
        variant = true;
    const bool mismatch = hasDotted && !EqualLower(word.Form, text);
    const bool misplaced = mismatch && !word.Form.empty();
    const bool missing = !hasDotted && !variant && answer == TAnswer::Dotted;
    m_plain.assign(text);
    if (hasDotted)
        FoldDottedEInPlace(m_plain);
    if (misplaced)
        m_plain = ApplyCase(word.Form, text); // the е button offers the dictionary's placement
    if ((word.Form.empty() && hasDotted) || misplaced)
        m_form.assign(text);
    else
        m_form.assign(word.Form);
    if (!m_form.empty())
        m_form = ApplyCase(m_form, text);

    if (collecting) {
        if (mismatch) {
            out.Verdict = TVerdict::Collect;
            out.Result = m_form;
        }
        return out;
    }
    if (!variant && options.VarOnly && !mismatch)
        return out;
    // A variant that nothing else settled: the grammar around it may. Its sure
    // answer decides a word written without ё; a written ё (checked on
    // request) and a confirmed change are still asked, the answer proposed.
    if (variant && options.Context && !mismatch) {
        out.Context = port.JudgeContext(text, m_form);
        if (out.Context.Answer != TAnswer::None && !hasDotted && !options.AlwaysAsk) {
            answer = out.Context.Answer;
            variant = false;
            out.ByContext = true;
        }
    }
    if (variant && options.NoVarOnly)
        return out;
    if (mismatch) {
        if (options.NoVarOnly)
            return out;
        variant = true;
    }
    if (!variant && options.AlwaysAsk && !m_form.empty())
        variant = true;

    if (variant)
        answer = Ask(options, word, answer, hasDotted, missing, misplaced, mismatch, port, out);
    if (answer == TAnswer::Plain) {
        out.Verdict = TVerdict::Write;
        out.Result.swap(m_plain); // m_plain is rebuilt for the next word
    } else if (answer == TAnswer::Dotted) {
        out.Verdict = TVerdict::Write;
        out.Result = m_form;
    } else {
        out.Verdict = TVerdict::Stop;
    }
    return out;
}

// Asks about the word; gives Plain, Dotted, or None when the question was
// cancelled or an undo asked for.
TAnswer TWordDecider::Ask(const TPassOptions& options, const TWordCase& word, TAnswer proposed,
    bool hasDotted, bool missing, bool misplaced, bool mismatch, TQuestionPort& port, TWordDecision& out)
{
    const bool fromRule = word.Kind != TEntryKind::Form;
    TQuestion q;
    q.PlainForm = m_plain;
    q.DottedForm = m_form;
    // The judge's answer, or failing that the spelling it leans to, is
    // proposed; the question's evidence says which of the two it is.
    const TAnswer judged = out.Context.Answer != TAnswer::None ? out.Context.Answer : out.Context.Lean;
    if (judged != TAnswer::None)
        q.DefaultDotted = judged == TAnswer::Dotted;
    else if (options.ProposeLast && proposed != TAnswer::None && !mismatch)
        q.DefaultDotted = proposed != TAnswer::Plain;
    else
        q.DefaultDotted = hasDotted && !mismatch;
    q.ContextAnswer = judged;
    q.ContextEvidence = out.Context.Evidence;
    if (options.Context && !mismatch)
        q.ContextFamily = JudgeFamilyName(out.Context.Family); // the judge was asked
    q.DottedMissing = missing;
    q.DottedMisplaced = misplaced;
    q.DottedMismatch = mismatch;
    q.FromRule = fromRule;
    ChooseCaption(q);
    q.AlwaysPlainEnabled = q.AlwaysDottedEnabled = !fromRule && !mismatch;

    TAnswer given = port.Ask(q);
    out.Asked = true;
    if (given == TAnswer::AlwaysPlain || given == TAnswer::AlwaysDotted) {
        const TAnswer once = given == TAnswer::AlwaysPlain ? TAnswer::Plain : TAnswer::Dotted;
        // A standing choice exists only for a word form whose ё agrees with the
        // dictionary (the question offers it only then); for anything else the
        // answer counts as a plain е or ё.
        if (word.Entry >= 0 && word.Entry < m_dic.FormCount() && q.AlwaysPlainEnabled) {
            m_ui.SetCommandEnabled("ClearUserSel1", true);
            m_dicState.FormAlways.Set(word.Entry, StoredChoice(once));
        }
        given = once;
    }
    if (given == TAnswer::Undo)
        out.UndoRequested = true;
    if (given != TAnswer::Plain && given != TAnswer::Dotted)
        return TAnswer::None;
    if (options.Context && !mismatch)
        port.NoteAnswer(out.Context, given);
    if (word.Entry >= 0) {
        if (fromRule)
            m_dicState.RuleLastAnswer.Set(word.Entry, StoredChoice(given));
        else
            m_dicState.FormLastAnswer.Set(word.Entry, StoredChoice(given));
    }
    return given;
}

} // namespace tildo
