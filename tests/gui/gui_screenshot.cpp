// Takes the pictures of the main window that the documentation shows: the
// shipped dictionaries, a short text, and one scene: a pass asking in the
// floating dialog (the default) or in the docked panel, the find dialog, the
// number dialog after a number out of bounds, the about box, or an RTF file
// with pictures, footnotes and the like, shown as its running text. The window and
// the dialog are grabbed and put together on one image with simple title bars.
// Run it under a virtual X server (scripts/screenshot.sh).
#include "app/documents.h"
#include "ask_form.h"
#include "ask_panel.h"
#include "dark_palette.h"
#include "find_dialog.h"
#include "framed_window.h"
#include "main_form.h"
#include "platform/file_io.h"
#include "qt_strings.h"
#include "qt_translations.h"
#include "qt_user_interface.h"
#include "support/recording_ui.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <filesystem>

namespace {

// The window with a dialog over its lower part, as it opens there.
QImage Composed(QWidget& window, QWidget* dialog)
{
    const QImage main = Framed(window);
    QImage shot(main.width() + 40, main.height() + 40, QImage::Format_RGB32);
    shot.fill(QColor(236, 236, 236));
    QPainter p(&shot);
    p.drawImage(20, 20, main);
    if (dialog != nullptr) {
        const QImage over = Framed(*dialog);
        const int x = 20 + (main.width() - over.width()) / 2;
        const int y = 20 + main.height() - over.height() - 30;
        p.setPen(QColor(60, 60, 60));
        p.drawRect(x - 1, y - 1, over.width() + 1, over.height() + 1);
        p.drawImage(x, y, over);
    }
    return shot;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    tildo::InstallRussianTranslations(app);
    if (argc < 2) {
        std::fprintf(
            stderr, "usage: gui_screenshot OUTPUT.png [floating|docked|find|number|about|rtf] [--darken]\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    const QString scene = argc > 2 ? QString::fromLatin1(argv[2]) : QStringLiteral("floating");
    // --darken: a dark palette chosen while the question waits, as a user
    // switching themes would, before the picture is taken.
    const bool darken = argc > 3 && std::string(argv[3]) == "--darken";

    // A program directory of its own: the shipped dictionaries and a sample text.
    tildo::test::TTempDir dir;
    for (const char* name : { "tildo.dat", "combi.dat" })
        std::filesystem::copy_file(std::string(TILDO_DATA_DIR) + "/" + name, dir.Path() + "/" + name);
    std::filesystem::create_directories(dir.Path() + "/Тексты");
    const std::string text = dir.Write("Тексты/Зимой.txt",
        "Еще вчера мы шли через лес. Елки стояли в инее, и все вокруг было тихо.\n"
        "Мы несли с собой теплый чай и пели песни, а над рекой плыл туман.\n"
        "Потом все разошлись по домам, и только ветер шумел в темном лесу.\n");

    const std::string rich = dir.Write(
        "Тексты/Письмо.rtf", tildo::ReadWholeFile(TILDO_TEST_DATA_DIR "/libreoffice_features.rtf"));
    const bool rtf = scene == QLatin1String("rtf");

    tildo::TMainForm form;
    // The RTF is opened once the window is up, since its warning waits for an answer.
    form.Start(rtf ? std::vector<std::string>() : std::vector<std::string> { text }, dir.Path());
    form.DeferredStart();
    form.resize(820, scene == QLatin1String("docked") ? 480 : 420);
    form.move(30, 30);
    form.show();

    bool taken = false;
    auto save = [&](QWidget* dialog) {
        taken = true;
        if (darken)
            QApplication::setPalette(tildo::test::DarkPalette());
        QApplication::processEvents();
        if (!Composed(form, dialog).save(output))
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (taken)
            return;
        QWidget* modal = QApplication::activeModalWidget();
        if (scene == QLatin1String("docked")) {
            if (!form.AskPanel().IsAsking())
                return;
            save(nullptr);
            form.AskPanel().findChild<QPushButton*>(QStringLiteral("bCancel"))->click();
        } else if (scene == QLatin1String("floating")) {
            if (modal != &form.AskForm())
                return;
            save(modal);
            form.AskForm().reject();
        } else if (scene == QLatin1String("number")) {
            if (modal == nullptr)
                return;
            modal->findChild<QLineEdit*>(QStringLiteral("eInput"))->setText(QStringLiteral("70"));
            modal->findChild<QPushButton*>(QStringLiteral("bOk"))->click();
            save(modal);
            modal->close();
        } else if (scene == QLatin1String("about") || rtf) {
            if (modal == nullptr)
                return;
            save(modal);
            modal->close();
        }
    });
    poll.start(20);
    QTimer::singleShot(0, &form, [&] {
        if (scene == QLatin1String("docked")) {
            form.findChild<QAction*>(QStringLiteral("ToDockAskForm1"))->setChecked(true);
            form.RunPass(0, 1);
        } else if (scene == QLatin1String("floating")) {
            form.RunPass(0, 1);
        } else if (scene == QLatin1String("number")) {
            form.findChild<QAction*>(QStringLiteral("ContextAddLetters1"))->trigger();
        } else if (scene == QLatin1String("about")) {
            form.findChild<QAction*>(QStringLiteral("About1"))->trigger();
        } else if (rtf) {
            // Its pictures and footnotes stay in the file: the running text is
            // shown, and there is nothing to warn of.
            form.Documents().OpenDocument(rich);
            if (QApplication::activeModalWidget() == nullptr)
                save(nullptr);
        } else if (scene == QLatin1String("find")) {
            form.findChild<QAction*>(QStringLiteral("Find1"))->trigger();
            form.FindDialog().SetSearchText(QStringLiteral("все"));
            form.FindDialog().FindNext();
            form.FindDialog().move(form.geometry().center());
            save(&form.FindDialog());
        }
    });
    QTimer::singleShot(10000, &app, &QApplication::quit);
    QTimer::singleShot(300, &app, [&] {
        if (!form.IsBusy() && QApplication::activeModalWidget() == nullptr)
            QApplication::quit();
    });
    app.exec();
    return taken ? 0 : 1;
}
