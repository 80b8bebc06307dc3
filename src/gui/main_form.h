#pragma once

#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QKeySequence;
class QLabel;
class QMenu;
class QTextEdit;

namespace tildo {

class TAskForm;
class TQtTextDocument;
class TQtUserInterface;

// The main window: the editor, the status line and the menus "Файл",
// "Редактировать", "Ёфикация" and "Опции". Every command is a QAction named
// after its menu item ("Open1", "YoBegin1", "Mark1", ...), which is how the
// core reaches the option check marks and the enabled states.
class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    // Makes the window's user interface; tests pass one whose message boxes
    // record instead of showing.
    using TUiFactory = std::function<std::unique_ptr<TQtUserInterface>(QWidget& window, QLabel& statusLine)>;

    explicit TMainForm(const TUiFactory& makeUi = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    QTextEdit& Editor() const { return *m_editor; }
    TQtTextDocument& Document() const { return *m_document; }
    TQtUserInterface& Ui() const { return *m_ui; }
    TAskForm& AskForm() const { return *m_askForm; }
    QAction* Command(const char* name) const;

    // True while a restoration pass runs.
    bool Busy() const { return m_busy; }

    // Enables the commands that need a text, a selection or a dictionary.
    void RefreshCommands();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenus();
    void CreateFileMenu();
    void CreateEditMenu();
    void CreateYoMenu();
    void CreateOptionsMenu();
    QAction* AddCommand(QMenu* menu, const char* name, const char* caption, const QKeySequence& shortcut);
    QAction* AddOption(QMenu* menu, const char* name, const char* caption, bool checked);
    void ApplyRichTextMode();
    void ApplyWordWrap();
    bool HasDictionary() const;

    QTextEdit* m_editor;
    QLabel* m_statusLine;
    std::unique_ptr<TQtTextDocument> m_document;
    std::unique_ptr<TQtUserInterface> m_ui;
    TAskForm* m_askForm;
    bool m_busy = false;
};

} // namespace tildo
