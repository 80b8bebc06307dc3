#include "restore_job.h"

#include "batch/messages.h"
#include "batch/pass_setup.h"
#include "batch/progress_counts.h"
#include "batch/stream_document.h"
#include "batch/stream_io.h"
#include "batch/text_input.h"
#include "engine/yoficator.h"
#include "formats/json_record.h"
#include "platform/file_io.h"
#include "platform/scope_guard.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <thread>

namespace tildo {

namespace {

// JSON Lines are read in pieces of this size.
constexpr std::size_t Piece = 1 << 20;

} // namespace

bool AsksNoOne(TUnanswered unanswered, const std::vector<TAnswer>& answers)
{
    return unanswered != TUnanswered::Ask
        && std::find(answers.begin(), answers.end(), TAnswer::Undo) == answers.end();
}

TSharedDictionaries::TSharedDictionaries(const TPassCommandOptions& options)
{
    const std::string combinations = CombinationsPath(options);
    Combinations = !combinations.empty();
    Context = ContextWanted(options.On, options.Off);
    // The context data is read and checked on a thread of its own while the
    // main dictionary loads: the two take about the same time. Its messages
    // are held and shown after the others, where a load one after the other
    // put them, and none of them if the main dictionary fails.
    TCliUserInterface contextUi;
    contextUi.HoldMessages();
    std::future<void> context;
    if (Context) {
        context = std::async(std::launch::async,
            [&] { LoadContextData(Tags, Rare, contextUi, options.ContextDataDirectory); });
    }
    // The thread is waited for on every path: it writes into this object.
    TScopeGuard join([&] {
        if (context.valid())
            context.wait();
    });
    // Every pass keeps what it learns about the entries in a state of its
    // own: the dictionary's own state (several bytes an entry) is never sized.
    Dic.KeepsRunState = false;
    LoadMainDictionary(Dic, Ui,
        options.Dictionary.empty() ? DefaultDataFile("tildo.dat") : options.Dictionary,
        options.AcceptDamagedDictionary);
    if (Combinations)
        LoadCombinations(Combi, Ui, combinations, options.AcceptDamagedDictionary);
    if (context.valid()) {
        context.wait();
        contextUi.ReleaseMessagesTo(Ui);
        context.get(); // its failure, if it failed
    }
}

// Everything one pass over one text owns: the option marks, the state it
// learns about the entries, the word window, the asker and the engine.
struct TRestoreJob::TPass
{
    TPass(const TRestoreJob& job, TextDocument& doc, bool fictionBook)
        : Window(job.m_dictionaries.Limits)
        , Asker(doc, job.m_answers, job.m_unanswered)
    {
        const TSharedDictionaries& d = job.m_dictionaries;
        SetPassOptions(Ui, job.m_options.On, job.m_options.Off, fictionBook, d.Combinations);
        Asker.KeepRecords(false);
        if (!job.m_options.ReportPath.empty()) {
            // Written out as they come: a long text asks millions of questions.
            Report = std::make_shared<TRunReportSpool>();
            Asker.SendRecordsTo([report = Report.get()](const TQuestionRecord& q) { report->Add(q); });
            Asker.SendContextRecordsTo(
                [report = Report.get()](const TContextRecord& decision) { report->AddContext(decision); });
        }
        DicState.Reset(d.Dic.FormCount(), d.Dic.RuleCount());
        CombiState.Reset(d.Combi.Count());
        Engine = std::make_unique<TYoficator>(
            doc, Ui, Asker, d.Dic, d.Combi, DicState, CombiState, Window, d.Limits);
        Engine->DictionariesFixed = true;
        if (d.Context) {
            Judge = std::make_unique<TContextJudge>(d.Tags, d.Rare);
            Engine->SetContextJudge(Judge.get());
        }
    }
    void Run(TTextOutcome& outcome)
    {
        const auto start = std::chrono::steady_clock::now();
        Engine->DoYoficate(0, 1);
        outcome.Seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    void Finish(TTextOutcome& outcome)
    {
        outcome.Counters = Engine->Counters();
        outcome.Report = Report;
        outcome.Cancelled = Asker.Cancelled();
        outcome.Status = Ui.StatusText();
    }

    TCliUserInterface Ui;
    TDicRunState DicState;
    TCombiRunState CombiState;
    TWordBuffer Window;
    TCliAsker Asker;
    std::unique_ptr<TContextJudge> Judge;
    std::unique_ptr<TYoficator> Engine;
    std::shared_ptr<TRunReportSpool> Report;
};

TRestoreJob::TRestoreJob(const TSharedDictionaries& dictionaries, const TRestoreOptions& options,
    std::vector<TAnswer> answers, TUnanswered unanswered)
    : m_dictionaries(dictionaries)
    , m_options(options)
    , m_answers(std::move(answers))
    , m_unanswered(unanswered)
{
}

TTextOutcome TRestoreJob::Run(
    const std::string& path, const TOutputTarget& target, TProgressCounts* progress) const
{
    RefuseEndlessInput(path);
    if (!m_options.Jsonl.empty())
        return RunJsonl(path, target, progress);
    return RunStreamed(path, target, progress);
}

TTextOutcome TRestoreJob::RunStreamed(
    const std::string& path, const TOutputTarget& target, TProgressCounts* progress) const
{
    TOpenedInput opened
        = OpenInput(path, ParseEncodingChoice(m_options.Encoding), m_options.Format, TOpening::Streamed);
    opened.Description.MaxUnpacked = m_options.MaxUnpacked;
    if (opened.Stream == nullptr)
        return RunWhole(DecodeInput(std::move(opened)), target);
    const TInputDescription& input = opened.Description;

    std::optional<TResultWriter> result;
    if (!m_options.Check)
        result.emplace(target, input.Path, input.Stamp);
    TStreamDocument doc(
        *opened.Stream, input.Encoding,
        [&](std::string_view bytes) {
            if (result)
                result->Write(bytes);
        },
        m_dictionaries.Limits.BufferCapacity(), 20);
    if (progress != nullptr)
        doc.CountReadsInto(&progress->Bytes);
    // One text alone leaves a core free for reading and decoding; files
    // restored side by side have every core busy with passes already.
    doc.SetReadAhead(
        m_options.Files.size() <= 1 && m_options.Jobs <= 1 && std::thread::hardware_concurrency() > 1);
    TTextOutcome outcome;
    TPass pass(*this, doc, input.Format == TTextFormat::FictionBook);
    pass.Engine->ContextAddLetters = 20;
    pass.Run(outcome);
    doc.Finish();
    pass.Finish(outcome);
    outcome.Changed = doc.Changed();
    if (result)
        result->Commit(outcome.Changed);
    return outcome;
}

TTextOutcome TRestoreJob::RunWhole(TInputText input, const TOutputTarget& target) const
{
    MemoryDocument& doc = input.Document;
    // A document keeps its text as read: no copy is made to compare with.
    std::string before;
    if (input.Markup == nullptr)
        before = doc.TextRef();
    TTextOutcome outcome;
    {
        // The engine's working copies (a line as long as the whole text, for
        // a text in one line) are given back before the result is written.
        TPass pass(*this, doc, input.Format == TTextFormat::FictionBook);
        pass.Run(outcome);
        pass.Finish(outcome);
    }
    outcome.Changed
        = doc.TextRef() != (input.Markup != nullptr ? input.Markup->Document().TextRef() : before);
    if (!m_options.Check)
        WriteResult(input, target, outcome.Changed);
    return outcome;
}

TTextOutcome TRestoreJob::RunJsonl(
    const std::string& path, const TOutputTarget& target, TProgressCounts* progress) const
{
    const std::vector<std::string> field = SplitFieldPath(m_options.Jsonl);
    TByteInput input(path);
    std::optional<TResultWriter> result;
    if (!m_options.Check)
        result.emplace(target, path, input.Stamp());
    MemoryDocument doc;
    TTextOutcome outcome;
    TPass pass(*this, doc, false);
    const auto restore = [&](MemoryDocument& text) {
        std::swap(doc, text);
        pass.Run(outcome);
        std::swap(doc, text);
    };
    std::string buffer;
    std::string error;
    std::uint64_t lineNumber = 0;
    bool eof = false;
    std::size_t begin = 0;
    std::size_t scanned = 0; // bytes after begin already known to hold no line break
    // A record without an end (an endless input) must not take all memory.
    const std::size_t maxRecord = static_cast<std::size_t>(m_options.MaxRecordMb) << 20;
    std::uint64_t badShown = 0;
    while (!eof || begin < buffer.size()) {
        std::size_t end = buffer.find('\n', begin + scanned);
        if (end == std::string::npos && !eof) {
            scanned = buffer.size() - begin;
            if (scanned > maxRecord)
                throw ECliError(ExitInputOutput,
                    InputName(path) + ", строка " + std::to_string(lineNumber + 1)
                        + ": запись длиннее предела в " + std::to_string(m_options.MaxRecordMb)
                        + " МБ (--max-record); ничего не записано");
            buffer.erase(0, begin);
            begin = 0;
            const std::size_t n = input.ReadInto(buffer, Piece);
            if (progress != nullptr)
                progress->Bytes += n;
            eof = n == 0;
            continue;
        }
        if (end == std::string::npos)
            end = buffer.size();
        scanned = 0;
        ++lineNumber;
        // The record is restored where it lies in the buffer and written out
        // around its replacements: a record as large as the limit is never copied.
        const std::string_view record(buffer.data() + begin, end - begin);
        const bool hasBreak = end < buffer.size();
        begin = end + (hasBreak ? 1 : 0);
        std::size_t written = 0; // the record's bytes written out so far
        bool edited = false;
        const auto write = [&](const TJsonEdit& edit) {
            edited = true;
            if (result) {
                result->Write(record.substr(written, edit.Begin - written));
                result->Write(edit.Text);
            }
            written = edit.End;
        };
        const bool blank = record.find_first_not_of(" \t\r") == std::string::npos;
        if (!blank && !outcome.Cancelled) {
            if (!FindJsonEdits(record, field, restore, write, error)) {
                if (!m_options.JsonlSkipBad)
                    throw ECliError(ExitInputOutput,
                        InputName(path) + ", строка " + std::to_string(lineNumber) + ": " + error);
                ++outcome.BadRecords;
                if (++badShown <= ShownMessages)
                    PrintError(InputName(path) + ", строка " + std::to_string(lineNumber) + ": " + error
                        + "; строка оставлена как есть");
            }
            outcome.Changed = outcome.Changed || edited;
            outcome.Cancelled = pass.Asker.Cancelled();
        }
        if (result) {
            result->Write(record.substr(written));
            if (hasBreak)
                result->Write("\n");
        }
    }
    if (badShown > ShownMessages)
        PrintError(InputName(path) + ": и ещё " + std::to_string(badShown - ShownMessages)
            + " испорченных строк оставлены как есть");
    pass.Finish(outcome);
    if (result)
        result->Commit(outcome.Changed);
    return outcome;
}

} // namespace tildo
