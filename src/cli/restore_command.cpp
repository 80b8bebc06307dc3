// tildo-cli [restore]: one restoration pass over a text.

#include "batch/decisions_file.h"
#include "batch/pass_setup.h"
#include "batch/question_log.h"
#include "batch/restore_job.h"
#include "batch/run_report.h"
#include "batch/text_output.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/terminal_asker.h"
#include "engine/question_collector.h"
#include "engine/yoficator.h"
#include "platform/file_io.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <unistd.h>
#include <vector>

namespace tildo {

namespace {

void CheckCombination(const TRestoreOptions& o)
{
    if (o.InPlace && !o.OutputPath.empty())
        throw ECliError(ExitUsage, "-i и -o исключают друг друга");
    if (o.InPlace && o.File == "-")
        throw ECliError(ExitUsage, "-i меняет файл на месте, а текст читается со стандартного ввода");
    if (o.Check && (o.InPlace || !o.OutputPath.empty()))
        throw ECliError(ExitUsage, "--check ничего не пишет; -i и -o с ним несовместимы");
    if (o.BackupGiven && !o.InPlace)
        throw ECliError(ExitUsage, "--backup действует только вместе с -i");
    if (o.BackupGiven && o.BackupSuffix.empty())
        throw ECliError(ExitUsage, "--backup: суффикс не может быть пустым");
    if (!o.DecisionsPath.empty() && !o.Answers.empty())
        throw ECliError(ExitUsage, "--answers и --decisions исключают друг друга");
    if (o.Force && !o.InPlace && o.DecisionsPath.empty() && (o.OutputPath.empty() || o.OutputPath == "-"))
        throw ECliError(ExitUsage, "--force действует только вместе с -i, -o или --decisions");
}

std::string BaseName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The files a run reads and writes, checked before anything is read: no file
// may play two parts (the text replaced by its own report), a text rewritten
// in place must be a regular file (a pipe would be read and then refused),
// and every output must have a folder that can take it, so that a run does
// not write one file and then fail on the next.
void CheckFiles(const TRestoreOptions& o)
{
    std::vector<std::string> inputs = o.Files;
    if (inputs.empty())
        inputs.push_back(o.File);
    struct TNamed
    {
        std::string Option;
        std::string Path;
    };
    std::vector<TNamed> named;
    const bool toDirectory
        = !o.OutputPath.empty() && o.OutputPath != "-" && (o.Files.size() > 1 || o.Jobs > 1);
    if (toDirectory && !std::filesystem::is_directory(o.OutputPath))
        throw ECliError(
            ExitUsage, "-o \"" + PathForMessage(o.OutputPath) + "\": для нескольких файлов нужен каталог");
    for (const std::string& input : inputs) {
        if (input == "-")
            continue;
        if (o.InPlace) {
            const TFileStamp stamp = StampOfPath(input);
            if (stamp.Exists && !stamp.Regular)
                throw ECliError(ExitInputOutput,
                    "-i: \"" + PathForMessage(input)
                        + "\" не обычный файл (устройство, канал или каталог); ничего не сделано");
            if (o.BackupGiven)
                named.push_back({ "--backup", InPlaceTarget(input) + o.BackupSuffix });
        }
        named.push_back({ "текст", input });
        if (toDirectory)
            named.push_back({ "-o", o.OutputPath + "/" + BaseName(input) });
    }
    const std::size_t texts = named.size();
    if (!toDirectory && !o.OutputPath.empty() && o.OutputPath != "-")
        named.push_back({ "-o", o.OutputPath });
    if (!o.ReportPath.empty())
        named.push_back({ "--report", o.ReportPath });
    if (!o.DecisionsPath.empty())
        named.push_back({ "--decisions", o.DecisionsPath });
    for (std::size_t i = 0; i < named.size(); ++i) {
        for (std::size_t j = i + 1; j < named.size(); ++j) {
            // Two texts of a batch that are one file are processed once.
            if (i < texts && j < texts && named[i].Option == "текст" && named[j].Option == "текст")
                continue;
            if (SameFile(named[i].Path, named[j].Path))
                throw ECliError(ExitUsage,
                    named[i].Option + " \"" + PathForMessage(named[i].Path) + "\" и " + named[j].Option
                        + " \"" + PathForMessage(named[j].Path)
                        + "\" — один и тот же файл; ничего не сделано");
        }
    }
    if (o.Check)
        return;
    // In a batch each file's own output is judged when it is written (the
    // others go on); the folder they all go to is checked now.
    if (toDirectory && ::access(o.OutputPath.c_str(), W_OK | X_OK) != 0)
        throw EFileError(o.OutputPath, SystemErrorText(errno));
    for (const TNamed& n : named) {
        if (n.Option == "-o" && !toDirectory)
            CheckOutputPath(n.Path, o.Force);
        else if (n.Option == "--report")
            CheckOutputPath(n.Path);
    }
}

// The policy for questions without a scripted answer, and the terminal it needs.
TUnanswered ChooseUnanswered(const TRestoreOptions& o, std::unique_ptr<TTerminal>& terminal)
{
    const bool explicitChoice = !o.Unanswered.empty();
    TUnanswered unanswered = explicitChoice ? ParseUnanswered(o.Unanswered)
                                            : (::isatty(STDIN_FILENO) ? TUnanswered::Ask : TUnanswered::Keep);
    if (unanswered != TUnanswered::Ask)
        return unanswered;
    terminal = TTerminal::Open();
    if (terminal != nullptr)
        return unanswered;
    if (explicitChoice)
        throw ECliError(ExitUsage, "--unanswered ask: нет терминала, на котором можно спросить");
    return TUnanswered::Keep;
}

// A run that asks no one reads and writes as it goes, in memory bounded
// whatever the input's size; a person's answers and decisions, which may take
// back or name any place in the text, need the whole text.
bool Streams(const TRestoreOptions& o, TUnanswered unanswered, const std::vector<TAnswer>& answers)
{
    // Decisions name places in the whole text.
    if (!o.DecisionsPath.empty())
        return false;
    if (o.Files.size() > 1 || o.Jobs > 1 || !o.Jsonl.empty())
        return true;
    return AsksNoOne(unanswered, answers);
}

// Where the pass will ask, found beforehand so that each question on the
// terminal can say how many are left.
std::vector<std::pair<int, int>> QuestionPlaces(TPassSession& session)
{
    TQuestionCollector collector(session.Dic, session.Combi, session.Window, session.Limits);
    collector.Judge = session.Judge.get();
    std::vector<std::pair<int, int>> places;
    for (const TCollectedQuestion& q : collector.Collect(session.Input.Document, session.Ui)) {
        if (q.Asked())
            places.emplace_back(q.Line + 1, q.Column);
    }
    return places;
}

} // namespace

int RunRestore(const TRestoreOptions& o)
{
    CheckCombination(o);
    CheckFiles(o);
    const std::vector<TAnswer> answers = ParseAnswers(o.Answers);
    std::unique_ptr<TTerminal> terminal;
    const TUnanswered unanswered = ChooseUnanswered(o, terminal);
    if (Streams(o, unanswered, answers))
        return RunRestoreJobs(o, answers, unanswered);

    TPassSession session(o);
    TInputText& input = session.Input;
    MemoryDocument& doc = input.Document;
    if (terminal != nullptr)
        terminal->Asker().SetQuestionPlaces(QuestionPlaces(session));
    TPersonAsk person;
    if (terminal != nullptr)
        person = [&asker = terminal->Asker()](const TQuestion& question, int line, int column) {
            return asker.Ask(question, line, column);
        };
    TCliAsker asker(doc, answers, unanswered, std::move(person));
    std::optional<TDecisionsStep> decisions;
    if (!o.DecisionsPath.empty())
        decisions.emplace(o.DecisionsPath, doc, asker);
    Asker& passAsker = decisions ? decisions->PassAsker() : asker;
    TYoficator engine(doc, session.Ui, passAsker, session.Dic, session.Combi, session.Window, session.Limits);
    engine.SetContextJudge(session.Judge.get());
    engine.LearnsFromAnswers = terminal != nullptr && unanswered == TUnanswered::Ask;

    // A document keeps its text as read: no copy is made to compare with.
    std::string before;
    if (input.Markup == nullptr)
        before = doc.TextRef();
    const auto start = std::chrono::steady_clock::now();
    engine.DoYoficate(0, 1);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool changed
        = doc.TextRef() != (input.Markup != nullptr ? input.Markup->Document().TextRef() : before);

    if (!o.ReportPath.empty())
        WriteFileAtomic(o.ReportPath,
            RunReportJson(engine.Counters(), seconds, decisions ? decisions->Records() : asker.Records(),
                asker.ContextRecords()));
    if (!o.Check)
        WriteResult(input, TOutputTarget { o.OutputPath, o.InPlace, o.BackupSuffix, o.Force }, changed);

    if (asker.Cancelled())
        PrintError("проход прерван ответом «Отмена»; текст записан с заменами, сделанными до этого");
    // Once a file has been written the run has done its work; a status line
    // that cannot be shown does not make it a failure.
    const bool wroteFile = !o.Check && (o.InPlace || !(o.OutputPath.empty() || o.OutputPath == "-"));
    if (!WriteReport(STDERR_FILENO, ForMessage(session.Ui.StatusText()) + "\n") && !wroteFile)
        return ExitInputOutput;
    if (decisions && !decisions->Finish() && !o.Force)
        return ExitFound;
    if (o.Check)
        return changed ? ExitFound : ExitDone;
    return ExitDone;
}

} // namespace tildo
