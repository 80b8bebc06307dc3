#pragma once

#include "dict/combination_dictionary.h"
#include "dict/my_lists.h"
#include "engine/combination_filter.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tildo {

// Where the word window sends the words it lets go.
class TWindowDecisions
{
public:
    // The oldest word of the window, two letters or more with е or ё in them
    // (letters: its ELettersOf), is to be decided; the window's verdict on it
    // stands in Verdict() and VerdictEntry() for the length of the call.
    virtual void DecideWord(int position, std::string_view word, unsigned letters) = 0;
    // The pass stopped (Esc, a cancelled question): the words still waiting stay undecided.
    virtual bool Stopped() const = 0;

protected:
    ~TWindowDecisions() = default;
};

// The word window of the combination analysis. It holds the last words of
// the text, each with the separator before it (blanks collapsed), and the end
// entry (no word, the text after the last one). When it is full, its oldest
// word is decided: the texts that begin with that word (with and without the
// separator before it, growing by a separator and a word at a time, up to the
// longest group the dictionary may hold) are looked up in the combination
// dictionary, the longest first. A match settles е or ё for each word it spans
// and clears the verdicts of the words after them; the verdicts move up the
// window with their words until the next match writes them all anew.
//
// The words and verdicts live in a TWordBuffer the caller owns (the window of
// the program, whose questions show the candidate texts); this class keeps what
// only the scan that fills it knows.
class TCombinationWindow
{
public:
    TCombinationWindow(const TCombiWordsDic& combi, TWordBuffer& window, const TBufferLimits& limits);
    TCombinationWindow(const TCombinationWindow&) = delete;
    TCombinationWindow& operator=(const TCombinationWindow&) = delete;

    // A scan starts: the window is emptied. With combinations, the quick
    // screening of candidates is built for the dictionary, unless keepFilter
    // and it is built already (the dictionary has not changed since).
    void BeginScan(bool combinations, bool keepFilter);
    // The scan ended, on any path: the screening is dropped unless keepFilter
    // (outside a scan it lets every text through), and the window's words are
    // no longer known to be this scan's.
    void EndScan(bool keepFilter);

    // A word of the text, or the end entry (an empty word): into the window,
    // and once the window is full its oldest word is decided.
    void Push(int position, std::string_view word, std::string_view separator, unsigned letters,
        TWindowDecisions& to)
    {
        m_window.Push(position, word, separator);
        m_windowLetters = (m_windowLetters << 2) | letters;
        if (m_window.Words.Count() == m_limits.BufferCapacity())
            DecideOldest(to);
    }
    // The end of the text, after the end entry: the words still waiting are
    // decided, oldest first, until the pass stops.
    void DecideRest(TWindowDecisions& to);

    // The verdict on the word being decided (0 none, 1 е, 2 ё; 0 between
    // decisions), and the entry of the last combination that matched.
    int Verdict() const { return m_verdict; }
    int VerdictEntry() const { return m_verdictEntry; }

    // The candidate texts of the word being decided, built now if screening
    // left them unbuilt (a question about the word shows them).
    void BuildPendingCandidates();

    // The combination that matched last, until a decided word takes it for
    // the combination log.
    bool HasMatchedText() const { return !m_matchedText.empty(); }
    std::string TakeMatchedText();

private:
    void DecideOldest(TWindowDecisions& to);
    void BuildCandidates();
    // Adds Trim(a + b + c) to the candidates.
    void AddCandidate(std::string_view a, std::string_view b, std::string_view c);
    // The longest candidate (the oldest word alone never) that matches an entry,
    // its verdicts written over the window's; -1 when none matches.
    int MatchCombination();

    const TCombiWordsDic& m_combi;
    TWordBuffer& m_window;
    const TBufferLimits& m_limits;
    // ELettersOf of the words pushed since the scan began, two bits each, the
    // latest in the lowest bits: the window holds the last pushes.
    std::uint64_t m_windowLetters = 0;
    bool m_windowTracked = false; // m_windowLetters describes the window (during a scan)
    bool m_candidatesPending = false; // the oldest word's candidates are not built (none can match)
    int m_verdict = 0;
    int m_verdictEntry = -1;
    std::string m_matchedText;

    // Working storage reused from word to word, so that a word costs no allocation.
    std::string m_chain;
    std::string m_leadChain;
    std::string m_folded;
    std::string m_scratch;
    TCombinationFilter m_filter; // last: the members above are the ones every word touches
};

} // namespace tildo
