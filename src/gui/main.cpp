#include "main_form.h"
#include "qt_strings.h"
#include "qt_translations.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    tildo::InstallRussianTranslations(app);
    tildo::TMainForm window;
    window.Start(tildo::StartArguments(QCoreApplication::arguments().mid(1), QDir::currentPath()));
    window.show();
    return QApplication::exec();
}
