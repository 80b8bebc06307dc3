// The decision for one word: the lookup, the standing choices, the combination
// analysis over the word window, the run options and the question.

#include "engine/question.h"
#include "engine/yoficator.h"
#include "text/cp1251.h"
#include "text/letters.h"
#include "text/messages.h"

namespace tildo {

namespace {

// The combination's answer lasts for one decision, whatever way it ends.
class TCombiStateScope
{
public:
    explicit TCombiStateScope(int& state)
        : m_state(state)
    {
    }
    ~TCombiStateScope() { m_state = 0; }
    TCombiStateScope(const TCombiStateScope&) = delete;
    TCombiStateScope& operator=(const TCombiStateScope&) = delete;

private:
    int& m_state;
};

// Candidates left unbuilt for a decision are not built later.
class TCandidatesScope
{
public:
    explicit TCandidatesScope(bool& pending)
        : m_pending(pending)
    {
    }
    ~TCandidatesScope() { m_pending = false; }
    TCandidatesScope(const TCandidatesScope&) = delete;
    TCandidatesScope& operator=(const TCandidatesScope&) = delete;

private:
    bool& m_pending;
};

} // namespace

bool TYoficator::FindInDictionary(std::string_view plain)
{
    bool found = false;
    if (!m_lookupCache.Find(plain, found, m_entry)) {
        found = m_dic.Lookup(plain, m_entry);
        m_lookupCache.Insert(plain, found, m_entry);
    }
    return found;
}

void TYoficator::LookUpWord(std::string_view plain, TLookUp& out)
{
    ApplyLookup(FindInDictionary(plain), out);
}

// The lookup's answer from the dictionary entry in m_entry (if found), the
// standing choice, and the combination's verdict.
void TYoficator::ApplyLookup(bool found, TLookUp& out)
{
    if (found) {
        const int i = m_entry.Index;
        out.Form.assign(m_entry.Form);
        out.Entry = i;
        out.FromRule = m_entry.IsRule;
        if (!m_entry.IsRule) {
            const int always = m_dicState.FormAlways[i];
            if (always != 0) {
                out.Variant = false;
                out.Answer = always;
            } else {
                out.Variant = m_dic.FormVariant[i] != 0;
                out.Answer = out.Variant ? m_dicState.FormLastAnswer[i] : 2;
            }
        } else {
            out.Variant = m_dic.RuleVariant[i] != 0;
            out.Answer = out.Variant ? m_dicState.RuleLastAnswer[i] : 2;
        }
    } else {
        out.Form.clear();
        out.Entry = -1;
        out.FromRule = true;
        out.Variant = false;
        out.Answer = 1;
    }
    if (out.Entry >= 0 && m_combiState != 0) {
        out.Answer = m_combiState;
        out.Variant = false;
        ++m_counters.CombiDecisionCount;
        if (m_combiStateEntry >= 0 && m_combiStateEntry < m_combi.Count())
            m_combiUse.UseCounts.Set(m_combiStateEntry, m_combiUse.UseCounts[m_combiStateEntry] + 1);
        else
            m_ui.ErrorBox(Cp("Ошибка #1!"));
    }
}

void TYoficator::DecideWord(std::string_view word, int position, TDecision& out)
{
    Decide(word, position, HasDottedE(word), out);
}

void TYoficator::Decide(std::string_view word, int position, bool hasDotted, TDecision& out)
{
    m_undoRequested = false;
    m_asked = false;
    out.Result.clear();
    if (!m_options.FastScroll)
        ShowPosition(m_doc, position);

    // A word without ё is its own lookup key. The many words that the
    // dictionary does not know, once their lookup is cached, are settled here:
    // the decision for them is the word itself (or nothing in a collection run
    // and with only obligatory replacements).
    bool found = false;
    bool cached = false;
    if (!hasDotted) {
        cached = m_lookupCache.Find(word, found, m_entry);
        if (cached && !found) {
            out.Entry = -1;
            out.FromRule = true;
            if (m_collecting || m_options.VarOnly)
                return;
            m_aborted = false;
            out.Result.assign(word);
            return;
        }
    }
    m_plain.assign(word); // E
    if (hasDotted)
        FoldDottedEInPlace(m_plain);
    if (!cached)
        found = FindInDictionary(m_plain);
    ApplyLookup(found, m_lookup);
    out.Entry = m_lookup.Entry;
    out.FromRule = m_lookup.FromRule;

    std::string& form = m_lookup.Form;
    const bool mismatch = hasDotted && !EqualLower(form, word);
    const bool misplaced = mismatch && !form.empty();
    const bool missing = !hasDotted && !m_lookup.Variant && m_lookup.Answer == 2;
    if (misplaced)
        m_plain = ApplyCase(form, word); // the е button offers the dictionary's placement
    if ((form.empty() && hasDotted) || misplaced)
        form.assign(word);
    if (!form.empty())
        form = ApplyCase(form, word);

    if (m_collecting) {
        if (mismatch) {
            CountNewDotted();
            AddToWordPane(form);
        }
        return;
    }
    bool variant = m_lookup.Variant;
    if (!variant && m_options.VarOnly && !mismatch)
        return;
    if (variant && m_options.NoVarOnly)
        return;
    if (mismatch) {
        if (m_options.NoVarOnly)
            return;
        variant = true;
    }
    if (!variant && m_options.AlwaysAsk && !form.empty())
        variant = true;

    int answer = m_lookup.Answer;
    if (variant)
        answer = AskAboutWord(word, position, hasDotted, missing, misplaced, mismatch, answer);

    m_aborted = false;
    if (answer == 1)
        out.Result.swap(m_plain); // m_plain is rebuilt for the next word
    else if (answer == 2)
        out.Result = form;
    else
        m_aborted = true;
}

void TYoficator::PresentWord(int position, int length, bool highlight)
{
    const int line = m_doc.LineOf(position);
    ShowPosition(m_doc, m_doc.LineStart(line + LinesBelow));
    ShowPosition(m_doc, position);
    m_doc.Select(position, length);
    if (highlight)
        m_doc.SetSelectionBackground(ColourAqua);
}

int TYoficator::AskAboutWord(std::string_view word, int position, bool hasDotted, bool missing,
    bool misplaced, bool mismatch, int answer)
{
    const int length = static_cast<int>(word.size());
    const bool highlight = missing || mismatch;
    const int entry = m_lookup.Entry;
    const bool fromRule = m_lookup.FromRule;
    if (m_candidatesPending) {
        m_candidatesPending = false;
        BuildCandidates();
    }
    PresentWord(position, length, highlight);

    TQuestion q;
    q.PlainForm = m_plain;
    q.DottedForm = m_lookup.Form;
    if (m_options.ProposeLast && answer != 0 && !mismatch)
        q.DefaultDotted = answer != 1;
    else
        q.DefaultDotted = hasDotted && !mismatch;
    TContext context = GetContext(m_doc, ContextAddLetters);
    q.Context = std::move(context.Text);
    q.WordOffset = context.Offset;
    q.WordLength = context.Length;
    q.DottedMissing = missing;
    q.DottedMisplaced = misplaced;
    q.DottedMismatch = mismatch;
    q.FromRule = fromRule;
    ChooseCaption(q);
    q.AlwaysPlainEnabled = q.AlwaysDottedEnabled = !fromRule && !mismatch;
    q.UndoEnabled = m_undo.UndoAvailable();
    q.UndoCaption = UndoCaption();

    int code = AskUser(q);
    // The user may have changed an option while the question waited.
    RefreshOptions();

    if (code == AnswerAlwaysPlain || code == AnswerAlwaysDotted) {
        // A standing choice exists only for a word form whose ё agrees with the
        // dictionary (the question offers it only then); for anything else the
        // answer counts as a plain е or ё.
        if (entry >= 0 && entry < m_dic.FormCount() && q.AlwaysPlainEnabled) {
            m_ui.SetCommandEnabled("ClearUserSel1", true);
            m_dicState.FormAlways.Set(entry, code == AnswerAlwaysPlain ? 1 : 2);
        }
        code = code == AnswerAlwaysPlain ? AnswerPlain : AnswerDotted;
    }
    m_asked = true;
    if (highlight) {
        m_doc.Select(position, length);
        m_doc.SetSelectionBackground(ColourWhite);
    }
    m_doc.Select(position, 0);

    if (code == AnswerUndo) {
        m_undoRequested = true;
        code = AnswerCancel;
    }
    const int given = code == AnswerPlain ? 1 : (code == AnswerDotted ? 2 : -1);
    if (entry >= 0 && given > 0) {
        if (fromRule)
            m_dicState.RuleLastAnswer.Set(entry, static_cast<std::int8_t>(given));
        else
            m_dicState.FormLastAnswer.Set(entry, static_cast<std::int8_t>(given));
    }
    return given;
}

int TYoficator::AskUser(const TQuestion& question)
{
    if (m_script != nullptr && m_script->ScriptedTesting
        && m_script->NextAnswer < m_script->TestAnswers.Count()) {
        const int scripted = m_script->TestAnswers[m_script->NextAnswer++];
        return scripted != 0 ? AnswerDotted : AnswerPlain;
    }
    return m_asker.Ask(question);
}

// --- combinations -------------------------------------------------------------------

// Adds Trim(a + b + c) to the candidates, building it in reused storage.
void TYoficator::AddCandidate(std::string_view a, std::string_view b, std::string_view c)
{
    m_scratch.assign(a);
    m_scratch.append(b);
    m_scratch.append(c);
    std::string_view text(m_scratch);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32)
        text.remove_suffix(1);
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32)
        text.remove_prefix(1);
    m_window.Candidates.Add(std::string(text));
}

