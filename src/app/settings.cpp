#include "settings.h"

#include "app/documents.h"
#include "app/ini_file.h"
#include "platform/file_io.h"
#include "platform/user_interface.h"
#include "text/cp1251.h"
#include "text/file_messages.h"

#include <algorithm>
#include <cstdio>

namespace tildo {

namespace {

constexpr std::string_view Tildo = "Tildo";
constexpr std::string_view Editor = "Editor";
constexpr std::string_view Files = "Files";

// The options of "Опции" stored before the window geometry.
constexpr int LeadingOptions = 11;

// The most words in one combination: a combination's ё letters are kept as
// bits of one 32-bit mask, and the word window needs room for at least one.
constexpr int MaxWordsBufferLength = 31;

bool IsValidUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        char32_t ch = 0;
        if (!NextUtf8(s, i, ch))
            return false;
    }
    return true;
}

// A text of the file as CP1251: the file is UTF-8, but one written on Windows
// is CP1251 already.
std::string FileTextToCp1251(std::string_view text)
{
    return IsValidUtf8(text) ? Utf8ToCp1251(text) : std::string(text);
}

TWindowGeometry DefaultGeometry(TScreenSize screen)
{
    return TWindowGeometry { screen.Width / 8, screen.Height / 8, screen.Width * 3 / 4,
        screen.Height * 3 / 4 };
}

} // namespace

const std::vector<TOptionKey>& OptionKeys()
{
    static const std::vector<TOptionKey> keys {
        { Tildo, "AlwaysAsk", TCommand::AlwaysAsk1, false },
        { Tildo, "Mark", TCommand::Mark1, true },
        { Tildo, "FastScroll", TCommand::FastScroll1, false },
        { Tildo, "CheckYo", TCommand::CheckYo1, false },
        { Tildo, "NoVarOnly", TCommand::NoVarOnly1, false },
        { Tildo, "VarOnly", TCommand::VarOnly1, false },
        { Tildo, "RTF", TCommand::RTF1, false },
        { Tildo, "WordWrap", TCommand::WordWrap1, false },
        { Tildo, "ProposeLast", TCommand::ProposeLast1, true },
        { Tildo, "ToConfirm", TCommand::ToConfirm1, true },
        { Tildo, "FBFormat", TCommand::FBFormat1, false },
        { Tildo, "CombiWords", TCommand::CombiWords1, true },
        { Tildo, "Context", TCommand::Context1, true },
        { Tildo, "RecallLastFile", TCommand::LastFile1, true },
        { Tildo, "ToDockAskForm", TCommand::ToDockAskForm1, false },
        { Editor, "InsertLog", TCommand::InsertLog1, false },
    };
    return keys;
}

void ParseCommandLine(const std::vector<std::string>& args, TSettings& settings)
{
    settings.TestingMode = false;
    settings.StartDocument.clear();
    if (args.empty())
        return;
    if (args.front() == "/t")
        settings.TestingMode = true;
    else
        settings.StartDocument = args.front();
}

std::string CompletePath(const std::string& value, const std::string& programDirectory)
{
    if (value.empty() || value.find('/') != std::string::npos)
        return value;
    return programDirectory + "/" + value;
}

TRecentEntry ParseRecentEntry(std::string_view value)
{
    const auto comma = value.rfind(',');
    if (comma == std::string_view::npos)
        return TRecentEntry { std::string(value), 0 };
    return TRecentEntry { std::string(value.substr(0, comma)),
        ParseIniInteger(value.substr(comma + 1)).value_or(0) };
}

