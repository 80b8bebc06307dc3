// The word window of the combination analysis, and the questions about a word.

#include "engine/question.h"
#include "engine/yoficator.h"
#include "platform/scope_guard.h"
#include "platform/text_document.h"
#include "text/cp1251.h"
#include "text/letters.h"

namespace tildo {

void TYoficator::PresentWord(int position, int length, bool highlight)
{
    const int line = m_doc.LineOf(position);
    ShowPosition(m_doc, m_doc.LineStart(line + LinesBelow));
    ShowPosition(m_doc, position);
    m_doc.Select(position, length);
    if (highlight)
        m_doc.SetSelectionBackground(ColourAqua);
}

TAnswer TYoficator::AskAboutWord(int position, int length, TQuestion& q)
{
    const bool highlight = q.DottedMissing || q.DottedMismatch;
    if (m_candidatesPending) {
        m_candidatesPending = false;
        BuildCandidates();
    }
    PresentWord(position, length, highlight);
    TContext context = GetContext(m_doc, ContextAddLetters);
    q.Context = std::move(context.Text);
    q.WordOffset = context.Offset;
    q.WordLength = context.Length;
    q.UndoEnabled = m_undo.UndoAvailable();
    q.UndoCaption = UndoCaption();

    const TAnswer answer = AskUser(q);
    // The user may have changed an option while the question waited.
    RefreshOptions();
    m_asked = true;
    if (highlight) {
        m_doc.Select(position, length);
        m_doc.SetSelectionBackground(ColourWhite);
    }
    m_doc.Select(position, 0);
    return answer;
}

TAnswer TYoficator::AskUser(const TQuestion& question)
{
    if (m_script != nullptr && m_script->ScriptedTesting
        && m_script->NextAnswer < m_script->TestAnswers.Count()) {
        const int scripted = m_script->TestAnswers[m_script->NextAnswer++];
        return scripted != 0 ? TAnswer::Dotted : TAnswer::Plain;
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
    // Candidates left unbuilt for this decision are not built later.
    TScopeGuard candidates([this] { m_candidatesPending = false; });
    if (m_combiFilter.AnyCandidateMayMatch(m_window, m_limits.MaxCombiWords())) {
        BuildCandidates();
        found = MatchCombination(m_window.Candidates);
    } else {
        // None of them can match, which is the usual case: the texts are
        // built only if a question about the word shows them.
        m_window.Candidates.Clear();
        m_candidatesPending = true;
    }
    // The combination's answer lasts for one decision, whatever way it ends.
    TScopeGuard combiState([this] { m_combiState = 0; });
    m_combiState = m_window.Decisions[0];
    if (found >= 0)
        m_combiStateEntry = found;
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
