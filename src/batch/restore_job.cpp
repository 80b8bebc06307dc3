#include "restore_job.h"

#include "batch/messages.h"
#include "batch/pass_setup.h"
#include "batch/progress_counts.h"
#include "batch/stream_document.h"
#include "batch/stream_io.h"
#include "batch/text_input.h"
#include "batch/utf8_tally.h"
#include "engine/yoficator.h"
#include "formats/json_record.h"
#include "formats/plain_text_format.h"
#include "formats/rtf_reader.h"
#include "formats/text_formats.h"
#include "platform/file_io.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <optional>
#include <unistd.h>

namespace tildo {

namespace {

constexpr std::size_t Piece = 1 << 20;

// What a first reading of a text tells before the pass: whether it is text at
// all, whether it is RTF, and its encoding as the whole-text reading would
// find it. The reading goes by pieces ending at line breaks, which no UTF-8
// sequence spans, so each piece can be judged alone.
struct TProbe
{
    std::string Head; // the first piece
    bool Nul = false;
    bool Invalid = false; // some piece is no valid UTF-8
    bool NonAscii = false;
    std::string Tail; // the bytes after the last line break seen so far
    std::uint64_t Size = 0;
    std::string_view Format = "auto"; // as --format names it
    bool TallyUtf8 = false; // for the warning about a UTF-8 text with broken bytes
    TUtf8Tally Tally;

    void Add(std::string_view bytes)
    {
        if (Head.size() < Piece)
            Head.append(bytes.substr(0, Piece - Head.size()));
        Size += bytes.size();
        Nul = Nul || std::memchr(bytes.data(), 0, bytes.size()) != nullptr;
        const std::size_t lastBreak = bytes.rfind('\n');
        if (lastBreak == std::string_view::npos) {
            Tail.append(bytes);
            // A line without a break can be long: judged in parts of whole sequences.
            if (Tail.size() > 4 * Piece)
                JudgeLongTail();
            return;
        }
        Tail.append(bytes.substr(0, lastBreak + 1));
        Judge(Tail);
        Tail.assign(bytes.substr(lastBreak + 1));
    }
    // A piece's verdict: no valid UTF-8, or valid with a non-ASCII character.
    static void Verdict(std::string_view piece, bool& invalid, bool& nonAscii)
    {
        bool ascii = true;
        for (const char c : piece)
            ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (ascii)
            return;
        if (DetectEncoding(piece) == TTextEncoding::Utf8)
            nonAscii = true;
        else
            invalid = true;
    }
    // Pieces are whole lines or whole sequences, judged in order.
    void Judge(std::string_view piece)
    {
        if (!Invalid)
            Verdict(piece, Invalid, NonAscii);
        if (!TallyUtf8)
            return;
        // Until a piece breaks UTF-8 its characters are only counted.
        if (Invalid)
            Tally.Add(piece);
        else
            Tally.AddWellFormed(piece);
    }
    void JudgeLongTail()
    {
        const std::size_t keep = IncompleteTail(Tail);
        Judge(std::string_view(Tail).substr(0, Tail.size() - keep));
        Tail.erase(0, Tail.size() - keep);
    }
    // The encoding the whole-text reading would choose (DetectTextEncoding).
    TTextEncoding Finish()
    {
        if (TallyUtf8) {
            Tally.Add(Tail);
            Tally.Finish();
        }
        const bool bom = Head.substr(0, 3) == "\xEF\xBB\xBF";
        bool invalid = Invalid;
        bool nonAscii = NonAscii;
        Verdict(Tail, invalid, nonAscii);
        if (!invalid && (nonAscii || bom))
            return TTextEncoding::Utf8;
        // A text cut inside its last character still counts as UTF-8.
        const std::size_t cut = IncompleteTail(Tail);
        if (cut == 0 || cut >= Size)
            return TTextEncoding::Cp1251;
        invalid = Invalid;
        nonAscii = NonAscii;
        Verdict(std::string_view(Tail).substr(0, Tail.size() - cut), invalid, nonAscii);
        return !invalid && (nonAscii || bom) ? TTextEncoding::Utf8 : TTextEncoding::Cp1251;
    }
};

std::string ReadAll(TByteInput& input)
{
    std::string bytes;
    while (input.ReadInto(bytes, Piece) > 0) { }
    return bytes;
}

ECliError NotText(const std::string& path)
{
    return ECliError(ExitInputOutput,
        InputName(path) + " не похож на текст (в нём есть нулевые байты); ничего не сделано");
}

// Standard input that begins like RTF is read as RTF unless a format is named.
bool StandardInputRtf(const std::string& path, const TProbe& probe)
{
    return path == "-" && probe.Format == "auto" && LooksLikeRtf(probe.Head);
}

// The input read once through the probe and ready to be read again from its
// start; standard input and pipes are kept in a temporary file for that. A text with a
// zero byte is refused as soon as one shows, so that binary or endless input
// is not read to its end first.
std::unique_ptr<TByteInput> OpenProbed(const std::string& path, TProbe& probe)
{
    const auto add = [&](std::string_view piece) {
        probe.Add(piece);
        if (probe.Nul && !StandardInputRtf(path, probe))
            throw NotText(path);
    };
    if (path == "-")
        return std::make_unique<TByteInput>(SpoolToTemporary(STDIN_FILENO, add), "stdin");
    auto input = std::make_unique<TByteInput>(path);
    if (input->Size() < 0) // a named pipe: kept too
        return std::make_unique<TByteInput>(SpoolToTemporary(input->Fd(), add), input->Name());
    std::string piece;
    for (;;) {
        piece.clear();
        if (input->ReadInto(piece, Piece) == 0)
            break;
        add(piece);
    }
    input->Rewind();
    return input;
}

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
    LoadMainDictionary(Dic, Ui,
        options.Dictionary.empty() ? DefaultDataFile("tildo.dat") : options.Dictionary,
        options.AcceptDamagedDictionary);
    if (Combinations)
        LoadCombinations(Combi, Ui, combinations, options.AcceptDamagedDictionary);
    Context = ContextWanted(options.On, options.Off);
    if (Context)
        LoadContextData(Tags, Rare, Ui, options.ContextDataDirectory);
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
    TEncodingChoice choice = ParseEncodingChoice(m_options.Encoding);
    const std::optional<TTextFormat> named = TextFormatFor(path, m_options.Format);
    if (!named || *named == TTextFormat::Rtf)
        return RunWhole(path, nullptr, target);
    TProbe probe;
    probe.Format = m_options.Format;
    probe.TallyUtf8 = choice == TEncodingChoice::Auto;
    std::unique_ptr<TByteInput> input = OpenProbed(path, probe);
    const TTextFormat format = StandardInputRtf(path, probe) ? TTextFormat::Rtf : *named;
    if (format == TTextFormat::Rtf) {
        const std::string bytes = ReadAll(*input);
        return RunWhole(path, &bytes, target);
    }
    if (probe.Nul)
        throw NotText(path);
    if (choice == TEncodingChoice::Auto && format == TTextFormat::FictionBook) {
        RefuseUnreadFictionBookEncoding(path, probe.Head);
        choice = DeclaredXmlEncoding(probe.Head);
    }
    const TTextEncoding detected = probe.Finish();
    const TTextEncoding encoding = choice == TEncodingChoice::Utf8 ? TTextEncoding::Utf8
        : choice == TEncodingChoice::Cp1251                        ? TTextEncoding::Cp1251
                                                                   : detected;
    if (choice == TEncodingChoice::Auto && encoding == TTextEncoding::Cp1251 && probe.Tally.LooksBroken())
        PrintError(probe.Tally.Warning(path));

