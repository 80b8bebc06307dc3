#pragma once

#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "dict/my_lists.h"
#include "engine/combination_window.h"
#include "engine/decision_observer.h"
#include "engine/lookup_cache.h"
#include "engine/pass_options.h"
#include "engine/run_counters.h"
#include "engine/test_script.h"
#include "engine/undo_history.h"
#include "engine/word_asker.h"
#include "engine/word_decider.h"
#include "platform/asker.h"
#include "platform/text_document.h"
#include "platform/user_interface.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace tildo {

class MemoryDocument;

// The restoration engine: walks a text word by word, decides each word from
// the main dictionary, the combination dictionary, the standing choices and the
// user's answers, and writes the decided letters back. It owns the pass state,
// the undo history of asked replacements and the run counters; everything else
// (the text, the desktop, the asker, the dictionaries and the word window)
// belongs to the caller and is handed in. The combination analysis, the
// decision of a word and the question about it are classes of their own that
// the pass drives.
class TYoficator
{
public:
    using TClock = std::function<std::chrono::steady_clock::time_point()>;

    TYoficator(TextDocument& doc, UserInterface& ui, Asker& asker, TDic& dic, TCombiWordsDic& combi,
        TWordBuffer& window, const TBufferLimits& limits);
    // A pass that only reads the dictionaries and keeps what it learns about
    // their entries in states of its own (sized to them by the caller), so
    // that passes on several threads can share one loaded dictionary.
    TYoficator(TextDocument& doc, UserInterface& ui, Asker& asker, const TDic& dic,
        const TCombiWordsDic& combi, TDicRunState& dicState, TCombiRunState& combiState, TWordBuffer& window,
        const TBufferLimits& limits);
    TYoficator(const TYoficator&) = delete;
    TYoficator& operator=(const TYoficator&) = delete;

    // --- settings -------------------------------------------------------------
    int LinesBelow = 2; // lines kept visible under a word shown for a question
    int ContextAddLetters = 20; // characters shown around a word in a question
    TClock Clock = [] { return std::chrono::steady_clock::now(); };
    // The dictionaries stay as they are from scan to scan (many short texts
    // in a row): the lookup cache and the combination screening are kept
    // rather than rebuilt for each scan.
    bool DictionariesFixed = false;
    // A person answers the questions (the window, a terminal): the context
    // judge may then learn the text's habit from the answers. Kept or
    // scripted answers of a batch run teach it nothing.
    bool LearnsFromAnswers = false;
    // Every letter the pass writes goes to the undo history, not only the
    // asked ones: a pass whose answers were all given beforehand can then be
    // taken back as a whole.
    bool UndoEveryWrite = false;

    // Binds the combination log to "combi.log" in the program directory; each
    // combination that decides a word is appended there.
    void BindCombiLog(const std::string& programDirectory);
    void UnbindCombiLog() { m_combiLogPath.clear(); }
    const std::string& CombiLogPath() const { return m_combiLogPath; }
    // The dictionary editor's word pane, which the collection run fills; none by default.
    void SetWordPane(TextDocument* pane) { m_wordPane = pane; }
    // The self-test's scripted answers and section ends; none by default.
    void SetTestScript(TTestScript* script)
    {
        m_script = script;
        m_wordAsker.SetTestScript(script);
    }
    // The context judge of the "Решать по контексту" option; none by default
    // (the option then decides nothing). It must outlive the passes.
    void SetContextJudge(TContextJudge* judge) { m_judge = judge; }
    TContextJudge* ContextJudge() const { return m_judge; }
    // Told of every decided word; none by default.
    void SetDecisionObserver(TDecisionObserver* observer) { m_observer = observer; }

    // --- commands -------------------------------------------------------------
    // A whole pass from line (from 0) and column (from 1), with the undo restarts.
    // An input/output failure (the combination log) ends the pass and is shown
    // in an error box; the pass state is restored on every exit path.
    void DoYoficate(int line, int column);
    // "Сбор новых Ё": from the caret, every word whose ё the dictionary does
    // not confirm goes to the word pane; the text is not changed.
    void CollectNewDotted();

    // --- undo -----------------------------------------------------------------
    // Takes back the last asked replacement (the "Откат" command).
    TUndoHistory::TTakeBack UndoLast();
    void ClearUndo();
    const TUndoHistory& UndoHistory() const { return m_undo; }

    // --- report and state -----------------------------------------------------
    // The text last put on the status line.
    const std::string& LastReport() const { return m_report; }
    TRunCounters& Counters() { return m_counters; }
    const TRunCounters& Counters() const { return m_counters; }
    bool Busy() const { return m_busy; }
    bool Aborted() const { return m_aborted; }

private:
    class TPassQuestions;
    // The words the combination window lets go are decided by the pass.
    class TWindowWords final : public TWindowDecisions
    {
    public:
        explicit TWindowWords(TYoficator& engine)
            : m_engine(engine)
        {
        }
        void DecideWord(int position, std::string_view word, unsigned letters) override;
        bool Stopped() const override;

