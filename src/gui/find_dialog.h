#pragma once

#include "app/text_search.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tildo {

class TextDocument;
class UserInterface;

// The modeless find dialog: the search text, "match case", "whole word" and
// Find Next; searching always goes down. One dialog serves every window that
// searches: the main window starts a search with a mode, another window
// (the dictionary editor) points the same search at one of its panes. A bad
// pattern is shown in an error box of the window that searches.
class TFindDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TFindDialog(QWidget* parent = nullptr);

    // A find command of the main window: a new search in target, in mode;
    // errors go to ui. Shows the dialog.
    void StartSearch(TextDocument& target, UserInterface& ui, TFindMode mode);
    // Another window's find command: searches go to target (errors to ui),
    // keeping the mode and the first-search flag. Shows the dialog over owner
    // (a modal window blocks dialogs that are not its own), or over the
    // window it was made for when owner is null.
    void SearchIn(TextDocument& target, UserInterface& ui, QWidget* owner = nullptr);
    // A document or window going away stops being searched or reported to.
    void Forget(const TextDocument& target);

    // The Find Next button; false when nothing (more) was found or the
    // pattern was bad.
    bool FindNext();

    TTextSearch& Search() { return m_search; }
    void SetSearchText(const QString& text);
    QString SearchText() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowFor(UserInterface& ui, QWidget* owner);
    void UpdateControls();

    TTextSearch m_search;
    QWidget* m_home; // the window the dialog was made for
    UserInterface* m_ui = nullptr;
    QLineEdit* m_text;
    QCheckBox* m_matchCase;
    QCheckBox* m_wholeWord;
    QPushButton* m_findNext;
};

} // namespace tildo
