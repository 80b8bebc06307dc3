#pragma once

#include "dict/my_lists.h"
#include "text/collation.h"

#include <string>
#include <string_view>
#include <vector>

namespace tildo {

// The result of matching an ending pattern against the end of a word.
struct TEndingMatch
{
    bool Matched = false;
    int Length = 0; // number of pattern elements taken
};

// Matches the pattern from the right end of word: each element (one character,
// or a set "[...]" standing for any one of its characters) must equal the
// word's character at the same place from the end. The walk stops when either
// side runs out, so a word shorter than the pattern matches when all its
// characters did. A "]" with no "[" to its left stands for itself.
TEndingMatch MatchEnding(std::string_view word, std::string_view pattern);

// The stem (word without its last cut characters; a cut longer than the word
// removes nothing) followed by each comma-separated ending, in order.
TStringList MakeForms(std::string_view baseWord, int cut, std::string_view endings);

// One paradigm offered for a base word.
struct TParadigmCandidate
{
    std::string Title;
    int Cut = 0;
    std::string Endings;
};

// The table of inflection paradigms read from the rules file (morphs.dat):
// '#' comments, "=name" part-of-speech headers and paradigm lines
// "label:pattern:cut:endings". Parallel lists in file order.
class TMorphoGen
{
public:
    TStringList Titles; // part-of-speech name, " (", label, ")"
    TStringList Patterns;
    TIntegerList Cuts; // at least 0
    TStringList Endings; // comma-separated, empty endings allowed
    // True once a rules file was loaded.
    bool MorphsLoaded = false;

    void Clear();
    int Count() const { return static_cast<int>(Titles.size()); }

    // Builds the table from a CP1251 file; throws EFileError when it cannot be
    // read (the table then holds what was read). Lines that are not well
    // formed (fewer than three ':', a cut that is not a non-negative decimal
    // number) are skipped without a word.
    void LoadMorphs(const std::string& fileName);
    // The same from the file's bytes.
    void LoadMorphsText(std::string_view bytes);

    // The paradigms whose pattern matches baseWord, in the order the dialog
    // offers them: each new one goes before the first listed one whose cut is
    // smaller than the new one's matched length, else to the end.
    std::vector<TParadigmCandidate> FindParadigms(std::string_view baseWord) const;

private:
    void AddMorphLine(std::string_view line, std::string& partOfSpeech);
};

} // namespace tildo
