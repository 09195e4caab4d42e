#pragma once

#include "Corvallen/Sync/SyncLocation.h"

#include <QDialog>
#include <QHash>

class QCheckBox;
class SettingsStore;

// "Manage Sync Locations": one toggle per saved location (on = listed on the page). Each
// toggle writes the shared hidden list ("hiddenDeviceIDs") at once, keeping the identifiers of
// the Devices page; hiding only affects the page, never syncing. "Done" (or Return) closes.
class ManageLocationsSheet : public QDialog {
    Q_OBJECT
public:
    ManageLocationsSheet(SettingsStore& settings, const QList<SyncLocation>& locations, QWidget* parent = nullptr);

    QCheckBox* toggle(const QString& id) const { return m_toggles.value(id); }
    bool isShown(const SyncLocation& location) const;
    void setShown(bool shown, const SyncLocation& location);

private:
    void refresh();

    SettingsStore& m_settings;
    QList<SyncLocation> m_locations;
    QHash<QString, QCheckBox*> m_toggles;
};
