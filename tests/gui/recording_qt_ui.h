#pragma once

#include "qt_user_interface.h"

#include <QMessageBox>
#include <QString>

#include <deque>
#include <vector>

namespace tildo::test {

// The window's user interface with its message boxes recorded and answered
// from a script instead of shown.
class TRecordingQtUi : public TQtUserInterface
{
public:
    using TQtUserInterface::TQtUserInterface;

    struct TBox
    {
        QMessageBox::Icon Icon;
        QString Caption;
        QString Text;
        QMessageBox::StandardButtons Buttons;
        QMessageBox::StandardButton Default;
    };
    std::vector<TBox> Boxes;
    std::deque<QMessageBox::StandardButton> Answers; // the default button when empty

protected:
    QMessageBox::StandardButton ShowBox(QMessageBox::Icon icon, const QString& caption, const QString& text,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) override
    {
        Boxes.push_back({ icon, caption, text, buttons, defaultButton });
        if (Answers.empty())
            return defaultButton;
        const QMessageBox::StandardButton answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
};

} // namespace tildo::test
