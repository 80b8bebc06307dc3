#include "pass_setup.h"

#include "app/file_locations.h"
#include "app/settings.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "platform/file_io.h"
#include "text/cp1251.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tildo {

namespace {

const TPassOptionName* FindOption(std::string_view key)
{
    for (const TPassOptionName& option : PassOptionNames()) {
        if (option.Key == key)
            return &option;
    }
    return nullptr;
}

void SetMark(UserInterface& ui, const std::string& key, bool on)
{
    const TPassOptionName* option = FindOption(key);
    if (option == nullptr) {
        std::string known;
        for (const TPassOptionName& o : PassOptionNames())
            known += (known.empty() ? "" : ", ") + std::string(o.Key);
        throw ECliError(ExitUsage, "неизвестный параметр прохода \"" + key + "\"; известны: " + known);
    }
    ui.SetCommandChecked(option->Command, on);
    // The two modes exclude each other, as their menu items do.
    if (on && option->Key == "NoVarOnly")
        ui.SetCommandChecked("VarOnly1", false);
    if (on && option->Key == "VarOnly")
        ui.SetCommandChecked("NoVarOnly1", false);
}

// Opens the file for reading to tell a missing or unreadable file from one the
// loader can read; throws ECliError (exit 3) naming what is wrong.
void CheckReadable(const std::string& path, const std::string& what)
{
    if (!FileExists(path))
        throw ECliError(ExitInputOutput, what + " \"" + path + "\" не найден");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw ECliError(ExitInputOutput, what + " \"" + path + "\" не читается: " + std::strerror(errno));
    struct stat st
    {
    };
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    if (!regular)
        throw ECliError(ExitInputOutput, what + " \"" + path + "\" не является файлом");
}

// The loader reports a read failure through ReportFileError's box; such a box
// means the dictionary is incomplete.
bool ReportedFileError(const TCliUserInterface& ui, std::size_t before)
{
    const std::string prefix = Cp("Ошибка ввода-вывода: ");
    return std::any_of(ui.Errors().begin() + static_cast<std::ptrdiff_t>(before), ui.Errors().end(),
        [&](const std::string& e) { return e.compare(0, prefix.size(), prefix) == 0; });
}

} // namespace

const std::vector<TPassOptionName>& PassOptionNames()
{
    static const std::vector<TPassOptionName> names {
        { "AlwaysAsk", "AlwaysAsk1" },
        { "Mark", "Mark1" },
        { "FastScroll", "FastScroll1" },
        { "CheckYo", "CheckYo1" },
        { "NoVarOnly", "NoVarOnly1" },
        { "VarOnly", "VarOnly1" },
        { "ProposeLast", "ProposeLast1" },
        { "FBFormat", "FBFormat1" },
        { "CombiWords", "CombiWords1" },
    };
    return names;
}

void SetPassOptions(UserInterface& ui, const std::vector<std::string>& on,
    const std::vector<std::string>& off, bool fictionBook, bool combinations)
{
    for (const TOptionKey& key : OptionKeys()) {
        if (FindOption(key.Key) != nullptr)
            ui.SetCommandChecked(key.Command, key.Default);
    }
    if (fictionBook)
        ui.SetCommandChecked("FBFormat1", true);
    if (combinations)
        ui.SetCommandChecked("CombiWords1", true);
    for (const std::string& key : on)
        SetMark(ui, key, true);
    for (const std::string& key : off)
        SetMark(ui, key, false);
}

std::string DefaultDataFile(const std::string& name)
{
    try {
        return LocateProgramFiles().FindDataFile(name);
    } catch (const EFileError&) {
        return name;
    }
}

void LoadMainDictionary(TDic& dic, TCliUserInterface& ui, const std::string& path)
{
    CheckReadable(path, "Файл словаря");
    dic.FileName = path;
    const std::size_t before = ui.Errors().size();
    dic.ReadDic(ui);
    if (ReportedFileError(ui, before))
        throw ECliError(ExitInputOutput, "словарь \"" + path + "\" прочитан не полностью");
    if (!dic.HasEntries())
        throw ECliError(ExitInputOutput, "в словаре \"" + path + "\" нет ни одной записи");
}

void LoadCombinations(TCombiWordsDic& combi, TCliUserInterface& ui, const std::string& path)
{
    CheckReadable(path, "Файл словаря словосочетаний");
    combi.FileName = path;
    const std::size_t before = ui.Errors().size();
    combi.ReadCombiDic(ui);
    if (ReportedFileError(ui, before))
        throw ECliError(ExitInputOutput, "словарь словосочетаний \"" + path + "\" прочитан не полностью");
}

TEncodingChoice ParseEncodingChoice(std::string_view name)
{
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
        [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    if (lower == "auto")
        return TEncodingChoice::Auto;
    if (lower == "utf-8" || lower == "utf8")
        return TEncodingChoice::Utf8;
    if (lower == "cp1251" || lower == "windows-1251" || lower == "cp-1251")
        return TEncodingChoice::Cp1251;
    throw ECliError(
        ExitUsage, "неизвестная кодировка \"" + std::string(name) + "\"; возможны auto, utf-8, cp1251");
}

std::string CombinationsPath(const TPassCommandOptions& options)
{
    if (options.NoCombi)
        return {};
    if (!options.Combinations.empty() || !options.Dictionary.empty())
        return options.Combinations;
    // The shipped dictionaries go together: the best result out of the box.
    const std::string shipped = DefaultDataFile("combi.dat");
    return FileExists(shipped) ? shipped : std::string();
}

TPassSession::TPassSession(const TPassCommandOptions& options)
{
    const TEncodingChoice encoding = ParseEncodingChoice(options.Encoding);
    const bool fictionBook = options.Format == "auto"
        ? options.File != "-" && TextFormatOf(options.File) == TTextFormat::FictionBook
        : options.Format == "fb2";
    const std::string combiPath = CombinationsPath(options);
    const bool combinations = !combiPath.empty();
    SetPassOptions(Ui, options.On, options.Off, fictionBook, combinations);
    LoadMainDictionary(
        Dic, Ui, options.Dictionary.empty() ? DefaultDataFile("tildo.dat") : options.Dictionary);
    if (combinations)
        LoadCombinations(Combi, Ui, combiPath);
    Input = ReadInputText(options.File, encoding, options.Format);
}

} // namespace tildo
