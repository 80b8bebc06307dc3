#pragma once

#include "dict/my_lists.h"
#include "text/collation.h"

#include <string>
#include <string_view>

namespace tildo {

class UserInterface;

// What decides a text word: a word form or a rule, with the ё form to write.
struct TDicEntry
{
    int Index = -1; // into the word-form lists or the rule lists; -1 none
    bool IsRule = false;
    std::string Form; // the ё form: the stored form, or the word with the rule's fragment spliced in
};

// What passes learn about the entries of a main dictionary: the user's last
// answers, the standing choices and the statistics, parallel to its lists. It
// is kept apart from the loaded lists so that passes on several threads can
// read one dictionary, each with a state of its own.
struct TDicRunState
{
    TShortIntList FormLastAnswer; // 0 none, 1 е, 2 ё
    TShortIntList RuleLastAnswer;
    TShortIntList FormAlways; // standing choice: 0 none, 1 always е, 2 always ё
    TIntegerList FormMetPlain;
    TIntegerList FormMetDotted;
    TIntegerList FormNetDotted;
    TIntegerList RuleMetPlain;
    TIntegerList RuleMetDotted;
    TIntegerList RuleNetDotted;

    // A fresh state (all zero) for forms word forms and rules rules.
    void Reset(int forms, int rules);
};

// The main dictionary: word forms (всё, ещё) and rules (*съёмка, полёт*), each
// possibly a variant ('?'), as parallel lists in file order. The window's own
// passes keep their state in the dictionary itself.
class TDic : public TDicRunState
{
public:
    // Lookup keys: FoldDottedE of each form; ascending when the file is in order.
    TPackedStringList Keys;
    TPackedStringList Forms;
    TStringList RuleFragments; // as written, with ё
    TStringList RuleStarBefore; // "*" or empty
    TStringList RuleStarAfter; // "*" or empty
    TShortIntList FormVariant;
    TShortIntList RuleVariant;

    // The configured dictionary path (settings key Dictionary); a load of a
    // missing file clears it.
    std::string FileName;
    // False for a dictionary that passes only read, each keeping a state of
    // its own: a load then leaves the dictionary's state empty instead of
    // sizing (and zeroing) several bytes an entry that nobody uses.
    bool KeepsRunState = true;

    void Clear();
    void AddForm(std::string_view form, int variant);
    void AddRule(
        std::string_view starBefore, std::string_view fragment, std::string_view starAfter, int variant);
    bool HasEntries() const { return !Keys.empty() || !RuleFragments.empty(); }
    int FormCount() const { return static_cast<int>(Keys.size()); }
    int RuleCount() const { return static_cast<int>(RuleFragments.size()); }

    // Index of the word form for a folded text word, or -1.
    int FindForm(std::string_view word) const;
    // The first rule in file order that matches word, with the spliced ё form.
    bool FindRule(std::string_view word, TDicEntry& entry) const;
    // The entry that decides a folded text word. The caller may reuse entry
    // from word to word: then a lookup allocates nothing.
    bool Lookup(std::string_view word, TDicEntry& entry) const;

    // (Re)loads the dictionary from FileName, reporting through ui.
    void ReadDic(UserInterface& ui);

private:
    template <class Map> bool MatchRules(std::string_view word, Map map, TDicEntry& entry) const;

    // FoldDottedE of each fragment, kept so that a rule scan folds nothing.
    TStringList m_foldedFragments;
};

bool IsCommentLine(std::string_view line);
bool IsRuleLine(std::string_view line);

// A dictionary line split into its parts: the stars and the variant mark of a
// rule, or the variant mark of a word form.
struct TDicLine
{
    bool IsRule = false;
    bool StarBefore = false;
    bool StarAfter = false;
    int Variant = 0;
    std::string_view Body; // the form, or the fragment
};
TDicLine ParseDicLine(std::string_view line);

} // namespace tildo
