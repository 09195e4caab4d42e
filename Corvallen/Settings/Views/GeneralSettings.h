#pragma once

#include "Corvallen/Platform/UpdaterController.h"

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class SettingsStore;

// The General pane: colour theme, interface language, window translucency and the automatic
// update check. Every control writes its setting at once and follows changes made elsewhere.
class GeneralSettings : public QWidget {
    Q_OBJECT
public:
    GeneralSettings(SettingsStore& settings, UpdaterController* updater, QWidget* parent = nullptr);

    static QString translucencyKey() { return QStringLiteral("windowTranslucency"); }

    // The updates caption, naming the feed's host.
    static QString updatesCaption(const QString& host);

    QComboBox* appearancePicker() const { return m_appearance; }
    QComboBox* languagePicker() const { return m_language; }
    QCheckBox* translucencyToggle() const { return m_translucency; }
    QCheckBox* updatesToggle() const { return m_updates; }
    // The restart note is shown once the language was changed in this pane.
    bool languageChanged() const { return m_languageChanged; }

private:
    void showSettings();
    void languagePicked(int index);

    SettingsStore& m_settings;
    QPointer<UpdaterController> m_updater;
    QComboBox* m_appearance;
    QComboBox* m_language;
    QLabel* m_languageNote;
    QCheckBox* m_translucency;
    QCheckBox* m_updates;
    bool m_languageChanged = false;
};
