#include "Corvallen/Shell/StatusTexts.h"

#include <gtest/gtest.h>

using StatusTexts::SyncItem;

namespace {
SyncLocation named(const QString& name)
{
    SyncLocation l = SyncLocation::makeNew();
    l.name = name;
    return l;
}
SyncProgress importing(qint64 processed, qint64 total)
{
    return SyncProgress{QStringLiteral("Scope"), SyncProgress::Phase::importing, processed, total};
}
}  // namespace

TEST(StatusTexts, ConnectedLabels)
{
    EXPECT_EQ(StatusTexts::connectedText({}), QString());
    EXPECT_EQ(StatusTexts::connectedText({named(QStringLiteral("FNIRSI"))}), QStringLiteral("FNIRSI connected"));
    EXPECT_EQ(StatusTexts::connectedText({named(QString())}), QStringLiteral("Location connected"));
    EXPECT_EQ(StatusTexts::connectedText({named(QStringLiteral("A")), named(QString())}), QStringLiteral("2 locations connected"));
    EXPECT_EQ(StatusTexts::sectionTitle(named(QString())), QStringLiteral("Location"));
    EXPECT_EQ(StatusTexts::sectionTitle(named(QStringLiteral("Scope"))), QStringLiteral("Scope"));
    EXPECT_EQ(StatusTexts::panelRowText(named(QString())), QStringLiteral("Location connected"));
    EXPECT_EQ(StatusTexts::panelRowText(named(QStringLiteral("Bench"))), QStringLiteral("Bench connected"));
    // A name that looks like a placeholder is shown as it is.
    EXPECT_EQ(StatusTexts::connectedText({named(QStringLiteral("%1 %2"))}), QStringLiteral("%1 %2 connected"));
    EXPECT_EQ(StatusTexts::noLocationConnected(), QStringLiteral("No location connected"));
    EXPECT_EQ(StatusTexts::noSyncLocationConnected(), QStringLiteral("No sync location connected."));
}

TEST(StatusTexts, ProgressTextsAndBar)
{
    SyncProgress scanning{QStringLiteral("Scope"), SyncProgress::Phase::scanning, 0, 0};
    EXPECT_EQ(StatusTexts::scanningText(scanning), QStringLiteral("Scanning Scope\u2026"));
    EXPECT_EQ(StatusTexts::importingText(importing(40, 120)), QStringLiteral("Importing 40/120"));
    EXPECT_EQ(StatusTexts::importingText(importing(0, 0)), QStringLiteral("Importing 0/0"));
    EXPECT_DOUBLE_EQ(StatusTexts::importFraction(importing(0, 0)), 0.0);
    EXPECT_DOUBLE_EQ(StatusTexts::importFraction(importing(5, 0)), 0.0);
    EXPECT_DOUBLE_EQ(StatusTexts::importFraction(importing(30, 120)), 0.25);
    EXPECT_DOUBLE_EQ(StatusTexts::importFraction(importing(200, 120)), 1.0);
    EXPECT_EQ(StatusTexts::importingText(importing(5000000000LL, 6000000000LL)), QStringLiteral("Importing 5000000000/6000000000"));
}

TEST(StatusTexts, ProgressHidesTheSummary)
{
    EXPECT_EQ(StatusTexts::syncItem(std::nullopt, QString()), SyncItem::nothing);
    EXPECT_EQ(StatusTexts::syncItem(std::nullopt, QStringLiteral("Up to date")), SyncItem::summary);
    EXPECT_EQ(StatusTexts::syncItem(importing(1, 2), QStringLiteral("Up to date")), SyncItem::progress);
    EXPECT_EQ(StatusTexts::syncItem(importing(1, 2), QString()), SyncItem::progress);
}
