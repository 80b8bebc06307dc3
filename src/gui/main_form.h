#pragma once

#include "app/context_data.h"
#include "app/main_window.h"
#include "app/shell_hooks.h"
#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "dict/my_lists.h"
#include "engine/undo_history.h"
#include "platform/asker.h"
#include "platform/commands.h"
#include "platform/scope_guard.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QKeySequence;
class QLabel;
class QMenu;
class QMimeData;
class QPlainTextEdit;
class QUrl;

namespace tildo {

class TAskForm;
class TAskPanel;
class TDicEditForm;
class TInputForm;
class TDocuments;
class TFindDialog;
class TLifecycle;
class TQtAsker;
class TQtDocumentEditor;
class TTestingMode;
class TYoficator;
class TQtTextDocument;
class TQtUserInterface;
class TStatForm;

// The main window: the editor, the status line and the menus "Файл",
// "Редактировать", "Ёфикация", "Опции" and "Помощь". Every command is a
// QAction made from the command table (named after its menu item, "Open1",
// "YoBegin1", "Mark1", ...), which is how the core reaches the option check
// marks and the enabled states. The window owns
// the dictionaries and the documents for the whole run and goes through the
// application shell's start-up and shut-down.
class TMainForm : public QMainWindow, public MainWindow, public ShellHooks
{
    Q_OBJECT

public:
    // Makes the window's user interface; tests pass one whose message boxes
    // and file dialogs record instead of showing.
    using TUiFactory = std::function<std::unique_ptr<TQtUserInterface>(QWidget& window, QLabel& statusLine)>;

