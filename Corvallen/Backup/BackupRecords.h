#pragma once

#include "Corvallen/Store/PersistentIdentifier.h"

#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

class Component;
class SettingsStore;

// The JSON records of a backup archive, one file per data type. Records point at each other by
// ids made fresh for each export (upper-case UUID text); the store's own identities are never
// written. Each record encodes with keys equal to its field names, optional fields left out
// when absent, and decodes strictly: fromJson gives nothing when a required key is missing or
// any key has the wrong JSON type. Records that name a file in a data folder accept only one
// plain file name there, never a path.
namespace BackupData {

// The bounds decoded values are held to: what the program itself keeps. A value outside them
// makes its record, and so its whole file, unreadable, like any other value that doesn't decode.
// Parts-list lines hold 1 to StockAllocation::maxLineQuantity. A component's stock and reorder
// level stay within ±maxStockCount, which keeps every stock sum far from the 64-bit limits.
constexpr qint64 maxStockCount = 1'000'000'000'000;
// Prices, labour hours, rates and amounts: finite, and no larger than a double holds to the cent.
constexpr double maxAmount = 1e13;

struct TagDTO {
    // The most records of this type one restore decodes. Tags are few (the scale benchmark has 30).
    static constexpr qint64 maxRecords = 10'000;

    QString id;
    QString name;
    QString colorHex;

    QJsonObject toJson() const;
    static std::optional<TagDTO> fromJson(const QJsonValue& v);
    friend bool operator==(const TagDTO&, const TagDTO&) = default;
};

// The nine business settings the backup carries, in this order; the logo keys are not among them.
const QStringList& businessKeys();

struct SettingsDTO {
    std::optional<QString> appTheme;
    std::optional<QString> appLanguage;
    std::optional<QString> libraryMode;
    std::optional<QString> installedFirmware_2D15P;
    std::optional<bool> autoEjectAfterSync;
    std::optional<QMap<QString, QString>> business;

    QJsonObject toJson() const;
    static std::optional<SettingsDTO> fromJson(const QJsonValue& v);
    friend bool operator==(const SettingsDTO&, const SettingsDTO&) = default;
};
// The settings record of the settings: the keys that hold a value of the kind the record
// carries (a number reads as its decimal text), and the business keys that are not empty.
SettingsDTO readSettings(const SettingsStore& settings);
// Writes a settings record into the settings: its keys that have a value, the interface
// language list with the language, and only the known business keys.
void writeSettings(const SettingsDTO& record, SettingsStore& settings);

struct ComponentDTO {
    // The most records of this type one restore decodes. Two and a half times the 20,000 parts of the scale benchmark.
    static constexpr qint64 maxRecords = 50'000;

    QString id;
    QString name;
    std::optional<QString> partNumber;
    std::optional<QString> category;
    std::optional<QString> subcategory;
    std::optional<QString> manufacturer;
    qint64 qty = 0;
    QString unit;
    qint64 minQty = 0;
    std::optional<QString> location;
    std::optional<QString> bin;
    std::optional<QString> voltage;
    std::optional<QString> current;
    std::optional<QString> power;
    std::optional<QString> interface;
    std::optional<QString> logicLevel;
    std::optional<QString> package;
    std::optional<QString> keySpecs;
    std::optional<QString> notes;
    std::optional<QString> tags;
    std::optional<double> confidence;
    std::optional<QString> shoppingURL;
    std::optional<QString> photoFile;
    std::optional<QString> datasheetFile;
    std::optional<QString> manualFile;
    std::optional<QString> datasheetURL;
    std::optional<QString> manualURL;
    std::optional<QString> photoURL;
    std::optional<QString> statusOverride;
    std::optional<double> purchasePrice;
    std::optional<double> resellPrice;
    QDateTime createdAt;
    QDateTime updatedAt;

    ComponentDTO() = default;
    // The record of one component; `ids` maps every component's persistent identifier to the
    // record id this export gave it.
    ComponentDTO(const Component& component, const QHash<PersistentIdentifier, QString>& ids);

