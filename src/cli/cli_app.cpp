#include "cli_app.h"

#include "cli/cli_help.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "platform/file_io.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <functional>
#include <new>
#include <unistd.h>

#ifndef TILDO_VERSION
#define TILDO_VERSION "0"
#endif

namespace tildo {

namespace {

constexpr std::string_view Commands[]
    = { "restore", "collect", "review", "selftest", "find", "dict", "forms", "tags" };

bool StartsWithCommand(const std::vector<std::string>& args)
{
    if (args.empty())
        return false;
    const std::string& first = args.front();
    return first == "-h" || first == "--help" || first == "--version"
        || std::find(std::begin(Commands), std::end(Commands), first) != std::end(Commands);
}

// The command the parser selected, as "dict check", "find", ...; empty for none.
std::string SelectedCommand(const CLI::App& app)
{
    std::string name;
    const CLI::App* current = &app;
    for (;;) {
        const auto selected = current->get_subcommands();
        if (selected.empty())
            return name;
        current = selected.front();
        name += (name.empty() ? "" : " ") + current->get_name();
    }
}

std::string ParseErrorText(const CLI::ParseError& e)
{
    const std::string kind = e.get_name();
    std::string text = "ошибка в командной строке";
    if (kind == "ExtrasError")
        text = "лишние аргументы в командной строке";
    else if (kind == "RequiredError")
        text = "не хватает обязательного аргумента";
    else if (kind == "ArgumentMismatch")
        text = "у параметра нет значения или их слишком много";
    else if (kind == "ConversionError" || kind == "ValidationError")
        text = "неверное значение параметра";
    return text + " (" + e.what() + ")\nсправка: tildo-cli --help";
}

void AddPassOptions(CLI::App& command, TPassCommandOptions& o)
{
    command.add_option("-d,--dictionary", o.Dictionary);
    command.add_option("--on", o.On)->delimiter(',')->allow_extra_args(false);
    command.add_option("--off", o.Off)->delimiter(',')->allow_extra_args(false);
    command.add_option("--encoding", o.Encoding);
    command.add_flag("--accept-damaged-dictionary", o.AcceptDamagedDictionary);
    command.add_option("--format", o.Format);
    command.add_option("--max-unpacked", o.MaxUnpacked)->transform(CLI::AsSizeValue(false));
    command.add_option("file", o.File);
}

// Every option the tool takes, bound to the structures the commands read.
struct TParsedOptions
{
    TRestoreOptions Restore;
    TPassCommandOptions Collect;
    TPassCommandOptions Review;
    TFindOptions Find;
    TDictOptions Dict;
    TFormsOptions Forms;
    TTagsOptions Tags;
    std::function<int()> Run;
};

void AddRestore(CLI::App& app, TParsedOptions& p)
{
    CLI::App* restore = app.add_subcommand("restore");
    TRestoreOptions& o = p.Restore;
    AddPassOptions(*restore, o);
    restore->add_option("-c,--combinations", o.Combinations);
    restore->add_flag("--no-combi", o.NoCombi);
    restore->add_option("--answers", o.Answers)->delimiter(',')->allow_extra_args(false);
    restore->add_option("--unanswered", o.Unanswered);
    restore->add_option("--report", o.ReportPath);
    restore->add_option("--decisions", o.DecisionsPath);
    restore->add_flag("--check", o.Check);
    restore->add_flag("-i,--in-place", o.InPlace);
    restore->add_flag("--force", o.Force);
    restore->add_option("-o,--output", o.OutputPath);
    CLI::Option* backup = restore->add_option("--backup", o.BackupSuffix);
    // Several files make a batch; one is the usual FILE.
    restore->remove_option(restore->get_option("file"));
    restore->add_option("file", o.Files);
    restore->add_option("-j,--jobs", o.Jobs)->check(CLI::Range(1, 256));
    restore->add_option("--jsonl", o.Jsonl);
    restore->add_flag("--jsonl-skip-bad", o.JsonlSkipBad);
    restore->add_option("--max-record", o.MaxRecordMb)->check(CLI::Range(1, 4096));
    restore->callback([&p, backup] {
        p.Restore.BackupGiven = backup->count() > 0;
        if (!p.Restore.Files.empty())
            p.Restore.File = p.Restore.Files.front();
        p.Run = [&p] { return RunRestore(p.Restore); };
    });
}

void AddOtherPassCommands(CLI::App& app, TParsedOptions& p)
{
    CLI::App* collect = app.add_subcommand("collect");
    AddPassOptions(*collect, p.Collect);
    collect->callback([&p] { p.Run = [&p] { return RunCollect(p.Collect); }; });

    CLI::App* review = app.add_subcommand("review");
    AddPassOptions(*review, p.Review);
    review->add_option("-c,--combinations", p.Review.Combinations);
    review->callback([&p] { p.Run = [&p] { return RunReview(p.Review); }; });

    app.add_subcommand("selftest")->callback([&p] { p.Run = [] { return RunSelfTestCommand(); }; });

    CLI::App* find = app.add_subcommand("find");
    find->add_flag("--ignore-case", p.Find.IgnoreCase);
    find->add_option("--encoding", p.Find.Encoding);
    find->add_option("--format", p.Find.Format);
    find->add_option("pattern", p.Find.Pattern)->required();
    find->add_option("file", p.Find.File);
    find->callback([&p] { p.Run = [&p] { return RunFind(p.Find); }; });
}

void AddDictionaryCommands(CLI::App& app, TParsedOptions& p)
{
    CLI::App* dict = app.add_subcommand("dict");
    dict->require_subcommand(1);
    TDictOptions& o = p.Dict;
    const auto add = [&](const char* name, int (*run)(const TDictOptions&)) {
        CLI::App* command = dict->add_subcommand(name);
        command->add_option("file", o.File)->required();
        command->callback([&p, run] { p.Run = [&p, run] { return run(p.Dict); }; });
        return command;
    };
    add("check", RunDictCheck)->add_flag("--combinations", o.Combinations);
    add("sort", RunDictSort)->add_flag("-i,--in-place", o.InPlace);
    add("dedupe", RunDictDedupe)->add_flag("-i,--in-place", o.InPlace);
    CLI::App* subtract = add("subtract", RunDictSubtract);
    subtract->add_option("other", o.Other)->required();
    subtract->add_flag("-i,--in-place", o.InPlace);
    add("sweep", RunDictSweep)->add_option("dictionary", o.Other)->required();

    CLI::App* forms = app.add_subcommand("forms");
    forms->add_option("--rules", p.Forms.RulesPath);
    forms->add_option("word", p.Forms.Word)->required();
    forms->callback([&p] { p.Run = [&p] { return RunForms(p.Forms); }; });

    CLI::App* tags = app.add_subcommand("tags");
    tags->add_option("--tags", p.Tags.TagsPath);
    tags->add_option("word", p.Tags.Word)->required();
    tags->callback([&p] { p.Run = [&p] { return RunTags(p.Tags); }; });
}

int RunSelected(const std::function<int()>& run)
{
    try {
        return run();
    } catch (const ECliError& e) {
        PrintError(e.what());
        return e.ExitCode();
    } catch (const EFileError& e) {
        PrintError(FileErrorMessage(e));
        return ExitInputOutput;
    } catch (const std::bad_alloc&) {
        PrintError("недостаточно памяти");
        return ExitInputOutput;
    }
}

} // namespace

int RunTildoCli(std::vector<std::string> args)
{
    if (!StartsWithCommand(args))
        args.insert(args.begin(), "restore");

    CLI::App app("", "tildo-cli");
    app.set_help_flag("-h,--help");
    app.set_version_flag("--version", std::string("tildo-cli ") + TILDO_VERSION);
    app.require_subcommand(1);
    TParsedOptions parsed;
    AddRestore(app, parsed);
    AddOtherPassCommands(app, parsed);
    AddDictionaryCommands(app, parsed);

    std::reverse(args.begin(), args.end());
    try {
        app.parse(args);
    } catch (const CLI::CallForHelp&) {
        return WriteReport(STDOUT_FILENO, HelpText(SelectedCommand(app))) ? ExitDone : ExitInputOutput;
    } catch (const CLI::CallForVersion& e) {
        return WriteReport(STDOUT_FILENO, std::string(e.what()) + "\n") ? ExitDone : ExitInputOutput;
    } catch (const CLI::ParseError& e) {
        PrintError(ParseErrorText(e));
        return ExitUsage;
    }
    if (!parsed.Run)
        return ExitUsage;
    return RunSelected(parsed.Run);
}

} // namespace tildo
