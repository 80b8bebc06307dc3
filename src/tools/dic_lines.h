#pragma once

#include "platform/text_document.h"
#include "text/collation.h"

#include <string>
#include <string_view>

namespace tildo {

// --- the lines of a pane ------------------------------------------------------
//
// A pane's lines are its text split at every line break; an empty text has no
// lines at all (a pane that shows nothing holds no entry, not one empty one).

TStringList SplitPaneText(std::string_view text);
std::string JoinPaneText(const TStringList& lines);
TStringList PaneLines(const TextDocument& doc);
int PaneLineCount(const TextDocument& doc);
// Replaces the whole text in one change.
void SetPaneLines(TextDocument& doc, const TStringList& lines);
// Inserts a line before line i (i == count appends); into an empty pane the
// line becomes its only line.
void InsertPaneLine(TextDocument& doc, int i, const std::string& text);
void AppendPaneLine(TextDocument& doc, const std::string& text);
// The line that holds the caret (the selection start).
int CaretLine(const TextDocument& doc);
// Offset of the start of line i, or the end of the text for i past the last line.
int LineStartOrEnd(const TextDocument& doc, int i);

// A pane's lines as a read-only list for the collation searches; each access
// reads one line, so a bisection reads only the lines it visits.
class TPaneLinesView
{
public:
    explicit TPaneLinesView(const TextDocument& doc)
        : m_doc(doc)
        , m_count(static_cast<std::size_t>(PaneLineCount(doc)))
    {
    }
    std::size_t size() const { return m_count; }
    std::string operator[](std::size_t i) const { return m_doc.Line(static_cast<int>(i)); }

private:
    const TextDocument& m_doc;
    std::size_t m_count;
};

// --- dictionary files ---------------------------------------------------------

// The filter of the dictionary open and save dialogs.
constexpr const char* DicFileFilter = "Словарь|*.dat";

// The lines of a CP1251 dictionary file (CR LF or LF endings); throws EFileError.
TStringList ReadDicFileLines(const std::string& path);
// The bytes of a dictionary file: every line followed by CR LF.
std::string DicFileBytes(const TStringList& lines);
// Writes the lines through a temporary file and a rename; throws EFileError.
void WriteDicFileLines(const std::string& path, const TStringList& lines);
// Writes the lines to a scratch file (tildo.tmp) in place; throws EFileError.
void WriteScratchDicFile(const std::string& path, const TStringList& lines);
// dir/name, or name alone when dir is empty.
std::string JoinPath(const std::string& dir, const std::string& name);

// --- counting and checking lines -----------------------------------------------

struct TDicCounts
{
    int WordFormCount = 0; // non-comment lines without '*'
    int RuleCount = 0; // non-comment lines with '*'
    int FirstOrderBreak = -1; // first line that sorts before the non-comment line above it
};

// The counts and the first order break (by CompareEntries) of a dictionary text.
TDicCounts CountDicLines(const TStringList& lines);
// "Словоформ/сочетаний: %d, правил: %d".
std::string CountsStatus(int wordFormCount, int ruleCount);
// The error-box text for an order break at line.
std::string OrderBreakMessage(std::string_view line);
// A combination dictionary holds, among its first 100 lines, a non-comment line
// with a character that is not a Russian letter, '*' or '?' (a space between words).
bool IsCombiDicText(const TStringList& lines);

struct TCheckMode
{
    bool Combinations = false; // the lines are word groups, not word forms and rules
    int WordsBufferLength = 3; // the longest word group
};

struct TLineCheck
{
    bool Bad = false;
    std::string Message; // empty for an empty line
};

// The check of one dictionary line, first failure first.
TLineCheck CheckDicLine(std::string_view line, const TCheckMode& mode);

} // namespace tildo
