#pragma once

#include "app/settings.h"

#include <string>
#include <vector>

namespace tildo {

class DocumentEditor;
class MainWindow;
class ShellHooks;
class TCombiWordsDic;
class TDic;
class TDocuments;
class UserInterface;
struct TBufferLimits;

// The objects the start-up and shut-down sequence works on; all outlive it.
struct TShellParts
{
    UserInterface& Ui;
    MainWindow& Window;
    DocumentEditor& Editor;
    TDocuments& Documents;
    ShellHooks& Hooks;
    TDic& Dic;
    TCombiWordsDic& CombiDic;
    TBufferLimits& Limits;
};

// The application's start-up and shut-down, as the main window calls them:
// Initialise when the window is created, DeferredStart at the first idle
// moment of the message loop, CloseQuery when the window is asked to close,
// Close when it does. In the testing mode the settings file is neither read
// nor written.
class TLifecycle
{
public:
    explicit TLifecycle(const TShellParts& parts);

    // Finds the program's folders and initialises. A portable copy makes its
    // own directory the working directory (relative paths in its settings
    // mean that folder); an installed program leaves the working directory.
    // args are the program's arguments without its name.
    void Initialise(const std::vector<std::string>& args);
    // The same with everything in one given directory, as a portable copy,
    // leaving the working directory.
    void Initialise(const std::vector<std::string>& args, const std::string& programDirectory);
    // The same with the given folders, leaving the working directory.
    void Initialise(const std::vector<std::string>& args, const TFileLocations& files);
    // Loads the dictionaries and the word-form rules and opens the start
    // document; runs once, later calls do nothing.
    void DeferredStart();
    // True when the window may close: always in the testing mode, otherwise
    // unless the user keeps unsaved edits.
    bool CloseQuery();
    // Remembers the caret of the current text and writes the settings.
    void Close();

    TSettings Settings;
    bool MorphsAvailable() const { return m_morphsAvailable; }

    // Creates the folder of the logs of an installed program; false (and an
    // error box) when it cannot be made.
    bool PrepareStateDirectory();

private:
    TShellParts m_parts;
    bool m_started = false;
    bool m_morphsAvailable = false;
};

} // namespace tildo
