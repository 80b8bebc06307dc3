#pragma once

#include "app/file_locations.h"
#include "app/main_window.h"
#include "app/recent_files.h"
#include "platform/commands.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tildo {

class TDocuments;
class TIniFile;
class UserInterface;

// The run-time values that the settings file and the command line provide.
struct TSettings
{
    bool TestingMode = false;
    std::string StartDocument; // text to open when start-up completes; empty for none
    std::string ProgramDirectory;
    TFileLocations Files; // the data, settings and log folders
    std::string SettingsPath;
    int FloatingAskFormYShift = 32;
    std::string DictionaryPath; // completed
    std::string CombiDictionaryPath; // completed; empty for none
    int LinesBelow = 2;
    int ContextAddLetters = 20;
    std::string ButtonHotKeys; // CP1251, at most four characters
    int WordsBufferLength = 3;
    bool CombiLog = false;
};

// Everything the settings file holds, as read from it or to be written to it.
struct TSettingsValues
{
    // Option check marks by menu command ("Mark1", "LastFile1", "InsertLog1", ...).
    std::map<std::string, bool, std::less<>> Checks;
    TWindowGeometry Geometry;
    int FloatingAskFormYShift = 32;
    TEditorFont Font;
    std::string Dictionary;
    std::string CombiDictionary;
    int LinesBelow = 2;
    int ContextAddLetters = 20;
    std::string TextDirectory;
    std::string ButtonHotKeys; // CP1251
    TSplitLayout Split;
    std::vector<TRecentEntry> Recent; // non-empty NameN values in order of N
    int LastFileN = 0;
    int WordsBufferLength = 3;
    bool CombiLog = false;
};

// Settings key, its section and the menu command whose check mark it holds.
struct TOptionKey
{
    std::string_view Section;
    std::string_view Key;
    TCommand Command;
    bool Default;
};
// The option keys in the order they are written.
const std::vector<TOptionKey>& OptionKeys();

// The testing mode and the start document from the program's arguments
// (without the program name): "/t" exactly switches the testing mode on, any
// other first argument is a text to open.
void ParseCommandLine(const std::vector<std::string>& args, TSettings& settings);

// A dictionary path as stored: empty stays empty, a bare file name goes into
// the program directory, anything else is kept.
std::string CompletePath(const std::string& value, const std::string& programDirectory);

// A recent entry "path,position": the last comma splits them; a position that
// is not a number, or a value without a comma, gives position 0.
TRecentEntry ParseRecentEntry(std::string_view value);

// Reads every key; missing or malformed values give the defaults. LinesBelow
// and ContextAddLetters default to the values already in `values`. Bare
// dictionary names are looked up in the data folders of files.
void ReadSettingsValues(
    const TIniFile& ini, TScreenSize screen, const TFileLocations& files, TSettingsValues& values);
// Writes every key that is written, in order; deletes the keys of the older
// layout. The nine recent entries are written only when writeRecent is set.
void WriteSettingsValues(const TSettingsValues& values, bool writeRecent, TIniFile& ini);

// Reads the settings file at settings.SettingsPath into the run-time values,
// the check marks, the main window and the documents' recent list.
void LoadSettings(TSettings& settings, UserInterface& ui, MainWindow& window, TDocuments& documents);
// The testing mode's fixed values; touches no file.
void SetTestingDefaults(TSettings& settings, UserInterface& ui, MainWindow& window);
// Writes the settings back, keeping whatever else the file holds; a failure is
// reported in an error box.
void SaveSettings(
    const TSettings& settings, UserInterface& ui, const MainWindow& window, const TDocuments& documents);

} // namespace tildo
