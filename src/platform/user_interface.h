#pragma once

#include "platform/commands.h"
#include "platform/scope_guard.h"

#include <string>
#include <string_view>

namespace tildo {

// Answer of a Yes/No/Cancel question.
enum class TDialogAnswer { Yes, No, Cancel };

// What an open or save file dialog starts with. Filter is "Caption|patterns"
// pairs joined by '|' ("Plain text|*.txt|All types|*.*"), empty for none.
struct TFileChoice
{
    std::string Directory; // start directory; empty for the dialog's own choice
    std::string FileName; // proposed name
    std::string Filter;
};

// What the core needs of the desktop: message boxes, the status line, the busy
// cursor, the Esc key, file dialogs and the menu commands' enabled and checked
// states.
// Every text passed across is CP1251, as everywhere in the core; the
// implementation converts at its edge. Commands are TCommand values, or their
// menu item names ("YoBegin1", "CombiWords1", ...) checked while compiling.
class UserInterface
{
public:
    virtual ~UserInterface() = default;

    // Modal box with the caption "Ошибка", the error icon and OK.
    virtual void ErrorBox(const std::string& text) = 0;
    // Modal Yes/No box with the caption "Внимание", the exclamation icon and No
    // as the default button; true only for Yes.
    virtual bool QuestionYesNo(const std::string& text) = 0;
    // Modal Yes/No/Cancel box with the caption "Внимание".
    virtual TDialogAnswer QuestionYesNoCancel(const std::string& text) = 0;
    // Modal OK/Cancel box with the caption "Внимание"; true only for OK.
    virtual bool QuestionOkCancel(const std::string& text) = 0;
    // Modal box about unsaved changes with "Сохранить" (Yes, the default),
    // "Не сохранять" (No) and "Отмена" (Cancel).
    virtual TDialogAnswer QuestionSaveChanges(const std::string& text) { return QuestionYesNoCancel(text); }

    // The caption of the window the core works for.
    virtual void SetCaption(const std::string& text) = 0;

    // Modal box with an empty caption, no icon and OK.
    virtual void InfoBox(const std::string& text) = 0;
    // Modal box with the caption "Внимание", the exclamation icon and OK: news
    // the user must heed that is no error. A front end without boxes shows it
    // as it shows InfoBox.
    virtual void WarningBox(const std::string& text) { InfoBox(text); }

    virtual std::string StatusText() const = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void SetBusyCursor(bool busy) = 0;

    // True when Esc is down now or was pressed since the previous query.
    virtual bool IsEscPressed() = 0;

    // The open and save file dialogs: the chosen path, empty when cancelled.
    // The save dialog does not ask about overwriting; callers do. A front end
    // without dialogs (the command-line tool, most fakes) keeps the default:
    // every choice is cancelled.
    virtual std::string ChooseOpenFile(const TFileChoice& choice)
    {
        (void)choice;
        return {};
    }
    virtual std::string ChooseSaveFile(const TFileChoice& choice)
    {
        (void)choice;
        return {};
    }

    virtual void SetCommandEnabled(TCommandName command, bool enabled) = 0;
    virtual bool IsCommandEnabled(TCommandName command) const = 0;
    virtual void SetCommandChecked(TCommandName command, bool checked) = 0;
    virtual bool IsCommandChecked(TCommandName command) const = 0;
    // The menu caption of a command ("Откат \"все -> всё\"", "Сброс теста").
    virtual void SetCommandCaption(TCommandName command, const std::string& caption) = 0;
};

// Drains the Esc state, so that a press that belonged to an earlier action does
// not abort the next one.
inline void WaitEscReleased(UserInterface& ui)
{
    while (ui.IsEscPressed()) { }
}

// Shows the busy cursor and a status text for the life of a long operation,
// then puts back the cursor and the status text that was there before, on
// every exit path.
inline auto BusyScope(UserInterface& ui, const std::string& status)
{
    return TScopeGuard(
        [&ui, &status] {
            ui.SetBusyCursor(true);
            ui.SetStatusText(status);
        },
        [&ui, saved = ui.StatusText()] {
            ui.SetBusyCursor(false);
            ui.SetStatusText(saved);
        });
}

} // namespace tildo
