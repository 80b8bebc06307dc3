// Takes the picture of the review window over a short text with the shipped
// dictionary: Ctrl+F10, and once the window is up it is grabbed with a plain
// title bar. With a file, the main window is taken instead, with that file
// (a document too) opened and restored without questions; --dark takes either
// in a dark palette. Run it under a virtual X server:
//   QT_QPA_PLATFORM=xcb xvfb-run -a build/bin/review_screenshot review.png [--dark] [FILE]
#include "main_form.h"
#include "qt_text_document.h"
#include "review_form.h"
#include "support/recording_ui.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: review_screenshot OUTPUT.png\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    std::string file;
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "--dark") {
            QPalette dark;
            for (const auto& [role, colour] :
                { std::pair { QPalette::Window, QColor(49, 54, 59) },
                    { QPalette::WindowText, QColor(239, 240, 241) }, { QPalette::Base, QColor(35, 38, 41) },
                    { QPalette::AlternateBase, QColor(49, 54, 59) },
                    { QPalette::Text, QColor(239, 240, 241) }, { QPalette::ToolTipBase, QColor(49, 54, 59) },
                    { QPalette::ToolTipText, QColor(239, 240, 241) },
                    { QPalette::Button, QColor(49, 54, 59) }, { QPalette::ButtonText, QColor(239, 240, 241) },
                    { QPalette::Highlight, QColor(61, 174, 233) },
                    { QPalette::HighlightedText, QColor(35, 38, 41) } })
                dark.setColor(role, colour);
            QApplication::setPalette(dark);
        } else {
            file = std::filesystem::absolute(argv[i]).string();
        }
    }
    tildo::test::TTempDir dir;
    std::filesystem::copy_file(TILDO_DATA_DIR "/tildo.dat", dir.Path() + "/tildo.dat");
    const std::string text = dir.Write("text.txt",
        "Еще вчера мы шли через лес, и все вокруг было тихо. Все молчали.\n"
        "Мы думали о нем все утро, а он все не шел. Ещё бы: о нем и не вспоминали.\n"
        "Потом все разошлись по домам, и только ветер шумел в темном лесу, где все спали.\n");

    for (const char* name : { "combi.dat", "tags.dat", "rare_yo.dat" })
        std::filesystem::copy_file(std::string(TILDO_DATA_DIR "/") + name, dir.Path() + "/" + name);
    tildo::TMainForm form;
    form.Start({ file.empty() ? text : file }, dir.Path());
    form.DeferredStart();
    form.resize(820, 420);
    form.show();
    if (!file.empty()) {
        form.Command("NoVarOnly1")->setChecked(true);
        QTimer::singleShot(50, &form, [&] {
            form.Command("YoBegin1")->trigger();
            form.Document().Select(0, 0);
            QApplication::processEvents();
            if (!form.grab().save(output))
                std::fprintf(stderr, "cannot write %s\n", argv[1]);
            QApplication::quit();
        });
        app.exec();
        return 0;
    }

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
