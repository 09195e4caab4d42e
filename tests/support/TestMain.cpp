// Test main for core tests: isolated folders, a QGuiApplication (images, fonts, event loop).
#include "support/TestEnvironment.h"

#include <QGuiApplication>
#include <QLocale>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    corvallen::test::isolateEnvironment();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Corvallen"));
    // Expectations are written in C's number and date forms whatever LANG the tests run under;
    // a test about other locales sets its own (the C library keeps the environment's locale).
    QLocale::setDefault(QLocale::c());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
