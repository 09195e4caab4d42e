#pragma once

#include "Corvallen/Backup/BackupSelection.h"

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QString>

#include <optional>

// The description of one backup, stored as "manifest.json" at the root of every current
// archive: layout version, when and by what it was made, and one count per section it holds.
struct BackupManifest {
    // The archive layout this program writes, and the newest it can read.
    static constexpr qint64 currentSchemaVersion = 1;

    qint64 schemaVersion = currentSchemaVersion;
    QDateTime createdAt;
    QString appVersion;
    std::optional<QString> exportedBy;
    std::optional<QString> appBuild;
    std::optional<QString> buildChannel;
    std::optional<QString> osVersion;
    QMap<QString, qint64> counts;

    // The sections a restore may offer: a flag for each key present in counts, whatever its
    // value ("projects", "inventory", "captures", "files", "settings").
    BackupSelection availableSelection() const;

    QByteArray toJson() const;
    // Strict: "schemaVersion", "createdAt", "appVersion" and "counts" must be present with
    // their types; the optional texts may be absent or null; unknown keys are ignored.
    static std::optional<BackupManifest> fromJson(const QByteArray& json);

    friend bool operator==(const BackupManifest&, const BackupManifest&) = default;
};
