#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Shell/WelcomeCheck.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

TEST(WelcomeCheck, OpensOnlyWhileTheVersionWasNeverRecorded)
{
    SettingsStore settings(corvallen::test::freshFolder() + QStringLiteral("/settings.json"));
    EXPECT_TRUE(WelcomeCheck::run(settings, QStringLiteral("1.0.0")));
    EXPECT_EQ(settings.textValue(QStringLiteral("lastWelcomeVersion")), QStringLiteral("1.0.0"));
    EXPECT_FALSE(WelcomeCheck::run(settings, QStringLiteral("1.0.0")));

    // Another version doesn't open it again, but is recorded.
    EXPECT_FALSE(WelcomeCheck::run(settings, QStringLiteral("1.1.0")));
    EXPECT_EQ(settings.textValue(QStringLiteral("lastWelcomeVersion")), QStringLiteral("1.1.0"));

    // Without a version the dash is recorded, which is not empty.
    SettingsStore other(corvallen::test::freshFolder() + QStringLiteral("/settings.json"));
    EXPECT_TRUE(WelcomeCheck::run(other, QStringLiteral("\u2014")));
    EXPECT_FALSE(WelcomeCheck::run(other, QStringLiteral("\u2014")));

    // A stored empty text counts as never written.
    other.setText(QStringLiteral("lastWelcomeVersion"), QString());
    EXPECT_TRUE(WelcomeCheck::run(other, QStringLiteral("1.0.0")));
}
