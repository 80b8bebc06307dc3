#pragma once

#include "platform/asker.h"

#include <QDialog>
#include <QPoint>
#include <QRect>

class QLabel;
class QPushButton;
class QTextEdit;

namespace tildo {

// The floating question dialog: the word in its context, its е and ё forms,
// "Всегда Е" and "Всегда Ё", undo of the last asked replacement and cancel.
// It closes with an answer code; keys 1 to 4 answer like the first four
// buttons, Backspace undoes, Esc and closing the window cancel. It exists for
// the whole run and opens where it last stood.
class TAskForm : public QDialog
{
    Q_OBJECT

public:
    explicit TAskForm(QWidget* parent = nullptr);

    // Fills the dialog with a question: title, context, captions, enabled
    // buttons, size and the button that has the focus.
    void ShowQuestion(const TQuestion& question);
    // ShowQuestion, then shows the dialog modally; returns the answer code.
    // The dialog stands where it last stood (over its window at first),
    // moved off word, the asked word's rectangle on the screen, when it
    // would cover it.
    TAnswer Ask(const TQuestion& question, const QRect& word = {});

    // The dialog's width for a context of that pixel width.
    static int ClientWidthFor(int contextWidth);

    // "Копировать в редактор словарей" (F8 or the context's menu): the selected
    // part of the context goes out by CopyToDicEdit.
    void CopySelectionToDicEdit();

signals:
    void CopyToDicEdit(const QString& text);

public slots:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The context of the question shown, in the palette's colours as they are now.
    void PaintContext();
    QPushButton* MakeButton(const char* name);
    void Answer(TAnswer answer);
    // Keys 1 to 4 as answers; false when the key is not one of them or its button is disabled.
    bool AnswerDigit(int key);
    void Layout(int contextWidth);
    void ShowContextMenu(const QPoint& at);
    // Where the dialog goes: its usual place, off the word.
    QPoint PlaceOffWord(const QRect& word) const;

    QTextEdit* m_context;
    QString m_contextText; // the question's context, the word at m_wordOffset
    qsizetype m_wordOffset = 0;
    qsizetype m_wordLength = 0;
    bool m_mismatch = false;
    QLabel* m_sample; // measures text widths in the dialog's font
    QPushButton* m_bYe;
    QPushButton* m_bYo;
    QPushButton* m_bYeAll;
    QPushButton* m_bYoAll;
    QPushButton* m_bUndo;
    QPushButton* m_bCancel;
    bool m_defaultDotted = false;
    bool m_placed = false;
    QPoint m_lastPosition;
};

} // namespace tildo
