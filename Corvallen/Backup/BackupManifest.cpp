#include "Corvallen/Backup/BackupManifest.h"

#include "Corvallen/Backup/BackupJson.h"

BackupSelection BackupManifest::availableSelection() const
{
    BackupSelection s;
    s.projects = counts.contains(QStringLiteral("projects"));
    s.inventory = counts.contains(QStringLiteral("inventory"));
    s.captures = counts.contains(QStringLiteral("captures"));
    s.files = counts.contains(QStringLiteral("files"));
    s.settings = counts.contains(QStringLiteral("settings"));
    return s;
}

QByteArray BackupManifest::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("schemaVersion"), schemaVersion);
    o.insert(QStringLiteral("createdAt"), BackupJson::formatDate(createdAt));
    o.insert(QStringLiteral("appVersion"), appVersion);
    BackupJson::putText(o, QStringLiteral("exportedBy"), exportedBy);
    BackupJson::putText(o, QStringLiteral("appBuild"), appBuild);
    BackupJson::putText(o, QStringLiteral("buildChannel"), buildChannel);
    BackupJson::putText(o, QStringLiteral("osVersion"), osVersion);
    QJsonObject c;
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it)
        c.insert(it.key(), it.value());
    o.insert(QStringLiteral("counts"), c);
    return BackupJson::encode(o);
}

std::optional<BackupManifest> BackupManifest::fromJson(const QByteArray& json)
{
    const std::optional<QJsonObject> object = BackupJson::parseObject(json);
    if (!object)
        return std::nullopt;
    BackupJson::Reader r(*object);
    BackupManifest m;
    m.schemaVersion = r.integer(QStringLiteral("schemaVersion"));
    m.createdAt = r.date(QStringLiteral("createdAt"));
    m.appVersion = r.text(QStringLiteral("appVersion"));
    m.exportedBy = r.optText(QStringLiteral("exportedBy"));
    m.appBuild = r.optText(QStringLiteral("appBuild"));
    m.buildChannel = r.optText(QStringLiteral("buildChannel"));
    m.osVersion = r.optText(QStringLiteral("osVersion"));
    const QJsonObject c = r.object(QStringLiteral("counts"));
    for (auto it = c.constBegin(); it != c.constEnd(); ++it) {
        const std::optional<qint64> n = BackupJson::integerValue(it.value());
        if (!n)
            return std::nullopt;
        m.counts.insert(it.key(), *n);
    }
    if (!r.ok())
        return std::nullopt;
    return m;
}
