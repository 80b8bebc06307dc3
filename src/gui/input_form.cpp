#include "input_form.h"

#include "app/window_commands.h"
#include "qt_strings.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tildo {

TInputForm::TInputForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_label(new QLabel(Q("Введите число: "), this))
    , m_input(new QLineEdit(this))
{
    setObjectName(QStringLiteral("InputForm"));
    m_input->setObjectName(QStringLiteral("eInput"));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(Q("Отмена"), QDialogButtonBox::RejectRole);
    ok->setObjectName(QStringLiteral("bOk"));
    cancel->setObjectName(QStringLiteral("bCancel"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &TInputForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->setSpacing(3); // the field stands 3 pixels right of the label
    row->addWidget(m_label);
    row->addWidget(m_input, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    // Wide enough for the bounds in the title.
    setMinimumWidth(260);
}

void TInputForm::Begin(int value, int low, int high)
{
    m_value = value;
    m_low = low;
    m_high = high;
    setWindowTitle(QString());
    m_input->setText(QString::number(value));
    m_input->selectAll();
    m_input->setFocus();
}

bool TInputForm::AskNumber(int& value, int low, int high)
{
    Begin(value, low, high);
    if (exec() != QDialog::Accepted)
        return false;
    value = m_value;
    return true;
}

void TInputForm::accept()
{
    const TNumberVerdict verdict = CheckNumber(FromQString(m_input->text()), m_low, m_high);
    switch (verdict.Kind) {
    case TNumberVerdict::NotInteger:
        m_input->setText(QString::number(m_value));
        break;
    case TNumberVerdict::OutOfBounds:
        setWindowTitle(ToQString(BoundsTitle(m_low, m_high)));
        m_input->setText(QString::number(verdict.Value));
        break;
    case TNumberVerdict::Accepted:
        m_value = verdict.Value;
        QDialog::accept();
        return;
    }
    m_input->selectAll();
    m_input->setFocus();
}

} // namespace tildo
