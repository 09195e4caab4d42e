#include "Corvallen/Shell/Views/WelcomeView.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QShortcut>
#include <gtest/gtest.h>

TEST(WelcomeView, HelpKeepsItOpenAndReturnGetsStarted)
{
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    QStringList opened;
    int dismissed = 0;
    WelcomeView view([&](const QString& id) { opened << id; }, [&] { ++dismissed; });
    EXPECT_EQ(view.versionLine(), QStringLiteral("Version 1.0.0 \u00B7 Free & privacy-first"));
    EXPECT_EQ(view.width(), 520);

    view.openHelpButton()->click();
    EXPECT_EQ(opened, QStringList{QStringLiteral("help")});
    EXPECT_EQ(dismissed, 0);

    // Return, wherever the focus is, does what "Get Started" does.
    QShortcut* returnKey = nullptr;
    for (QShortcut* s : view.findChildren<QShortcut*>())
        if (s->key() == QKeySequence(Qt::Key_Return))
            returnKey = s;
    ASSERT_TRUE(returnKey);
    Q_EMIT returnKey->activated();
    EXPECT_EQ(dismissed, 1);
    view.getStartedButton()->click();
    EXPECT_EQ(dismissed, 2);

    // Without a version the dash stands in.
    QCoreApplication::setApplicationVersion(QString());
    WelcomeView bare({}, {});
    EXPECT_EQ(bare.versionLine(), QStringLiteral("Version \u2014 \u00B7 Free & privacy-first"));
}
