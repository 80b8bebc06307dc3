#pragma once

#include "regex/pattern_engine.h"

#include <string>
#include <string_view>
#include <utility>

namespace tildo {

class TextDocument;
class UserInterface;

enum class TFindMode { Plain, Pattern };

// What the find dialog asks for: the search text (CP1251) and its options.
// Whole-word matching applies to plain searches only.
struct TFindRequest
{
    std::string Text;
    bool MatchCase = false;
    bool WholeWord = false;
};

// Offset (from 0) of the first occurrence of what in text at or after from, or
// -1. Without matchCase letters of either case match (Latin and Cyrillic);
// with wholeWord an occurrence counts only when no letter, digit or underscore
// touches it on either side. An empty what is never found.
int FindPlain(std::string_view text, std::string_view what, int from, bool matchCase, bool wholeWord);

// What is wrong with a search pattern, said in Russian (CP1251) with the
// place in the pattern where the engine found it, for the user's error box.
std::string PatternErrorMessage(const EPatternError& error);

// The search state behind the find dialog, shared by every window that
// searches with it: the document searched in, plain or pattern mode, and the
// first-search flag. Each FindNext searches down from the current selection:
// from its start for a first search, otherwise past the current match (at
// least one character past an empty one, so a search never stands still). A
// match is selected and scrolled into view; a failed search collapses the
// selection to where the search began, so the next one starts over from there.
class TTextSearch
{
public:
    TTextSearch();

    // A find command of the main window: a new search in target, in mode.
    void Begin(TextDocument& target, TFindMode mode);
    // Another window's find command: searches go to target, the mode and the
    // first-search flag stay as they are.
    void SetTarget(TextDocument& target);
    // A document that goes away stops being the target.
    void Forget(const TextDocument& target);

    TextDocument* Target() const { return m_target; }
    TFindMode Mode() const { return m_mode; }
    bool IsFirstSearch() const { return m_first; }

    // One press of Find Next; false when nothing (more) was found or there is
    // no target. A bad pattern raises EPatternError, leaving the selection.
    bool FindNext(const TFindRequest& request);

    // Where a long pattern search polls Esc (none by default).
    void SetEscapeSource(UserInterface* ui) { m_engine.SetEscapeSource(ui); }

private:
    // Offset and length of the match at or after from; offset -1 for none.
    std::pair<int, int> Search(std::string_view text, const TFindRequest& request, int from);

    TPatternEngine m_engine;
    TextDocument* m_target = nullptr;
    TFindMode m_mode = TFindMode::Plain;
    bool m_first = true;
    int m_origin = 0; // where a failed search puts the caret back
};

} // namespace tildo