void TYoficator::BuildCandidates()
{
    TStringBuffer& candidates = m_window.Candidates;
    candidates.Clear();
    m_chain.clear();
    m_leadChain.clear();
    const bool withLead = m_window.Separators[0] != " ";
    const int maxWords = m_limits.MaxCombiWords();
    const int count = m_window.Words.Count();
    for (int k = 0; k < count; ++k) {
        const std::string_view separator = m_window.Separators[k];
        m_folded.assign(m_window.Words[k]);
        FoldDottedEInPlace(m_folded);
        if (k == 0)
            candidates.Add(m_folded);
        if (k > 0) {
            if (separator != " ") {
                AddCandidate(m_chain, separator, {});
                if (withLead)
                    AddCandidate(m_leadChain, separator, {});
            }
            if (!m_folded.empty() && k < maxWords)
                AddCandidate(m_chain, separator, m_folded);
        }
        m_chain = candidates[candidates.Count() - 1];
        if (withLead && k < maxWords) {
            AddCandidate(m_leadChain, separator, m_folded);
            m_leadChain = candidates[candidates.Count() - 1];
        }
    }
}

void TYoficator::DecideOldest()
{
    const int count = m_window.Words.Count();
    if (count == 0 || (count == 1 && m_window.Words[0].empty()))
        return;
    // A window whose words hold no е or ё decides nothing.
    bool anyE = false;
    unsigned oldestLetters = 0;
    if (m_windowTracked && count <= 32) {
        const std::uint64_t live = count == 32 ? ~std::uint64_t(0) : (std::uint64_t(1) << (2 * count)) - 1;
        anyE = (m_windowLetters & live) != 0;
        oldestLetters = static_cast<unsigned>(m_windowLetters >> (2 * (count - 1))) & 3;
    } else {
        for (int k = 0; k < count && !anyE; ++k)
            anyE = HasAnyE(m_window.Words[k]);
        oldestLetters = ELettersOf(m_window.Words[0]);
    }
    if (!anyE) {
        m_window.Candidates.Clear();
        return;
    }
    int found = -1;
    TCandidatesScope candidates(m_candidatesPending);
    if (m_combiFilter.AnyCandidateMayMatch(m_window, m_limits.MaxCombiWords())) {
        BuildCandidates();
        found = MatchCombination(m_window.Candidates);
    } else {
        // None of them can match, which is the usual case: the texts are
        // built only if a question about the word shows them.
        m_window.Candidates.Clear();
        m_candidatesPending = true;
    }
    TCombiStateScope scope(m_combiState);
    m_combiState = m_window.Decisions[0];
    if (found >= 0)
        m_combiStateEntry = found;
    // ConsiderWord, with the letters known.
    const std::string_view oldest = m_window.Words[0];
    if (oldest.size() >= 2 && oldestLetters != 0)
        Consider(m_window.Positions[0], oldest, oldestLetters);
}

int TYoficator::MatchCombination(const TStringBuffer& candidates)
{
    int found = -1;
    for (int j = candidates.Count() - 1; j >= 1; --j) {
        if (!m_combiFilter.MayMatch(candidates[j]))
            continue;
        found = m_combi.FindCombination(candidates[j]);
        if (found >= 0) {
            m_pendingCombiText = m_combi.Keys[static_cast<std::size_t>(found)];
            break;
        }
    }
    if (found < 0)
        return -1;
    const int words = m_combi.WordCounts[found];
    const std::int32_t mask = m_combi.DottedMasks[found];
    for (int n = 0; n < m_window.Decisions.Count(); ++n) {
        const int dotted = n < 16 ? (mask >> n) & 1 : 0; // only the low 16 bits of a mask count
        m_window.Decisions.Set(n, n < words ? dotted + 1 : 0);
    }
    return found;
}

} // namespace tildo
