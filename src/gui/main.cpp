#include "main_form.h"
#include "qt_strings.h"
#include "qt_translations.h"
#include "startup_check.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

#include <cstdio>
#include <string>

int main(int argc, char* argv[])
{
    // Answered before Qt starts, so that they work without a display.
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--version") {
        std::printf("tildo %s\n", TILDO_VERSION);
        return 0;
    }
    if (first == "--help") {
        std::printf("Использование: tildo [ТЕКСТ]\n"
                    "       tildo --startup-check [ТЕКСТ]\n"
                    "       tildo --version\n"
                    "Восстанавливает букву ё в русских текстах. Подробности: man tildo.\n");
        return 0;
    }
    QApplication app(argc, argv);
    tildo::InstallRussianTranslations(app);
    QApplication::setApplicationName(QStringLiteral("tildo"));
    QApplication::setApplicationVersion(QStringLiteral(TILDO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tildo"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tildo")));
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (!args.isEmpty() && args.front() == QStringLiteral("--startup-check"))
        return tildo::RunStartupCheck(args.mid(1));
    tildo::TMainForm window;
    window.Start(tildo::StartArguments(args, QDir::currentPath()));
    window.show();
    return QApplication::exec();
}