    QJsonObject toJson() const;
    static std::optional<ComponentDTO> fromJson(const QJsonValue& v);
    friend bool operator==(const ComponentDTO&, const ComponentDTO&) = default;
};

// Writes every field of the record but id and name into the component, absent fields as absent
// values, the record's timestamps over the ones the component was made with.
void apply(const ComponentDTO& record, Component& component);

struct DocumentDTO {
    // The most records of this type one restore decodes. Each is a file in the data folder; a large library holds a few hundred.
    static constexpr qint64 maxRecords = 20'000;

    QString id;
    QString fileName;
    QString title;
    QString typeRaw;
    QString notes;
    std::optional<QString> tags;
    std::optional<QString> sourceURL;
    std::optional<QString> libraryMarkupFileName;
    QDateTime addedAt;

    QJsonObject toJson() const;
    static std::optional<DocumentDTO> fromJson(const QJsonValue& v);
    friend bool operator==(const DocumentDTO&, const DocumentDTO&) = default;
};

struct BomDTO {
    QString component;
    qint64 quantity = 0;
    QDateTime addedAt;

    QJsonObject toJson() const;
    static std::optional<BomDTO> fromJson(const QJsonValue& v);
    friend bool operator==(const BomDTO&, const BomDTO&) = default;
};

struct AttachDTO {
    QString document;
    QString markupFileName;
    QDateTime addedAt;

    QJsonObject toJson() const;
    static std::optional<AttachDTO> fromJson(const QJsonValue& v);
    friend bool operator==(const AttachDTO&, const AttachDTO&) = default;
};

struct ProjectDTO {
    // The most records of this type one restore decodes. A workshop with a project a day for a dozen years.
    static constexpr qint64 maxRecords = 5'000;

    QString id;
    QString name;
    QString details;
    QString notes;
    QDateTime createdAt;
    std::optional<double> labourHours;
    std::optional<double> labourRate;
    std::optional<double> labourFlat;
    std::optional<bool> quoteCombined;
    QList<BomDTO> bom;
    QList<AttachDTO> attachments;

    QJsonObject toJson() const;
    static std::optional<ProjectDTO> fromJson(const QJsonValue& v);
    friend bool operator==(const ProjectDTO&, const ProjectDTO&) = default;
};

struct CaptureDTO {
    // The most records of this type one restore decodes. One and a half times the 100,000 captures of the scale benchmark.
    static constexpr qint64 maxRecords = 150'000;

    QString id;
    QString fileName;
    QString title;
    QString notes;
    QDateTime importedAt;
    std::optional<QString> mode;
    std::optional<QString> unit;
    std::optional<QString> summary;
    std::optional<double> value;
    std::optional<double> minValue;
    std::optional<double> maxValue;
    std::optional<QString> project;
    QStringList tags;

    QJsonObject toJson() const;
    static std::optional<CaptureDTO> fromJson(const QJsonValue& v);
    friend bool operator==(const CaptureDTO&, const CaptureDTO&) = default;
};

// The most parts-list lines and attachments of all projects together that one restore decodes:
// the scale benchmark's 40 projects hold a few hundred.
constexpr qint64 maxProjectLines = 100'000;
// The most records of all types, and the most text in their strings (as written), that one
// restore decodes. A restore of the scale benchmark's store (100,000 captures, 20,000
// components, some 23 MB of text in ids, names and titles) peaks at about 220 MB of memory; one
// at these caps, with its text filled up, stays near 400 MB, within the 512 MB a restore may take.
constexpr qint64 maxRecordsPerRestore = 160'000;
constexpr qint64 maxTextPerRestore = qint64(64) << 20;

// A whole file of records: a JSON array in which every element decodes, or nothing. The records
// are parsed one at a time, so the file's whole tree is never in memory.
template <class T>
std::optional<QList<T>> decodeArray(const QByteArray& json);
template <class T>
QByteArray encodeArray(const QList<T>& records);

}  // namespace BackupData
