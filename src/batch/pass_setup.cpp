#include "pass_setup.h"

#include "app/file_locations.h"
#include "app/settings.h"
#include "batch/messages.h"
#include "batch/run_options.h"
#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "platform/file_io.h"
#include "text/byte_lanes.h"
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

// The option named key; an unknown name throws ECliError (exit 2).
const TPassOptionName& OptionNamed(const std::string& key)
{
    const TPassOptionName* option = FindOption(key);
    if (option == nullptr) {
        std::string known;
        for (const TPassOptionName& o : PassOptionNames())
            known += (known.empty() ? "" : ", ") + std::string(o.Key);
        throw ECliError(ExitUsage, "неизвестный параметр прохода \"" + key + "\"; известны: " + known);
    }
    return *option;
}

void SetMark(UserInterface& ui, const std::string& key, bool on)
{
    const TPassOptionName* option = &OptionNamed(key);
    ui.SetCommandChecked(option->Command, on);
    // The two modes exclude each other, as their menu items do.
    if (on && option->Key == "NoVarOnly")
        ui.SetCommandChecked("VarOnly1", false);
    if (on && option->Key == "VarOnly")
        ui.SetCommandChecked("NoVarOnly1", false);
}

// Opens the file for reading to tell a missing or unreadable file from one the
// loader can read; throws ECliError (exit 3) naming what is wrong. Only a
// regular file within the size limit is loaded: a pipe would block the open,
// a device never end, and a loader that skipped a huge file would leave the
// run without it while reporting success.
void CheckReadable(const std::string& path, const std::string& what)
{
    if (!FileExists(path))
        throw ECliError(ExitInputOutput, what + " \"" + PathForMessage(path) + "\" не найден");
    int fd = -1;
    try {
        fd = OpenRegularForReading(path);
    } catch (const EFileError& e) {
        throw ECliError(
            ExitInputOutput, what + " \"" + PathForMessage(path) + "\" не читается: " + e.Reason());
    }
    const TFileStamp stamp = StampOfDescriptor(fd);
    ::close(fd);
    if (stamp.Size > MaxInputFileSize)
        throw ECliError(ExitInputOutput,
            what + " \"" + PathForMessage(path) + "\" не читается: " + TooLargeReason(MaxInputFileSize));
}

// Whether the loader showed a box that begins with prefix (UTF-8) since `before`.
bool Reported(const TCliUserInterface& ui, std::size_t before, const char* prefix)
{
    const std::string cp = Cp(prefix);
    return std::any_of(ui.Errors().begin() + static_cast<std::ptrdiff_t>(before), ui.Errors().end(),
        [&](const std::string& e) { return e.compare(0, cp.size(), cp) == 0; });
}

// The loader reports a read failure through ReportFileError's box; such a box
// means the dictionary is incomplete.
bool ReportedFileError(const TCliUserInterface& ui, std::size_t before)
{
    return Reported(ui, before, "Ошибка ввода-вывода: ");
}

// A byte below the space other than tab, CR and LF: no dictionary holds one,
// so the file is binary (or in an encoding such as UTF-16).
// A control character other than a tab or a line break. A dictionary line
// is a dozen bytes, so nearly every eight bytes hold a line break: they are
// tested eight at a time without a branch, and the verdict is taken once.
bool HasControlBytes(std::string_view bytes)
{
    using namespace lanes;
    std::uint64_t found = 0;
    std::size_t i = 0;
    for (; bytes.size() - i >= 8; i += 8) {
        const std::uint64_t v = Load8(bytes.data() + i);
        const std::uint64_t control = BytesEqual(v & (Ones * 0xE0), 0); // bytes below 0x20
        found |= control & ~(BytesEqual(v, '\t') | BytesEqual(v, '\r') | BytesEqual(v, '\n'));
    }
    for (; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x20 && b != '\t' && b != '\r' && b != '\n')
            return true;
    }
    return found != 0;
}

bool LooksBinary(const std::string& path)
{
    int fd = -1;
    try {
        fd = OpenRegularForReading(path);
    } catch (const EFileError&) {
        return false;
    }
    char block[1 << 16];
    bool binary = false;
    ssize_t n = 0;
    while (!binary && (n = ::read(fd, block, sizeof block)) > 0)
        binary = HasControlBytes(std::string_view(block, static_cast<std::size_t>(n)));
    ::close(fd);
    return binary;
}

constexpr const char* AcceptHint = "; ничего не сделано (--accept-damaged-dictionary — загрузить всё равно)";

void CheckNotBinary(const std::string& path, const std::string& what, bool acceptDamaged)
{
    if (!acceptDamaged && LooksBinary(path))
        throw ECliError(ExitInputOutput,
            what + " \"" + path + "\" не похож на словарь: в нём двоичные данные" + AcceptHint);
}

void CheckOrder(const TCliUserInterface& ui, std::size_t before, const char* finding, const std::string& what,
    const std::string& path, bool acceptDamaged)
{
    if (!acceptDamaged && Reported(ui, before, finding))
        throw ECliError(ExitInputOutput,
            what + " \"" + path + "\": порядок слов нарушен, и часть слов в нём не нашлась бы" + AcceptHint);
}

} // namespace

