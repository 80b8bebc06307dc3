#pragma once

#include "dict/rare_yo_list.h"
#include "dict/tag_dictionary.h"
#include "platform/answer.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tildo {

// A word beside the judged one, as the pass's word window holds it.
struct TJudgeNeighbour
{
    std::string_view Word; // as written (CP1251; е or ё, any case)
    // The text between this word and its neighbour on the judged word's side:
    // blanks, punctuation, digits, anything that is not a Russian letter.
    std::string_view Gap;
};

// What the pass must supply about a variant word that neither a standing
// choice nor a combination settled:
// - Word, the word as written, and Dotted, its ё spelling (the dictionary's
//   form in the word's case, a rule's fragment spliced in);
// - Before and After, the words around it nearest first, up to Reach each
//   side, each with the gap on its side towards the judged word: with the
//   window's words w and their separators s (s[i] the text before w[i]) and
//   the judged word at k, Before[j] = {w[k-1-j], s[k-j]} and
//   After[j] = {w[k+1+j], s[k+1+j]};
// - TextStartsBefore: no word stands before the last of Before (the text or
//   paragraph begins there); TextEndsAfter likewise after the last of After.
// Fewer words than Reach on a side, without the flag, only means the pass
// knows no more: the judge then decides nothing that needs them. Words past a
// sentence end (. ! ? … in a gap) are never looked at.
struct TJudgeInput
{
    static constexpr std::size_t Reach = 3;

    std::string_view Word;
    std::string_view Dotted;
    std::span<const TJudgeNeighbour> Before;
    std::span<const TJudgeNeighbour> After;
    bool TextStartsBefore = false;
    bool TextEndsAfter = false;
};

// The families of variants the judge knows, for its evidence and the counts.
enum class TJudgeFamily : std::uint8_t {
    None, // a variant the judge has no rules for
    All, // все/всё
    Prepositional, // a ё form that is only a prepositional case: чём, нём, всём, моём
    Verb, // one spelling a finite verb: берет/берёт; узнаем/узнаём
    NounCase, // two noun forms of different case or number: озера/озёра, черта/чёрта
    Rare, // one of the two spellings is listed as rare
};

// The family's short name for reports: "all", "prepositional", "verb",
// "noun-case", "rare"; "other" for None.
std::string_view JudgeFamilyName(TJudgeFamily family);

// The judge's answer about one word: Plain (е), Dotted (ё) or None (it cannot
// tell), with the evidence (CP1251: the rule and the word that decided, e.g.
// "глагол ед. ч. ср. р. после: стало"), empty when it cannot tell.
// Where it cannot tell, Lean may still name the likelier spelling (a usual
// reading of the words around, not a rule of grammar): good enough to propose
// in a question, never to decide a word; Evidence then says why.
struct TContextVerdict
{
    TAnswer Answer = TAnswer::None;
    TJudgeFamily Family = TJudgeFamily::None;
    std::string Evidence;
    TAnswer Lean = TAnswer::None;
};

// Reads the sentence around a variant word and says which spelling its
// grammar demands: agreement of все/всё with the verb, noun, pronoun or
// adjective beside it, the preposition that a prepositional ё form needs, the
// subject or modifier of a verb/noun homograph, the case that a preposition,
// a number or an adjective gives a noun. It answers only where its rules are
// sure and says None elsewhere (Он знал все.). A few tag lookups a word.
// The judge keeps scratch storage: one judge per pass, not shared by threads.
class TContextJudge
{
public:
    // tags and rare must outlive the judge; either may be empty (then the
    // rules that need it say nothing).
    TContextJudge(const TTagDictionary& tags, const TRareYoList& rare);
    TContextJudge(const TContextJudge&) = delete;
    TContextJudge& operator=(const TContextJudge&) = delete;

    TContextVerdict Judge(const TJudgeInput& input);

    // A new text begins: what the judge learnt of the last one's habits (how
    // often its sure answers wrote всё rather than все) is forgotten.
    void BeginText();
    // The user's answer to a question about a word of the family: counted
    // in the text's habit like the judge's own sure answers.
    void NoteAnswer(TJudgeFamily family, TAnswer answer);

    // The family a variant belongs to by its two spellings' tags.
    TJudgeFamily FamilyOf(std::string_view word, std::string_view dotted);

private:
    struct TSide;
    TContextVerdict JudgeAll(const TJudgeInput& in);
    // A capitalised infinitive or imperative inside a sentence right before
    // the word: the two open a label (кнопка Заменить все выполняет…), and a
    // verb after it is the sentence's.
    bool LabelBefore(const TJudgeInput& in);
    TContextVerdict JudgePrepositional(const TJudgeInput& in);
    TContextVerdict JudgeVerb(const TJudgeInput& in);
    TContextVerdict JudgeNounCase(const TJudgeInput& in);
    // A verb homograph by the words joined to it: a short participle after
    // быть, the tense of a verb joined by и or или.
    TContextVerdict JudgeJoinedVerb(const TJudgeInput& in);
    // The verb joined to the word by и or или on one side, or null.
    const TWordTags* JoinedVerb(const TJudgeInput& in, bool after);
    // The likelier spelling where the family's rules cannot tell: None when
    // nothing around leans either way.
    TContextVerdict LeanAll(const TJudgeInput& in);
    TContextVerdict LeanVerb(const TJudgeInput& in);
    TContextVerdict LeanNounCase(const TJudgeInput& in);
    // The readings of a neighbour (cached for the current word), or null when
    // it is past a sentence end or not given.
    const TWordTags* Neighbour(const TJudgeInput& in, bool after, std::size_t index);
    // The neighbour's readings when it stands right beside the previous one
    // (only blanks between), else null.
    const TWordTags* Adjacent(const TJudgeInput& in, bool after, std::size_t index);

    const TTagDictionary& m_tags;
    const TRareYoList& m_rare;
    // Scratch for the current word.
    TWordTags m_word;
    std::uint32_t m_dottedMask = 0;
    std::uint32_t m_plainMask = 0;
    TWordTags m_neighbours[2][TJudgeInput::Reach];
    std::int8_t m_looked[2][TJudgeInput::Reach] {}; // 0 not yet, 1 found, -1 unknown word or beyond reach
    // The text's sure answers for все/всё so far: where grammar cannot tell,
    // a story that has often needed всё is likely to need it again, a manual
    // that lists все the reverse.
    int m_allDotted = 0;
    int m_allPlain = 0;
};

} // namespace tildo
