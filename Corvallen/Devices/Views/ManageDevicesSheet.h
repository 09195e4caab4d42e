#pragma once

#include <QDialog>
#include <QHash>

class QCheckBox;
class SettingsStore;

// "Manage Devices": one toggle per device kind (on = shown), hidden kinds included. Each toggle
// writes "hiddenDeviceIDs" at once, keeping identifiers that belong to other lists (sync
// locations); there is nothing to confirm or cancel. "Done" (or Return) closes the sheet.
class ManageDevicesSheet : public QDialog {
    Q_OBJECT
public:
    // store: the settings holding the key (SettingsStore::shared() when null).
    explicit ManageDevicesSheet(SettingsStore* store = nullptr, QWidget* parent = nullptr);

    // The toggle of a device kind, by raw value (null for an unknown one).
    QCheckBox* toggle(const QString& rawValue) const { return m_toggles.value(rawValue); }

private:
    void refresh();

    SettingsStore& m_store;
    QHash<QString, QCheckBox*> m_toggles;
};
