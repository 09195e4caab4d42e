#include "Corvallen/Backup/BackupJson.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QTimeZone>

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace BackupJson {

QString formatDate(const QDateTime& date)
{
    // ISODate writes no milliseconds: the fraction of a second is dropped, as the format asks.
    const QDateTime whole = QDateTime::fromSecsSinceEpoch(date.toSecsSinceEpoch(), Qt::UTC);
    return whole.toString(Qt::ISODate);
}

std::optional<QDateTime> parseDate(const QString& text)
{
    // "\z", not "$": "$" would also match before a final line break, and such a date is as
    // malformed as any other.
    static const QRegularExpression pattern(QStringLiteral(
        R"(^([0-9]{4})-([0-9]{2})-([0-9]{2})T([0-9]{2}):([0-9]{2}):([0-9]{2})(?:(Z)|([+-])([0-9]{2}):([0-9]{2}))\z)"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate day(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!day.isValid() || !time.isValid())
        return std::nullopt;
    int offset = 0;
    if (m.captured(7).isEmpty()) {
        const int hours = m.captured(9).toInt();
        const int minutes = m.captured(10).toInt();
        if (hours > 23 || minutes > 59)
            return std::nullopt;
        offset = (hours * 60 + minutes) * 60;
        if (m.captured(8) == QLatin1String("-"))
            offset = -offset;
    }
    const QDateTime utc(day, time, Qt::UTC);
    return utc.addSecs(-offset);
}

QByteArray encode(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Indented); }
QByteArray encode(const QJsonArray& array) { return QJsonDocument(array).toJson(QJsonDocument::Indented); }

void putText(QJsonObject& o, const QString& key, const std::optional<QString>& value)
{
    if (value)
        o.insert(key, *value);
}

void putNumber(QJsonObject& o, const QString& key, std::optional<double> value)
{
    if (value && std::isfinite(*value))
        o.insert(key, *value);
}

std::optional<qint64> integerValue(const QJsonValue& v)
{
    if (!v.isDouble())
        return std::nullopt;
    // toInteger gives the default for a fraction or a value out of range; two different
    // defaults tell a real value from the fallback.
    const qint64 a = v.toInteger(0);
    const qint64 b = v.toInteger(1);
    if (a != b)
        return std::nullopt;
    return a;
}

namespace {

// In the user's own number form ("1,5 GB" in German), binary units.
QString sizeText(qint64 bytes) { return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat); }

bool withinLimits(const QByteArray& bytes) { return excess(measure(bytes)).isEmpty(); }

// Follows a JSON text byte by byte far enough to tell the bytes inside strings from the rest.
struct Strings {
    bool inString = false;
    bool escaped = false;
    // Whether `c` belongs to a string (its quotes included); true for the quote that ends one.
    bool inside(char c)
    {
        if (!inString) {
            inString = c == '"';
            return inString;
        }
        if (escaped)
            escaped = false;
        else if (c == '\\')
            escaped = true;
        else if (c == '"')
            inString = false;
        return true;
    }
};

}  // namespace

TextShape measure(const QByteArray& bytes)
{
    TextShape shape;
    shape.bytes = bytes.size();
    qint64 depth = 0;
    qint64 stringStart = 0;
    Strings strings;
    bool anything = false;
    const char* data = bytes.constData();
    for (qint64 i = 0; i < shape.bytes; ++i) {
        const char c = data[i];
        const bool opening = !strings.inString;
        if (strings.inside(c)) {
            if (opening) {
                stringStart = i;
                if (depth == 1)
                    anything = true;
            } else if (!strings.inString) {
                const qint64 length = i - stringStart - 1;
                shape.textBytes += length;
                shape.longestString = std::max(shape.longestString, length);
            }
            continue;
        }
        const bool blank = c == ' ' || c == '\n' || c == '\r' || c == '\t';
        if (depth == 1 && !blank && c != ',' && c != ']' && c != '}')
            anything = true;  // the outermost array or object holds something
        switch (c) {
        case '[':
        case '{':
            ++shape.values;
            ++shape.containers;
            shape.depth = std::max(shape.depth, ++depth);
            break;
        case ']':
        case '}':
            --depth;
            break;
        case ',':
            ++shape.values;
            if (depth == 1)
                ++shape.elements;
            break;
        default:
            break;
        }
    }
    if (strings.inString) {  // cut short: the open string counts as far as it goes
        const qint64 length = shape.bytes - stringStart - 1;
        shape.textBytes += length;
        shape.longestString = std::max(shape.longestString, length);
    }
    if (anything)
        ++shape.elements;
    return shape;
}

QString excess(const TextShape& shape)
{
    if (shape.bytes > maxFileBytes)
        return QStringLiteral("is %1, more than the %2 a restore reads").arg(sizeText(shape.bytes), sizeText(maxFileBytes));
    if (shape.depth > maxDepth)
        return QStringLiteral("nests its values %1 deep, deeper than a backup does").arg(shape.depth);
    if (shape.longestString > maxStringBytes)
        return QStringLiteral("holds a text of %1, more than the %2 a restore reads in one field")
            .arg(sizeText(shape.longestString), sizeText(maxStringBytes));
    if (shape.textBytes > maxTextBytes)
        return QStringLiteral("holds %1 of text, more than the %2 a restore reads").arg(sizeText(shape.textBytes), sizeText(maxTextBytes));
    if (shape.values > maxValues || shape.containers > maxContainers)
        return QStringLiteral("holds more values than a restore reads");
    return {};
}

std::optional<QJsonObject> parseObject(const QByteArray& bytes)
{
    if (!withinLimits(bytes))
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return doc.object();
}

std::optional<QJsonArray> parseArray(const QByteArray& bytes)
{
    if (!withinLimits(bytes))
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray())
        return std::nullopt;
    return doc.array();
}

