#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/UpdaterController.h"
#include "Corvallen/Platform/Views/ThemeManager.h"
#include "Corvallen/Settings/Views/GeneralSettings.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

#include <gtest/gtest.h>

#include <memory>

namespace {

class GeneralPane : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings = std::make_unique<SettingsStore>(corvallen::test::freshFolder() + QStringLiteral("/settings.json"));
        // A feed nobody serves: the pane only reads and sets the automatic-check choice.
        updater = std::make_unique<UpdaterController>(QUrl(QStringLiteral("http://127.0.0.1:9/feed.json")), QStringLiteral("1.0.0"),
                                                      *settings);
    }
    static void pick(QComboBox* box, const QString& data)
    {
        const int index = box->findData(data);
        ASSERT_GE(index, 0);
        box->setCurrentIndex(index);
        Q_EMIT box->activated(index);
    }
    bool noteShown(GeneralSettings& pane) const
    {
        return pane.findChild<QLabel*>(QStringLiteral("languageNote"))->isVisibleTo(&pane);
    }

    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<UpdaterController> updater;
};

TEST_F(GeneralPane, FreshInstallationShowsTheDefaults)
{
    GeneralSettings pane(*settings, updater.get());
    EXPECT_EQ(pane.appearancePicker()->currentText(), QStringLiteral("System"));
    EXPECT_EQ(pane.languagePicker()->currentText(), QStringLiteral("System"));
    EXPECT_TRUE(pane.translucencyToggle()->isChecked());
    EXPECT_EQ(pane.updatesToggle()->isChecked(), updater->automaticallyChecksForUpdates());
    EXPECT_FALSE(noteShown(pane));
    EXPECT_TRUE(pane.findChild<QLabel*>(QStringLiteral("updatesCaption"))->text().contains(QStringLiteral("127.0.0.1")));
    EXPECT_TRUE(settings->keys().isEmpty());  // showing the pane writes nothing
}

TEST_F(GeneralPane, ThemeChoiceRestylesTheApplicationAtOnce)
{
    ThemeManager theme(*settings, nullptr);
    theme.install(*qApp);
    GeneralSettings pane(*settings, updater.get());
    pick(pane.appearancePicker(), QStringLiteral("dark"));
    EXPECT_EQ(settings->textValue(QStringLiteral("appTheme")), QStringLiteral("dark"));
    EXPECT_EQ(theme.currentScheme(), ColorScheme::Dark);
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightness(), 100);
    pick(pane.appearancePicker(), QStringLiteral("light"));
    EXPECT_EQ(theme.currentScheme(), ColorScheme::Light);
    EXPECT_GT(QApplication::palette().color(QPalette::Window).lightness(), 150);

    // A value written elsewhere (a restored backup) shows in the picker; an unknown one selects
    // nothing.
    settings->setText(QStringLiteral("appTheme"), QStringLiteral("dark"));
    EXPECT_EQ(pane.appearancePicker()->currentData().toString(), QStringLiteral("dark"));
    settings->setText(QStringLiteral("appTheme"), QStringLiteral("sepia"));
    EXPECT_EQ(pane.appearancePicker()->currentIndex(), -1);
    EXPECT_EQ(theme.currentScheme(), theme.desktopScheme());
    settings->setText(QStringLiteral("appTheme"), QStringLiteral("system"));
}

TEST_F(GeneralPane, TranslucencyToggleWritesTheSetting)
{
    GeneralSettings pane(*settings, updater.get());
    pane.translucencyToggle()->click();
    EXPECT_TRUE(settings->contains(GeneralSettings::translucencyKey()));
    EXPECT_FALSE(settings->boolValue(GeneralSettings::translucencyKey(), true));
    pane.translucencyToggle()->click();
    EXPECT_TRUE(settings->boolValue(GeneralSettings::translucencyKey(), false));
    settings->setBool(GeneralSettings::translucencyKey(), false);
    EXPECT_FALSE(pane.translucencyToggle()->isChecked());
}

TEST_F(GeneralPane, LanguageChoiceIsStoredForTheNextLaunchWithANote)
{
    {
        GeneralSettings pane(*settings, updater.get());
        pick(pane.languagePicker(), QStringLiteral("system"));  // already chosen: no change
        EXPECT_FALSE(noteShown(pane));
        EXPECT_FALSE(settings->contains(QStringLiteral("appLanguage")));

        pick(pane.languagePicker(), QStringLiteral("en"));
        EXPECT_EQ(settings->textValue(QStringLiteral("appLanguage")), QStringLiteral("en"));
        EXPECT_EQ(settings->textListValue(QStringLiteral("AppleLanguages")), QStringList{QStringLiteral("en")});
        EXPECT_TRUE(noteShown(pane));

        pick(pane.languagePicker(), QStringLiteral("system"));
        EXPECT_EQ(settings->textValue(QStringLiteral("appLanguage")), QStringLiteral("system"));
        EXPECT_FALSE(settings->contains(QStringLiteral("AppleLanguages")));
        EXPECT_TRUE(noteShown(pane));
    }
    GeneralSettings again(*settings, updater.get());
    EXPECT_FALSE(noteShown(again));
    settings->setText(QStringLiteral("appLanguage"), QStringLiteral("de"));
    EXPECT_EQ(again.languagePicker()->currentIndex(), -1);
    EXPECT_FALSE(settings->contains(QStringLiteral("AppleLanguages")));
}

TEST_F(GeneralPane, UpdateToggleSetsTheUpdatersChoice)
{
    GeneralSettings pane(*settings, updater.get());
    const bool before = updater->automaticallyChecksForUpdates();
    pane.updatesToggle()->click();
    EXPECT_EQ(updater->automaticallyChecksForUpdates(), !before);
    updater->setAutomaticallyChecksForUpdates(before);
    EXPECT_EQ(pane.updatesToggle()->isChecked(), before);

    GeneralSettings without(*settings, nullptr);
    EXPECT_FALSE(without.updatesToggle()->isEnabled());
}

}  // namespace
