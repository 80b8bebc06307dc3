#include "main_form.h"
#include "qt_strings.h"

#include <QApplication>
#include <QStringList>

#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    std::vector<std::string> args;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        args.push_back(tildo::PathFromQString(arguments[i]));
    tildo::TMainForm window;
    window.Start(args);
    window.show();
    return QApplication::exec();
}
