#include "Corvallen/Platform/SettingsStore.h"

#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Platform/JsonText.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cmath>

namespace {

const char* typeName(SettingsStore::Type t)
{
    switch (t) {
    case SettingsStore::Type::Bool: return "bool";
    case SettingsStore::Type::Integer: return "integer";
    case SettingsStore::Type::Double: return "double";
    case SettingsStore::Type::Text: return "text";
    case SettingsStore::Type::TextList: return "textList";
    case SettingsStore::Type::Bytes: return "bytes";
    }
    return "text";
}

std::optional<SettingsStore::Type> typeFromName(const QString& s)
{
    using T = SettingsStore::Type;
    if (s == QLatin1String("bool")) return T::Bool;
    if (s == QLatin1String("integer")) return T::Integer;
    if (s == QLatin1String("double")) return T::Double;
    if (s == QLatin1String("text")) return T::Text;
    if (s == QLatin1String("textList")) return T::TextList;
    if (s == QLatin1String("bytes")) return T::Bytes;
    return std::nullopt;
}

std::optional<qint64> integerFrom(double d) { return wholeNumberFrom(d); }

// The same from a JSON number or the text form integers are written in; anything else
// ("12abc", a list) is no value at all.
std::optional<qint64> integerFrom(const QJsonValue& v)
{
    if (v.isString()) {
        bool ok = false;
        const qint64 n = v.toString().toLongLong(&ok);
        return ok ? std::optional<qint64>(n) : std::nullopt;
    }
    if (v.isDouble())
        return integerFrom(v.toDouble());
    return std::nullopt;
}

}  // namespace

SettingsStore& SettingsStore::shared()
{
    static SettingsStore* store = new SettingsStore(AppPaths::configFolder() + QStringLiteral("/settings.json"));
    return *store;
}

SettingsStore::SettingsStore(const QString& filePath, QObject* parent)
    : QObject(parent), m_path(filePath)
{
    if (read() == ReadResult::Unreadable) {
        m_values.clear();
        keepUnreadableFileAside();
    }
}

void SettingsStore::reload()
{
    QHash<QString, Entry> before = std::exchange(m_values, {});
    const QJsonObject unreadBefore = m_unreadEntries;
    if (read() == ReadResult::Unreadable) {
        // Another writer can't have left this (writes are atomic): keep the file for the user
        // and put the values this run knows back in its place.
        m_values = std::move(before);
        m_unreadEntries = unreadBefore;
        keepUnreadableFileAside();
        write();
        return;
    }
    // Announce what the file changed, so windows showing a value follow it.
    QStringList changedKeys;
    for (auto it = before.begin(); it != before.end(); ++it) {
        auto now = m_values.find(it.key());
        if (now == m_values.end() || now->type != it->type || now->value != it->value)
            changedKeys << it.key();
    }
    for (auto it = m_values.begin(); it != m_values.end(); ++it)
        if (!before.contains(it.key()))
            changedKeys << it.key();
    for (const QString& key : std::as_const(changedKeys))
        Q_EMIT changed(key);
}

void SettingsStore::keepUnreadableFileAside()
{
    const QFileInfo info(m_path);
    const QString base = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("-unreadable-")
                         + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString target = base + suffix;
    for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = base + QLatin1Char('-') + QString::number(n) + suffix;
    if (QFile::rename(m_path, target)) {
        m_keptAs = target;
    } else {
        // Not even set aside: the file stays as it is and this run writes nothing over it.
        m_keptAs = m_path;
        m_writable = false;
    }
}

SettingsStore::ReadResult SettingsStore::read()
{
    QFile f(m_path);
    if (!f.exists())
        return ReadResult::Missing;
    if (!f.open(QIODevice::ReadOnly))
        return ReadResult::Unreadable;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(f.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return ReadResult::Unreadable;
    const QJsonObject root = document.object();
    m_unreadEntries = {};
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (auto entry = entryFrom(it.value()))
            m_values.insert(it.key(), *entry);
        else
            m_unreadEntries.insert(it.key(), it.value());
    }
    return ReadResult::Read;
}

std::optional<SettingsStore::Entry> SettingsStore::entryFrom(const QJsonValue& stored)
{
    const QJsonObject o = stored.toObject();
    const auto type = typeFromName(o.value(QStringLiteral("type")).toString());
    if (!type)
        return std::nullopt;
    const QJsonValue v = o.value(QStringLiteral("value"));
    switch (*type) {
    case Type::Bool:
        if (v.isBool())
            return Entry{*type, v.toBool()};
        break;
    case Type::Integer:
        if (const auto n = integerFrom(v))
            return Entry{*type, *n};
        break;
    case Type::Double:
        if (v.isDouble())
            return Entry{*type, v.toDouble()};
        break;
    case Type::Text:
        if (v.isString())
            return Entry{*type, v.toString()};
        break;
    case Type::TextList: {
        if (!v.isArray())
            break;
        QStringList list;
        for (const auto& x : v.toArray()) {
            if (!x.isString())
                return std::nullopt;
            list << x.toString();
        }
        return Entry{*type, list};
    }
    case Type::Bytes:
        if (v.isString())
            return Entry{*type, QByteArray::fromBase64(v.toString().toLatin1())};
        break;
    }
    return std::nullopt;
}

