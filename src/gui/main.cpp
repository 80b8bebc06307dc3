#include "main_form.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    tildo::TMainForm window;
    window.show();
    return QApplication::exec();
}
