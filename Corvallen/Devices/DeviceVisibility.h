#pragma once

#include <QSet>
#include <QString>

class SettingsStore;

// The set of identifiers the user has hidden, kept in the text setting "hiddenDeviceIDs".
// Two lists share the key: the Devices page (bench device raw values such as "lcrP1") and the
// sync-location list (sync location ids). Each writer parses the whole value, adds or removes
// its one identifier and writes the whole set back, so the other list's identifiers survive.
//
// Written form: identifiers sorted in ascending plain string order, joined by "," with nothing
// at the ends; "" when nothing is hidden. Parsing splits at every ",", drops empty pieces, does
// not trim, compares case-sensitively and collapses duplicates; unknown identifiers are kept.
namespace DeviceVisibility {

// The settings key.
QString settingsKey();

// Pure form: value <-> set.
QSet<QString> parseHiddenIDs(const QString& raw);
QString writeHiddenIDs(const QSet<QString>& ids);
// raw with id inserted (hidden) or removed (shown), in the written form.
QString withVisibility(const QString& raw, const QString& id, bool hidden);

// Through the settings (SettingsStore::shared() when no store is given). An absent key is "".
QString hiddenRaw(const SettingsStore* store = nullptr);
QSet<QString> hiddenIDs(const SettingsStore* store = nullptr);
bool isHidden(const QString& id, const SettingsStore* store = nullptr);
// Parses the stored value, adds or removes id and stores the whole set at once.
void setHidden(const QString& id, bool hidden, SettingsStore* store = nullptr);

}  // namespace DeviceVisibility
