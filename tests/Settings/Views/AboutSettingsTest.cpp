#include "Corvallen/Platform/AppInfo.h"
#include "Corvallen/Settings/Views/AboutSettings.h"

#include <QCoreApplication>
#include <QLabel>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

TEST(AboutPane, VersionTextShowsAQuestionMarkForWhatIsMissingOrNoText)
{
    EXPECT_EQ(AboutSettings::versionString(QStringLiteral("2.3"), QStringLiteral("41")), QStringLiteral("2.3 (41)"));
    EXPECT_EQ(AboutSettings::versionString(QStringLiteral("2.3"), QVariant()), QStringLiteral("2.3 (?)"));
    EXPECT_EQ(AboutSettings::versionString(QVariant(), QVariant()), QStringLiteral("? (?)"));
    EXPECT_EQ(AboutSettings::versionString(QVariant(2), QVariant(41)), QStringLiteral("? (?)"));

    // The pane shows the build number this program was built with.
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    AboutSettings pane;
    auto* line = pane.findChild<QLabel*>(QStringLiteral("versionLine"));
    ASSERT_TRUE(line);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Version 1\\.0\\.0 \\([0-9A-Za-z._+-]+\\)$")).match(line->text()).hasMatch())
        << line->text().toStdString();
    EXPECT_EQ(line->text(), QStringLiteral("Version 1.0.0 (%1)").arg(AppInfo::build()));
}

}  // namespace
