#include "qt_asker.h"

#include "ask_form.h"
#include "qt_text_document.h"

#include <QWidget>

namespace tildo {

TQtAsker::TQtAsker(QWidget& window, TQtTextDocument& document, TAskForm& form)
    : m_window(window)
    , m_document(document)
    , m_form(form)
{
}

TAnswer TQtAsker::Ask(const TQuestion& question)
{
    m_document.ShowSelection();
    m_window.raise();
    m_window.activateWindow();
    if (m_delegate != nullptr)
        return m_delegate->Ask(question);
    return m_form.Ask(question);
}

} // namespace tildo