    std::optional<TResultWriter> result;
    if (!m_options.Check)
        result.emplace(target, path, input->Stamp());
    TStreamDocument doc(
        *input, encoding,
        [&](std::string_view bytes) {
            if (result)
                result->Write(bytes);
        },
        m_dictionaries.Limits.BufferCapacity(), 20);
    if (progress != nullptr)
        doc.CountReadsInto(&progress->Bytes);
    TTextOutcome outcome;
    TPass pass(*this, doc, format == TTextFormat::FictionBook);
    pass.Engine->ContextAddLetters = 20;
    pass.Run(outcome);
    doc.Finish();
    pass.Finish(outcome);
    outcome.Changed = doc.Changed();
    if (result)
        result->Commit(outcome.Changed);
    return outcome;
}

TTextOutcome TRestoreJob::RunWhole(
    const std::string& path, const std::string* bytes, const TOutputTarget& target) const
{
    TInputText input;
    if (bytes == nullptr) {
        input = ReadInputText(path, ParseEncodingChoice(m_options.Encoding), m_options.Format);
    } else {
        // Standard input that begins like RTF, already read.
        input = RtfInputText(path, *bytes);
    }
    MemoryDocument& doc = input.Document;
    const std::string before = doc.TextRef();
    TTextOutcome outcome;
    TPass pass(*this, doc, input.Format == TTextFormat::FictionBook);
    pass.Run(outcome);
    pass.Finish(outcome);
    outcome.Changed = doc.TextRef() != before;
    if (!m_options.Check)
        WriteResult(input, input.Encode(), target);
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
    std::string record;
    std::string error;
    std::uint64_t lineNumber = 0;
    bool eof = false;
    std::size_t begin = 0;
    while (!eof || begin < buffer.size()) {
        std::size_t end = buffer.find('\n', begin);
        if (end == std::string::npos && !eof) {
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
        ++lineNumber;
        record.assign(buffer, begin, end - begin);
        const bool hasBreak = end < buffer.size();
        begin = end + (hasBreak ? 1 : 0);
        const bool blank = record.find_first_not_of(" \t\r") == std::string::npos;
        if (!blank && !outcome.Cancelled) {
            const std::string before = record;
            if (!RestoreJsonRecord(record, field, restore, error)) {
                if (!m_options.JsonlSkipBad)
                    throw ECliError(ExitInputOutput,
                        InputName(path) + ", строка " + std::to_string(lineNumber) + ": " + error);
                ++outcome.BadRecords;
                PrintError(InputName(path) + ", строка " + std::to_string(lineNumber) + ": " + error
                    + "; строка оставлена как есть");
            }
            outcome.Changed = outcome.Changed || record != before;
            outcome.Cancelled = pass.Asker.Cancelled();
        }
        if (result) {
            result->Write(record);
            if (hasBreak)
                result->Write("\n");
        }
    }
    pass.Finish(outcome);
    if (result)
        result->Commit(outcome.Changed);
    return outcome;
}

} // namespace tildo
