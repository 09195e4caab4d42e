#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

// The JSON conventions every backup file shares: dates as ISO 8601 internet date-times in UTC
// to the whole second ("2025-03-01T09:30:00Z"), optional values left out when absent, and
// strict reading: a required key that is missing or of the wrong JSON type makes the reader
// fail, so that one bad record makes its whole file unreadable.
namespace BackupJson {

QString formatDate(const QDateTime& date);
// Accepts "yyyy-MM-ddTHH:mm:ss" followed by "Z" or a "+hh:mm"/"-hh:mm" offset; nothing else
// (no fractional seconds, no missing zone).
std::optional<QDateTime> parseDate(const QString& text);

// Pretty-printed with object keys sorted (QJsonObject keeps its keys in order).
QByteArray encode(const QJsonObject& object);
QByteArray encode(const QJsonArray& array);

// Writers that leave a key out when there is no value. A number that is not finite has no
// JSON form and is left out as well, so that one odd reading never blocks a whole backup.
void putText(QJsonObject& o, const QString& key, const std::optional<QString>& value);
void putNumber(QJsonObject& o, const QString& key, std::optional<double> value);

// A strict reader over one JSON object. Each getter records a failure instead of throwing;
// check ok() once all fields are read.
class Reader {
public:
    explicit Reader(const QJsonValue& value);

    bool ok() const { return m_ok; }
    void fail() { m_ok = false; }

    QString text(const QString& key);
    std::optional<QString> optText(const QString& key);
    qint64 integer(const QString& key);
    double number(const QString& key);
    std::optional<double> optNumber(const QString& key);
    bool boolean(const QString& key);
    std::optional<bool> optBoolean(const QString& key);
    QDateTime date(const QString& key);
    QJsonArray array(const QString& key);
    QJsonObject object(const QString& key);
    std::optional<QJsonObject> optObject(const QString& key);

private:
    QJsonValue required(const QString& key);
    QJsonValue optional(const QString& key);

    QJsonObject m_object;
    bool m_ok;
};

// A strict whole-number reading of a JSON number (no fraction, inside the signed 64-bit range).
std::optional<qint64> integerValue(const QJsonValue& v);

// What one record file may hold before it is even parsed. A store of 200,000 captures writes a
// "captures.json" of about 160 MB with some 3 million values in 400,000 objects and arrays;
// these leave room for several times that, while a small archive that unpacks to a huge array of
// tiny values cannot make the parser take gigabytes. Objects and arrays have a cap of their own:
// the parser keeps each nested one in a block of its own, some 200 bytes, so that 5 million of
// them (45 MB of text, 50 KB zipped) would take over a gigabyte.
constexpr qint64 maxFileBytes = qint64(512) << 20;
constexpr qint64 maxValues = qint64(16) << 20;
constexpr qint64 maxContainers = qint64(2) << 20;

// Parses bytes that must hold one JSON object or one JSON array; nothing when they are not
// valid JSON of that kind or hold more than maxFileBytes or about maxValues values.
std::optional<QJsonObject> parseObject(const QByteArray& bytes);
std::optional<QJsonArray> parseArray(const QByteArray& bytes);

}  // namespace BackupJson
