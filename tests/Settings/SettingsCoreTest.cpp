#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Settings/AppTheme.h"
#include "Corvallen/Settings/BackupPaneTexts.h"
#include "Corvallen/Settings/InterfaceLanguage.h"
#include "Corvallen/Settings/SettingsPane.h"
#include "support/IcuExpect.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

TEST(SettingsEnums, RawValuesRoundTripAndUnknownTextsAreNone)
{
    for (AppTheme t : AppThemes::all())
        EXPECT_EQ(AppThemes::fromRaw(AppThemes::rawValue(t)), t);
    EXPECT_EQ(AppThemes::rawValue(AppThemes::all().first()), QStringLiteral("system"));
    EXPECT_FALSE(AppThemes::fromRaw(QStringLiteral("sepia")));
    EXPECT_FALSE(AppThemes::fromRaw(QStringLiteral("Dark")));
    QStringList panes;
    for (SettingsPane p : SettingsPanes::all()) {
        EXPECT_EQ(SettingsPanes::fromRaw(SettingsPanes::rawValue(p)), p);
        panes << SettingsPanes::title(p);
    }
    EXPECT_EQ(panes, (QStringList{QStringLiteral("General"), QStringLiteral("Business"), QStringLiteral("Storage"), QStringLiteral("About")}));
    EXPECT_FALSE(SettingsPanes::fromRaw(QString()));
}

TEST(InterfaceLanguageTest, ChoiceWritesTheLaunchLanguageList)
{
    SettingsStore settings(corvallen::test::freshFolder() + QStringLiteral("/settings.json"));
    InterfaceLanguage::applyLanguage(settings, QStringLiteral("pl"));
    EXPECT_EQ(settings.textListValue(QStringLiteral("AppleLanguages")), QStringList{QStringLiteral("pl")});
    EXPECT_EQ(InterfaceLanguage::launchLanguage(settings), QStringLiteral("pl"));
    InterfaceLanguage::applyLanguage(settings, QStringLiteral("system"));
    EXPECT_FALSE(settings.contains(QStringLiteral("AppleLanguages")));
    EXPECT_EQ(InterfaceLanguage::launchLanguage(settings), QString());
    InterfaceLanguage::applyLanguage(settings, QStringLiteral("system"));
    EXPECT_FALSE(settings.contains(QStringLiteral("AppleLanguages")));
    // Installing the translators of a language we have no table for leaves the texts English.
    InterfaceLanguage::applyLanguage(settings, QStringLiteral("en"));
    InterfaceLanguage::installTranslators(*QCoreApplication::instance(), settings);
    EXPECT_EQ(QCoreApplication::translate("SettingsPane", "General"), QStringLiteral("General"));
}

TEST(BackupPaneTextsTest, ManifestLinesListWhatTheArchiveHolds)
{
    BackupManifest m;
    m.createdAt = QDateTime(QDate(2025, 3, 1), QTime(9, 30), Qt::UTC);
    m.appVersion = QStringLiteral("1.2");
    m.counts = {{QStringLiteral("settings"), 1}, {QStringLiteral("projects"), 2}, {QStringLiteral("inventory"), 0}};
    const QString summary = BackupPaneTexts::manifestSummaryText(m);
    // The moment in local time, as the abbreviated date with hour and minute every list uses.
    const QDateTime local = m.createdAt.toLocalTime();
    EXPECT_TRUE(summary.startsWith(QStringLiteral("Backup from ")
                                   + corvallen::test::icuDate(local.date(), QStringLiteral("yMMMdjmm"), QLocale().name(), local.time())
                                   + QStringLiteral(" \u00b7 ")))
        << summary.toStdString();
    EXPECT_TRUE(summary.endsWith(QStringLiteral(" \u00b7 2 projects, 0 components, settings"))) << summary.toStdString();
    m.counts.clear();
    EXPECT_TRUE(BackupPaneTexts::manifestSummaryText(m).endsWith(QStringLiteral(" \u00b7 empty")));
    m.counts = {{QStringLiteral("files"), 4}, {QStringLiteral("captures"), 3}};
    EXPECT_TRUE(BackupPaneTexts::manifestSummaryText(m).endsWith(QStringLiteral(" \u00b7 3 captures, 4 files")));
    m.counts = {{QStringLiteral("projects"), 1}, {QStringLiteral("files"), 1}};
    EXPECT_TRUE(BackupPaneTexts::manifestSummaryText(m).endsWith(QStringLiteral(" \u00b7 1 project, 1 file")));

    EXPECT_EQ(BackupPaneTexts::manifestOriginText(m), QStringLiteral("Exported with Corvallen 1.2"));
    m.exportedBy = QStringLiteral("Corvallen CLI");
    m.appBuild = QStringLiteral("41");
    m.buildChannel = QStringLiteral("beta");
    m.osVersion = QStringLiteral("Linux 6.1");
    EXPECT_EQ(BackupPaneTexts::manifestOriginText(m), QStringLiteral("Exported with Corvallen CLI 1.2 (build 41, beta) on Linux 6.1"));
    m.appBuild.reset();
    EXPECT_EQ(BackupPaneTexts::manifestOriginText(m), QStringLiteral("Exported with Corvallen CLI 1.2 (beta) on Linux 6.1"));
}

TEST(BackupPaneTextsTest, SuggestedName)
{
    EXPECT_EQ(BackupPaneTexts::suggestedFileName(QDateTime(QDate(2025, 3, 1), QTime(9, 5, 7))),
              QStringLiteral("Corvallen-backup-20250301-090507.zip"));
}

}  // namespace