    explicit TMainForm(const TUiFactory& makeUi = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Start-up: the settings, the command line (args without the program
    // name), then the dictionaries and the start text at the first idle moment.
    // The program directory is the executable's unless one is given.
    void Start(const std::vector<std::string>& args);
    void Start(const std::vector<std::string>& args, const std::string& programDirectory);
    // What the first idle moment does; runs once.
    void DeferredStart();

    QPlainTextEdit& Editor() const { return *m_editor; }
    TQtTextDocument& Document() const { return *m_document; }
    TQtUserInterface& Ui() const { return *m_ui; }
    TAskForm& AskForm() const { return *m_askForm; }
    TAskPanel& AskPanel() const { return *m_askPanel; }
    TInputForm& InputForm() const { return *m_inputForm; }
    // The find dialog, shared with the dictionary editor.
    TFindDialog& FindDialog() const { return *m_findDialog; }
    TDocuments& Documents() const { return *m_documents; }
    TQtDocumentEditor& DocEditor() const { return *m_docEditor; }
    TDic& Dic() { return m_dic; }
    TCombiWordsDic& CombiDic() { return m_combiDic; }
    // The context judge with "Решать по контексту" on (read at first use), else null.
    TContextJudge* ContextJudge();
    TYoficator& Engine() const { return *m_engine; }
    TWordBuffer& WordWindow() { return m_wordWindow; }
    const TBufferLimits& Limits() const { return m_limits; }
    // The next "Откат" takes back, in one step, the letters written after the
    // last pass (written) and then every asked replacement of that pass (the
    // answers a review wrote), under the given caption (CP1251); a pass or a
    // new text ends that.
    void TakeBackAllAtOnce(const std::string& caption, TUndoHistory written);
    TLifecycle& Lifecycle() const { return *m_lifecycle; }
    // The window's action for a command; nullptr when it has none.
    QAction* Command(TCommandName command) const;

    // The program's own writes into the text for the life of the returned
    // guard: left out of the editor's undo history, which they end (the
    // user's typing is undone by Ctrl+Z as in any editor; the pass's letters
    // by "Откат").
    auto OwnEdits()
    {
        return TScopeGuard([this] { SetTypingUndo(false); }, [this] { SetTypingUndo(true); });
    }

    // Opens a page in the desktop's browser; false when none opened it.
    // Tests put a recorder in its place.
    std::function<bool(const QUrl&)> OpenUrl;

    // Questions go to this asker instead of the floating dialog (nullptr: the
    // dialog again); the editor still shows the word first.
    void SetAsker(Asker* asker);

    // A restoration pass from line (from 0) and column (from 1): the window is
    // busy, its input is held back but for Esc, the editor's view is deferred,
    // and all of it is restored on every exit path.
    void RunPass(int line, int column);

    // MainWindow
    TScreenSize ScreenSize() const override;
    TWindowGeometry Geometry() const override;
    void SetGeometry(const TWindowGeometry& geometry) override;
    std::string Title() const override { return m_title; }
    void SetTitle(const std::string& title) override;
    TEditorFont EditorFont() const override { return m_font; }
    void SetEditorFont(const TEditorFont& font) override;
    // The editor's font as it is painted, for the font dialog to start with.
    QFont FontInUse() const;
    void SetRecentFiles(const std::vector<std::string>& paths) override;
    TSplitLayout DicEditorLayout() const override { return m_split; }
    void SetDicEditorLayout(const TSplitLayout& layout) override { m_split = layout; }

    // ShellHooks
    bool IsBusy() const override { return m_busy; }
    // Enables the commands that need a text, a selection or a dictionary.
    void RefreshCommands() override;
    void ClearUndo() override;
    void ResetStatistics() override;
    bool LoadMorphs(const std::string& path) override;
    void BindCombiLog(const std::string& path) override;
    void PrepareTestingMode() override;
    void LoadTestDictionaries(TDic& dic, TCombiWordsDic& combi) override;

    // --- the dictionary tools: the dictionary editor, the statistics window,
    // the new-ё collection (main_form_tools.cpp) ---
    // The dictionary editor's window, made at its first use with a user
    // interface from makeUi when one is set (tests record its boxes).
    TDicEditForm& DicEditForm();
    void SetDicEditUiFactory(TUiFactory makeUi) { m_dicEditUi = std::move(makeUi); }
    // The statistics window, made at its first use.
    TStatForm& StatForm();
    // "Редактор словарей": this window hides and its menus are disabled while
    // the editor runs modally at its place.
    void EditDic1Click();
    // "Копировать в редактор словарей": the selection as a new last line of the
    // editor's word pane.
    void CopyToDicEdit1Click();
    void CopyToDicEdit(const std::string& text);
    // "Детальная статистика".
    void Stat1Click();
    // "Сбор новых Ё": the words of the text whose ё the dictionary does not
    // confirm go to the editor's word pane.
    void YoCollect1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateMenus();
    void CreateFileMenu();
    void CreateEditMenu();
    void CreateYoMenu();
    void CreateOptionsMenu();
    void CreateHelpMenu();
    // The options menu's items after the check marks: the docked panel, the
    // two numbers and the font.
    void AddLayoutOptions(QMenu* menu);
    void OpenDic1Click();
    void OpenCombiDic1Click();
    // The number dialog for one of the pass's numbers, kept in the settings.
    void AskSetting(int& value, int low, int high);
    void Font1Click();
    void About1Click();
    void Help2Click();
    // The docked panel is in use: a pass runs with "Встроенная форма запроса" on.
    bool PanelInUse() const;
    // A menu item for a command, with the command's name and caption.
    QAction* AddCommand(QMenu* menu, TCommand command, const QKeySequence& shortcut);
    QAction* AddOption(QMenu* menu, TCommand command, bool checked);
    void ApplyRichTextMode();
    void ApplyWordWrap();
    bool HasDictionary() const;
    // Runs a long engine operation in the state a pass needs.
    void RunBusy(const std::function<void()>& operation);
    void YoPos1Click();
    void Undo1Click();
    void SetTypingUndo(bool enabled);
    void Review1Click();
    void ClearUserSel1Click();
    void Testing1Click();
    void CreateToolCommands();
    void RefreshToolCommands();
    // Local files among dropped URLs; empty when there are none.
    static std::vector<std::string> DroppedFiles(const QMimeData* data);
    static constexpr int TestingWindowWidth = 700;

    QPlainTextEdit* m_editor;
    QLabel* m_statusLine;
    std::unique_ptr<TQtTextDocument> m_document;
    std::unique_ptr<TQtUserInterface> m_ui;
    std::unique_ptr<TQtDocumentEditor> m_docEditor;
    TAskForm* m_askForm;
    TAskPanel* m_askPanel;
    TInputForm* m_inputForm;
    TFindDialog* m_findDialog;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentSeparator = nullptr;
    std::vector<QAction*> m_recentActions;

    TBufferLimits m_limits;
    TDic m_dic;
    TCombiWordsDic m_combiDic { m_limits };
    TWordBuffer m_wordWindow { m_limits };
    TContextData m_context; // read at the first pass with "Решать по контексту" on
    std::unique_ptr<TQtAsker> m_asker;
    std::unique_ptr<TYoficator> m_engine;
    std::unique_ptr<TTestingMode> m_testing;
    std::unique_ptr<TDocuments> m_documents;
    std::unique_ptr<TLifecycle> m_lifecycle;
    bool m_started = false;

    std::string m_title;
    TEditorFont m_font;
    TSplitLayout m_split;
    bool m_busy = false;
    bool m_undoAllAtOnce = false;
    int m_ownEditDepth = 0; // OwnEdits guards alive
    TUndoHistory m_writtenAfterPass; // taken back first by a one-step "Откат"

    // Made at their first use, owned as children of this window.
    TDicEditForm* m_dicEditForm = nullptr;
    TUiFactory m_dicEditUi;
    TStatForm* m_statForm = nullptr;
};

} // namespace tildo