const std::vector<TPassOptionName>& PassOptionNames()
{
    static const std::vector<TPassOptionName> names {
        { "AlwaysAsk", TCommand::AlwaysAsk1 },
        { "Mark", TCommand::Mark1 },
        { "FastScroll", TCommand::FastScroll1 },
        { "CheckYo", TCommand::CheckYo1 },
        { "NoVarOnly", TCommand::NoVarOnly1 },
        { "VarOnly", TCommand::VarOnly1 },
        { "ProposeLast", TCommand::ProposeLast1 },
        { "FBFormat", TCommand::FBFormat1 },
        { "CombiWords", TCommand::CombiWords1 },
        { "Context", TCommand::Context1 },
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
    // A file written by the command-line tool is meant to be used as it is,
    // so its letters are coloured only when asked for; the window keeps its
    // own default, where the marks guide the reader.
    ui.SetCommandChecked("Mark1", false);
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

void LoadMainDictionary(TDic& dic, TCliUserInterface& ui, const std::string& path, bool acceptDamaged)
{
    CheckReadable(path, "Файл словаря");
    CheckNotBinary(path, "Файл словаря", acceptDamaged);
    dic.FileName = path;
    const std::size_t before = ui.Errors().size();
    dic.ReadDic(ui);
    if (ReportedFileError(ui, before))
        throw ECliError(ExitInputOutput, "словарь \"" + path + "\" прочитан не полностью");
    CheckOrder(ui, before, "Порядок слов в словаре нарушен", "словарь", path, acceptDamaged);
    if (!dic.HasEntries())
        throw ECliError(ExitInputOutput, "в словаре \"" + path + "\" нет ни одной записи");
}

void LoadCombinations(
    TCombiWordsDic& combi, TCliUserInterface& ui, const std::string& path, bool acceptDamaged)
{
    CheckReadable(path, "Файл словаря словосочетаний");
    CheckNotBinary(path, "Файл словаря словосочетаний", acceptDamaged);
    combi.FileName = path;
    const std::size_t before = ui.Errors().size();
    combi.ReadCombiDic(ui);
    if (ReportedFileError(ui, before))
        throw ECliError(ExitInputOutput, "словарь словосочетаний \"" + path + "\" прочитан не полностью");
    CheckOrder(ui, before, "Порядок слов в СС нарушен", "словарь словосочетаний", path, acceptDamaged);
}

bool ContextWanted(const std::vector<std::string>& on, const std::vector<std::string>& off)
{
    if (std::find(off.begin(), off.end(), "Context") != off.end())
        return false;
    for (const TOptionKey& key : OptionKeys()) {
        if (key.Command == TCommand::Context1)
            return key.Default || std::find(on.begin(), on.end(), "Context") != on.end();
    }
    return false;
}

void LoadContextData(
    TTagDictionary& tags, TRareYoList& rare, TCliUserInterface& ui, const std::string& directory)
{
    const auto file = [&directory](const std::string& name) {
        return directory.empty() ? DefaultDataFile(name) : directory + "/" + name;
    };
    const auto load = [&ui](auto& data, const std::string& path) {
        const std::size_t before = ui.Errors().size();
        if (data.Load(path, ui))
            return;
        const std::string message = ui.Errors().size() > before ? Cp1251ToUtf8(ui.Errors().back())
                                                                : "файл \"" + path + "\" не прочитан";
        throw ECliError(ExitInputOutput, message);
    };
    load(tags, file("tags.dat"));
    load(rare, file("rare_yo.dat"));
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

void CheckPassOptionNames(const std::vector<std::string>& on, const std::vector<std::string>& off)
{
    for (const std::vector<std::string>* keys : { &on, &off }) {
        for (const std::string& key : *keys)
            OptionNamed(key);
    }
}

TPassSession::TPassSession(const TPassCommandOptions& options)
{
    const TEncodingChoice encoding = ParseEncodingChoice(options.Encoding);
    const std::string combiPath = CombinationsPath(options);
    const bool combinations = !combiPath.empty();
    CheckPassOptionNames(options.On, options.Off);
    LoadMainDictionary(Dic, Ui,
        options.Dictionary.empty() ? DefaultDataFile("tildo.dat") : options.Dictionary,
        options.AcceptDamagedDictionary);
    if (combinations)
        LoadCombinations(Combi, Ui, combiPath, options.AcceptDamagedDictionary);
    if (Ui.IsCommandChecked("Context1")) {
        LoadContextData(Tags, Rare, Ui, options.ContextDataDirectory);
        Judge = std::make_unique<TContextJudge>(Tags, Rare);
    }
    Input = ReadInputText(options.File, encoding, options.Format, options.MaxUnpacked);
    SetPassOptions(Ui, options.On, options.Off, Input.Format == TTextFormat::FictionBook, combinations);
}

} // namespace tildo
