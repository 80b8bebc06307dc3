#pragma once

#include "app/main_window.h"
#include "tools/dic_editor.h"
#include "tools/morpho_gen.h"

#include <QMainWindow>
#include <QRect>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QKeySequence;
class QLabel;
class QMenu;
class QSplitter;

namespace tildo {

class TLinePane;
class TQtMorphForm;
class TQtUserInterface;

// The dictionary editor's window: the dictionary pane (DicEditor) above or
// beside the word pane (WordEditor), a 3-pixel splitter between them, the menus
// "Файл", "Редактировать", "Операции" and "Опции" and a one-field status line.
// Every command is a QAction named after its menu item ("Sort1", "AddToDic1",
// ...), through which the editor's logic sets the enabled states and reads the
// option check marks. The window lives as long as the main window and is shown
// modally any number of times; the word pane keeps its lines in between.
class TDicEditForm : public QMainWindow
{
    Q_OBJECT

public:
    // Makes the window's user interface; tests pass one whose message boxes
    // and file dialogs record instead of showing.
    using TUiFactory = std::function<std::unique_ptr<TQtUserInterface>(QWidget& window, QLabel& statusLine)>;

    // What the editor needs of the program: the folder of the shipped
    // dictionaries (shown by bare name, where the open dialog starts), the
    // folder of insert.log and tildo.tmp, the longest word group and the main
    // window's dictionaries.
    struct TContext
    {
        std::string ProgramDir;
        std::string WorkDir;
        const TBufferLimits* Limits = nullptr;
        TDicEditorLinks Links;
    };

    explicit TDicEditForm(const TContext& context, const TUiFactory& makeUi = {}, QWidget* parent = nullptr);
    ~TDicEditForm() override;

    // Reads the word-form rules; true when they are available afterwards.
    bool LoadMorphs(const std::string& path);

    // Shows the window at geometry with the given split and insert-log mark;
    // Execute also waits until it closes (modally). The split and the mark as
    // the user left them are read back with Split() and IsInsertLog().
    void Open(const QRect& geometry, const TSplitLayout& split, bool insertLog);
    void Execute(const QRect& geometry, const TSplitLayout& split, bool insertLog);
    TSplitLayout Split() const;
    bool IsInsertLog() const;

    // Appends a line at the end of the word pane.
    void AppendWord(const std::string& line);

    // Runs the search of the active pane (Ctrl+F); none by default.
    void SetFindHandler(std::function<void(TextDocument& pane)> handler) { m_find = std::move(handler); }

    TDicEditor& Logic() const { return *m_logic; }
    TQtUserInterface& Ui() const { return *m_ui; }
    // The panes, each its own TextDocument.
    TLinePane& DicPane() const { return *m_dicPane; }
    TLinePane& WordPane() const { return *m_wordPane; }
    TQtMorphForm& MorphForm() const { return *m_morphForm; }
    QAction* Command(const char* name) const;
    // The pane the commands act on: the one that last had the focus.
    TPane ActivePane() const { return m_active; }

signals:
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TintWordPane();
    void CreateMenus();
    void CreateFileMenu();
    void CreateEditMenu();
    void CreateOperationsMenu();
    void CreateOptionsMenu();
    QAction* AddCommand(QMenu* menu, const char* name, const char* caption, const QKeySequence& shortcut);
    // A command of the logic: run with the busy cursor's state restored and
    // the enabled states refreshed afterwards.
    void Connect(QAction* action, std::function<void()> command);
    TLinePane* MakePane(const char* name);
    void ApplySplit(bool vertical, int size);
    void ClipboardCommand(void (TLinePane::*operation)());
    void Find1Click();
    // True for a key that one of the window's commands takes before the pane.
    bool IsCommandKey(const QKeyEvent& key) const;

    TLinePane* m_dicPane;
    TLinePane* m_wordPane;
    QSplitter* m_splitter;
    QLabel* m_statusLine;
    std::unique_ptr<TQtUserInterface> m_ui;
    TMorphoGen m_morphs;
    TQtMorphForm* m_morphForm;
    std::unique_ptr<TDicEditor> m_logic;
    std::function<void(TextDocument&)> m_find;
    TPane m_active = TPane::Word;
    bool m_running = false; // a command of the menu runs
    int m_splitSize = 90;
};

} // namespace tildo
