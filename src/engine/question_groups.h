#pragma once

#include "engine/question_collector.h"

#include <string>
#include <vector>

namespace tildo {

// Disputed words of one kind, for a review of all of them at once.
struct TQuestionGroup
{
    std::string Title; // "все/всё" (CP1251, lower case), or the mixed spellings' title
    std::vector<int> Items; // indexes into the list the group was built from, in text order
    bool Mixed = false; // words the text writes both with е and with ё
};

// The questions grouped by their е and ё forms, case aside (one group per word
// form of the dictionary; a rule's words by word), the biggest group first and
// groups of one size by title.
std::vector<TQuestionGroup> GroupQuestions(const std::vector<TCollectedQuestion>& questions);

// "Написано по-разному" in CP1251.
std::string MixedSpellingTitle();

// Every occurrence of each word the text writes both with е and with ё (ещё
// and еще), in text order, as questions about the word: the е and ё forms in
// the occurrence's case, the spelling the text uses more often proposed (ё on
// a tie), contexts cut at word boundaries.
std::vector<TCollectedQuestion> FindMixedSpellings(const TextDocument& doc, int addLetters = 20);

} // namespace tildo
