// Test main for view tests: isolated folders and an offscreen QApplication.
#include "support/TestEnvironment.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    corvallen::test::isolateEnvironment();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Corvallen"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
