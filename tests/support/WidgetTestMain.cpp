// Test main for view tests: isolated folders and an offscreen QApplication.
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    corvallen::test::isolateEnvironment();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Corvallen"));
    // Expectations are written in C's number and date forms whatever LANG the tests run under;
    // a test about other locales sets its own (the C library keeps the environment's locale).
    QLocale::setDefault(QLocale::c());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
