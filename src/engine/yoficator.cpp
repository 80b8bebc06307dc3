#include "yoficator.h"

#include "engine/entry_statistics.h"
#include "platform/file_io.h"
#include "platform/scope_guard.h"
#include "platform/text_document.h"
#include "platform/user_interface.h"
#include "text/address_token.h"
#include "text/byte_lanes.h"
#include "text/file_messages.h"
#include "text/letters.h"
#include "text/memory_document.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

namespace tildo {

namespace {

constexpr std::string_view BinaryMark = "<BINARY";
// Only says where a word may break: the word is read whole without it, and it
// stays in the text where it was.
constexpr char SoftHyphen = '\xAD';

// Position (from 1) of "<BINARY" in line at or after position start (from 1),
// Latin letters compared without case; 0 when there is none.
std::size_t FindBinaryMark(const std::string& line, std::string& upper, int start)
{
    upper.assign(line);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return PosFrom(BinaryMark, upper, static_cast<std::size_t>(start));
}

using lanes::BytesEqual;
using lanes::Highs;
using lanes::LetterBytes;
using lanes::Load8;
using lanes::Ones;

// Bytes of a block in front of its first marked byte (mask from the above).
std::size_t BytesBefore(std::uint64_t mask)
{
    return static_cast<std::size_t>(std::countr_zero(mask)) / 8;
}

// Past the characters that are not Russian letters, eight bytes at a time.
const char* SkipNonLetters(const char* p, const char* end)
{
    while (end - p >= 8) {
        const std::uint64_t letters = LetterBytes(Load8(p));
        if (letters != 0)
            return p + BytesBefore(letters);
        p += 8;
    }
    while (p != end && !IsRussianLetter(*p))
        ++p;
    return p;
}

// Past the Russian letters, noting their е and ё (ELettersOf) on the way,
// eight bytes at a time while they lie in А..я: there only е and Е can be of
// interest, and Е differs from е in the 0x20 bit alone.
const char* SkipLetters(const char* p, const char* end, unsigned& letters)
{
    while (end - p >= 8) {
        const std::uint64_t v = Load8(p);
        const std::uint64_t others = ~(v & (v << 1)) & Highs; // bytes outside А..я
        const std::uint64_t x = (v | (Ones * 0x20)) ^ (Ones * 0xE5); // 0 where е or Е
        // Where a byte is 0, this marks it; above it, the borrow may mark
        // others, which the cut below never keeps without the 0 itself.
        std::uint64_t plain = (x - Ones) & ~x & Highs;
        if (others == 0) {
            if (plain != 0)
                letters |= ELetters::Plain;
            p += 8;
            continue;
        }
        const std::size_t n = BytesBefore(others);
        plain &= (std::uint64_t(1) << (8 * n)) - 1; // n < 8
        if (plain != 0)
            letters |= ELetters::Plain;
        p += n;
        break;
    }
    // The rest one by one: the end of the line, and words with Ё or ё.
    for (; p != end && IsRussianLetter(*p); ++p)
        letters |= ELettersOf(std::string_view(p, 1));
    return p;
}

// Equality without a library call, for words of a few bytes.
bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

} // namespace

TYoficator::TYoficator(TextDocument& doc, UserInterface& ui, Asker& asker, TDic& dic, TCombiWordsDic& combi,
    TWordBuffer& window, const TBufferLimits& limits)
    : TYoficator(doc, ui, asker, dic, combi, dic, combi, window, limits)
{
}

TYoficator::TYoficator(TextDocument& doc, UserInterface& ui, Asker& asker, const TDic& dic,
    const TCombiWordsDic& combi, TDicRunState& dicState, TCombiRunState& combiState, TWordBuffer& window,
    const TBufferLimits& limits)
    : m_doc(doc)
    , m_ui(ui)
    , m_asker(asker)
    , m_dic(dic)
    , m_dicState(dicState)
    , m_decimalSeparator(LocaleDecimalSeparator())
    , m_decider(dic, combi, dicState, combiState, ui)
    , m_wordAsker(doc, asker)
    , m_combiWindow(combi, window, limits)
{
    m_runStart = Clock();
}

void TYoficator::BindCombiLog(const std::string& programDirectory)
{
    m_combiLogPath = programDirectory;
    if (!m_combiLogPath.empty() && m_combiLogPath.back() != '/')
        m_combiLogPath += '/';
    m_combiLogPath += "combi.log";
}

void TYoficator::RefreshOptions()
{
    m_options = TPassOptions::Read(m_ui);
}

// --- the driver -----------------------------------------------------------------

void TYoficator::DoYoficate(int line, int column)
{
    if (m_busy)
        return; // a pass is running already (a command given while a question waits)
    try {
        RunPass(line, column);
    } catch (const EFileError& e) {
        ReportFileError(m_ui, e.Path(), e.Reason());
    }
}

void TYoficator::RunPass(int line, int column)
{
    ClearUndo();
    if (m_judge != nullptr)
        m_judge->BeginText();
    // Busy, the asker's pass look and the editor's focus, restored on every exit path.
    TScopeGuard pass(
        [this] {
            m_busy = true;
            m_asker.BeginPass();
        },
        [this] {
            m_busy = false;
            m_asker.EndPass();
            m_doc.Focus();
        });
    m_runStart = Clock();
    do {
        m_undoRequested = false;
        ScanText(line, column);
        if (m_undoRequested) {
            UndoLast();
            const TLineColumn at = LineAndColumn(m_doc, m_doc.SelStart());
            line = at.Line;
            column = at.Column;
        }
    } while (m_undoRequested);
}

void TYoficator::CollectNewDotted()
{
    if (m_busy)
        return;
    try {
        m_runStart = Clock();
        m_collectedBefore = m_counters.NewDottedCount;
        // Two option marks switched for the run and put back afterwards.
        const bool combiWords = m_ui.IsCommandChecked("CombiWords1");
        const bool checkYo = m_ui.IsCommandChecked("CheckYo1");
        TScopeGuard marks(
            [this] {
                m_ui.SetCommandChecked("CheckYo1", true);
                m_ui.SetCommandChecked("CombiWords1", false);
            },
            [this, combiWords, checkYo] {
                m_ui.SetCommandChecked("CombiWords1", combiWords);
                m_ui.SetCommandChecked("CheckYo1", checkYo);
            });
        const TLineColumn at = LineAndColumn(m_doc, m_doc.SelStart());
        TScopeGuard collecting([this] { m_collecting = true; }, [this] { m_collecting = false; });
        ScanText(at.Line, at.Column);
    } catch (const EFileError& e) {
        ReportFileError(m_ui, e.Path(), e.Reason());
    }
}

// --- the scan -------------------------------------------------------------------

void TYoficator::ScanText(int startLine, int startColumn)
{
    WaitEscReleased(m_ui);
    m_decimalSeparator = LocaleDecimalSeparator();
    ReportRun();
    {
        // The busy mouse pointer over the editor for the life of the scan.
        TScopeGuard busy([this] { m_doc.SetBusyCursor(true); }, [this] { m_doc.SetBusyCursor(false); });
        RefreshOptions();
        m_scanCombi = m_options.CombiWords;
        m_aborted = false;
        m_binaryReached = false;
        if (!DictionariesFixed)
            m_decider.ForgetLookups(); // the dictionaries may have changed since the last scan
        // The window's screening holds for this scan's dictionary only.
        TScopeGuard window([this] { m_combiWindow.BeginScan(m_scanCombi, DictionariesFixed); },
            [this] { m_combiWindow.EndScan(DictionariesFixed); });
        m_separator.assign(1, ' ');
        m_lineIndex = -1;
        if (startLine < 0)
            startLine = 0;
        if (startColumn < 1)
            startColumn = 1;
        for (int i = startLine; i < m_doc.LineCount(); ++i) {
            if (!m_options.FastScroll && i > startLine)
                ShowPosition(m_doc, m_doc.LineStart(i));
            ScanLine(i, startColumn);
            if (m_aborted || m_binaryReached)
                break;
            startColumn = 1;
            if (m_script != nullptr && m_script->ScriptedTesting && m_script->SectionEnds.Count() > 0
                && i >= m_script->SectionEnds[0])
                break;
        }
        if (m_scanCombi && !m_aborted)
            FinishWindow();
    }
    ReportRun();
}

void TYoficator::ScanLine(int line, int startColumn)
{
    m_doc.LineInto(line, m_line);
    m_lineIndex = line;
    m_lineStart = m_doc.LineStart(line);
    int limit = static_cast<int>(m_line.size());
    if (m_options.FBFormat) {
        const std::size_t p = FindBinaryMark(m_line, m_upperLine, startColumn);
        if (p > 0) {
            limit = static_cast<int>(p) - 1;
            m_binaryReached = true;
        }
    }
    if (startColumn > limit)
        return;
    const bool combi = m_scanCombi;
    const char* const text = m_line.data();
    const char* p = text + (startColumn - 1);
    const char* const end = text + limit;
    for (;;) {
        // The characters up to the next letter: the separator.
        const char* gap = p;
        p = SkipNonLetters(p, end);
        if (combi && p != gap) {
            if (p - gap == 1 && m_separator.empty()) // the usual gap: one character after a word
                m_separator.assign(1, IsBlank(*gap) ? ' ' : *gap);
            else
                AppendCollapsingBlanks(m_separator, std::string_view(gap, static_cast<std::size_t>(p - gap)));
        }
        if (p == end)
            return;
        const char* first = p;
        unsigned letters = 0;
        p = SkipLetters(p, end, letters);
        std::string_view word(first, static_cast<std::size_t>(p - first));
        if (p != end && *p == SoftHyphen) [[unlikely]]
            word = JoinHyphenated(word, p, end, letters);
        if (combi) {
            TakeWindowWord(m_lineStart + static_cast<int>(first - text), word, m_separator, letters);
        } else if (IsCandidateLetters(letters, m_collecting, m_options.CheckYo)) {
            TakeCandidate(m_lineStart + static_cast<int>(first - text), word, letters);
        }
        if (p == end) {
            // The line ends with a letter: the next word's separator starts afresh.
            if (!m_aborted)
                m_separator.assign(1, ' ');
            return;
        }
        // The character after the word starts the next separator (the next
        // round collects it).
        if (combi)
            m_separator.clear();
        if (m_aborted)
            return;
    }
}

std::string_view TYoficator::JoinHyphenated(
    std::string_view word, const char*& p, const char* end, unsigned& letters)
{
    if (p + 1 == end || !IsRussianLetter(p[1]))
        return word;
    m_joined.assign(word);
    while (p != end && *p == SoftHyphen && p + 1 != end && IsRussianLetter(p[1])) {
        const char* part = ++p;
        p = SkipLetters(p, end, letters);
        m_joined.append(part, static_cast<std::size_t>(p - part));
    }
    return m_joined;
}

std::string_view TYoficator::TextAround(int position, int reach, int& at)
{
    const int lineLength = static_cast<int>(m_line.size());
    if (m_lineIndex >= 0 && position >= m_lineStart && position <= m_lineStart + lineLength) {
        at = position - m_lineStart;
        return m_line;
    }
    // A word the combination window held past its line.
    const int line = m_doc.LineOf(position);
    const int column = position - m_doc.LineStart(line);
    const int from = std::max(column - reach, 0);
    m_around = m_doc.LineSlice(line, from, column - from + 2 * reach);
    at = column - from;
    return m_around;
}

bool TYoficator::InAddress(int position, std::size_t length)
{
    int at = 0;
    const std::string_view text = TextAround(position, 512, at);
    const auto begin = static_cast<std::size_t>(at);
    return begin + length <= text.size() && InsideAddress(text, begin, begin + length);
}

int TYoficator::LetterOffset(int position, std::size_t length, std::size_t index)
{
    int at = 0;
    const std::string_view text = TextAround(position, static_cast<int>(length), at);
    std::size_t i = static_cast<std::size_t>(at);
    for (std::size_t letter = 0; i < text.size(); ++i) {
        if (text[i] == SoftHyphen && letter > 0)
            continue;
        if (letter++ == index)
            break;
    }
    return position + static_cast<int>(i) - at;
}

void TYoficator::TWindowWords::DecideWord(int position, std::string_view word, unsigned letters)
{
    m_engine.Consider(position, word, letters);
}

bool TYoficator::TWindowWords::Stopped() const
{
    return m_engine.m_aborted;
}

// The end of the text in combination mode: the end entry carries the text after
// the last word, and the words still waiting in the window are decided.
void TYoficator::FinishWindow()
{
    if (!m_separator.empty())
        TakeWord(0, 0, {}, m_separator); // collapsed as it was collected
    if (m_aborted)
        return;
    m_combiWindow.DecideRest(m_windowWords);
}

void TYoficator::TakeWord(int line, int endColumn, std::string_view word, std::string_view separator)
{
    const int lineStart = line == m_lineIndex ? m_lineStart : m_doc.LineStart(line);
    const int position = lineStart + endColumn - 1 - static_cast<int>(word.size());
    const unsigned letters = ELettersOf(word);
    if (m_scanCombi)
        TakeWindowWord(position, word, separator, letters);
    else if (IsCandidateLetters(letters, m_collecting, m_options.CheckYo))
        TakeCandidate(position, word, letters);
}

// A word of the combination analysis: into the window, and the oldest word is
// decided once the window is full.
void TYoficator::TakeWindowWord(
    int position, std::string_view word, std::string_view separator, unsigned letters)
{
    if (letters != 0 && word.size() >= 2)
        m_decider.Prefetch(word); // looked up when the word leaves the window
    m_combiWindow.Push(position, word, separator, letters, m_windowWords);
    if (!m_aborted)
        m_aborted = m_ui.IsEscPressed();
}

// A word worth looking up, outside the combination analysis.
void TYoficator::TakeCandidate(int position, std::string_view word, unsigned letters)
{
    if (word.size() >= 2)
        Consider(position, word, letters); // a candidate holds е or ё
    if (!m_aborted)
        m_aborted = m_ui.IsEscPressed();
}

// A word known to hold е or ё: decided, written back, and the combination
// that decided it logged.
void TYoficator::Consider(int position, std::string_view word, unsigned letters)
{
    const bool hasDotted = (letters & ELetters::Dotted) != 0;
    if (hasDotted && !m_options.CheckYo)
        return;
    if (!hasDotted && m_decider.IsKnownMissing(word)) {
        // Most words of a text: not in the dictionary, their lookup cached,
        // and no ё to disagree with it. The decision is the word as it
        // stands (none in a collection run or with only obligatory
        // replacements), which changes nothing and counts nowhere.
        m_undoRequested = false;
        m_asked = false;
        if (!m_options.FastScroll)
            ShowPosition(m_doc, position);
        if (m_collecting || m_options.VarOnly)
            return;
        m_aborted = false;
    } else if (InAddress(position, word.size()) || !Decide(position, word, hasDotted)) {
        return;
    }
    if (m_combiWindow.HasMatchedText()) {
        // Taken before the write, so that a failing log does not log it again later.
        const std::string text = m_combiWindow.TakeMatchedText();
        if (!m_combiLogPath.empty())
            AppendCombiLog(text);
    }
}

// Shows the word and asks the decider's question, completed with the context
// and the undo offer.
class TYoficator::TPassQuestions final : public TQuestionPort
{
public:
    TPassQuestions(TYoficator& engine, int position, int length)
        : m_engine(engine)
        , m_position(position)
        , m_length(length)
    {
    }
    TAnswer Ask(TQuestion& question) override
    {
        return m_engine.AskAboutWord(m_position, m_length, question);
    }
    TContextVerdict JudgeContext(std::string_view word, std::string_view dotted) override
    {
        return m_engine.JudgeAt(m_position, word, dotted);
    }
    void NoteAnswer(const TContextVerdict& verdict, TAnswer given) override
    {
        if (m_engine.m_judge != nullptr && m_engine.LearnsFromAnswers)
            m_engine.m_judge->NoteAnswer(verdict.Family, given);
    }

private:
    TYoficator& m_engine;
    int m_position;
    int m_length;
};

TAnswer TYoficator::AskAboutWord(int position, int length, TQuestion& question)
{
    m_combiWindow.BuildPendingCandidates(); // the asker may show them
    question.UndoEnabled = m_undo.UndoAvailable();
    question.UndoCaption = UndoCaption();
    const TAnswer answer = m_wordAsker.Ask(position, length, question, LinesBelow, ContextAddLetters);
    // The user may have changed an option while the question waited.
    RefreshOptions();
    m_asked = true;
    return answer;
}

namespace {

// A line is blank when it holds nothing at all: a paragraph bound.
bool BlankLine(const TextDocument& doc, int line)
{
    if (line < 0 || line >= doc.LineCount())
        return true;
    const int end = line + 1 < doc.LineCount() ? doc.LineStart(line + 1) - 1 : doc.Length();
    return end <= doc.LineStart(line);
}

bool AnyLetter(std::string_view text)
{
    for (const char c : text) {
        if (IsRussianLetter(c))
            return true;
    }
    return false;
}

} // namespace

TContextVerdict TYoficator::JudgeAt(int position, std::string_view word, std::string_view dotted)
{
    if (m_judge == nullptr)
        return {};
    // Only a stretch of the line on either side is read, so that a text held
    // in one huge line costs no more than any other; a word cut by the
    // stretch's edge is not taken.
    constexpr int Stretch = 160;
    const int line = m_doc.LineOf(position);
    const int lineStart = m_doc.LineStart(line);
    const int column = position - lineStart;
    const int lineEnd = line + 1 < m_doc.LineCount() ? m_doc.LineStart(line + 1) - 1 : m_doc.Length();
    const int from = std::max(column - Stretch, 0);
    const int wordEnd = column + static_cast<int>(word.size());
    const int afterLength = std::min(Stretch, lineEnd - lineStart - wordEnd);
    m_judgeBefore = m_doc.LineSlice(line, from, column - from);
    m_judgeAfter = afterLength > 0 ? m_doc.LineSlice(line, wordEnd, afterLength) : std::string();

    TJudgeInput in;
    in.Word = word;
    in.Dotted = dotted;
    std::size_t count = 0;
    // Before: the gap towards the judged word, then the word.
    const std::string_view before(m_judgeBefore);
    std::size_t end = before.size();
    while (count < TJudgeInput::Reach) {
        std::size_t gapStart = end;
        while (gapStart > 0 && !IsRussianLetter(before[gapStart - 1]))
            --gapStart;
        std::size_t wordStart = gapStart;
        while (wordStart > 0 && IsRussianLetter(before[wordStart - 1]))
            --wordStart;
        if (wordStart == gapStart || (wordStart == 0 && from > 0))
            break;
        m_judgeNeighbours[0][count++]
            = { before.substr(wordStart, gapStart - wordStart), before.substr(gapStart, end - gapStart) };
        end = wordStart;
    }
    in.Before = std::span<const TJudgeNeighbour>(m_judgeNeighbours[0], count);
    in.TextStartsBefore = from == 0 && !AnyLetter(before.substr(0, end)) && BlankLine(m_doc, line - 1);
    // After: the gap from the judged word's side, then the word.
    const std::string_view after(m_judgeAfter);
    const bool afterCut = wordEnd + afterLength < lineEnd - lineStart;
    count = 0;
    std::size_t start = 0;
    while (count < TJudgeInput::Reach) {
        std::size_t wordStart = start;
        while (wordStart < after.size() && !IsRussianLetter(after[wordStart]))
            ++wordStart;
        std::size_t wordEndAt = wordStart;
        while (wordEndAt < after.size() && IsRussianLetter(after[wordEndAt]))
            ++wordEndAt;
        if (wordEndAt == wordStart || (wordEndAt == after.size() && afterCut))
            break;
        m_judgeNeighbours[1][count++]
            = { after.substr(wordStart, wordEndAt - wordStart), after.substr(start, wordStart - start) };
        start = wordEndAt;
    }
    in.After = std::span<const TJudgeNeighbour>(m_judgeNeighbours[1], count);
    in.TextEndsAfter = !afterCut && !AnyLetter(after.substr(start)) && BlankLine(m_doc, line + 1);
    return m_judge->Judge(in);
}

// The decision for a word known to hold е or ё, and what it settles.
bool TYoficator::Decide(int position, std::string_view word, bool hasDotted)
{
    m_undoRequested = false;
    m_asked = false;
    if (!m_options.FastScroll)
        ShowPosition(m_doc, position);
    TWordCase c = m_decider.LookUp(word, hasDotted);
    if (c.Kind != TEntryKind::None && !c.Variant && word.size() <= AbbreviationLetters)
        NoteSurroundings(m_doc, position, c);
    c.Combination = ChoiceOfStored(m_combiWindow.Verdict());
    c.CombinationEntry = m_combiWindow.VerdictEntry();
    TPassQuestions questions(*this, position, static_cast<int>(word.size()));
    TWordDecision d = m_decider.Decide(m_options, m_collecting, c, questions);
    if (m_observer != nullptr)
        m_observer->Decided(position, c, d);
    if (d.ByCombination)
        ++m_counters.CombiDecisionCount;
    if (d.ByContext) {
        ++m_counters.ContextDecisionCount;
        TContextDecision decision;
        decision.Result = d.Result;
        decision.Answer = d.Context.Answer;
        decision.Evidence = d.Context.Evidence;
        decision.Family = JudgeFamilyName(d.Context.Family);
        m_doc.Select(position, static_cast<int>(word.size()));
        m_asker.DecidedByContext(decision);
    }
    m_asked = d.Asked;
    m_undoRequested = d.UndoRequested;
    switch (d.Verdict) {
    case TVerdict::Leave:
        return false;
    case TVerdict::Collect:
        CountNewDotted();
        AddToWordPane(d.Result);
        return false;
    case TVerdict::Stop:
        m_aborted = true;
        return false;
    case TVerdict::Write:
        break;
    }
    m_aborted = false;
    // A word outside the dictionary decided as it stands changes nothing and counts nowhere.
    if (c.Entry >= 0 || !SameText(d.Result, word))
        WriteBack(position, word, c.Entry, c.Kind != TEntryKind::Form, d.Result);
    return true;
}

void TYoficator::WriteBack(
    int position, std::string_view word, int entry, bool isRule, std::string_view result)
{
    if (entry >= 0)
        UpdateStatistics(m_dic, m_dicState, entry, isRule, word, result);
    // A decided form always has the word's length (е and ё are one letter
    // each); anything else would shift the text under the recorded positions.
    if (result.size() != word.size())
        return;
    for (std::size_t p = 0; p < word.size(); ++p) {
        if (result[p] == word[p])
            continue;
        if (LowerChar(result[p]) == LetterE)
            CountNewPlain();
        else
            CountNewDotted();
        const int offset = LetterOffset(position, word.size(), p);
        m_doc.Select(offset, 1);
        if (m_asked || UndoEveryWrite)
            RecordUndo(
                position, offset, std::string(result), std::string(word), m_doc.SelectionColour(), word[p]);
        if (m_options.Mark)
            m_doc.SetSelectionColour(ColourBlue);
        m_doc.ReplaceSelection(std::string(1, result[p]));
    }
}

void TYoficator::AddToWordPane(const std::string& word)
{
    if (m_wordPane == nullptr)
        return;
    // A new last line: an empty last line (an empty pane, or a text that ends
    // with a line break) takes the word itself.
    const int last = m_wordPane->LineCount() - 1;
    if (last >= 0 && m_wordPane->Line(last).empty())
        m_wordPane->ReplaceLine(last, word);
    else
        m_wordPane->InsertLine(m_wordPane->LineCount(), word);
}

// --- undo -------------------------------------------------------------------------

void TYoficator::RecordUndo(int wordStart, int letterOffset, const std::string& newWord,
    const std::string& oldWord, TColour colour, char oldLetter)
{
    m_undo.Add(wordStart, letterOffset, newWord, oldWord, colour, oldLetter);
    m_ui.SetCommandEnabled("Undo1", true);
    m_ui.SetCommandCaption("Undo1", UndoCaption());
}

TUndoHistory::TTakeBack TYoficator::UndoLast()
{
    const TUndoHistory::TTakeBack result = m_undo.TakeBackLast(m_doc);
    if (result == TUndoHistory::TTakeBack::Nothing)
        return result;
    m_ui.SetCommandEnabled("Undo1", m_undo.UndoAvailable());
    m_ui.SetCommandCaption("Undo1", UndoCaption());
    return result;
}

void TYoficator::ClearUndo()
{
    m_undo.Clear();
    m_ui.SetCommandCaption("Undo1", UndoCaption());
    m_ui.SetCommandEnabled("Undo1", false);
}

// --- report ------------------------------------------------------------------------

void TYoficator::ReportRun()
{
    const double seconds = std::chrono::duration<double>(Clock() - m_runStart).count();
    if (m_collecting) {
        // A collection reports what it found itself; the counters keep the total.
        TRunCounters run = m_counters;
        run.NewDottedCount -= m_collectedBefore;
        FormatRunReport(m_report, run, seconds, true, m_decimalSeparator);
    } else {
        FormatRunReport(m_report, m_counters, seconds, false, m_decimalSeparator);
    }
    m_ui.SetStatusText(m_report);
}

void TYoficator::CountNewDotted()
{
    ++m_counters.NewDottedCount;
    if (m_asked)
        ++m_counters.AskedDottedCount;
    m_ui.SetCommandEnabled("ClearStat1", m_counters.AnyLetterChanged());
    ReportRun();
}

void TYoficator::CountNewPlain()
{
    ++m_counters.NewPlainCount;
    if (m_asked)
        ++m_counters.AskedPlainCount;
    m_ui.SetCommandEnabled("ClearStat1", m_counters.AnyLetterChanged());
    ReportRun();
}

void TYoficator::AppendCombiLog(const std::string& text)
{
    AppendToFile(m_combiLogPath, text + "\r\n");
}

// --- callers without a window ---------------------------------------------------------

TRunOutcome RunPass(TYoficator& engine, int line, int column)
{
    engine.DoYoficate(line, column);
    return { engine.LastReport(), engine.Counters(), engine.Aborted() };
}

TRunOutcome RunCollection(TYoficator& engine, TextDocument& wordPane)
{
    engine.SetWordPane(&wordPane);
    engine.CollectNewDotted();
    return { engine.LastReport(), engine.Counters(), engine.Aborted() };
}

} // namespace tildo
