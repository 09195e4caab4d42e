#include "Corvallen/Platform/FileManager.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QObject>

#include <gtest/gtest.h>

namespace {

// A stand-in for the desktop's opener: a tiny program on PATH that records what it was asked
// to open and ends with the given status.
QString openerFolder(int exitCode, const QString& record)
{
    const QString folder = corvallen::test::freshFolder(QStringLiteral("opener"));
    const QString script = QDir(folder).filePath(QStringLiteral("xdg-open"));
    QFile f(script);
    f.open(QIODevice::WriteOnly);
    f.write(QStringLiteral("#!/bin/sh\necho \"$1\" > '%1'\nexit %2\n").arg(record).arg(exitCode).toUtf8());
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

TEST(FileManager, SaysSoWhenNothingCanShowTheFile)
{
    // No session bus here, so the folder goes to the desktop's opener.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/corvallen-test-bus");
    const QByteArray path = qgetenv("PATH");
    const QString file = QDir(corvallen::test::freshFolder(QStringLiteral("docs"))).filePath(QStringLiteral("manual.pdf"));
    const QString record = QDir(corvallen::test::freshFolder(QStringLiteral("record"))).filePath(QStringLiteral("asked"));
    QObject context;

    auto show = [&] {
        std::optional<QString> result;
        FileManager::showInFiles(file, &context, [&](const QString& error) { result = error; });
        EXPECT_TRUE(corvallen::test::waitUntil([&] { return result.has_value(); }));
        return result.value_or(QStringLiteral("(no answer)"));
    };

    qputenv("PATH", openerFolder(0, record).toLocal8Bit());
    EXPECT_EQ(show(), QString());
    QFile asked(record);
    ASSERT_TRUE(asked.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(asked.readAll()).trimmed(), QFileInfo(file).absolutePath());

    // The opener exists but nothing handles folders: the user is told, with the folder.
    qputenv("PATH", openerFolder(3, record).toLocal8Bit());
    EXPECT_EQ(show(), FileManager::noFileManagerText(file));
    EXPECT_TRUE(FileManager::noFileManagerText(file).contains(QFileInfo(file).absolutePath()));

    // No opener at all.
    qputenv("PATH", corvallen::test::freshFolder(QStringLiteral("empty")).toLocal8Bit());
    EXPECT_EQ(show(), FileManager::noFileManagerText(file));
    qputenv("PATH", path);
}

}  // namespace
