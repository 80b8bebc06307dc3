// Takes the picture of the main window with a question open that the
// documentation shows: the shipped dictionary, a short text, Ctrl+F9, and at the
// first question both windows are grabbed and put together on one image with
// simple title bars. Run it under a virtual X server (scripts/screenshot.sh).
#include "ask_form.h"
#include "main_form.h"
#include "platform/file_io.h"
#include "qt_strings.h"
#include "qt_user_interface.h"
#include "support/recording_ui.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdio>
#include <filesystem>

namespace {

constexpr int TitleHeight = 24;

// A window's picture under a plain title bar.
QImage Framed(QWidget& window)
{
    const QPixmap content = window.grab();
    QImage image(content.width() + 2, content.height() + TitleHeight + 1, QImage::Format_RGB32);
    image.fill(QColor(90, 110, 140));
    QPainter p(&image);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setBold(true);
    p.setFont(font);
    p.drawText(
        QRect(8, 0, image.width() - 16, TitleHeight), Qt::AlignVCenter | Qt::AlignLeft, window.windowTitle());
    p.drawPixmap(1, TitleHeight, content);
    return image;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: gui_screenshot OUTPUT.png\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);

    // A program directory of its own: the shipped dictionary and a sample text.
    tildo::test::TTempDir dir;
    std::filesystem::copy_file(TILDO_DATA_DIR "/tildo.dat", dir.Path() + "/tildo.dat");
    std::filesystem::create_directories(dir.Path() + "/Тексты");
    const std::string text = dir.Write("Тексты/Зимой.txt",
        "Еще вчера мы шли через лес. Елки стояли в инее, и все вокруг было тихо.\n"
        "Мы несли с собой теплый чай и пели песни, а над рекой плыл туман.\n"
        "Потом все разошлись по домам, и только ветер шумел в темном лесу.\n");

    tildo::TMainForm form;
    form.Start({ text }, dir.Path());
    form.DeferredStart();
    form.resize(820, 420);
    form.move(30, 30);
    form.show();

    bool taken = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        tildo::TAskForm* ask = &form.AskForm();
        if (QApplication::activeModalWidget() != ask || taken)
            return;
        taken = true;
        QApplication::processEvents();
        const QImage main = Framed(form);
        const QImage question = Framed(*ask);
        QImage shot(main.width() + 40, main.height() + 40, QImage::Format_RGB32);
        shot.fill(QColor(236, 236, 236));
        QPainter p(&shot);
        p.drawImage(20, 20, main);
        // The dialog over the lower part of the window, as it opens there.
        const int x = 20 + (main.width() - question.width()) / 2;
        const int y = 20 + main.height() - question.height() - 30;
        p.setPen(QColor(60, 60, 60));
        p.drawRect(x - 1, y - 1, question.width() + 1, question.height() + 1);
        p.drawImage(x, y, question);
        p.end();
        if (!shot.save(output))
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
        ask->reject();
    });
    poll.start(20);
    QTimer::singleShot(0, &form, [&] { form.RunPass(0, 1); });
    QTimer::singleShot(10000, &app, &QApplication::quit);
    QTimer::singleShot(100, &app, [&] {
        if (!form.IsBusy())
            QApplication::quit();
    });
    app.exec();
    return taken ? 0 : 1;
}
