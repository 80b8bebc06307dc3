#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace tildo {

// The number dialog: "Введите число: " and a field, OK and Cancel. OK takes
// only a whole number within the bounds: other text puts the value back in
// the field, a number out of bounds names the bounds in the title; either way
// the dialog stays open until an acceptable number or Cancel.
class TInputForm : public QDialog
{
    Q_OBJECT

public:
    explicit TInputForm(QWidget* parent = nullptr);

    // Shows the dialog modally; value changes only on an accepted OK.
    bool AskNumber(int& value, int low, int high);

    // Fills the dialog for a question without showing it (AskNumber's first
    // step; tests drive the dialog from here).
    void Begin(int value, int low, int high);
    int Value() const { return m_value; }

public slots:
    void accept() override;

private:
    QLabel* m_label;
    QLineEdit* m_input;
    int m_value = 0;
    int m_low = 0;
    int m_high = 0;
};

} // namespace tildo
