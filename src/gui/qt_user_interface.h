#pragma once

#include "platform/scope_guard.h"
#include "platform/user_interface.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>
#include <map>
#include <string>
#include <string_view>

class QAction;
class QLabel;
class QWidget;

namespace tildo {

// Shrinks and moves a window, with the frame the window manager gave it,
// into the available area of its screen.
void FitToScreen(QWidget& window);

// The UserInterface of the main window: message boxes over the window, the
// status line, the busy cursor, the Esc key and the menu commands, which are
// the window's QActions found by objectName ("YoPos1", "Mark1", ...).
//
// Esc during a long operation: the core polls IsEscPressed after each unit of
// work. From the first poll until the event loop is idle again (and for the
// life of BlockInput's guard), an application-wide filter swallows keyboard and
// mouse input, so that no click or key reaches the editor or the menus, and
// records Esc presses; every ~50 ms a poll lets the queued events through the
// filter so that the window stays painted. A modal window opened meanwhile (a
// question, a message box) gets its input as usual.
class TQtUserInterface : public QObject, public UserInterface
{
    Q_OBJECT

public:
    // statusLabel is the one field of the status line.
    TQtUserInterface(QWidget& window, QLabel& statusLabel);
    ~TQtUserInterface() override;

    void ErrorBox(const std::string& text) override;
    bool QuestionYesNo(const std::string& text) override;
    TDialogAnswer QuestionYesNoCancel(const std::string& text) override;
    TDialogAnswer QuestionSaveChanges(const std::string& text) override;
    bool QuestionOkCancel(const std::string& text) override;
    void SetCaption(const std::string& text) override;
    void InfoBox(const std::string& text) override;
    void WarningBox(const std::string& text) override;

    std::string StatusText() const override { return m_status; }
    void SetStatusText(const std::string& text) override;
    void SetBusyCursor(bool busy) override;

    bool IsEscPressed() override;

    std::string ChooseOpenFile(const TFileChoice& choice) override;
    std::string ChooseSaveFile(const TFileChoice& choice) override;

    void SetCommandEnabled(TCommandName command, bool enabled) override;
    bool IsCommandEnabled(TCommandName command) const override;
    void SetCommandChecked(TCommandName command, bool checked) override;
    bool IsCommandChecked(TCommandName command) const override;
    void SetCommandCaption(TCommandName command, const std::string& caption) override;

    // Called before events are let through or a box is shown: the editor's
    // view catches up with a pass that defers it.
    void SetBeforeEvents(std::function<void()> hook) { m_beforeEvents = std::move(hook); }

    // The window's command of that name; nullptr when there is none.
    QAction* Command(TCommandName command) const;

    // Input is swallowed (and Esc recorded) for the life of the returned
    // guard. When the outermost ends, the operation is over: so is its
    // polling, whether or not the event loop has waited since.
    auto BlockInput()
    {
        return TScopeGuard([this] { ++m_blockDepth; },
            [this] {
                if (--m_blockDepth == 0)
                    EndPolling();
            });
    }
    bool IsBlockingInput() const { return m_blockDepth > 0 || m_polling; }

    // A part of the window that keeps its input while the rest is blocked (the
    // docked question panel while it asks); nullptr for none.
    void SetOpenArea(QWidget* area) { m_openArea = area; }

    // How often a poll lets events through, in milliseconds.
    static constexpr int PumpInterval = 50;

protected:
    // Shows a modal message box and returns the button pressed. Tests override
    // it to record the box and answer without showing anything.
    virtual QMessageBox::StandardButton ShowBox(QMessageBox::Icon icon, const QString& caption,
        const QString& text, QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton);

    bool eventFilter(QObject* watched, QEvent* event) override;

    // The file dialogs; tests override them to choose without showing anything.
    virtual QString ShowOpenDialog(const QString& start, const QString& filter);
    virtual QString ShowSaveDialog(const QString& start, const QString& filter);

private:
    void EndPolling();
    bool InOpenArea(QObject* watched) const;
    void BeforeEvents();
    // Lets events through (the window is painted, Esc is noticed).
    void Pump();
    QMessageBox::StandardButton Box(QMessageBox::Icon icon, const char* caption, const std::string& text,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton);

    QWidget& m_window;
    QLabel& m_statusLabel;
    std::string m_status;
    int m_busyDepth = 0;
    int m_blockDepth = 0;
    bool m_polling = false;
    bool m_escPressed = false; // pressed since the previous poll
    bool m_escDown = false; // held now
    // When events were last let through, in milliseconds of the coarse
    // monotonic clock; negative before the first time. A pass polls at every
    // word, and the precise clock costs more than most words (a system call
    // on some virtual machines), while the coarse one is a memory read.
    qint64 m_lastPump = -1;
    QMetaObject::Connection m_idleConnection;
    std::function<void()> m_beforeEvents;
    QWidget* m_openArea = nullptr;
    // Check marks of options that have no menu item in this window, kept so
    // that the settings file gets back what it gave.
    std::map<std::string, bool, std::less<>> m_marksWithoutItem;
    mutable std::array<QPointer<QAction>, CommandCount> m_actions;
};

} // namespace tildo
