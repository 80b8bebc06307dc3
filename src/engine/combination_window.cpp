#include "engine/combination_window.h"

#include "platform/scope_guard.h"
#include "text/letters.h"

namespace tildo {

TCombinationWindow::TCombinationWindow(
    const TCombiWordsDic& combi, TWordBuffer& window, const TBufferLimits& limits)
    : m_combi(combi)
    , m_window(window)
    , m_limits(limits)
{
}

void TCombinationWindow::BeginScan(bool combinations, bool keepFilter)
{
    m_window.Clear();
    m_windowLetters = 0;
    m_windowTracked = true;
    if (combinations && !(keepFilter && m_filter.Built()))
        m_filter.Build(m_combi);
}

void TCombinationWindow::EndScan(bool keepFilter)
{
    if (!keepFilter)
        m_filter.Clear();
    // Outside a scan others may fill the window, so its words' letters are not known.
    m_windowTracked = false;
}

void TCombinationWindow::DecideRest(TWindowDecisions& to)
{
    if (m_window.Words.Count() == m_limits.BufferCapacity())
        m_window.DropOldest(); // decided when the window filled
    const int waiting = m_window.Words.Count();
    for (int k = 0; k < waiting; ++k) {
        DecideOldest(to);
        if (to.Stopped())
            return;
        m_window.DropOldest();
    }
}

std::string TCombinationWindow::TakeMatchedText()
{
    std::string text = std::move(m_matchedText);
    m_matchedText.clear();
    return text;
}

void TCombinationWindow::BuildPendingCandidates()
{
    if (!m_candidatesPending)
        return;
    m_candidatesPending = false;
    BuildCandidates();
}

void TCombinationWindow::DecideOldest(TWindowDecisions& to)
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
    if (m_filter.AnyCandidateMayMatch(m_window, m_limits.MaxCombiWords())) {
        BuildCandidates();
        found = MatchCombination();
    } else {
        // None of them can match, which is the usual case: the texts are
        // built only if a question about the word shows them.
        m_window.Candidates.Clear();
        m_candidatesPending = true;
    }
    // The verdict lasts for one decision, whatever way it ends.
    TScopeGuard verdict([this] { m_verdict = 0; });
    m_verdict = m_window.Decisions[0];
    if (found >= 0)
        m_verdictEntry = found;
    const std::string_view oldest = m_window.Words[0];
    if (oldest.size() >= 2 && oldestLetters != 0)
        to.DecideWord(m_window.Positions[0], oldest, oldestLetters);
}

// The texts that begin with the oldest word, in the order they grow: the word
// alone; then, word by word, the text so far with the next separator when that
// is more than a blank, and with the separator and the next word. A window
// whose oldest word follows more than a blank has each text once more with
// that separator in front.
void TCombinationWindow::BuildCandidates()
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

void TCombinationWindow::AddCandidate(std::string_view a, std::string_view b, std::string_view c)
{
    // Built in reused storage.
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

int TCombinationWindow::MatchCombination()
{
    const TStringBuffer& candidates = m_window.Candidates;
    int found = -1;
    for (int j = candidates.Count() - 1; j >= 1; --j) {
        if (!m_filter.MayMatch(candidates[j]))
            continue;
        found = m_combi.FindCombination(candidates[j]);
        if (found >= 0) {
            m_matchedText = m_combi.Keys[static_cast<std::size_t>(found)];
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
