#include "startup_check.h"

#include "app/documents.h"
#include "app/lifecycle.h"
#include "engine/yoficator.h"
#include "main_form.h"
#include "platform/asker.h"
#include "qt_strings.h"
#include "qt_user_interface.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>

namespace tildo {

namespace {

// Message boxes go to standard error and take their default button.
class TConsoleQtUi : public TQtUserInterface
{
public:
    using TQtUserInterface::TQtUserInterface;
    bool Failed = false;

protected:
    QMessageBox::StandardButton ShowBox(QMessageBox::Icon icon, const QString& caption, const QString& text,
        QMessageBox::StandardButtons /*buttons*/, QMessageBox::StandardButton defaultButton) override
    {
        if (icon != QMessageBox::Information)
            Failed = true;
        std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
        return defaultButton;
    }
    QString ShowOpenDialog(const QString& /*start*/, const QString& /*filter*/) override { return {}; }
    QString ShowSaveDialog(const QString& /*start*/, const QString& /*filter*/) override { return {}; }
};

class TProposedAnswers : public Asker
{
public:
    TAnswer Ask(const TQuestion& question) override
    {
        return question.DefaultDotted ? TAnswer::Dotted : TAnswer::Plain;
    }
};

} // namespace

int RunStartupCheck(const QStringList& arguments)
{
    TConsoleQtUi* ui = nullptr;
    TMainForm window([&ui](QWidget& form, QLabel& status) {
        auto made = std::make_unique<TConsoleQtUi>(form, status);
        ui = made.get();
        return made;
    });
    TProposedAnswers answers;
    window.SetAsker(&answers);
    window.Start(StartArguments(arguments, QDir::currentPath()));
    window.show();
    int code = 1;
    // Queued behind the deferred start, so it runs at the window's first idle moment.
    QTimer::singleShot(0, &window, [&] {
        const TSettings& settings = window.Lifecycle().Settings;
        std::printf("settings: %s\n", settings.SettingsPath.c_str());
        std::printf("dictionary: %s, %d words\n", window.Dic().FileName.c_str(), window.Dic().FormCount());
        const bool loaded = window.Dic().FormCount() > 0;
        if (loaded && !window.Documents().CurrentFileName.empty()) {
            window.RunPass(0, 1);
            const TRunCounters& counters = window.Engine().Counters();
            std::printf("text: %s, %d ё written, %d е written\n", window.Documents().CurrentFileName.c_str(),
                counters.NewDottedCount, counters.NewPlainCount);
            // The text is only looked at: closing must not offer to save it.
            window.Documents().SetModified(false);
        }
        window.close();
        code = loaded && !ui->Failed ? 0 : 1;
        std::fflush(stdout);
        QApplication::quit();
    });
    QApplication::exec();
    return code;
}

} // namespace tildo
