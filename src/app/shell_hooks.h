#pragma once

#include <string>

namespace tildo {

class TDic;
class TCombiWordsDic;

// What the application shell calls in the parts of the program it does not
// own: the restoration pass and its undo history, the statistics, the command
// states, the word-form rules and the testing mode. The owner of those parts
// (the main window, the command-line tool, a test) implements it.
class ShellHooks
{
public:
    virtual ~ShellHooks() = default;

    // True while a restoration pass runs.
    virtual bool IsBusy() const = 0;
    // Recomputes the enabled state of the commands.
    virtual void RefreshCommands() = 0;
    // Forgets the restoration's undo history.
    virtual void ClearUndo() = 0;
    virtual void ResetStatistics() = 0;
    // Loads the word-form rules; true when they are available afterwards.
    virtual bool LoadMorphs(const std::string& path) = 0;
    // Starts logging every combination decision to the file.
    virtual void BindCombiLog(const std::string& path) = 0;
    // Shows the testing command and builds the test table.
    virtual void PrepareTestingMode() = 0;
    // Fills both dictionaries with the built-in test entries.
    virtual void LoadTestDictionaries(TDic& dic, TCombiWordsDic& combi) = 0;
};

} // namespace tildo