void ReadSettingsValues(
    const TIniFile& ini, TScreenSize screen, const TFileLocations& files, TSettingsValues& values)
{
    for (const TOptionKey& option : OptionKeys())
        values.Checks[std::string(CommandName(option.Command))]
            = ini.ReadBool(option.Section, option.Key, option.Default);

    const TWindowGeometry geometry = DefaultGeometry(screen);
    values.Geometry.Height = ini.ReadInteger(Tildo, "WindowHeight", geometry.Height);
    values.Geometry.Width = ini.ReadInteger(Tildo, "WindowWidth", geometry.Width);
    values.Geometry.Top = ini.ReadInteger(Tildo, "WindowTop", geometry.Top);
    values.Geometry.Left = ini.ReadInteger(Tildo, "WindowLeft", geometry.Left);
    values.FloatingAskFormYShift = ini.ReadInteger(Tildo, "FloatingAskFormYShift", 32);

    const TEditorFont font;
    values.Font.Name = ini.ReadString(Tildo, "FontName", font.Name);
    values.Font.Charset = ini.ReadInteger(Tildo, "FontCharset", font.Charset);
    // A hand-edited size outside what a screen can show (zero, negative, huge)
    // would make the editor unusable or its layout endless.
    values.Font.Size = std::clamp(
        ini.ReadInteger(Tildo, "FontSize", font.Size), TEditorFont::MinSize, TEditorFont::MaxSize);

    values.Dictionary = files.CompleteDataPath(ini.ReadString(Tildo, "Dictionary", "tildo.dat"));
    // Without a key of its own the shipped combinations are used, when they are there.
    const std::string shippedCombi = FileExists(files.FindDataFile("combi.dat")) ? "combi.dat" : "";
    values.CombiDictionary = files.CompleteDataPath(ini.ReadString(Tildo, "CombiDictionary", shippedCombi));

    // The context sizes become lengths and counts in the pass: never negative.
    values.LinesBelow = std::max(0, ini.ReadInteger(Tildo, "LinesBelow", values.LinesBelow));
    values.ContextAddLetters
        = std::max(0, ini.ReadInteger(Tildo, "ContextAddLetters", values.ContextAddLetters));

    std::string hotKeys = FileTextToCp1251(ini.ReadString(Tildo, "ButtonHotKeys", "1234"));
    if (hotKeys.size() > 4)
        hotKeys.resize(4);
    values.ButtonHotKeys = hotKeys;

    values.Split.Size = ini.ReadInteger(Editor, "SplitSize", 90);
    values.Split.Vertical = ini.ReadBool(Editor, "SplitVert", false);

    values.Recent.clear();
    for (int n = 1; n <= TRecentFiles::Capacity; ++n) {
        const std::string value = ini.ReadString(Files, "Name" + std::to_string(n), "");
        if (value.empty())
            continue;
        TRecentEntry entry = ParseRecentEntry(value);
        if (!entry.Path.empty())
            values.Recent.push_back(std::move(entry));
    }
    values.LastFileN = ini.ReadInteger(Files, "LastFileN", 0);

    values.WordsBufferLength
        = std::clamp(ini.ReadInteger(Tildo, "WordsBufferLength", 3), 1, MaxWordsBufferLength);
    values.CombiLog = ini.ReadBool(Tildo, "CombiLog", false);
    values.TextDirectory = ini.ReadString(Tildo, "TextDirectory", "");
}

void WriteSettingsValues(const TSettingsValues& values, bool writeRecent, TIniFile& ini)
{
    const auto check = [&values](std::string_view command) {
        const auto it = values.Checks.find(command);
        return it != values.Checks.end() && it->second;
    };
    const auto& options = OptionKeys();
    for (int k = 0; k < LeadingOptions; ++k)
        ini.WriteBool(Tildo, options[static_cast<std::size_t>(k)].Key,
            check(CommandName(options[static_cast<std::size_t>(k)].Command)));
    ini.WriteInteger(Tildo, "WindowHeight", values.Geometry.Height);
    ini.WriteInteger(Tildo, "WindowWidth", values.Geometry.Width);
    ini.WriteInteger(Tildo, "WindowTop", values.Geometry.Top);
    ini.WriteInteger(Tildo, "WindowLeft", values.Geometry.Left);
    ini.WriteInteger(Tildo, "FloatingAskFormYShift", values.FloatingAskFormYShift);
    ini.WriteBool(Tildo, "CombiWords", check("CombiWords1"));
    ini.WriteBool(Tildo, "Context", check("Context1"));
    ini.WriteString(Tildo, "FontName", values.Font.Name);
    ini.WriteInteger(Tildo, "FontCharset", values.Font.Charset);
    ini.WriteInteger(Tildo, "FontSize", values.Font.Size);
    ini.WriteString(Tildo, "Dictionary", values.Dictionary);
    ini.WriteString(Tildo, "CombiDictionary", values.CombiDictionary);
    ini.WriteBool(Tildo, "RecallLastFile", check("LastFile1"));
    ini.DeleteKey(Tildo, "LastFileName");
    ini.DeleteKey(Tildo, "LastFilePos");
    ini.WriteString(Tildo, "TextDirectory", values.TextDirectory);
    ini.WriteBool(Tildo, "ToDockAskForm", check("ToDockAskForm1"));
    ini.WriteString(Tildo, "ButtonHotKeys", Cp1251ToUtf8(values.ButtonHotKeys));
    // The option behind this key is never offered.
    ini.WriteBool(Tildo, "CombiWordRegExp", false);

    ini.WriteBool(Editor, "InsertLog", check("InsertLog1"));
    ini.WriteInteger(Editor, "SplitSize", values.Split.Size);
    ini.WriteBool(Editor, "SplitVert", values.Split.Vertical);

    if (writeRecent) {
        for (int n = 1; n <= TRecentFiles::Capacity; ++n) {
            std::string value;
            if (n <= static_cast<int>(values.Recent.size())) {
                const TRecentEntry& entry = values.Recent[static_cast<std::size_t>(n - 1)];
                value = entry.Path + "," + std::to_string(entry.Position);
            }
            ini.WriteString(Files, "Name" + std::to_string(n), value);
        }
    }
    ini.WriteInteger(Files, "LastFileN", values.LastFileN);
}

