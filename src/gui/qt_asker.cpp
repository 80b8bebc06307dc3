#include "qt_asker.h"

#include "ask_form.h"
#include "ask_panel.h"
#include "qt_text_document.h"
#include "qt_user_interface.h"

#include <QWidget>

namespace tildo {

namespace {

bool Docked(const TQtUserInterface& ui)
{
    return ui.IsCommandChecked("ToDockAskForm1");
}

} // namespace

TQtAsker::TQtAsker(
    QWidget& window, TQtTextDocument& document, TAskForm& form, TAskPanel& panel, TQtUserInterface& ui)
    : m_window(window)
    , m_document(document)
    , m_form(form)
    , m_panel(panel)
    , m_ui(ui)
{
}

void TQtAsker::BeginPass()
{
    if (Docked(m_ui))
        m_panel.BeginPass();
}

void TQtAsker::EndPass()
{
    m_panel.EndPass();
}

int TQtAsker::Ask(const TQuestion& question)
{
    m_document.ShowSelection();
    m_window.raise();
    m_window.activateWindow();
    if (m_delegate != nullptr)
        return m_delegate->Ask(question);
    if (!Docked(m_ui))
        return m_form.Ask(question);

    // The word stays selected in the editor above the panel; nothing may edit it meanwhile.
    const bool wasReadOnly = m_document.IsReadOnly();
    m_document.SetReadOnly(true);
    m_ui.SetOpenArea(&m_panel);
    const int answer = m_panel.Ask(question);
    m_ui.SetOpenArea(nullptr);
    m_document.SetReadOnly(wasReadOnly);
    return answer;
}

} // namespace tildo
