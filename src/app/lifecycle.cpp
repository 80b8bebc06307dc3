#include "lifecycle.h"

#include "app/document_editor.h"
#include "app/documents.h"
#include "app/main_window.h"
#include "app/program_directory.h"
#include "app/shell_hooks.h"
#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "dict/my_lists.h"
#include "platform/file_io.h"
#include "platform/user_interface.h"
#include "text/file_messages.h"

namespace tildo {

TLifecycle::TLifecycle(const TShellParts& parts)
    : m_parts(parts)
{
}

void TLifecycle::Initialise(const std::vector<std::string>& args)
{
    TFileLocations files = PortableLocations(".");
    try {
        files = LocateProgramFiles();
        if (files.Portable)
            SetWorkingDirectory(files.ProgramDirectory);
    } catch (const EFileError& e) {
        ReportFileError(m_parts.Ui, e.Path(), e.Reason());
    }
    Initialise(args, files);
}

void TLifecycle::Initialise(const std::vector<std::string>& args, const std::string& programDirectory)
{
    Initialise(args, PortableLocations(programDirectory));
}

void TLifecycle::Initialise(const std::vector<std::string>& args, const TFileLocations& files)
{
    UserInterface& ui = m_parts.Ui;
    Settings.Files = files;
    Settings.ProgramDirectory = files.ProgramDirectory;

    // An empty editor in plain-text mode without word wrap.
    m_parts.Editor.SetRichText(false);
    m_parts.Editor.SetWordWrap(false);
    m_parts.Editor.SetContent({});
    m_parts.Window.SetTitle("");

    ParseCommandLine(args, Settings);
    Settings.SettingsPath = files.SettingsPath;
    if (Settings.TestingMode)
        SetTestingDefaults(Settings, ui, m_parts.Window);
    else
        LoadSettings(Settings, ui, m_parts.Window, m_parts.Documents);
    m_parts.Limits.WordsBufferLength = Settings.WordsBufferLength;

    ui.SetCommandEnabled("Font1", !m_parts.Editor.IsRichText());
    if (Settings.CombiLog && PrepareStateDirectory())
        m_parts.Hooks.BindCombiLog(files.StateDirectory + "/combi.log");
    ui.SetCommandEnabled("Testing1", Settings.TestingMode);
    if (Settings.TestingMode) {
        m_parts.Hooks.PrepareTestingMode();
        m_parts.Window.SetTitle("[Testing mode]");
    }
    ui.SetCommandEnabled("YoBegin1", false);
    ui.SetCommandEnabled("YoPos1", false);
    m_parts.Dic.Clear();
    m_parts.CombiDic.Clear();
    m_parts.Dic.FileName = Settings.DictionaryPath;
    m_parts.CombiDic.FileName = Settings.CombiDictionaryPath;
}

void TLifecycle::DeferredStart()
{
    if (m_started)
        return;
    m_started = true;
    UserInterface& ui = m_parts.Ui;
    if (Settings.TestingMode) {
        m_parts.Hooks.LoadTestDictionaries(m_parts.Dic, m_parts.CombiDic);
    } else {
        m_parts.Dic.ReadDic(ui);
        m_parts.CombiDic.ReadCombiDic(ui);
    }
    const std::string morphs = Settings.Files.FindDataFile("morphs.dat");
    if (FileExists(morphs))
        m_morphsAvailable = m_parts.Hooks.LoadMorphs(morphs);
    if (!Settings.StartDocument.empty() && !m_parts.Documents.OpenDocument(Settings.StartDocument))
        Settings.StartDocument.clear();
    m_parts.Hooks.RefreshCommands();
    m_parts.Hooks.ResetStatistics();
    m_parts.Documents.SetModified(false);
    m_parts.Documents.StartupFinished();
}

bool TLifecycle::CloseQuery()
{
    if (Settings.TestingMode)
        return true;
    return !m_parts.Documents.ConfirmDiscard();
}

void TLifecycle::Close()
{
    if (Settings.TestingMode)
        return;
    m_parts.Documents.RememberPosition();
    // The dictionaries may have been chosen anew, or lost their file, since start.
    Settings.DictionaryPath = Settings.Files.StoredDataPath(m_parts.Dic.FileName);
    Settings.CombiDictionaryPath = Settings.Files.StoredDataPath(m_parts.CombiDic.FileName);
    if (!Settings.Files.Portable && Settings.SettingsPath == Settings.Files.SettingsPath) {
        // The first exit of an installed program creates its settings folder.
        try {
            MakeDirectories(DirectoryOf(Settings.SettingsPath));
        } catch (const EFileError& e) {
            ReportFileError(m_parts.Ui, e.Path(), e.Reason());
            return;
        }
    }
    SaveSettings(Settings, m_parts.Ui, m_parts.Window, m_parts.Documents);
}

bool TLifecycle::PrepareStateDirectory()
{
    if (Settings.Files.Portable)
        return true;
    try {
        MakeDirectories(Settings.Files.StateDirectory);
        return true;
    } catch (const EFileError& e) {
        ReportFileError(m_parts.Ui, e.Path(), e.Reason());
        return false;
    }
}

} // namespace tildo
