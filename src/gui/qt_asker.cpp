#include "qt_asker.h"

#include "ask_form.h"
#include "ask_panel.h"
#include "qt_text_document.h"
#include "qt_user_interface.h"

#include <QPalette>
#include <QPlainTextEdit>
#include <QWidget>

namespace tildo {

namespace {

bool Docked(const TQtUserInterface& ui)
{
    return ui.IsCommandChecked("ToDockAskForm1");
}

// The editor paints its selection over the text's own background, which
// would hide the aqua of a doubtful word: while such a question waits the
// selection itself is aqua, the text black.
class TSelectionLook
{
public:
    TSelectionLook(QPlainTextEdit& editor, bool doubtful)
        : m_editor(editor)
        , m_saved(editor.palette())
        , m_changed(doubtful)
    {
        if (!m_changed)
            return;
        QPalette palette = m_saved;
        for (const auto group : { QPalette::Active, QPalette::Inactive }) {
            palette.setColor(group, QPalette::Highlight, QColor(0, 255, 255));
            palette.setColor(group, QPalette::HighlightedText, Qt::black);
        }
        m_editor.setPalette(palette);
    }
    ~TSelectionLook()
    {
        if (m_changed)
            m_editor.setPalette(m_saved);
    }
    TSelectionLook(const TSelectionLook&) = delete;
    TSelectionLook& operator=(const TSelectionLook&) = delete;

private:
    QPlainTextEdit& m_editor;
    QPalette m_saved;
    bool m_changed;
};

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

QRect TQtAsker::WordOnScreen() const
{
    QPlainTextEdit& editor = m_document.Editor();
    QTextCursor at = editor.textCursor();
    const int start = at.selectionStart();
    const int end = at.selectionEnd();
    at.setPosition(start);
    QRect word = editor.cursorRect(at);
    at.setPosition(end);
    word = word.united(editor.cursorRect(at));
    return QRect(editor.viewport()->mapToGlobal(word.topLeft()), word.size());
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

TAnswer TQtAsker::Ask(const TQuestion& question)
{
    m_document.ShowSelection();
    const TSelectionLook look(m_document.Editor(), question.DottedMissing || question.DottedMismatch);
    m_window.raise();
    m_window.activateWindow();
    if (m_delegate != nullptr)
        return m_delegate->Ask(question);
    if (!Docked(m_ui))
        return m_form.Ask(question, WordOnScreen());

    // The word stays selected in the editor above the panel; nothing may edit it meanwhile.
    const bool wasReadOnly = m_document.IsReadOnly();
    m_document.SetReadOnly(true);
    m_ui.SetOpenArea(&m_panel);
    const TAnswer answer = m_panel.Ask(question);
    m_ui.SetOpenArea(nullptr);
    m_document.SetReadOnly(wasReadOnly);
    return answer;
}

} // namespace tildo
