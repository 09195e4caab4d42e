#include "Corvallen/Sync/SyncLocation.h"

#include "Corvallen/Model/UuidText.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Sync/FolderGrants.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

const QString kListKey = QStringLiteral("customDevices");

// One JSON string literal, quoted and escaped by Qt's own writer.
QByteArray jsonString(const QString& s)
{
    const QByteArray wrapped = QJsonDocument(QJsonArray{s}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);  // strip the surrounding [ ]
}

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
    out += "\"id\":" + jsonString(id);
    out += ",\"name\":" + jsonString(name);
    out += ",\"symbol\":" + jsonString(symbol);
    out += ",\"scanWholeDrive\":" + jsonBool(scanWholeDrive);
    out += ",\"subfolder\":" + jsonString(subfolder);
    out += ",\"imageExtensions\":[";
    for (qsizetype i = 0; i < imageExtensions.size(); ++i) {
        if (i > 0)
            out += ',';
        out += jsonString(imageExtensions.at(i));
    }
    out += "]";
    out += ",\"autoSync\":" + jsonBool(autoSync);
    out += ",\"ejectAfterSync\":" + jsonBool(ejectAfterSync);
    if (volumeName)
        out += ",\"volumeName\":" + jsonString(*volumeName);
    if (deviceID)
        out += ",\"deviceID\":" + jsonString(*deviceID);
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

QList<SyncLocation> SyncLocation::loadAll(SettingsStore& settings)
{
    if (settings.typeOf(kListKey) != SettingsStore::Type::Bytes)
        return {};
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(settings.bytesValue(kListKey), &err);
    if (err.error != QJsonParseError::NoError || !doc.isArray())
        return {};
    QList<SyncLocation> out;
    for (const QJsonValue& v : doc.array()) {
        if (!v.isObject())
            return {};
        auto l = fromJson(v.toObject());
        if (!l)
            return {};  // one bad element empties the whole list
        out << *l;
    }
    return out;
}

QList<SyncLocation> SyncLocation::loadAll() { return loadAll(SettingsStore::shared()); }

void SyncLocation::saveAll(const QList<SyncLocation>& locations, SettingsStore& settings)
{
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
}

void SyncLocation::remove(const QString& id) { remove(id, SettingsStore::shared()); }

QString SyncLocation::trimmedOfSpaces(const QString& text)
{
    auto isSpace = [](QChar c) { return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space; };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpace(text.at(begin)))
        ++begin;
    while (end > begin && isSpace(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

SyncLocation::ScanOptions SyncLocation::scanOptions() const
{
    ScanOptions o;
    if (!scanWholeDrive) {
        const QString trimmed = trimmedOfSpaces(subfolder);
        if (!trimmed.isEmpty())
            o.subfolder = trimmed;
    }
    const QStringList& list = imageExtensions.isEmpty() ? defaultImageExtensions() : imageExtensions;
    o.extensions = QSet<QString>(list.begin(), list.end());
    return o;
}
