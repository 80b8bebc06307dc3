// GoogleTest with a QApplication for the widget tests. The platform comes from
// QT_QPA_PLATFORM (offscreen under CTest); without it the tests still run
// offscreen, so that listing them at build time needs no display.
#include "qt_translations.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // As the program does: Qt's own texts in Russian.
    tildo::InstallRussianTranslations(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
