#pragma once

#include "tools/morph_form.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tildo {

// The word-form dialog "Генерация форм слова": the base word in bold, the
// part-of-speech list of the paradigms that fit it (only a listed title can be
// chosen) and the editable forms, one a line. "Принять" or Enter accepts, "Выйти"
// or Esc cancels, wherever the focus is; there is no close box.
class TQtMorphForm : public QDialog, public MorphDialog
{
    Q_OBJECT

public:
    explicit TQtMorphForm(QWidget* parent = nullptr);

    bool Execute(TMorphForm& form) override;

    // Fills the dialog from a prepared form without showing it.
    void Show(TMorphForm& form);
    // The lines of the forms list as the user left them: none for an empty
    // list, and a last line break ends the last line rather than opening one.
    TStringList FormLines() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowForms();

    QLabel* m_baseWord;
    QComboBox* m_wordType;
    QPlainTextEdit* m_wordForms;
    QPushButton* m_accept;
    QPushButton* m_exit;
    TMorphForm* m_form = nullptr;
};

} // namespace tildo
