#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <functional>
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

// What one record file may hold before it is even parsed. The scale this program is built for,
// a busy bench of 100,000 captures and 20,000 components, exports a "captures.json" of about
// 45 MB with some 1.7 million values in 200,000 objects and arrays, nested four deep, and no
// text of more than a few kilobytes; the caps leave room above that, while what a small archive
// could unpack to (millions of tiny records, one text of gigabytes) is refused unread. Objects
// and arrays have a cap of their own: the parser keeps each nested one in a block of its own,
// some 200 bytes.
constexpr qint64 maxFileBytes = qint64(128) << 20;
constexpr qint64 maxValues = qint64(4) << 20;
constexpr qint64 maxContainers = qint64(384) << 10;
constexpr qint64 maxDepth = 16;
constexpr qint64 maxTextBytes = qint64(64) << 20;  // inside the strings of one file, as written
constexpr qint64 maxStringBytes = qint64(1) << 20;  // one string, as written

// A JSON text measured in one pass over its bytes, without parsing it.
struct TextShape {
    qint64 bytes = 0;
    qint64 values = 0;        // an upper estimate: each comma and opening bracket, and one
    qint64 containers = 0;    // objects and arrays
    qint64 depth = 0;         // how deep they nest
    qint64 elements = 0;      // of the outermost array or object (for valid JSON, exact)
    qint64 textBytes = 0;     // inside strings, as written
    qint64 longestString = 0; // as written
};
TextShape measure(const QByteArray& bytes);
// Why a text of this shape is more than a restore parses (a phrase that follows the file's
// name: "holds a text of 2.0 GB, ..."), or an empty text when it is within every cap.
QString excess(const TextShape& shape);

// Parses bytes that must hold one JSON object or one JSON array; nothing when they are not
// valid JSON of that kind or pass one of the caps above.
std::optional<QJsonObject> parseObject(const QByteArray& bytes);
std::optional<QJsonArray> parseArray(const QByteArray& bytes);
// Calls `take` with each element of the JSON array in `bytes`, in order, each parsed on its
// own: only one element's tree is in memory at a time, not the whole file's (which takes some
// four times the file's size). False, having stopped, when the bytes are not one valid JSON array
// of objects, pass a cap, or `take` returns false.
bool forEachObject(const QByteArray& bytes, const std::function<bool(const QJsonObject&)>& take);

}  // namespace BackupJson
