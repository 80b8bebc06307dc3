#pragma once

#include "platform/asker.h"

class QWidget;

namespace tildo {

class TAskForm;
class TQtTextDocument;

// Asks in the floating question dialog. Before the dialog opens, the editor
// catches up with the pass (the word selected, its highlight laid out) and the
// main window comes to the front.
class TQtAsker : public Asker
{
public:
    TQtAsker(QWidget& window, TQtTextDocument& document, TAskForm& form);

    TAnswer Ask(const TQuestion& question) override;

    // Another asker takes the questions (a test's scripted one); the editor
    // still shows the word first. nullptr gives them back to the dialog.
    void SetDelegate(Asker* delegate) { m_delegate = delegate; }

private:
    QWidget& m_window;
    TQtTextDocument& m_document;
    TAskForm& m_form;
    Asker* m_delegate = nullptr;
};

} // namespace tildo
