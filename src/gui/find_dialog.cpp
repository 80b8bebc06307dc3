#include "find_dialog.h"

#include "platform/user_interface.h"
#include "qt_strings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tildo {

TFindDialog::TFindDialog(QWidget* parent)
    // A title and a close button: a dialog is neither minimised nor maximised.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_home(parent)
    , m_text(new QLineEdit(this))
    , m_matchCase(new QCheckBox(Q("С учётом регистра"), this))
    , m_wholeWord(new QCheckBox(Q("Только слово целиком"), this))
    , m_findNext(new QPushButton(Q("Найти далее"), this))
{
    setObjectName("FindDialog");
    setModal(false);
    m_text->setObjectName("eFindText");
    m_matchCase->setObjectName("cbMatchCase");
    m_wholeWord->setObjectName("cbWholeWord");
    m_findNext->setObjectName("bFindNext");
    m_findNext->setDefault(true);
    auto* cancel = new QPushButton(Q("Отмена"), this);
    cancel->setObjectName("bFindCancel");

    auto* label = new QLabel(Q("&Что:"), this);
    label->setBuddy(m_text);
    auto* fields = new QGridLayout;
    fields->addWidget(label, 0, 0);
    fields->addWidget(m_text, 0, 1);
    fields->addWidget(m_wholeWord, 1, 0, 1, 2);
    fields->addWidget(m_matchCase, 2, 0, 1, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_findNext);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);
    m_text->setMinimumWidth(220);

    connect(m_findNext, &QPushButton::clicked, this, [this] { FindNext(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
    connect(m_text, &QLineEdit::textChanged, this, [this] { UpdateControls(); });
    UpdateControls();
}

void TFindDialog::StartSearch(TextDocument& target, UserInterface& ui, TFindMode mode)
{
    m_search.Begin(target, mode);
    ShowFor(ui, m_home);
}

void TFindDialog::SearchIn(TextDocument& target, UserInterface& ui, QWidget* owner)
{
    m_search.SetTarget(target);
    ShowFor(ui, owner != nullptr ? owner : m_home);
}

void TFindDialog::Forget(const TextDocument& target)
{
    m_search.Forget(target);
    if (m_search.Target() == nullptr) {
        hide();
        m_ui = nullptr;
        m_search.SetEscapeSource(nullptr);
    }
}

void TFindDialog::ShowFor(UserInterface& ui, QWidget* owner)
{
    if (owner != parentWidget())
        setParent(owner, windowFlags());
    m_ui = &ui;
    m_search.SetEscapeSource(&ui);
    setWindowTitle(Q(m_search.Mode() == TFindMode::Pattern ? "Найти регулярное выражение" : "Найти"));
    UpdateControls();
    show();
    raise();
    activateWindow();
    m_text->setFocus();
    m_text->selectAll();
}

void TFindDialog::closeEvent(QCloseEvent* event)
{
    // Closed from its title bar or by Alt+F4, the dialog hides as "Отмена"
    // hides it. Accepted, the close would take the dialog's native window with
    // it, and a window manager need not map a new one for the next find.
    event->ignore();
    hide();
}

void TFindDialog::UpdateControls()
{
    // Whole words mean nothing to a pattern; an empty text finds nothing.
    m_wholeWord->setEnabled(m_search.Mode() == TFindMode::Plain);
    m_findNext->setEnabled(!m_text->text().isEmpty());
}

bool TFindDialog::FindNext()
{
    if (m_text->text().isEmpty())
        return false;
    const TFindRequest request { FromQString(m_text->text()), m_matchCase->isChecked(),
        m_wholeWord->isChecked() };
    try {
        return m_search.FindNext(request);
    } catch (const EPatternError& e) {
        if (m_ui != nullptr)
            m_ui->ErrorBox(PatternErrorMessage(e));
        return false;
    }
}

void TFindDialog::SetSearchText(const QString& text)
{
    m_text->setText(text);
}

QString TFindDialog::SearchText() const
{
    return m_text->text();
}

} // namespace tildo
