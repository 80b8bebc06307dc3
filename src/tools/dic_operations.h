#pragma once

#include "tools/dic_lines.h"

#include <string>

namespace tildo {

class UserInterface;

// The whole-dictionary operations on lists of lines. Each walks its lines once
// (sorting: one sort) and never edits a list in the middle, so a dictionary of
// a hundred thousand lines costs a few passes over it. The walks that the user
// can stop poll ui.IsEscPressed() before every line and show their progress
// on ui's status line every ProgressStep lines.

constexpr int ProgressStep = 300;

// Moves the leading block of comment lines (each non-empty and beginning with
// '#') out of lines and returns it in its order.
TStringList TakeLeadingComments(TStringList& lines);

// Sorts by CompareEntries, the order the dictionary's reader checks. Lines
// that compare equal keep their relative order,
// so the result does not depend on the sort's inner workings.
void SortFolded(TStringList& lines);

struct TNextError
{
    int Line = -1; // the faulty line, or -1
    std::string Message; // what is wrong with it
    bool Aborted = false; // Esc stopped the walk
    int StopLine = 0; // where Esc stopped it, or the line count
};

// The first faulty line at or after start: a line that fails CheckDicLine, or
// one that repeats (CompareEntries 0) or sorts before the line above it. Comment
// lines are not checked, but a line is compared with the line above even when
// that one is a comment.
TNextError FindNextError(const TStringList& lines, int start, const TCheckMode& mode, UserInterface& ui);

struct TDoublesResult
{
    int WordFormCount = 0; // counts over the lines walked
    int RuleCount = 0;
    int Removed = 0;
    bool Aborted = false;
};

// Deletes every non-comment line that is byte for byte the line above it, so a
// run of identical lines shrinks to one; only neighbours are compared.
TDoublesResult DeleteDoubles(TStringList& lines, UserInterface& ui);

// The counts, ", удалено дублей: %d", and "Операция прервана. " in front when
// Esc stopped the walk.
std::string DoublesStatus(const TDoublesResult& result);

// For each line b of other, in order: the bisection by CompareFolded over what
// is left of lines lands on some line, and that line goes when it is identical
// to b. Returns the number of lines removed.
int SubtractLines(TStringList& lines, const TStringList& other);

struct TSweepResult
{
    int Removed = 0;
    int CaretLine = 0; // where the walk stopped, within the remaining words
};

// Deletes from words every line that the sorted dictionary lines hold
// identically (found by bisection with CompareFolded). Esc stops the walk after
// the current word.
TSweepResult SweepWords(TStringList& words, const TStringList& dicLines, UserInterface& ui);

// "%d слов%s убрано из окна слов" with the count's ending.
std::string SweepMessage(int removed);

} // namespace tildo
