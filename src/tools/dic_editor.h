#pragma once

#include "dict/my_lists.h"
#include "platform/scope_guard.h"
#include "platform/text_document.h"
#include "platform/user_interface.h"
#include "tools/dic_lines.h"

#include <functional>
#include <string>
#include <string_view>

namespace tildo {

class TDic;
class TCombiWordsDic;
class TMorphoGen;
class MorphDialog;

// Which of the editor's two panes has the keyboard focus.
enum class TPane { None, Dic, Word };

enum class TAddMode { Add, Find };

// What the editor needs of the main window.
struct TDicEditorLinks
{
    // Full paths of the main window's current main and combination
    // dictionaries; empty for none.
    std::function<std::string()> CurrentDicPath;
    std::function<std::string()> CurrentCombiDicPath;
    // Make the main window load the dictionary again from its current path.
    std::function<void()> ReloadDic;
    std::function<void()> ReloadCombiDic;
};

// Links to the main window's dictionaries: their configured paths, and
// reloading them in place, reporting through mainUi.
TDicEditorLinks LinksToDictionaries(TDic& dic, TCombiWordsDic& combi, UserInterface& mainUi);

struct TDicEditorSetup
{
    std::string ProgramDir; // a dictionary here is shown by its bare name; the open dialog starts here
    std::string WorkDir; // the working directory: insert.log and tildo.tmp
    const TBufferLimits* Limits = nullptr; // the longest word group; 3 words without it
    const TMorphoGen* Morphs = nullptr; // the word-form rules; "Создать формы слова" needs them
    MorphDialog* Dialog = nullptr; // the word-form dialog
    TDicEditorLinks Links;
};

// The dictionary editor without its window: a dictionary pane (DicEditor) that
// holds one dictionary file as text and a word pane (WordEditor) of candidate
// words, the editor's state, and every command of its menu. The window lays out
// the panes, the menu and the status line, forwards the menu commands and the
// panes' notifications here, and implements the UserInterface it is given (its
// own status line, caption, menu states and dialogs). Commands report file
// failures in an error box and stop.
class TDicEditor
{
public:
    TDicEditor(TextDocument& dicEditor, TextDocument& wordEditor, UserInterface& ui, TDicEditorSetup setup);

    // --- state ---
    int WordFormCount = 0;
    int RuleCount = 0;
    std::string SavedStatus;
    int FirstOrderBreak = -1;
    bool MainDicEdited = false; // a save overwrote the current main dictionary with edits
    bool CombiDicEdited = false; // ... the current combination dictionary
    bool Modified() const { return m_modified; }
    // The name the pane's dictionary was last opened or saved under, with " *"
    // while modified.
    std::string Caption() const;

    // --- options (menu check marks) ---
    bool IsCombiWords() const;
    void IsCombiWords1Click();
    bool IsInsertLog() const;
    void SetInsertLog(bool on);
    void InsertLog1Click();
    bool IsSplitVert() const;
    // Word pane at the right (true) or at the bottom.
    void SetSplitVert(bool vertical);
    void SplitVert1Click();
    // Width of the word pane when the split is vertical, else its height.
    int GetSplitSize() const { return m_splitSize; }
    void SetSplitSize(int size) { m_splitSize = size; }

    // --- small operations ---
    void ShowStatus(const std::string& text);
    void BeginWait();
    void RestoreStatus();
    void ShowCounts();
    void SetModified(bool modified);
    // True when there are no unsaved edits or the user agrees to lose them.
    bool ConfirmDiscard();

    // --- the window's life ---
    void FormShow();
    // A close request; false refuses it.
    bool FormCloseQuery();
    void FormClose();
    // Appends a line at the end of the word pane.
    void AppendWord(const std::string& line);
    // Notifications: the dictionary pane's text changed; the word pane's text
    // changed; a pane got the focus.
    void DicEditorChange(TPane focus);
    void WordEditorChange(TPane focus);
    void UpdateCommands(TPane focus);

    // --- files ---
    void Open1Click();
    void OpenCurrDic1Click();
    void OpenCurrCombiDic1Click();
    // Opens a dictionary; an empty path asks for one.
    void OpenDic(const std::string& path = {});
    // Loads a file into the dictionary pane and names the pane after name.
    // Returns the lines read; throws EFileError.
    TStringList LoadDicFile(const std::string& path, const std::string& name);
    void Save1Click();

    // --- checks and editing ---
    // True for a bad line; the reason, if any, goes to the status line.
    bool CheckDicLine(std::string_view line);
    // Counts the lines and reports the first order break in an error box.
    void CountDicLines(const TStringList& lines);
    void AddToDicIf(TAddMode mode);
    void AddToDic1Click() { AddToDicIf(TAddMode::Add); }
    void FindInDic1Click();
    void Lower1Click(TPane active);
    void Upper1Click(TPane active);
    void DelFromDic1Click(TPane active);
    void Morph1Click();

    // --- whole-dictionary operations ---
    void Sort1Click();
    void CheckDic1Click();
    void DelDoubles1Click();
    void Subtract1Click();
    void SweepWordEditor1Click();

    // Selects the whole text of the active pane.
    void Selectall1Click(TPane active);

    TextDocument& DicEditor() { return m_dic; }
    TextDocument& WordEditor() { return m_word; }
    // The pane a command acts on (the clipboard commands and the find dialog
    // of the window too); null for none.
    TextDocument* Pane(TPane pane);

private:
    // The busy cursor over both panes and the window for the life of a command.
    auto WaitCursor()
    {
        return TScopeGuard([this] { SetBusy(true); }, [this] { SetBusy(false); });
    }
    void SetBusy(bool busy);

    TCheckMode CheckMode() const;
    std::string FileChoiceDir(const std::string& fileName) const;
    std::string ShortName(const std::string& path) const;
    void SetCaptionName(const std::string& name);
    std::string TempFilePath() const;
    // Appends one record to insert.log; throws EFileError.
    void WriteLog(const std::string& record);
    // Runs a command, reporting a file failure in an error box.
    void Guarded(const std::function<void()>& command);
    void ChangeCase(TPane active, bool lower);
    // Applies an accepted addition: log, insert or replace, mark, counts.
    void ApplyAddition(const std::string& word, int wordLine, int dicLine, bool replace);

    TextDocument& m_dic;
    TextDocument& m_word;
    UserInterface& m_ui;
    TDicEditorSetup m_setup;
    bool m_modified = false;
    std::string m_captionName; // CP1251, as shown
    std::string m_saveFileName; // the save dialog's file name
    int m_splitSize = 90;
};

} // namespace tildo
