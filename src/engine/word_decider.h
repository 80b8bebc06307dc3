#pragma once

#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "engine/context_judge.h"
#include "engine/lookup_cache.h"
#include "engine/pass_options.h"
#include "platform/asker.h"
#include "platform/text_document.h"
#include "platform/user_interface.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tildo {

// What decides a word in the main dictionary.
enum class TEntryKind : std::uint8_t {
    None, // not in the dictionary
    Form, // a word form (всё, ещё)
    Rule, // a rule (*съёмка, полёт*)
};

// Everything known about one word before it is decided.
struct TWordCase
{
    std::string_view Word; // as written in the text
    TEntryKind Kind = TEntryKind::None;
    std::string_view Form; // the entry's ё form, as the dictionary has it; empty without an entry
    bool Variant = false; // the е spelling is a word too
    TAnswer Standing = TAnswer::None; // a word form's standing choice: None, Plain or Dotted
    TAnswer Last = TAnswer::None; // the entry's remembered answer: None, Plain or Dotted
    TAnswer Combination = TAnswer::None; // the word window's verdict: None, Plain or Dotted
    int Entry = -1; // the form's or rule's index, where answers are remembered; -1 none
    int CombinationEntry = -1; // the combination that gave the verdict, whose use is counted
    // What the pass saw around a short word with an entry (NoteSurroundings):
    bool AbbreviationStop = false; // a full stop after it, and the sentence goes on
    bool StandsApart = false; // no word of running text beside it on its line
};

// The longest word that a full stop after it can make an abbreviation (пер.,
// врем., прим.): abbreviations are cut short, and the few words this short that
// end a sentence before a lower-case word are not worth a silent ё.
constexpr std::size_t AbbreviationLetters = 4;

// Whether after, the text right after a word, marks the word as cut short: a
// full stop (not an ellipsis) after which the sentence goes on — a blank and
// then a lower-case letter or a digit, or a comma, semicolon, colon or closing
// bracket («прим. пер.)», «врем. файл»). Where after ends first, nothing is known.
bool IsAbbreviationStop(std::string_view after);

// Whether a word stands apart from running text, given the text before and
// after it on its line: a tab or a run of blanks parts it from its neighbour
// on either side, or a digit or a bar stands next to it. So stands a cell of a
// table (| ПЕР |) or a command with its argument (ПЕР 5); a word of a sentence
// (еще ЕЩЕ раз., ЕЩЕ!) or a line of its own does not.
bool StandsApart(std::string_view before, std::string_view after);

// Sets the word's AbbreviationStop and StandsApart from a few characters of
// doc on either side of it; position is the offset of its first letter.
void NoteSurroundings(const TextDocument& doc, int position, TWordCase& word);

// A word that may be a ё word in disguise: an abbreviation, or a word of at
// most three letters, all capitals, that stands apart (ПЕР in a table of
// commands, an acronym). The dictionary's ё for it is a question at most.
bool IsDisguisedWord(const TWordCase& word);

enum class TVerdict : std::uint8_t {
    Leave, // the word stays as written and counts nowhere
    Write, // Result is written over the word (it may be the word itself)
    Stop, // a question was cancelled or an undo asked for: the pass stops here
    Collect, // a collection run: the word's ё is not confirmed; Result goes to the word pane
};

// What the decision settled for a word.
struct TWordDecision
{
    TVerdict Verdict = TVerdict::Leave;
    std::string Result;
    bool Asked = false;
    bool UndoRequested = false;
    bool ByCombination = false; // the combination's verdict stood in for the dictionary's
    bool ByContext = false; // the context judge's sure answer settled the word without a question
    TContextVerdict Context; // the judge's answer, when it was asked (questions show it too)
};

// The pass's side of a question: shows the word, completes the question with
// what only the pass knows (the context, the undo offer), asks, and gives the
// answer back as it was given.
class TQuestionPort
{
public:
    virtual TAnswer Ask(TQuestion& question) = 0;
    // The context judge's answer about a variant word (word as written, dotted
    // its ё form in the word's case); None when the pass has no judge.
    virtual TContextVerdict JudgeContext(std::string_view /*word*/, std::string_view /*dotted*/)
    {
        return {};
    }
    // The answer given to a question the judge was asked about (verdict its
    // answer then), so that the rest of the text may lean the same way.
    virtual void NoteAnswer(const TContextVerdict& /*verdict*/, TAnswer /*given*/) { }

protected:
    ~TQuestionPort() = default;
};

// The decision for one word, apart from the scan that finds the words: the
// lookup in the main dictionary, the standing choices, the combination's
// verdict, the run options and the question. It remembers the answers and
// standing choices in the dictionary (or in the states it is given) and counts
// the combinations' uses.
class TWordDecider
{
public:
    TWordDecider(TDic& dic, TCombiWordsDic& combi, UserInterface& ui);
    // Reads the dictionaries only; what it remembers goes to the states.
    TWordDecider(const TDic& dic, const TCombiWordsDic& combi, TDicRunState& dicState,
        TCombiRunState& combiState, UserInterface& ui);
    TWordDecider(const TWordDecider&) = delete;
    TWordDecider& operator=(const TWordDecider&) = delete;

    // Lookups are cached from word to word; the dictionary must not change
    // until this is called.
    void ForgetLookups() { m_cache.Clear(); }
    // The word (without ё) was looked up before and is not in the dictionary.
    bool IsKnownMissing(std::string_view word) const { return m_cache.IsKnownMissing(word); }
    // The word will be decided soon: its lookup is brought into the cache of the processor.
    void Prefetch(std::string_view word) const { m_cache.Prefetch(word); }

    // What the dictionary says about a word of the text. The case's views hold
    // until the next lookup; its combination verdict is left for the caller.
    TWordCase LookUp(std::string_view word, bool hasDotted);

    // The decision table; asks through port when the word needs a question.
    TWordDecision Decide(
        const TPassOptions& options, bool collecting, const TWordCase& word, TQuestionPort& port);

private:
    bool FindInDictionary(std::string_view folded);
    TAnswer Ask(const TPassOptions& options, const TWordCase& word, TAnswer proposed, bool hasDotted,
        bool missing, bool misplaced, bool mismatch, TQuestionPort& port, TWordDecision& out);

    const TDic& m_dic;
    const TCombiWordsDic& m_combi;
    TDicRunState& m_dicState;
    TCombiRunState& m_combiUse;
    UserInterface& m_ui;
    TLookupCache m_cache;
    // Reused from word to word.
    TDicEntry m_entry;
    std::string m_folded;
    std::string m_plain; // the е form in the word's case (for a misplaced ё: the dictionary's placement)
    std::string m_form; // the ё form in the word's case (or the word as written)
};

} // namespace tildo
