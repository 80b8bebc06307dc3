// tildo-cli dict check|sort|dedupe|subtract|sweep and tildo-cli forms: the
// dictionary tools on files, for dictionaries kept under version control.

#include "batch/pass_setup.h"
#include "batch/text_output.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "platform/file_io.h"
#include "tools/dic_file_commands.h"

#include <string>

namespace tildo {

namespace {

// The result on standard output, or over the file itself; the status text and
// any error the editor would have shown in a box on standard error.
int Deliver(const TDicToolResult& result, const TDictOptions& options)
{
    const std::string bytes = result.Text();
    if (options.InPlace)
        WriteFileAtomic(InPlaceTarget(options.File), bytes);
    else
        WriteStandardOutput(bytes);
    for (const std::string& error : result.Errors)
        PrintError(ForMessage(error));
    if (!result.Status.empty())
        WriteAllTo(2, ForMessage(result.Status) + "\n", "stderr");
    return ExitDone;
}

} // namespace

int RunDictCheck(const TDictOptions& options)
{
    const std::vector<TDicLineError> errors = CheckDictionaryFile(options.File, options.Combinations);
    std::string out;
    for (const TDicLineError& error : errors)
        out += std::to_string(error.Line) + ": " + ForMessage(error.Message) + "\n";
    WriteStandardOutput(out);
    return errors.empty() ? ExitDone : ExitFound;
}

int RunDictSort(const TDictOptions& options)
{
    return Deliver(SortDictionaryFile(options.File), options);
}

int RunDictDedupe(const TDictOptions& options)
{
    return Deliver(DedupeDictionaryFile(options.File), options);
}

int RunDictSubtract(const TDictOptions& options)
{
    return Deliver(SubtractDictionaryFile(options.File, options.Other), options);
}

int RunDictSweep(const TDictOptions& options)
{
    return Deliver(SweepWordsFile(options.File, options.Other), options);
}

int RunForms(const TFormsOptions& options)
{
    const std::string rules = options.RulesPath.empty() ? DefaultDataFile("morphs.dat") : options.RulesPath;
    if (!FileExists(rules))
        throw ECliError(ExitInputOutput, "файл правил \"" + rules + "\" не найден");
    const std::vector<TWordFormsParadigm> paradigms = WordFormsFor(rules, ArgumentToCp1251(options.Word));
    std::string out;
    for (const TWordFormsParadigm& paradigm : paradigms) {
        if (!out.empty())
            out += '\n';
        out += ForMessage(paradigm.Title) + "\n";
        for (const std::string& form : paradigm.Forms)
            out += ForMessage(form) + "\n";
    }
    WriteStandardOutput(out);
    if (paradigms.empty())
        PrintError("ни одно правило из \"" + rules + "\" не подходит к слову \"" + options.Word + "\"");
    return ExitDone;
}

} // namespace tildo
