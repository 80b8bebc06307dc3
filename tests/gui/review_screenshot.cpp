// Takes the picture of the review window over a short text with the shipped
// dictionary: Ctrl+F10, and once the window is up it is grabbed with a plain
// title bar. Run it under a virtual X server:
//   QT_QPA_PLATFORM=xcb xvfb-run -a build/bin/review_screenshot review.png
#include "main_form.h"
#include "review_form.h"
#include "support/recording_ui.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <filesystem>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: review_screenshot OUTPUT.png\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    tildo::test::TTempDir dir;
    std::filesystem::copy_file(TILDO_DATA_DIR "/tildo.dat", dir.Path() + "/tildo.dat");
    const std::string text = dir.Write("text.txt",
        "Еще вчера мы шли через лес, и все вокруг было тихо. Все молчали.\n"
        "Мы думали о нем все утро, а он все не шел. Ещё бы: о нем и не вспоминали.\n"
        "Потом все разошлись по домам, и только ветер шумел в темном лесу, где все спали.\n");

    tildo::TMainForm form;
    form.Start({ text }, dir.Path());
    form.DeferredStart();
    form.resize(820, 420);
    form.show();

    bool taken = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* review = qobject_cast<tildo::TReviewForm*>(QApplication::activeModalWidget());
        if (review == nullptr || taken)
            return;
        taken = true;
        review->Tree().setCurrentItem(review->Tree().topLevelItem(0)->child(1));
        QApplication::processEvents();
        const QPixmap content = review->grab();
        QImage shot(content.width() + 2, content.height() + 25, QImage::Format_RGB32);
        shot.fill(QColor(90, 110, 140));
        QPainter p(&shot);
        p.setPen(Qt::white);
        p.drawText(
            QRect(8, 0, shot.width() - 16, 24), Qt::AlignVCenter | Qt::AlignLeft, review->windowTitle());
        p.drawPixmap(1, 24, content);
        p.end();
        if (!shot.save(output))
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
        review->reject();
        QApplication::quit();
    });
    poll.start(20);
    QTimer::singleShot(50, &form, [&] { form.Command("Review1")->trigger(); });
    QTimer::singleShot(10000, &app, &QApplication::quit);
    app.exec();
    return taken ? 0 : 1;
}