void SettingsStore::write() const
{
    // Entries this version can't read (a type from a newer one, a number too large) go back
    // as they were; they are replaced only when their key is set here.
    QJsonObject root = m_unreadEntries;
    for (auto it = m_values.begin(); it != m_values.end(); ++it) {
        QJsonObject o;
        o.insert(QStringLiteral("type"), QLatin1String(typeName(it->type)));
        switch (it->type) {
        case Type::Bool: o.insert(QStringLiteral("value"), it->value.toBool()); break;
        // Integers are kept as text so that 64-bit values survive JSON's doubles.
        case Type::Integer: o.insert(QStringLiteral("value"), QString::number(it->value.toLongLong())); break;
        case Type::Double: {
            const double d = it->value.toDouble();
            o.insert(QStringLiteral("value"), std::isfinite(d) ? QJsonValue(d) : QJsonValue(0.0));
            break;
        }
        case Type::Text: o.insert(QStringLiteral("value"), it->value.toString()); break;
        case Type::TextList: o.insert(QStringLiteral("value"), QJsonArray::fromStringList(it->value.toStringList())); break;
        case Type::Bytes: o.insert(QStringLiteral("value"), QString::fromLatin1(it->value.toByteArray().toBase64())); break;
        }
        root.insert(it.key(), o);
    }
    if (!m_writable)
        return;
    AppPaths::ensureFolder(QFileInfo(m_path).absolutePath());
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
    f.commit();
}

bool SettingsStore::contains(const QString& key) const { return m_values.contains(key); }

std::optional<SettingsStore::Type> SettingsStore::typeOf(const QString& key) const
{
    auto it = m_values.find(key);
    if (it == m_values.end())
        return std::nullopt;
    return it->type;
}

QStringList SettingsStore::keys() const { return m_values.keys(); }

bool SettingsStore::boolValue(const QString& key, bool def) const
{
    auto it = m_values.find(key);
    if (it == m_values.end())
        return def;
    if (it->type == Type::Text)  // a flag written as text by an older writer
        return it->value.toString() == QLatin1String("true") || it->value.toString() == QLatin1String("1");
    return it->value.toBool();
}

qint64 SettingsStore::integerValue(const QString& key, qint64 def) const
{
    auto it = m_values.find(key);
    if (it == m_values.end())
        return def;
    if (it->type == Type::Double)
        return integerFrom(it->value.toDouble()).value_or(def);
    bool ok = false;
    const qint64 v = it->value.toLongLong(&ok);
    return ok ? v : def;
}

double SettingsStore::doubleValue(const QString& key, double def) const
{
    auto it = m_values.find(key);
    if (it == m_values.end())
        return def;
    bool ok = false;
    const double v = it->value.toDouble(&ok);
    return ok ? v : def;
}

QString SettingsStore::textValue(const QString& key, const QString& def) const
{
    auto it = m_values.find(key);
    if (it == m_values.end() || it->type == Type::TextList || it->type == Type::Bytes)
        return def;
    if (it->type == Type::Bool)
        return it->value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return it->value.toString();
}

QStringList SettingsStore::textListValue(const QString& key, const QStringList& def) const
{
    auto it = m_values.find(key);
    if (it == m_values.end() || it->type != Type::TextList)
        return def;
    return it->value.toStringList();
}

QByteArray SettingsStore::bytesValue(const QString& key, const QByteArray& def) const
{
    auto it = m_values.find(key);
    if (it == m_values.end())
        return def;
    if (it->type == Type::Bytes)
        return it->value.toByteArray();
    if (it->type == Type::Text)
        return it->value.toString().toUtf8();
    return def;
}

void SettingsStore::set(const QString& key, Type type, const QVariant& value)
{
    auto it = m_values.find(key);
    if (it != m_values.end() && it->type == type && it->value == value)
        return;
    m_values.insert(key, Entry{type, value});
    m_unreadEntries.remove(key);
    write();
    Q_EMIT changed(key);
}

void SettingsStore::setBool(const QString& key, bool v) { set(key, Type::Bool, v); }
void SettingsStore::setInteger(const QString& key, qint64 v) { set(key, Type::Integer, v); }
void SettingsStore::setDouble(const QString& key, double v) { set(key, Type::Double, v); }
void SettingsStore::setText(const QString& key, const QString& v) { set(key, Type::Text, v); }
void SettingsStore::setTextList(const QString& key, const QStringList& v) { set(key, Type::TextList, v); }
void SettingsStore::setBytes(const QString& key, const QByteArray& v) { set(key, Type::Bytes, v); }

void SettingsStore::remove(const QString& key)
{
    const bool unread = m_unreadEntries.contains(key);
    m_unreadEntries.remove(key);
    if (m_values.remove(key) == 0 && !unread)
        return;
    write();
    Q_EMIT changed(key);
}
