#include "Corvallen/Backup/BackupJson.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QTimeZone>

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

// An upper estimate of the values and of the objects and arrays in a JSON text, from one pass
// over its bytes: each comma and each opening bracket outside strings.
bool withinLimits(const QByteArray& bytes)
{
    if (bytes.size() > maxFileBytes)
        return false;
    qint64 values = 1;
    qint64 containers = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : bytes) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == ',' || c == '[' || c == '{') {
            if (++values > maxValues)
                return false;
            if (c != ',' && ++containers > maxContainers)
                return false;
        }
    }
    return true;
}

}  // namespace

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
