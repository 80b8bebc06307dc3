#pragma once

#include "qt_user_interface.h"

#include <QMessageBox>
#include <QString>
#include <QStringList>

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
    std::deque<QString> OpenChoices; // paths the open dialog returns; cancelled when empty
    std::deque<QString> SaveChoices; // paths the save dialog returns; cancelled when empty
    QStringList DialogStarts; // where each dialog started
    QStringList DialogFilters;

    std::vector<QString> BoxTexts() const
    {
        std::vector<QString> texts;
        for (const TBox& b : Boxes)
            texts.push_back(b.Text);
        return texts;
    }

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
    QString ShowOpenDialog(const QString& start, const QString& filter) override
    {
        return Choose(OpenChoices, start, filter);
    }
    QString ShowSaveDialog(const QString& start, const QString& filter) override
    {
        return Choose(SaveChoices, start, filter);
    }

private:
    QString Choose(std::deque<QString>& choices, const QString& start, const QString& filter)
    {
        DialogStarts << start;
        DialogFilters << filter;
        if (choices.empty())
            return {};
        QString path = choices.front();
        choices.pop_front();
        return path;
    }
};

} // namespace tildo::test
