#pragma once

#include "platform/asker.h"

#include <QRect>

class QWidget;

namespace tildo {

class TAskForm;
class TAskPanel;
class TQtTextDocument;
class TQtUserInterface;

// Asks in the docked panel or in the floating question dialog, as the option
// "Встроенная форма запроса" says at the time of the question. Before a
// question the editor catches up with the pass (the word selected, its
// highlight laid out) and the main window comes to the front; while the panel
// asks, the editor is read-only and only the panel takes input.
class TQtAsker : public Asker
{
public:
    TQtAsker(
        QWidget& window, TQtTextDocument& document, TAskForm& form, TAskPanel& panel, TQtUserInterface& ui);

    TAnswer Ask(const TQuestion& question) override;
    void BeginPass() override;
    void EndPass() override;

    // Another asker takes the questions (a test's scripted one); the editor
    // still shows the word first. nullptr gives them back to the dialog.
    void SetDelegate(Asker* delegate) { m_delegate = delegate; }

private:
    // The asked word (the editor's selection) on the screen.
    QRect WordOnScreen() const;

    QWidget& m_window;
    TQtTextDocument& m_document;
    TAskForm& m_form;
    TAskPanel& m_panel;
    TQtUserInterface& m_ui;
    Asker* m_delegate = nullptr;
};

} // namespace tildo
