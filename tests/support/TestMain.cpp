// Test main for core tests: isolated folders, a QGuiApplication (images, fonts, event loop).
#include "support/TestEnvironment.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    corvallen::test::isolateEnvironment();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Corvallen"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
