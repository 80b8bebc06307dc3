#pragma once

#include "main_form.h"
#include "recording_qt_ui.h"
#include "support/recording_ui.h"

#include <QAction>
#include <QApplication>

#include <memory>
#include <string>
#include <vector>

namespace tildo::test {

// A main window started in a scratch program directory with a small
// dictionary, its message boxes and file dialogs recorded and scripted.
class TMainFormFixture
{
public:
    TTempDir Dir;
    TRecordingQtUi* Ui = nullptr;
    std::unique_ptr<TMainForm> Form;

    // всё is a variant (все is a word too); ещё and ёлка are fixed.
    static std::string Dictionary() { return W("всё?\nёлка\nещё\n"); }

    // settings: the text of a tildo.ini to start with; empty for none.
    explicit TMainFormFixture(const std::vector<std::string>& args = {}, bool withDictionary = true,
        const std::string& settings = {})
    {
        if (withDictionary)
            Dir.Write("tildo.dat", Dictionary());
        if (!settings.empty())
            Dir.Write("tildo.ini", settings);
        Form = std::make_unique<TMainForm>([this](QWidget& window, QLabel& status) {
            auto ui = std::make_unique<TRecordingQtUi>(window, status);
            Ui = ui.get();
            return ui;
        });
        Form->Start(args, Dir.Path());
        Form->DeferredStart();
        Form->show();
        QApplication::processEvents();
    }

    // By name, so that tests may loop over names.
    QAction* Command(const char* name) const { return Form->findChild<QAction*>(QString::fromLatin1(name)); }
    std::string Path(const std::string& name) const { return Dir.Path() + "/" + name; }
    QString QPath(const std::string& name) const { return QString::fromStdString(Path(name)); }
    QString EditorText() const;
};

} // namespace tildo::test