    private:
        TYoficator& m_engine;
    };

    // --- the scan -------------------------------------------------------------
    void ScanText(int startLine, int startColumn);

    void RunPass(int line, int column);
    void ScanLine(int line, int startColumn);
    // The word at word's start read on over the soft hyphens inside it (p at
    // the first one, and past the word on return), without them.
    std::string_view JoinHyphenated(
        std::string_view word, const char*& p, const char* end, unsigned& letters);
    // The line of the text at position, read at least reach characters around
    // it, and where position falls in it.
    std::string_view TextAround(int position, int reach, int& at);
    // Whether the word at position is part of a URL, an e-mail address or a
    // path, and so no word to restore. Asked only of words that may change.
    bool InAddress(int position, std::size_t length);
    // The text offset of the word's letter `index`, past the soft hyphens
    // left out of the word.
    int LetterOffset(int position, std::size_t length, std::size_t index);
    void TakeWord(int line, int endColumn, std::string_view word, std::string_view separator);
    void FinishWindow();
    // letters: the word's ELettersOf.
    void TakeCandidate(int position, std::string_view word, unsigned letters);
    void TakeWindowWord(int position, std::string_view word, std::string_view separator, unsigned letters);
    void Consider(int position, std::string_view word, unsigned letters);
    // The decider's verdict carried out; true when the word was decided and written.
    bool Decide(int position, std::string_view word, bool hasDotted);
    // Shows the word at position and asks the question about it.
    TAnswer AskAboutWord(int position, int length, TQuestion& question);
    // The judge's answer about the word at position, from the words around it
    // in its line.
    TContextVerdict JudgeAt(int position, std::string_view word, std::string_view dotted);
    void AddToWordPane(const std::string& word);
    void RefreshOptions();
    void WriteBack(int position, std::string_view word, int entry, bool isRule, std::string_view result);

    // --- undo and report ------------------------------------------------------
    void RecordUndo(int wordStart, int letterOffset, const std::string& newWord, const std::string& oldWord,
        TColour colour, char oldLetter);
    std::string UndoCaption() const { return m_undo.UndoCaption(); }
    void ReportRun();
    void CountNewDotted();
    void CountNewPlain();
    void AppendCombiLog(const std::string& text);

    TextDocument& m_doc;
    UserInterface& m_ui;
    Asker& m_asker;
    const TDic& m_dic;
    TDicRunState& m_dicState;
    TextDocument* m_wordPane = nullptr;
    TTestScript* m_script = nullptr;
    TDecisionObserver* m_observer = nullptr;
    TContextJudge* m_judge = nullptr;
    std::string m_combiLogPath;

    // Pass state.
    bool m_busy = false;
    bool m_undoRequested = false;
    bool m_aborted = false;
    bool m_binaryReached = false;
    bool m_collecting = false;
    int m_collectedBefore = 0; // the counters' new ё when the collection began
    bool m_asked = false;
    std::chrono::steady_clock::time_point m_runStart {};
    TPassOptions m_options;
    bool m_scanCombi = false; // the combination analysis of the running scan; fixed for the scan
    std::string m_decimalSeparator;
    std::string m_report;

    // Decision state.
    TWordDecider m_decider;
    TWordAsker m_wordAsker;

    TUndoHistory m_undo;
    TRunCounters m_counters;

    // Working storage reused from word to word, so that a word costs no allocation.
    std::string m_line;
    std::string m_upperLine;
    int m_lineIndex = -1;
    int m_lineStart = 0;
    std::string m_joined; // a word read over soft hyphens
    std::string m_around; // the text around a word of a line no longer scanned
    std::string m_separator; // blanks collapsed as it is collected
    std::string m_judgeBefore; // the text before and after a judged word, in its line
    std::string m_judgeAfter;
    TJudgeNeighbour m_judgeNeighbours[2][TJudgeInput::Reach];

    // The combination analysis, and the pass's side of it.
    TCombinationWindow m_combiWindow;
    TWindowWords m_windowWords { *this };
};

// What a pass or a collection run gave, for callers without a window (the
// command-line tool): the last report line, the counters (totals since the
// last reset) and whether it was stopped (Esc, a cancelled question).
struct TRunOutcome
{
    std::string Report;
    TRunCounters Counters;
    bool Aborted = false;
};
// A whole pass from line (from 0) and column (from 1).
TRunOutcome RunPass(TYoficator& engine, int line = 0, int column = 1);
// The collection run from the document's caret; found words go to wordPane.
TRunOutcome RunCollection(TYoficator& engine, TextDocument& wordPane);

} // namespace tildo