bool forEachObject(const QByteArray& bytes, const std::function<bool(const QJsonObject&)>& take)
{
    if (!withinLimits(bytes))
        return false;
    const char* data = bytes.constData();
    const qint64 size = bytes.size();
    const auto blank = [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; };
    qint64 i = 0;
    while (i < size && blank(data[i]))
        ++i;
    if (i == size || data[i] != '[')
        return false;
    ++i;
    bool first = true;
    for (;;) {
        while (i < size && blank(data[i]))
            ++i;
        if (i == size)
            return false;
        if (first && data[i] == ']') {
            ++i;
            break;
        }
        // One element: up to the comma or bracket that closes it at this level.
        const qint64 begin = i;
        qint64 depth = 0;
        Strings strings;
        for (; i < size; ++i) {
            const char c = data[i];
            if (strings.inside(c))
                continue;
            if (c == '[' || c == '{') {
                ++depth;
            } else if (c == ']' || c == '}') {
                if (depth == 0)
                    break;
                --depth;
            } else if (c == ',' && depth == 0) {
                break;
            }
        }
        if (i == size)
            return false;
        QJsonParseError error;
        const QJsonDocument element = QJsonDocument::fromJson(QByteArray::fromRawData(data + begin, qsizetype(i - begin)), &error);
        if (error.error != QJsonParseError::NoError || !element.isObject() || !take(element.object()))
            return false;
        first = false;
        if (data[i++] == ']')
            break;
        if (data[i - 1] != ',')
            return false;  // a "}" where the array should close
    }
    while (i < size && blank(data[i]))
        ++i;
    return i == size;
}

Reader::Reader(const QJsonValue& value) : m_object(value.toObject()), m_ok(value.isObject()) {}

QJsonValue Reader::required(const QString& key)
{
    const auto it = m_object.constFind(key);
    if (it == m_object.constEnd() || it->isNull()) {
        m_ok = false;
        return QJsonValue(QJsonValue::Undefined);
    }
    return *it;
}

QJsonValue Reader::optional(const QString& key)
{
    const auto it = m_object.constFind(key);
    if (it == m_object.constEnd())
        return QJsonValue(QJsonValue::Null);
    return *it;
}

QString Reader::text(const QString& key)
{
    const QJsonValue v = required(key);
    if (!v.isString()) {
        m_ok = false;
        return {};
    }
    return v.toString();
}

std::optional<QString> Reader::optText(const QString& key)
{
    const QJsonValue v = optional(key);
    if (v.isNull())
        return std::nullopt;
    if (!v.isString()) {
        m_ok = false;
        return std::nullopt;
    }
    return v.toString();
}

qint64 Reader::integer(const QString& key)
{
    const std::optional<qint64> i = integerValue(required(key));
    if (!i) {
        m_ok = false;
        return 0;
    }
    return *i;
}

double Reader::number(const QString& key)
{
    const QJsonValue v = required(key);
    if (!v.isDouble()) {
        m_ok = false;
        return 0;
    }
    return v.toDouble();
}

std::optional<double> Reader::optNumber(const QString& key)
{
    const QJsonValue v = optional(key);
    if (v.isNull())
        return std::nullopt;
    if (!v.isDouble()) {
        m_ok = false;
        return std::nullopt;
    }
    return v.toDouble();
}

bool Reader::boolean(const QString& key)
{
    const QJsonValue v = required(key);
    if (!v.isBool()) {
        m_ok = false;
        return false;
    }
    return v.toBool();
}

std::optional<bool> Reader::optBoolean(const QString& key)
{
    const QJsonValue v = optional(key);
    if (v.isNull())
        return std::nullopt;
    if (!v.isBool()) {
        m_ok = false;
        return std::nullopt;
    }
    return v.toBool();
}

QDateTime Reader::date(const QString& key)
{
    const QJsonValue v = required(key);
    const std::optional<QDateTime> d = v.isString() ? parseDate(v.toString()) : std::nullopt;
    if (!d) {
        m_ok = false;
        return {};
    }
    return *d;
}

QJsonArray Reader::array(const QString& key)
{
    const QJsonValue v = required(key);
    if (!v.isArray()) {
        m_ok = false;
        return {};
    }
    return v.toArray();
}

QJsonObject Reader::object(const QString& key)
{
    const QJsonValue v = required(key);
    if (!v.isObject()) {
        m_ok = false;
        return {};
    }
    return v.toObject();
}

std::optional<QJsonObject> Reader::optObject(const QString& key)
{
    const QJsonValue v = optional(key);
    if (v.isNull())
        return std::nullopt;
    if (!v.isObject()) {
        m_ok = false;
        return std::nullopt;
    }
    return v.toObject();
}

}  // namespace BackupJson
