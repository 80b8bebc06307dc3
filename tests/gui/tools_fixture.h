#pragma once

#include "dic_edit_form.h"
#include "main_form.h"
#include "recording_qt_ui.h"
#include "support/recording_ui.h"

#include <QApplication>

#include <memory>
#include <string>

namespace tildo::test {

// A main window started in a scratch program directory with a small sorted
// dictionary (всё is a variant; ёж, ёлка and ещё are fixed) and, when given,
// word-form rules. The boxes and file dialogs of the main window and of the
// dictionary editor are recorded and scripted. Settings and logs stay in the
// scratch directory: the configuration and data homes point into it.
class TToolsFixture
{
public:
    TTempDir Dir;
    TRecordingQtUi* Ui = nullptr;
    TRecordingQtUi* EditUi = nullptr;
    std::unique_ptr<TMainForm> Form;

    static std::string Dictionary() { return W("всё?\r\nёж\r\nёлка\r\nещё\r\n"); }

    explicit TToolsFixture(const std::string& morphs = {})
    {
        for (const char* name : { "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME" })
            qputenv(name, QByteArray::fromStdString(Dir.Path() + "/home"));
        Dir.Write("tildo.dat", Dictionary());
        if (!morphs.empty())
            Dir.Write("morphs.dat", morphs);
        Form = std::make_unique<TMainForm>([this](QWidget& window, QLabel& status) {
            auto ui = std::make_unique<TRecordingQtUi>(window, status);
            Ui = ui.get();
            return ui;
        });
        Form->SetDicEditUiFactory([this](QWidget& window, QLabel& status) {
            auto ui = std::make_unique<TRecordingQtUi>(window, status);
            EditUi = ui.get();
            return ui;
        });
        Form->Start({}, Dir.Path());
        Form->DeferredStart();
        Form->show();
        QApplication::processEvents();
    }

    TDicEditForm& Editor() const { return Form->DicEditForm(); }
    std::string Path(const std::string& name) const { return Dir.Path() + "/" + name; }
    QString QPath(const std::string& name) const { return QString::fromStdString(Path(name)); }
};

} // namespace tildo::test
