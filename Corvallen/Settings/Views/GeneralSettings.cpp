#include "Corvallen/Settings/Views/GeneralSettings.h"

#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/UpdaterController.h"
#include "Corvallen/Settings/AppTheme.h"
#include "Corvallen/Settings/InterfaceLanguage.h"
#include "Corvallen/Settings/Views/SettingsStyle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

void selectData(QComboBox* box, const QString& value)
{
    const QSignalBlocker block(box);
    box->setCurrentIndex(box->findData(value));  // -1, no entry, for an unknown value
}

}  // namespace

GeneralSettings::GeneralSettings(SettingsStore& settings, UpdaterController* updater, QWidget* parent)
    : QWidget(parent), m_settings(settings), m_updater(updater)
{
    setObjectName(QStringLiteral("GeneralSettings"));
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(12);

    auto* top = SettingsStyle::section(QString(), this);
    auto* form = new QFormLayout(top);
    m_appearance = new QComboBox(top);
    m_appearance->setObjectName(QStringLiteral("appearancePicker"));
    for (AppTheme theme : AppThemes::all())
        m_appearance->addItem(AppThemes::title(theme), AppThemes::rawValue(theme));
    form->addRow(tr("Appearance"), m_appearance);
    m_language = new QComboBox(top);
    m_language->setObjectName(QStringLiteral("languagePicker"));
    for (const InterfaceLanguage::Choice& choice : InterfaceLanguage::choices())
        m_language->addItem(choice.title, choice.code);
    form->addRow(tr("Language"), m_language);
    m_languageNote = SettingsStyle::caption(tr("Restart the app to apply the language change."), top);
    m_languageNote->setObjectName(QStringLiteral("languageNote"));
    m_languageNote->setVisible(false);
    form->addRow(m_languageNote);
    layout->addWidget(top);

    auto* appearance = SettingsStyle::section(tr("Appearance"), this);
    auto* appearanceLayout = new QVBoxLayout(appearance);
    m_translucency = new QCheckBox(tr("Window translucency"), appearance);
    m_translucency->setObjectName(QStringLiteral("translucencyToggle"));
    appearanceLayout->addWidget(m_translucency);
    appearanceLayout->addWidget(SettingsStyle::caption(
        tr("Gives the sidebar and window a subtle background blur that follows the desktop behind it. Turn off for solid, "
           "fully opaque backgrounds."),
        appearance));
    layout->addWidget(appearance);

    auto* updates = SettingsStyle::section(tr("Updates"), this);
    auto* updatesLayout = new QVBoxLayout(updates);
    m_updates = new QCheckBox(tr("Automatically check for updates"), updates);
    m_updates->setObjectName(QStringLiteral("updatesToggle"));
    updatesLayout->addWidget(m_updates);
    const QUrl feed = m_updater ? m_updater->feedUrl() : UpdaterController::defaultFeedUrl();
    QLabel* updatesNote = SettingsStyle::caption(updatesCaption(feed.host()), updates);
    updatesNote->setObjectName(QStringLiteral("updatesCaption"));
    updatesLayout->addWidget(updatesNote);
    layout->addWidget(updates);
    layout->addStretch(1);

    showSettings();

    connect(m_appearance, &QComboBox::activated, this, [this](int index) {
        m_settings.setText(AppThemes::settingKey(), m_appearance->itemData(index).toString());
    });
    connect(m_language, &QComboBox::activated, this, &GeneralSettings::languagePicked);
    connect(m_translucency, &QCheckBox::toggled, this, [this](bool on) {
        if (m_settings.boolValue(translucencyKey(), true) != on)
            m_settings.setBool(translucencyKey(), on);
    });
    if (m_updater) {
        connect(m_updates, &QCheckBox::toggled, this, [this](bool on) {
            if (m_updater && m_updater->automaticallyChecksForUpdates() != on)
                m_updater->setAutomaticallyChecksForUpdates(on);
        });
        connect(m_updater, &UpdaterController::automaticallyChecksForUpdatesChanged, this, [this](bool on) {
            const QSignalBlocker block(m_updates);
            m_updates->setChecked(on);
        });
    } else {
        m_updates->setEnabled(false);
    }
    connect(&m_settings, &SettingsStore::changed, this, [this](const QString& key) {
        if (key == AppThemes::settingKey() || key == InterfaceLanguage::settingKey() || key == translucencyKey() ||
            key == UpdaterController::automaticChecksKey())
            showSettings();
    });
}

QString GeneralSettings::updatesCaption(const QString& host)
{
    return tr("Corvallen checks %1 for new versions. Your choice here is remembered across updates.").arg(host);
}

void GeneralSettings::showSettings()
{
    selectData(m_appearance, m_settings.textValue(AppThemes::settingKey(), QStringLiteral("system")));
    selectData(m_language, m_settings.textValue(InterfaceLanguage::settingKey(), QStringLiteral("system")));
    {
        const QSignalBlocker block(m_translucency);
        m_translucency->setChecked(m_settings.boolValue(translucencyKey(), true));
    }
    const QSignalBlocker block(m_updates);
    m_updates->setChecked(m_updater && m_updater->automaticallyChecksForUpdates());
}

void GeneralSettings::languagePicked(int index)
{
    const QString code = m_language->itemData(index).toString();
    // Picking the entry that is already chosen is no change.
    if (code == m_settings.textValue(InterfaceLanguage::settingKey(), QStringLiteral("system")))
        return;
    m_settings.setText(InterfaceLanguage::settingKey(), code);
    InterfaceLanguage::applyLanguage(m_settings, code);
    m_languageChanged = true;
    m_languageNote->setVisible(true);
}
