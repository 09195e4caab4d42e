#include "Corvallen/Settings/Views/AboutSettings.h"

#include <QCoreApplication>
#include <QLabel>

#include <gtest/gtest.h>

namespace {

TEST(AboutPane, VersionTextShowsAQuestionMarkForWhatIsMissingOrNoText)
{
    EXPECT_EQ(AboutSettings::versionString(QStringLiteral("2.3"), QStringLiteral("41")), QStringLiteral("2.3 (41)"));
    EXPECT_EQ(AboutSettings::versionString(QStringLiteral("2.3"), QVariant()), QStringLiteral("2.3 (?)"));
    EXPECT_EQ(AboutSettings::versionString(QVariant(), QVariant()), QStringLiteral("? (?)"));
    EXPECT_EQ(AboutSettings::versionString(QVariant(2), QVariant(41)), QStringLiteral("? (?)"));

    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    qApp->setProperty("corvallenBuild", QStringLiteral("7"));
    AboutSettings pane;
    auto* line = pane.findChild<QLabel*>(QStringLiteral("versionLine"));
    ASSERT_TRUE(line);
    EXPECT_EQ(line->text(), QStringLiteral("Version 1.0.0 (7)"));
}

}  // namespace
