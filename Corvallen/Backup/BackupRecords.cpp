#include "Corvallen/Backup/BackupRecords.h"

#include "Corvallen/Backup/BackupJson.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Projects/StockAllocation.h"

#include <QJsonArray>

#include <cmath>

namespace BackupData {

using BackupJson::putNumber;
using BackupJson::putText;
using BackupJson::Reader;

namespace {

QString key(const char* k) { return QString::fromLatin1(k); }

// A file name from an archive becomes part of a path in a data folder; only one plain path
// component is safe there.
void requirePlainName(Reader& r, const QString& name)
{
    if (!AppPaths::isPlainFileName(name))
        r.fail();
}

void requirePlainName(Reader& r, const std::optional<QString>& name)
{
    if (name)
        requirePlainName(r, *name);
}

void requireWithin(Reader& r, qint64 value, qint64 lowest, qint64 highest)
{
    if (value < lowest || value > highest)
        r.fail();
}

void requireFinite(Reader& r, const std::optional<double>& value)
{
    if (value && !std::isfinite(*value))
        r.fail();
}

void requireAmount(Reader& r, const std::optional<double>& value)
{
    if (value && !(std::abs(*value) <= maxAmount))
        r.fail();
}

}  // namespace

const QStringList& businessKeys()
{
    static const QStringList keys{
        QStringLiteral("business.name"),    QStringLiteral("business.tagline"),      QStringLiteral("business.address"),
        QStringLiteral("business.phone"),   QStringLiteral("business.email"),        QStringLiteral("business.website"),
        QStringLiteral("business.documentLogo"), QStringLiteral("business.currency"), QStringLiteral("business.vatRate"),
    };
    return keys;
}

// ---- TagDTO

QJsonObject TagDTO::toJson() const
{
    QJsonObject o;
    o.insert(key("id"), id);
    o.insert(key("name"), name);
    o.insert(key("colorHex"), colorHex);
    return o;
}

std::optional<TagDTO> TagDTO::fromJson(const QJsonValue& v)
{
    Reader r(v);
    TagDTO t;
    t.id = r.text(key("id"));
    t.name = r.text(key("name"));
    t.colorHex = r.text(key("colorHex"));
    if (!r.ok())
        return std::nullopt;
    return t;
}

// ---- SettingsDTO

QJsonObject SettingsDTO::toJson() const
{
    QJsonObject o;
    putText(o, key("appTheme"), appTheme);
    putText(o, key("appLanguage"), appLanguage);
    putText(o, key("libraryMode"), libraryMode);
    putText(o, key("installedFirmware_2D15P"), installedFirmware_2D15P);
    if (autoEjectAfterSync)
        o.insert(key("autoEjectAfterSync"), *autoEjectAfterSync);
    if (business) {
        QJsonObject b;
        for (auto it = business->constBegin(); it != business->constEnd(); ++it)
            b.insert(it.key(), it.value());
        o.insert(key("business"), b);
    }
    return o;
}

std::optional<SettingsDTO> SettingsDTO::fromJson(const QJsonValue& v)
{
    Reader r(v);
    SettingsDTO s;
    s.appTheme = r.optText(key("appTheme"));
    s.appLanguage = r.optText(key("appLanguage"));
    s.libraryMode = r.optText(key("libraryMode"));
    s.installedFirmware_2D15P = r.optText(key("installedFirmware_2D15P"));
    s.autoEjectAfterSync = r.optBoolean(key("autoEjectAfterSync"));
    if (const std::optional<QJsonObject> b = r.optObject(key("business"))) {
        QMap<QString, QString> map;
        for (auto it = b->constBegin(); it != b->constEnd(); ++it) {
            if (!it.value().isString())
                return std::nullopt;
            map.insert(it.key(), it.value().toString());
        }
        s.business = map;
    }
    if (!r.ok())
        return std::nullopt;
    return s;
}

namespace {

// Settings read as the text the user set; a number reads as its decimal text. Other kinds
// (a flag, a list) are not text and give no value.
std::optional<QString> settingText(const SettingsStore& s, const QString& key)
{
    const std::optional<SettingsStore::Type> type = s.typeOf(key);
    if (!type || (*type != SettingsStore::Type::Text && *type != SettingsStore::Type::Integer && *type != SettingsStore::Type::Double))
        return std::nullopt;
    return s.textValue(key);
}

}  // namespace

SettingsDTO readSettings(const SettingsStore& s)
{
    SettingsDTO d;
    d.appTheme = settingText(s, QStringLiteral("appTheme"));
    d.appLanguage = settingText(s, QStringLiteral("appLanguage"));
    d.libraryMode = settingText(s, QStringLiteral("libraryMode"));
    d.installedFirmware_2D15P = settingText(s, QStringLiteral("installedFirmware_2D15P"));
    if (s.typeOf(QStringLiteral("autoEjectAfterSync")) == SettingsStore::Type::Bool)
        d.autoEjectAfterSync = s.boolValue(QStringLiteral("autoEjectAfterSync"));
    QMap<QString, QString> business;
    for (const QString& key : businessKeys()) {
        const std::optional<QString> v = settingText(s, key);
        if (v && !v->isEmpty())
            business.insert(key, *v);
    }
    if (!business.isEmpty())
        d.business = business;
    return d;
}

void writeSettings(const SettingsDTO& d, SettingsStore& s)
{
    auto setIf = [&](const char* key, const std::optional<QString>& v) {
        if (v)
            s.setText(QString::fromLatin1(key), *v);
    };
    setIf("appTheme", d.appTheme);
    setIf("appLanguage", d.appLanguage);
    setIf("libraryMode", d.libraryMode);
    setIf("installedFirmware_2D15P", d.installedFirmware_2D15P);
    if (d.appLanguage) {
        // The interface language list, as the language picker of the General pane keeps it.
        if (*d.appLanguage == QLatin1String("system"))
            s.remove(QStringLiteral("AppleLanguages"));
        else
            s.setTextList(QStringLiteral("AppleLanguages"), {*d.appLanguage});
    }
    if (d.autoEjectAfterSync)
        s.setBool(QStringLiteral("autoEjectAfterSync"), *d.autoEjectAfterSync);
    if (d.business)
        for (auto it = d.business->constBegin(); it != d.business->constEnd(); ++it)
            if (businessKeys().contains(it.key()))
                s.setText(it.key(), it.value());
}

// ---- ComponentDTO

ComponentDTO::ComponentDTO(const Component& c, const QHash<PersistentIdentifier, QString>& ids)
    : id(ids.value(c.persistentModelID())),
      name(c.name()),
      partNumber(c.partNumber()),
      category(c.category()),
      subcategory(c.subcategory()),
      manufacturer(c.manufacturer()),
      qty(c.qty()),
      unit(c.unit()),
      minQty(c.minQty()),
      location(c.location()),
      bin(c.bin()),
      voltage(c.voltage()),
      current(c.current()),
      power(c.power()),
      interface(c.interface()),
      logicLevel(c.logicLevel()),
      package(c.package()),
      keySpecs(c.keySpecs()),
      notes(c.notes()),
      tags(c.tags()),
      confidence(c.confidence()),
      shoppingURL(c.shoppingURL()),
      photoFile(c.photoFile()),
      datasheetFile(c.datasheetFile()),
      manualFile(c.manualFile()),
      datasheetURL(c.datasheetURL()),
      manualURL(c.manualURL()),
      photoURL(c.photoURL()),
      statusOverride(c.statusOverride()),
      purchasePrice(c.purchasePrice()),
      resellPrice(c.resellPrice()),
      createdAt(c.createdAt()),
      updatedAt(c.updatedAt())
{
}

QJsonObject ComponentDTO::toJson() const
{
    QJsonObject o;
    o.insert(key("id"), id);
    o.insert(key("name"), name);
    putText(o, key("partNumber"), partNumber);
    putText(o, key("category"), category);
    putText(o, key("subcategory"), subcategory);
    putText(o, key("manufacturer"), manufacturer);
    o.insert(key("qty"), qty);
    o.insert(key("unit"), unit);
    o.insert(key("minQty"), minQty);
    putText(o, key("location"), location);
    putText(o, key("bin"), bin);
    putText(o, key("voltage"), voltage);
    putText(o, key("current"), current);
    putText(o, key("power"), power);
    putText(o, key("interface"), interface);
    putText(o, key("logicLevel"), logicLevel);
    putText(o, key("package"), package);
    putText(o, key("keySpecs"), keySpecs);
    putText(o, key("notes"), notes);
    putText(o, key("tags"), tags);
    putNumber(o, key("confidence"), confidence);
    putText(o, key("shoppingURL"), shoppingURL);
    putText(o, key("photoFile"), photoFile);
    putText(o, key("datasheetFile"), datasheetFile);
    putText(o, key("manualFile"), manualFile);
    putText(o, key("datasheetURL"), datasheetURL);
    putText(o, key("manualURL"), manualURL);
    putText(o, key("photoURL"), photoURL);
    putText(o, key("statusOverride"), statusOverride);
    putNumber(o, key("purchasePrice"), purchasePrice);
    putNumber(o, key("resellPrice"), resellPrice);
    o.insert(key("createdAt"), BackupJson::formatDate(createdAt));
    o.insert(key("updatedAt"), BackupJson::formatDate(updatedAt));
    return o;
}

std::optional<ComponentDTO> ComponentDTO::fromJson(const QJsonValue& v)
{
    Reader r(v);
    ComponentDTO c;
    c.id = r.text(key("id"));
    c.name = r.text(key("name"));
    c.partNumber = r.optText(key("partNumber"));
    c.category = r.optText(key("category"));
    c.subcategory = r.optText(key("subcategory"));
    c.manufacturer = r.optText(key("manufacturer"));
    c.qty = r.integer(key("qty"));
    c.unit = r.text(key("unit"));
    c.minQty = r.integer(key("minQty"));
    c.location = r.optText(key("location"));
    c.bin = r.optText(key("bin"));
    c.voltage = r.optText(key("voltage"));
    c.current = r.optText(key("current"));
    c.power = r.optText(key("power"));
    c.interface = r.optText(key("interface"));
    c.logicLevel = r.optText(key("logicLevel"));
    c.package = r.optText(key("package"));
    c.keySpecs = r.optText(key("keySpecs"));
    c.notes = r.optText(key("notes"));
    c.tags = r.optText(key("tags"));
    c.confidence = r.optNumber(key("confidence"));
    c.shoppingURL = r.optText(key("shoppingURL"));
    c.photoFile = r.optText(key("photoFile"));
    c.datasheetFile = r.optText(key("datasheetFile"));
    c.manualFile = r.optText(key("manualFile"));
    c.datasheetURL = r.optText(key("datasheetURL"));
    c.manualURL = r.optText(key("manualURL"));
    c.photoURL = r.optText(key("photoURL"));
    c.statusOverride = r.optText(key("statusOverride"));
    c.purchasePrice = r.optNumber(key("purchasePrice"));
    c.resellPrice = r.optNumber(key("resellPrice"));
    c.createdAt = r.date(key("createdAt"));
    c.updatedAt = r.date(key("updatedAt"));
    requirePlainName(r, c.photoFile);
    requirePlainName(r, c.datasheetFile);
    requirePlainName(r, c.manualFile);
    requireWithin(r, c.qty, -maxStockCount, maxStockCount);
    requireWithin(r, c.minQty, -maxStockCount, maxStockCount);
    requireFinite(r, c.confidence);
    requireAmount(r, c.purchasePrice);
    requireAmount(r, c.resellPrice);
    if (!r.ok())
        return std::nullopt;
    return c;
}

void apply(const ComponentDTO& d, Component& c)
{
    c.setPartNumber(d.partNumber);
    c.setCategory(d.category);
    c.setSubcategory(d.subcategory);
    c.setManufacturer(d.manufacturer);
    c.setQty(d.qty);
    c.setUnit(d.unit);
    c.setMinQty(d.minQty);
    c.setLocation(d.location);
    c.setBin(d.bin);
    c.setVoltage(d.voltage);
    c.setCurrent(d.current);
    c.setPower(d.power);
    c.setInterface(d.interface);
    c.setLogicLevel(d.logicLevel);
    c.setPackage(d.package);
    c.setKeySpecs(d.keySpecs);
    c.setNotes(d.notes);
    c.setTags(d.tags);
    c.setConfidence(d.confidence);
    c.setShoppingURL(d.shoppingURL);
    c.setPhotoFile(d.photoFile);
    c.setDatasheetFile(d.datasheetFile);
    c.setManualFile(d.manualFile);
    c.setDatasheetURL(d.datasheetURL);
    c.setManualURL(d.manualURL);
    c.setPhotoURL(d.photoURL);
    c.setStatusOverride(d.statusOverride);
    c.setPurchasePrice(d.purchasePrice);
    c.setResellPrice(d.resellPrice);
    c.setCreatedAt(d.createdAt);
    c.setUpdatedAt(d.updatedAt);
}

// ---- DocumentDTO

QJsonObject DocumentDTO::toJson() const
{
    QJsonObject o;
    o.insert(key("id"), id);
    o.insert(key("fileName"), fileName);
    o.insert(key("title"), title);
    o.insert(key("typeRaw"), typeRaw);
    o.insert(key("notes"), notes);
    putText(o, key("tags"), tags);
    putText(o, key("sourceURL"), sourceURL);
    putText(o, key("libraryMarkupFileName"), libraryMarkupFileName);
    o.insert(key("addedAt"), BackupJson::formatDate(addedAt));
    return o;
}

std::optional<DocumentDTO> DocumentDTO::fromJson(const QJsonValue& v)
{
    Reader r(v);
    DocumentDTO d;
    d.id = r.text(key("id"));
    d.fileName = r.text(key("fileName"));
    d.title = r.text(key("title"));
    d.typeRaw = r.text(key("typeRaw"));
    d.notes = r.text(key("notes"));
    d.tags = r.optText(key("tags"));
    d.sourceURL = r.optText(key("sourceURL"));
    d.libraryMarkupFileName = r.optText(key("libraryMarkupFileName"));
    d.addedAt = r.date(key("addedAt"));
    requirePlainName(r, d.fileName);
    requirePlainName(r, d.libraryMarkupFileName);
    if (!r.ok())
        return std::nullopt;
    return d;
}

// ---- BomDTO, AttachDTO

QJsonObject BomDTO::toJson() const
{
    QJsonObject o;
    o.insert(key("component"), component);
    o.insert(key("quantity"), quantity);
    o.insert(key("addedAt"), BackupJson::formatDate(addedAt));
    return o;
}

std::optional<BomDTO> BomDTO::fromJson(const QJsonValue& v)
{
    Reader r(v);
    BomDTO b;
    b.component = r.text(key("component"));
    b.quantity = r.integer(key("quantity"));
    b.addedAt = r.date(key("addedAt"));
    requireWithin(r, b.quantity, 1, StockAllocation::maxLineQuantity);
    if (!r.ok())
        return std::nullopt;
    return b;
}

QJsonObject AttachDTO::toJson() const
{
    QJsonObject o;
    o.insert(key("document"), document);
    o.insert(key("markupFileName"), markupFileName);
    o.insert(key("addedAt"), BackupJson::formatDate(addedAt));
    return o;
}

std::optional<AttachDTO> AttachDTO::fromJson(const QJsonValue& v)
{
    Reader r(v);
    AttachDTO a;
    a.document = r.text(key("document"));
    a.markupFileName = r.text(key("markupFileName"));
    a.addedAt = r.date(key("addedAt"));
    requirePlainName(r, a.markupFileName);
    if (!r.ok())
        return std::nullopt;
    return a;
}

// ---- ProjectDTO

QJsonObject ProjectDTO::toJson() const
{
    QJsonObject o;
    o.insert(key("id"), id);
    o.insert(key("name"), name);
    o.insert(key("details"), details);
    o.insert(key("notes"), notes);
    o.insert(key("createdAt"), BackupJson::formatDate(createdAt));
    putNumber(o, key("labourHours"), labourHours);
    putNumber(o, key("labourRate"), labourRate);
    putNumber(o, key("labourFlat"), labourFlat);
    if (quoteCombined)
        o.insert(key("quoteCombined"), *quoteCombined);
    QJsonArray b;
    for (const BomDTO& line : bom)
        b.append(line.toJson());
    o.insert(key("bom"), b);
    QJsonArray a;
    for (const AttachDTO& att : attachments)
        a.append(att.toJson());
    o.insert(key("attachments"), a);
    return o;
}

std::optional<ProjectDTO> ProjectDTO::fromJson(const QJsonValue& v)
{
    Reader r(v);
    ProjectDTO p;
    p.id = r.text(key("id"));
    p.name = r.text(key("name"));
    p.details = r.text(key("details"));
    p.notes = r.text(key("notes"));
    p.createdAt = r.date(key("createdAt"));
    p.labourHours = r.optNumber(key("labourHours"));
    p.labourRate = r.optNumber(key("labourRate"));
    p.labourFlat = r.optNumber(key("labourFlat"));
    p.quoteCombined = r.optBoolean(key("quoteCombined"));
    requireAmount(r, p.labourHours);
    requireAmount(r, p.labourRate);
    requireAmount(r, p.labourFlat);
    for (const QJsonValue& e : r.array(key("bom"))) {
        const std::optional<BomDTO> line = BomDTO::fromJson(e);
        if (!line)
            return std::nullopt;
        p.bom.append(*line);
    }
    for (const QJsonValue& e : r.array(key("attachments"))) {
        const std::optional<AttachDTO> att = AttachDTO::fromJson(e);
        if (!att)
            return std::nullopt;
        p.attachments.append(*att);
    }
    if (!r.ok())
        return std::nullopt;
    return p;
}

// ---- CaptureDTO

QJsonObject CaptureDTO::toJson() const
{
    QJsonObject o;
    o.insert(key("id"), id);
    o.insert(key("fileName"), fileName);
    o.insert(key("title"), title);
    o.insert(key("notes"), notes);
    o.insert(key("importedAt"), BackupJson::formatDate(importedAt));
    putText(o, key("mode"), mode);
    putText(o, key("unit"), unit);
    putText(o, key("summary"), summary);
    putNumber(o, key("value"), value);
    putNumber(o, key("minValue"), minValue);
    putNumber(o, key("maxValue"), maxValue);
    putText(o, key("project"), project);
    o.insert(key("tags"), QJsonArray::fromStringList(tags));
    return o;
}

std::optional<CaptureDTO> CaptureDTO::fromJson(const QJsonValue& v)
{
    Reader r(v);
    CaptureDTO c;
    c.id = r.text(key("id"));
    c.fileName = r.text(key("fileName"));
    c.title = r.text(key("title"));
    c.notes = r.text(key("notes"));
    c.importedAt = r.date(key("importedAt"));
    c.mode = r.optText(key("mode"));
    c.unit = r.optText(key("unit"));
    c.summary = r.optText(key("summary"));
    c.value = r.optNumber(key("value"));
    c.minValue = r.optNumber(key("minValue"));
    c.maxValue = r.optNumber(key("maxValue"));
    c.project = r.optText(key("project"));
    for (const QJsonValue& t : r.array(key("tags"))) {
        if (!t.isString())
            return std::nullopt;
        c.tags.append(t.toString());
    }
    requirePlainName(r, c.fileName);
    requireFinite(r, c.value);
    requireFinite(r, c.minValue);
    requireFinite(r, c.maxValue);
    if (!r.ok())
        return std::nullopt;
    return c;
}

// ---- whole files

template <class T>
std::optional<QList<T>> decodeArray(const QByteArray& json)
{
    QList<T> out;
    const bool whole = BackupJson::forEachObject(json, [&](const QJsonObject& o) {
        std::optional<T> record = T::fromJson(o);
        if (record)
            out.append(std::move(*record));
        return record.has_value();
    });
    if (!whole)
        return std::nullopt;
    out.squeeze();
    return out;
}

template <class T>
QByteArray encodeArray(const QList<T>& records)
{
    QJsonArray array;
    for (const T& r : records)
        array.append(r.toJson());
    return BackupJson::encode(array);
}

template std::optional<QList<TagDTO>> decodeArray<TagDTO>(const QByteArray&);
template std::optional<QList<ComponentDTO>> decodeArray<ComponentDTO>(const QByteArray&);
template std::optional<QList<DocumentDTO>> decodeArray<DocumentDTO>(const QByteArray&);
template std::optional<QList<ProjectDTO>> decodeArray<ProjectDTO>(const QByteArray&);
template std::optional<QList<CaptureDTO>> decodeArray<CaptureDTO>(const QByteArray&);
template QByteArray encodeArray<TagDTO>(const QList<TagDTO>&);
template QByteArray encodeArray<ComponentDTO>(const QList<ComponentDTO>&);
template QByteArray encodeArray<DocumentDTO>(const QList<DocumentDTO>&);
template QByteArray encodeArray<ProjectDTO>(const QList<ProjectDTO>&);
template QByteArray encodeArray<CaptureDTO>(const QList<CaptureDTO>&);

}  // namespace BackupData
