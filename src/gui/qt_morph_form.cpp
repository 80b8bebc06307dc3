#include "qt_morph_form.h"

#include "qt_strings.h"
#include "tools/dic_lines.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tildo {

TQtMorphForm::TQtMorphForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_baseWord(new QLabel(this))
    , m_wordType(new QComboBox(this))
    , m_wordForms(new QPlainTextEdit(this))
    , m_accept(new QPushButton(Q("Принять"), this))
    , m_exit(new QPushButton(Q("Выйти"), this))
{
    setObjectName(QStringLiteral("MorphForm"));
    setWindowTitle(Q("Генерация форм слова"));
    setModal(true);

    m_baseWord->setObjectName(QStringLiteral("lBaseWord"));
    m_baseWord->setTextFormat(Qt::PlainText);
    QFont bold = m_baseWord->font();
    bold.setBold(true);
    m_baseWord->setFont(bold);
    m_wordType->setObjectName(QStringLiteral("WordType"));
    m_wordType->setEditable(false);
    m_wordType->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_wordForms->setObjectName(QStringLiteral("WordForms"));
    m_wordForms->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_wordForms->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_wordForms->installEventFilter(this);
    m_accept->setObjectName(QStringLiteral("bAccept"));
    m_exit->setObjectName(QStringLiteral("bExit"));
    m_accept->setAutoDefault(false);
    m_exit->setAutoDefault(false);
    m_accept->setDefault(true);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(Q("Исходная форма слова:"), this), 0, 0);
    fields->addWidget(m_baseWord, 0, 1);
    fields->addWidget(new QLabel(Q("Часть речи:"), this), 1, 0);
    fields->addWidget(m_wordType, 1, 1);
    fields->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_accept);
    buttons->addWidget(m_exit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_wordForms, 1);
    layout->addLayout(buttons);
    resize(360, 380);

    connect(m_accept, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_wordType, &QComboBox::activated, this, [this](int index) {
        if (m_form == nullptr || index < 0)
            return;
        m_form->ChooseWordType(FromQString(m_wordType->itemText(index)));
        ShowForms();
    });
}

void TQtMorphForm::Show(TMorphForm& form)
{
    m_form = &form;
    m_baseWord->setText(ToQString(form.BaseWord()));
    m_wordType->clear();
    for (const std::string& title : form.WordTypes())
        m_wordType->addItem(ToQString(title));
    m_wordType->setCurrentIndex(form.ChosenWordType());
    ShowForms();
    m_wordType->setFocus();
}

void TQtMorphForm::ShowForms()
{
    m_wordForms->setPlainText(m_form == nullptr ? QString() : ToQString(JoinPaneText(m_form->WordForms)));
}

TStringList TQtMorphForm::FormLines() const
{
    TStringList lines = SplitPaneText(FromQString(m_wordForms->toPlainText()));
    // "a\n" is the one line "a", as a list of lines reads it.
    if (lines.size() > 1 && lines.back().empty())
        lines.pop_back();
    return lines;
}

bool TQtMorphForm::Execute(TMorphForm& form)
{
    Show(form);
    const bool accepted = exec() == QDialog::Accepted;
    form.WordForms = FormLines();
    m_form = nullptr;
    return accepted;
}

bool TQtMorphForm::eventFilter(QObject* watched, QEvent* event)
{
    // Enter accepts even in the forms list, which would otherwise take it as a line break.
    if (watched == m_wordForms && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tildo
