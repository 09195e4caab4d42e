#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class SettingsStore;

// A drive or folder the user set up as a source of captures. All locations are kept together
// as one JSON array (bytes) under the setting "customDevices"; every reader loads the list
// anew, every change rewrites it whole.
struct SyncLocation {
    QString id;
    QString name;
    QString symbol = QStringLiteral("externaldrive");
    bool scanWholeDrive = true;
    QString subfolder;
    QStringList imageExtensions = defaultImageExtensions();
    bool autoSync = true;
    bool ejectAfterSync = false;
    std::optional<QString> volumeName;
    std::optional<QString> deviceID;

    static QStringList defaultImageExtensions();

    // A new location: a fresh upper-case UUID as its id, everything else at its default.
    static SyncLocation makeNew();

    // The name, or "Location" when it is empty: used in progress, questions and summaries.
    QString displayName() const;

    // The JSON object of one location, keys in field order; absent optionals are not written.
    QByteArray toJson() const;
    // Strict: every required key with its type; "volumeName"/"deviceID" may be missing or null.
    // Unknown keys are ignored.
    static std::optional<SyncLocation> fromJson(const QJsonObject& object);

    // The saved list in saved order; empty when the key is missing, not bytes, or any element
    // does not decode. Never changes the stored bytes.
    static QList<SyncLocation> loadAll(SettingsStore& settings);
    static QList<SyncLocation> loadAll();
    static void saveAll(const QList<SyncLocation>& locations, SettingsStore& settings);
    static void saveAll(const QList<SyncLocation>& locations);
    // Replaces the saved location with the same id in place, or appends a new one.
    static void upsert(const SyncLocation& location, SettingsStore& settings);
    static void upsert(const SyncLocation& location);

    friend bool operator==(const SyncLocation& a, const SyncLocation& b)
    {
        return a.id == b.id && a.name == b.name && a.symbol == b.symbol && a.scanWholeDrive == b.scanWholeDrive
            && a.subfolder == b.subfolder && a.imageExtensions == b.imageExtensions && a.autoSync == b.autoSync
            && a.ejectAfterSync == b.ejectAfterSync && a.volumeName == b.volumeName && a.deviceID == b.deviceID;
    }
    friend bool operator!=(const SyncLocation& a, const SyncLocation& b) { return !(a == b); }
};
