#pragma once

#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "dict/my_lists.h"
#include "engine/context_judge.h"
#include "engine/pass_options.h"
#include "platform/asker.h"
#include "platform/text_document.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tildo {

class UserInterface;

// What settles a disputed word without the user: nothing (it is asked), the
// word form's standing choice, or a combination of words around it.
enum class TSettledBy : std::uint8_t {
    Question,
    Standing,
    Combination,
};

// One disputed word of a text: a question a pass would ask about it, or a word
// that would be asked about had a standing choice or a combination not settled
// it. Texts are CP1251.
struct TCollectedQuestion
{
    int Position = 0; // document offset of the word (from 0)
    int Line = 0; // from 0
    int Column = 1; // from 1
    std::string Word; // as written
    // The question as the pass builds it (forms, proposed answer, caption and
    // flags); its context is taken from the unchanged text and cut at word
    // boundaries.
    TQuestion Question;
    bool ContextCutBefore = false; // the text goes on before the context
    bool ContextCutAfter = false; // and after it
    TSettledBy SettledBy = TSettledBy::Question;
    bool Asked() const { return SettledBy == TSettledBy::Question; }
};

// The questions of a whole pass over doc from its start, gathered without a
// question to the user and without changing the text or the dictionaries (the
// remembered answers, standing choices, statistics and combination use counts
// are as before). The pass runs over a copy of the text with the option marks
// ui has checked, every question answered with its proposed answer: a pass
// answered that way asks exactly these questions, and a pass answered any other
// way with е or ё asks about the same words.
class TQuestionCollector
{
public:
    TQuestionCollector(TDic& dic, TCombiWordsDic& combi, TWordBuffer& window, const TBufferLimits& limits);

    int ContextAddLetters = 20; // characters shown around a word, before the cut at word boundaries
    TContextJudge* Judge = nullptr; // with "Решать по контексту" on: proposes answers and decides sure words

    std::vector<TCollectedQuestion> Collect(const TextDocument& doc, const UserInterface& ui);

private:
    TDic& m_dic;
    TCombiWordsDic& m_combi;
    TWordBuffer& m_window;
    const TBufferLimits& m_limits;
};

// The answer that leaves the asked word as written: the form that equals it,
// else the form with or without ё as the word has it.
TAnswer AnswerKeepingWord(const TQuestion& question, std::string_view word);

// Answers the questions of a pass from decisions made beforehand, by the
// position of the word (document offset): Plain or Dotted. A question about a
// word without a decision keeps the word as written. The words it was asked
// about are recorded, so that a caller can tell which decisions the pass met.
class TDecisionAsker : public Asker
{
public:
    TDecisionAsker(const TextDocument& doc, std::map<int, TAnswer> decisions);

    TAnswer Ask(const TQuestion& question) override;

    int AnsweredCount() const { return m_answered; }
    int KeptCount() const { return m_kept; }

private:
    const TextDocument& m_doc;
    std::map<int, TAnswer> m_decisions;
    int m_answered = 0;
    int m_kept = 0;
};

// The word selected in doc (the engine selects the word it asks about).
std::string SelectedWord(const TextDocument& doc);

} // namespace tildo
