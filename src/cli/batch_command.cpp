// Restorations that ask no one: one text streamed, or many texts on several
// threads sharing one loaded dictionary.

#include "batch/cli_user_interface.h"
#include "batch/pass_setup.h"
#include "batch/restore_job.h"
#include "batch/run_report.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/progress.h"
#include "engine/run_counters.h"
#include "platform/file_io.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tildo {

namespace {

struct TFileResult
{
    TTextOutcome Outcome;
    std::string Error; // empty: done
    int ExitCode = ExitDone;
};

std::string BaseName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void CheckBatch(const TRestoreOptions& o, const std::vector<std::string>& files)
{
    if (files.size() < 2 && o.Jobs <= 1)
        return;
    if (std::find(files.begin(), files.end(), "-") != files.end())
        throw ECliError(ExitUsage, "в пакете файлов стандартный ввод не читается");
    if (!o.ReportPath.empty())
        throw ECliError(
            ExitUsage, "--report пишет отчёт об одном тексте; с несколькими файлами он неприменим");
    if (!o.Check && !o.InPlace && o.OutputPath.empty())
        throw ECliError(ExitUsage, "для нескольких файлов нужен -i или -o КАТАЛОГ");
    if (!o.OutputPath.empty()) {
        struct stat st
        {
        };
        if (::stat(o.OutputPath.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            throw ECliError(ExitUsage, "-o \"" + o.OutputPath + "\": для нескольких файлов нужен каталог");
        std::set<std::string> names;
        for (const std::string& f : files) {
            if (!names.insert(BaseName(f)).second)
                throw ECliError(
                    ExitUsage, "два файла с именем \"" + BaseName(f) + "\" попали бы в один файл каталога");
        }
    }
}

TOutputTarget TargetOf(const TRestoreOptions& o, const std::string& file, bool batch)
{
    TOutputTarget target { o.OutputPath, o.InPlace, o.BackupSuffix, o.Force };
    if (batch && !o.OutputPath.empty())
        target.OutputPath = o.OutputPath + "/" + BaseName(file);
    return target;
}

TFileResult RunOne(const TRestoreJob& job, const TRestoreOptions& o, const std::string& file, bool batch,
    TProgressCounts* progress)
{
    TFileResult result;
    try {
        result.Outcome = job.Run(file, TargetOf(o, file, batch), progress);
    } catch (const ECliError& e) {
        result.Error = e.what();
        result.ExitCode = e.ExitCode();
    } catch (const EFileError& e) {
        result.Error = FileErrorMessage(e);
        result.ExitCode = ExitInputOutput;
    } catch (const std::bad_alloc&) {
        result.Error = PathForMessage(file) + ": недостаточно памяти";
        result.ExitCode = ExitInputOutput;
    }
    return result;
}

// The files of a batch without repeats: one file named twice (by two paths,
// a link or "./") would be read by two jobs and written by both; it is
// processed once, with a note.
std::vector<std::string> WithoutRepeats(const std::vector<std::string>& files)
{
    std::vector<std::string> once;
    std::vector<TFileStamp> seen;
    for (const std::string& f : files) {
        const TFileStamp stamp = StampOfPath(f);
        const auto same = std::find_if(seen.begin(), seen.end(), [&](const TFileStamp& other) {
            return stamp.Exists && other.Exists && stamp.Device == other.Device && stamp.Inode == other.Inode;
        });
        if (same != seen.end()) {
            PrintError(QuotedPath(f) + " — тот же файл, что \""
                + PathForMessage(once[static_cast<std::size_t>(same - seen.begin())])
                + "\"; он обработан один раз");
            continue;
        }
        once.push_back(f);
        seen.push_back(stamp);
    }
    return once;
}

// At most this many failures are shown one by one; the rest are counted.
constexpr int ShownErrors = 10;

std::uint64_t TotalSize(const std::vector<std::string>& files)
{
    std::uint64_t total = 0;
    for (const std::string& f : files) {
        struct stat st
        {
        };
        if (f != "-" && ::stat(f.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            total += static_cast<std::uint64_t>(st.st_size);
    }
    return total;
}

void Add(TRunCounters& sum, const TRunCounters& c)
{
    sum.NewDottedCount += c.NewDottedCount;
    sum.NewPlainCount += c.NewPlainCount;
    sum.AskedDottedCount += c.AskedDottedCount;
    sum.AskedPlainCount += c.AskedPlainCount;
    sum.CombiDecisionCount += c.CombiDecisionCount;
    sum.ContextDecisionCount += c.ContextDecisionCount;
}

int RunSingle(
    const TRestoreJob& job, const TRestoreOptions& o, const std::string& file, TProgressCounts& counts)
{
    TFileResult r;
    {
        // Not over a text that goes to the same terminal.
        const bool toTerminal = !o.Check && !o.InPlace && (o.OutputPath.empty() || o.OutputPath == "-")
            && ::isatty(STDOUT_FILENO) == 1;
        TProgressLine line(counts, TProgressLine::TerminalAttached() && !toTerminal);
        r = RunOne(job, o, file, false, &counts);
    }
    if (!r.Error.empty()) {
        PrintError(r.Error);
        return r.ExitCode;
    }
    if (!o.ReportPath.empty()) {
        if (r.Outcome.Report == nullptr)
            r.Outcome.Report = std::make_shared<TRunReportSpool>();
        r.Outcome.Report->WriteTo(o.ReportPath, r.Outcome.Counters, r.Outcome.Seconds);
    }
    if (r.Outcome.Cancelled)
        PrintError("проход прерван ответом «Отмена»; текст записан с заменами, сделанными до этого");
    // Once a file has been written the run has done its work; a status line
    // that cannot be shown does not make it a failure.
    const bool wroteFile = !o.Check && (o.InPlace || !(o.OutputPath.empty() || o.OutputPath == "-"));
    // No status at all when no pass ran (every record of a JSON Lines input bad): no empty line.
    if (!r.Outcome.Status.empty() && !WriteReport(STDERR_FILENO, ForMessage(r.Outcome.Status) + "\n")
        && !wroteFile)
        return ExitInputOutput;
    return o.Check && r.Outcome.Changed ? ExitFound : ExitDone;
}

} // namespace

int RunRestoreJobs(const TRestoreOptions& o, const std::vector<TAnswer>& answers, TUnanswered unanswered)
{
    // Batches and records cannot stop for a person: what would be asked is kept.
    if (unanswered == TUnanswered::Ask) {
        if (o.Unanswered == "ask")
            throw ECliError(
                ExitUsage, "--unanswered ask: вопросы задаются только при обработке одного текста");
        unanswered = TUnanswered::Keep;
    }
    std::vector<std::string> files = o.Files;
    if (files.empty())
        files.push_back(o.File);
    CheckBatch(o, files);
    const bool batch = files.size() > 1 || o.Jobs > 1;
    if (files.size() > 1)
        files = WithoutRepeats(files);
    // Usage errors once for the run, not once for every file.
    ParseEncodingChoice(o.Encoding);
    TCliUserInterface marks;
    SetPassOptions(marks, o.On, o.Off, false, false);
    const TSharedDictionaries dictionaries(o);
    const TRestoreJob job(dictionaries, o, answers, unanswered);
    TProgressCounts counts;
    counts.TotalBytes = TotalSize(files);
    if (!batch)
        return RunSingle(job, o, files.front(), counts);

    counts.TotalFiles = static_cast<int>(files.size());
    const auto start = std::chrono::steady_clock::now();
    std::vector<TFileResult> results(files.size());
    std::atomic<std::size_t> next { 0 };
    std::mutex errors;
    int shown = 0;
    {
        TProgressLine line(counts, TProgressLine::TerminalAttached());
        const auto work = [&] {
            for (std::size_t i = next++; i < files.size(); i = next++) {
                results[i] = RunOne(job, o, files[i], true, &counts);
                ++counts.FilesDone;
                if (!results[i].Error.empty()) {
                    // Reported as it happens; the other files go on.
                    const std::lock_guard lock(errors);
                    if (shown++ < ShownErrors)
                        PrintError(results[i].Error);
                }
            }
        };
        const int threads = std::clamp(o.Jobs, 1, static_cast<int>(files.size()));
        std::vector<std::thread> pool;
        for (int t = 1; t < threads; ++t)
            pool.emplace_back(work);
        work();
        for (std::thread& t : pool)
            t.join();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    TRunCounters sum;
    int failed = 0;
    bool changed = false;
    for (const TFileResult& r : results) {
        if (!r.Error.empty()) {
            ++failed;
            continue;
        }
        Add(sum, r.Outcome.Counters);
        changed = changed || r.Outcome.Changed;
    }
    if (shown > ShownErrors)
        PrintError("и ещё " + std::to_string(shown - ShownErrors) + " файлов с ошибками");
    std::string summary = "файлов: " + std::to_string(files.size() - static_cast<std::size_t>(failed));
    if (failed > 0)
        summary += ", с ошибками: " + std::to_string(failed);
    summary += "; " + ForMessage(FormatRunReport(sum, seconds, false, LocaleDecimalSeparator())) + "\n";
    WriteAllTo(2, summary, "stderr");
    if (failed > 0)
        return ExitInputOutput;
    return o.Check && changed ? ExitFound : ExitDone;
}

} // namespace tildo
