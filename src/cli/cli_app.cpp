#include "cli_app.h"

#include "cli/cli_help.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "platform/file_io.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <functional>
#include <new>
#include <string_view>
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

// The parser words its errors in English, in a few fixed shapes (its error
// names are not reliable: some carry the command's name); the user gets them
// in Russian, with the option and the value they gave.
bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// Options as typed (--jobs), positional arguments in capitals (FILE).
std::string ArgumentName(std::string name)
{
    if (!name.empty() && name.front() != '-')
        std::transform(name.begin(), name.end(), name.begin(),
            [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return PathForMessage(name);
}

// "NAME: rest" -> NAME; the whole text when there is no such separator.
std::string NameBefore(const std::string& what, std::string_view separator)
{
    const std::size_t at = what.find(separator);
    return at == std::string::npos ? what : what.substr(0, at);
}

std::string Between(const std::string& what, std::string_view from, std::string_view to)
{
    const std::size_t begin = what.find(from);
    if (begin == std::string::npos)
        return {};
    const std::size_t start = begin + from.size();
    const std::size_t end = to.empty() ? std::string::npos : what.find(to, start);
    return what.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string ExtrasText(const std::string& what)
{
    const std::string extras = Between(what, "expected: ", "");
    if (extras.find(' ') == std::string::npos)
        return (StartsWith(extras, "-") ? "неизвестный параметр " : "лишний аргумент ") + QuotedPath(extras);
    return "лишние аргументы " + QuotedPath(extras);
}

std::string MismatchText(const std::string& what)
{
    if (StartsWith(what, "Expected "))
        return "у параметра " + ArgumentName(Between(what, " arguments to ", ", got"))
            + " не то число значений";
    if (what.find(" was given a disallowed flag override") != std::string::npos)
        return "параметр " + ArgumentName(NameBefore(what, " was given")) + " не принимает значения";
    const std::string name = ArgumentName(NameBefore(what, ": "));
    if (what.ends_with(" missing"))
        return "у параметра " + name + " нет значения";
    return "у параметра " + name + " не то число значений";
}

std::string ConversionText(const std::string& what)
{
    if (StartsWith(what, "The value "))
        return "неверное значение параметра " + ArgumentName(Between(what, " allowed value for ", "")) + ": "
            + QuotedPath(Between(what, "The value ", " is not an allowed"));
    if (StartsWith(what, "Could not convert: "))
        return "неверное значение параметра " + ArgumentName(Between(what, "convert: ", " = ")) + ": "
            + QuotedPath(Between(what, " = ", ""));
    return "параметр " + ArgumentName(NameBefore(what, ": ")) + " не принимает значения";
}

std::string ValidationText(const std::string& what)
{
    std::string text = "неверное значение параметра " + ArgumentName(NameBefore(what, ": "));
    const std::string range = Between(what, " not in range ", "");
    if (!range.empty()) {
        text += ": " + QuotedPath(Between(what, ": Value ", " not in range")) + " (допустимо от "
            + NameBefore(range, " to ") + " до " + Between(range, " to ", "") + ")";
    }
    return text;
}

std::string RequiredText(const std::string& what, const std::string& command)
{
    if (what.ends_with(" is required") && !StartsWith(what, "A subcommand"))
        return "не указан обязательный аргумент " + ArgumentName(NameBefore(what, " is required"));
    if (what.find("subcommand") != std::string::npos)
        return command.empty() ? "не указана команда" : "после " + command + " не указана команда";
    return "не хватает обязательных параметров";
}

std::string ParseErrorText(const CLI::ParseError& e, const std::string& command)
{
    const std::string what = e.what();
    std::string text = "ошибка в командной строке";
    if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr)
        text = ExtrasText(what);
    else if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr)
        text = MismatchText(what);
    else if (dynamic_cast<const CLI::ConversionError*>(&e) != nullptr)
        text = ConversionText(what);
    else if (dynamic_cast<const CLI::ValidationError*>(&e) != nullptr)
        text = ValidationText(what);
    else if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr)
        text = RequiredText(what, command);
    else if (dynamic_cast<const CLI::RequiresError*>(&e) != nullptr)
        text = "параметр " + ArgumentName(NameBefore(what, " requires ")) + " нужен вместе с "
            + ArgumentName(Between(what, " requires ", ""));
    else if (dynamic_cast<const CLI::ExcludesError*>(&e) != nullptr)
        text = "параметры " + ArgumentName(NameBefore(what, " excludes ")) + " и "
            + ArgumentName(Between(what, " excludes ", "")) + " вместе не указываются";
    return text + "; справка: tildo-cli " + (command.empty() ? "" : command + " ") + "--help";
}

// The option named name in command or the commands it belongs to.
const CLI::Option* FindOption(const CLI::App* command, const std::string& name)
{
    for (; command != nullptr; command = command->get_parent())
        if (const CLI::Option* option = command->get_option_no_throw(name))
            return option;
    return nullptr;
}

// The parser reads "-i=3" as -i followed by the options "-=3", and takes
// "--in-place=3" as a count for the flag: a value given with "=" to an option
// that takes none (or to a short option nobody knows) is refused here, named
// as it was typed. Empty when there is no such argument.
std::string ValueForFlagText(CLI::App& app, const std::vector<std::string>& args)
{
    CLI::App* command = &app;
    std::string commandName; // "dict sort"
    bool value = false; // the argument is the value of the option before it
    for (const std::string& arg : args) {
        if (value) {
            value = false;
            continue;
        }
        if (arg == "--")
            break;
        if (arg.size() < 2 || arg[0] != '-') {
            const auto named
                = command->get_subcommands([&](CLI::App* sub) { return sub->get_name() == arg; });
            if (!named.empty()) {
                command = named.front();
                commandName += (commandName.empty() ? "" : " ") + arg;
            }
            continue;
        }
        const bool shortForm = arg[1] != '-';
        const std::size_t equals = arg.find('=');
        if (shortForm && equals != 2 && arg.size() > 2)
            continue; // "-j2": a value written on, or options run together
        const std::string name = arg.substr(0, equals);
        const CLI::Option* option = FindOption(command, name);
        const bool flag = option != nullptr && option->get_expected_max() == 0;
        std::string text;
        if (option == nullptr && shortForm && equals == 2)
            text = "неизвестный параметр " + QuotedPath(arg);
        else if (flag && equals != std::string::npos)
            text = "параметр " + name + " не принимает значения: " + QuotedPath(arg);
        if (!text.empty())
            return text + "; справка: tildo-cli " + (commandName.empty() ? "" : commandName + " ") + "--help";
        value = option != nullptr && !flag && equals == std::string::npos;
    }
    return {};
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

    if (const std::string refused = ValueForFlagText(app, args); !refused.empty()) {
        PrintError(refused);
        return ExitUsage;
    }
    std::reverse(args.begin(), args.end());
    try {
        app.parse(args);
    } catch (const CLI::CallForHelp&) {
        return WriteReport(STDOUT_FILENO, HelpText(SelectedCommand(app))) ? ExitDone : ExitInputOutput;
    } catch (const CLI::CallForVersion& e) {
        return WriteReport(STDOUT_FILENO, std::string(e.what()) + "\n") ? ExitDone : ExitInputOutput;
    } catch (const CLI::ParseError& e) {
        PrintError(ParseErrorText(e, SelectedCommand(app)));
        return ExitUsage;
    }
    if (!parsed.Run)
        return ExitUsage;
    return RunSelected(parsed.Run);
}

} // namespace tildo
