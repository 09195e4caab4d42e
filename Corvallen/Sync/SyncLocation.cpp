#include "Corvallen/Sync/SyncLocation.h"

#include "Corvallen/Model/TextTrim.h"
#include "Corvallen/Model/UuidText.h"
#include "Corvallen/Platform/JsonText.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Sync/FolderGrants.h"
#include "Corvallen/Sync/SourceLedger.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

const QString kListKey = QStringLiteral("customDevices");

QByteArray jsonBool(bool b) { return b ? QByteArrayLiteral("true") : QByteArrayLiteral("false"); }

bool readString(const QJsonObject& o, const char* key, QString& out)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString())
        return false;
    out = v.toString();
    return true;
}

bool readBool(const QJsonObject& o, const char* key, bool& out)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isBool())
        return false;
    out = v.toBool();
    return true;
}

// Missing or null reads as absent; any other non-string value is a decoding failure.
bool readOptionalString(const QJsonObject& o, const char* key, std::optional<QString>& out)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull()) {
        out.reset();
        return true;
    }
    if (!v.isString())
        return false;
    out = v.toString();
    return true;
}

}  // namespace

QStringList SyncLocation::defaultImageExtensions()
{
    return {QStringLiteral("png"), QStringLiteral("bmp"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
            QStringLiteral("gif"), QStringLiteral("tiff"), QStringLiteral("tif")};
}

SyncLocation SyncLocation::makeNew()
{
    SyncLocation l;
    l.id = newUuidText();
    return l;
}

QString SyncLocation::displayName() const
{
    return name.isEmpty() ? QCoreApplication::translate("SyncLocation", "Location") : name;
}

QByteArray SyncLocation::toJson() const
{
    // Written by hand so the keys come in field order, as the saved list has always had them.
    QByteArray out = "{";
    out += "\"id\":" + jsonStringLiteral(id);
    out += ",\"name\":" + jsonStringLiteral(name);
    out += ",\"symbol\":" + jsonStringLiteral(symbol);
    out += ",\"scanWholeDrive\":" + jsonBool(scanWholeDrive);
    out += ",\"subfolder\":" + jsonStringLiteral(subfolder);
    out += ",\"imageExtensions\":[";
    for (qsizetype i = 0; i < imageExtensions.size(); ++i) {
        if (i > 0)
            out += ',';
        out += jsonStringLiteral(imageExtensions.at(i));
    }
    out += "]";
    out += ",\"autoSync\":" + jsonBool(autoSync);
    out += ",\"ejectAfterSync\":" + jsonBool(ejectAfterSync);
    if (volumeName)
        out += ",\"volumeName\":" + jsonStringLiteral(*volumeName);
    if (deviceID)
        out += ",\"deviceID\":" + jsonStringLiteral(*deviceID);
    out += "}";
    return out;
}

std::optional<SyncLocation> SyncLocation::fromJson(const QJsonObject& o)
{
    SyncLocation l;
    if (!readString(o, "id", l.id) || !readString(o, "name", l.name) || !readString(o, "symbol", l.symbol)
        || !readBool(o, "scanWholeDrive", l.scanWholeDrive) || !readString(o, "subfolder", l.subfolder)
        || !readBool(o, "autoSync", l.autoSync) || !readBool(o, "ejectAfterSync", l.ejectAfterSync)
        || !readOptionalString(o, "volumeName", l.volumeName) || !readOptionalString(o, "deviceID", l.deviceID))
        return std::nullopt;
    const QJsonValue exts = o.value(QLatin1String("imageExtensions"));
    if (!exts.isArray())
        return std::nullopt;
    l.imageExtensions.clear();
    for (const QJsonValue& e : exts.toArray()) {
        if (!e.isString())
            return std::nullopt;
        l.imageExtensions << e.toString();
    }
    return l;
}

namespace {

// The locations the stored bytes hold; `whole` says whether every part of them decoded.
QList<SyncLocation> decodeList(const QByteArray& bytes, bool* whole)
{
    *whole = false;
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &err);
    if (err.error != QJsonParseError::NoError || !doc.isArray())
        return {};
    *whole = true;
    QList<SyncLocation> out;
    for (const QJsonValue& v : doc.array()) {
        const auto l = v.isObject() ? SyncLocation::fromJson(v.toObject()) : std::nullopt;
        if (l)
            out << *l;
        else
            *whole = false;  // passed over; the others still load
    }
    return out;
}

// Keeps a stored value that doesn't decode in a file of its own before it is written over.
void keepAside(SettingsStore& settings)
{
    const std::optional<SettingsStore::Type> type = settings.typeOf(kListKey);
    if (!type)
        return;
    QByteArray value;
    if (*type == SettingsStore::Type::Bytes) {
        value = settings.bytesValue(kListKey);
        bool whole = false;
        decodeList(value, &whole);
        if (whole)
            return;
    } else if (*type == SettingsStore::Type::Text) {
        value = settings.textValue(kListKey).toUtf8();
    } else {
        return;  // a number or a flag holds no locations worth keeping
    }
    const QDir folder = QFileInfo(settings.filePath()).absoluteDir();
    const QString stem = kListKey + QStringLiteral(".unreadable-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = stem + QStringLiteral(".json");
    for (int n = 2; QFileInfo::exists(folder.filePath(name)); ++n)
        name = stem + QLatin1Char('-') + QString::number(n) + QStringLiteral(".json");
    QFile copy(folder.filePath(name));
    if (copy.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        copy.write(value);
}

}  // namespace

QList<SyncLocation> SyncLocation::loadAll(SettingsStore& settings)
{
    if (settings.typeOf(kListKey) != SettingsStore::Type::Bytes)
        return {};
    bool whole = false;
    return decodeList(settings.bytesValue(kListKey), &whole);
}

QList<SyncLocation> SyncLocation::loadAll() { return loadAll(SettingsStore::shared()); }

void SyncLocation::saveAll(const QList<SyncLocation>& locations, SettingsStore& settings)
{
    keepAside(settings);
    QByteArray out = "[";
    for (qsizetype i = 0; i < locations.size(); ++i) {
        if (i > 0)
            out += ',';
        out += locations.at(i).toJson();
    }
    out += "]";
    settings.setBytes(kListKey, out);
}

void SyncLocation::saveAll(const QList<SyncLocation>& locations) { saveAll(locations, SettingsStore::shared()); }

void SyncLocation::upsert(const SyncLocation& location, SettingsStore& settings)
{
    QList<SyncLocation> list = loadAll(settings);
    bool replaced = false;
    for (SyncLocation& l : list) {
        if (l.id == location.id) {
            l = location;
            replaced = true;
            break;
        }
    }
    if (!replaced)
        list << location;
    saveAll(list, settings);
}

void SyncLocation::upsert(const SyncLocation& location) { upsert(location, SettingsStore::shared()); }

void SyncLocation::remove(const QString& id, SettingsStore& settings)
{
    QList<SyncLocation> list = loadAll(settings);
    list.removeIf([&](const SyncLocation& l) { return l.id == id; });
    saveAll(list, settings);
    FolderGrants::forgetGrant(id, settings);
    SourceLedger::forget(id);
}

void SyncLocation::remove(const QString& id) { remove(id, SettingsStore::shared()); }

QString SyncLocation::subfolderProblem(const QString& subfolder)
{
    const QString trimmed = trimHorizontalSpace(subfolder);
    if (trimmed.startsWith(QLatin1Char('/')))
        return QCoreApplication::translate("SyncLocation", "Give a folder inside the chosen drive or folder, not a full path.");
    if (trimmed.split(QLatin1Char('/')).contains(QStringLiteral("..")))
        return QCoreApplication::translate("SyncLocation", "The subfolder has to stay inside the chosen drive or folder.");
    return {};
}

SyncLocation::ScanOptions SyncLocation::scanOptions() const
{
    ScanOptions o;
    if (!scanWholeDrive) {
        const QString trimmed = trimHorizontalSpace(subfolder);
        if (!trimmed.isEmpty())
            o.subfolder = trimmed;
    }
    const QStringList& list = imageExtensions.isEmpty() ? defaultImageExtensions() : imageExtensions;
    o.extensions = QSet<QString>(list.begin(), list.end());
    return o;
}
