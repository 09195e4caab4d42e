#pragma once

#include <QJsonObject>
#include <QList>
#include <QSet>
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

    // What a scan of the location looks at: one subfolder (none: the whole drive, also when
    // the subfolder is blank) and the extensions (the defaults when the list is empty). The
    // subfolder is trimmed of blanks and tabs, not of line breaks; extensions are taken as
    // they are, so an upper-case entry matches no file.
    struct ScanOptions {
        std::optional<QString> subfolder;
        QSet<QString> extensions;
    };
    ScanOptions scanOptions() const;

    // Why a subfolder text can't be used (it would lead out of the chosen drive or folder: an
    // absolute path, or a ".." step); empty when it is fine. Judged on the trimmed text.
    static QString subfolderProblem(const QString& subfolder);

    // The JSON object of one location, keys in field order; absent optionals are not written.
    QByteArray toJson() const;
    // Strict: every required key with its type; "volumeName"/"deviceID" may be missing or null.
    // Unknown keys are ignored.
    static std::optional<SyncLocation> fromJson(const QJsonObject& object);

    // The saved list in saved order; empty when the key is missing, not bytes, or not a JSON
    // array. An element that doesn't decode is passed over, so one damaged location never
    // hides the others. Never changes the stored bytes.
    static QList<SyncLocation> loadAll(SettingsStore& settings);
    static QList<SyncLocation> loadAll();
    // Writes the list. When the value it replaces holds anything that doesn't decode, that
    // value is first kept aside as a file next to the settings file
    // ("customDevices.unreadable-<date>.json"), so what a later version could read isn't lost.
    static void saveAll(const QList<SyncLocation>& locations, SettingsStore& settings);
    static void saveAll(const QList<SyncLocation>& locations);
    // Replaces the saved location with the same id in place, or appends a new one.
    static void upsert(const SyncLocation& location, SettingsStore& settings);
    static void upsert(const SyncLocation& location);
    // Drops the location from the saved list (rewritten even when the id is unknown) and
    // forgets its folder grant and what its syncs learned about its files.
    static void remove(const QString& id, SettingsStore& settings);
    static void remove(const QString& id);

    friend bool operator==(const SyncLocation& a, const SyncLocation& b)
    {
        return a.id == b.id && a.name == b.name && a.symbol == b.symbol && a.scanWholeDrive == b.scanWholeDrive
            && a.subfolder == b.subfolder && a.imageExtensions == b.imageExtensions && a.autoSync == b.autoSync
            && a.ejectAfterSync == b.ejectAfterSync && a.volumeName == b.volumeName && a.deviceID == b.deviceID;
    }
    friend bool operator!=(const SyncLocation& a, const SyncLocation& b) { return !(a == b); }
};