void LoadSettings(TSettings& settings, UserInterface& ui, MainWindow& window, TDocuments& documents)
{
    TIniFile ini;
    try {
        ini.LoadFromFile(settings.SettingsPath);
    } catch (const EFileError& e) {
        // An unreadable file is not a missing one: say so, and go on with the
        // defaults (the file is not overwritten at exit while it stays unreadable).
        ReportFileError(ui, settings.SettingsPath, e.Reason());
    }
    TSettingsValues values;
    values.LinesBelow = settings.LinesBelow;
    values.ContextAddLetters = settings.ContextAddLetters;
    ReadSettingsValues(ini, window.ScreenSize(), settings.Files, values);

    for (const auto& [name, checked] : values.Checks) {
        if (const std::optional<TCommand> command = CommandByName(name))
            ui.SetCommandChecked(*command, checked);
    }
    settings.FloatingAskFormYShift = values.FloatingAskFormYShift;
    window.SetEditorFont(values.Font);
    settings.DictionaryPath = values.Dictionary;
    settings.CombiDictionaryPath = values.CombiDictionary;
    settings.LinesBelow = values.LinesBelow;
    settings.ContextAddLetters = values.ContextAddLetters;
    settings.ButtonHotKeys = values.ButtonHotKeys;
    window.SetDicEditorLayout(values.Split);
    for (const TRecentEntry& entry : values.Recent)
        documents.AddRecentFile(entry.Path, entry.Position);
    if (values.Checks["LastFile1"] && settings.StartDocument.empty() && values.LastFileN >= 1
        && values.LastFileN <= documents.RecentFiles().Count())
        settings.StartDocument = documents.RecentFiles().Entry(values.LastFileN).Path;
    settings.WordsBufferLength = values.WordsBufferLength;
    settings.CombiLog = values.CombiLog;
    documents.TextDirectory = values.TextDirectory;
    window.SetGeometry(values.Geometry);
}

void SetTestingDefaults(TSettings& settings, UserInterface& ui, MainWindow& window)
{
    using enum TCommand;
    for (const auto& [command, checked] : { std::pair { AlwaysAsk1, false }, { Mark1, true },
             { FastScroll1, false }, { CheckYo1, true }, { NoVarOnly1, false }, { RTF1, false },
             { WordWrap1, false }, { ProposeLast1, false }, { ToConfirm1, false }, { FBFormat1, false },
             { CombiWords1, true }, { Context1, false }, { LastFile1, false } })
        ui.SetCommandChecked(command, checked);
    settings.FloatingAskFormYShift = 32;
    window.SetEditorFont(TEditorFont { "Courier New", 1, 11 });
    settings.DictionaryPath = "***";
    settings.CombiDictionaryPath.clear();
    settings.WordsBufferLength = 3;
    settings.CombiLog = false;
    window.SetGeometry(DefaultGeometry(window.ScreenSize()));
}

void SaveSettings(
    const TSettings& settings, UserInterface& ui, const MainWindow& window, const TDocuments& documents)
{
    TIniFile ini;
    try {
        // What the file holds besides the program's keys is kept, so it is read
        // again; a file that cannot be read is not replaced.
        ini.LoadFromFile(settings.SettingsPath);
    } catch (const EFileError& e) {
        ReportFileError(ui, settings.SettingsPath, e.Reason());
        return;
    }
    TSettingsValues values;
    for (const TOptionKey& option : OptionKeys())
        values.Checks[std::string(CommandName(option.Command))] = ui.IsCommandChecked(option.Command);
    values.Geometry = window.Geometry();
    values.FloatingAskFormYShift = settings.FloatingAskFormYShift;
    values.Font = window.EditorFont();
    values.Dictionary = settings.DictionaryPath;
    values.CombiDictionary = settings.CombiDictionaryPath;
    values.TextDirectory = documents.TextDirectory;
    values.ButtonHotKeys = settings.ButtonHotKeys;
    values.Split = window.DicEditorLayout();
    const TRecentFiles& recent = documents.RecentFiles();
    for (int n = 1; n <= recent.Count(); ++n)
        values.Recent.push_back(recent.Entry(n));
    values.LastFileN = documents.CurrentFileName.empty() ? 0 : recent.Index(documents.CurrentFileName);
    WriteSettingsValues(values, recent.Started(), ini);
    try {
        ini.SaveToFile(settings.SettingsPath);
    } catch (const EFileError& e) {
        ReportFileError(ui, settings.SettingsPath, e.Reason());
    }
}

} // namespace tildo
