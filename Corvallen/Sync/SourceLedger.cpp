#include "Corvallen/Sync/SourceLedger.h"

#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Platform/JsonText.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

QString folder() { return AppPaths::dataFolder() + QStringLiteral("/sync-sources"); }

}  // namespace

QString SourceLedger::fileFor(const QString& locationId)
{
    return folder() + QLatin1Char('/') + locationId + QStringLiteral(".json");
}

SourceLedger SourceLedger::load(const QString& locationId)
{
    SourceLedger ledger;
    ledger.m_locationId = locationId;
    if (!AppPaths::isPlainFileName(locationId))
        return ledger;
    QFile file(fileFor(locationId));
    if (!file.open(QIODevice::ReadOnly))
        return ledger;
    const QJsonObject files = QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("files")).toObject();
    for (auto it = files.begin(); it != files.end(); ++it) {
        const QJsonObject o = it.value().toObject();
        // A number out of range (a damaged or hand-edited file) drops the entry: the file is
        // only looked at again.
        const auto size = wholeNumberFrom(o.value(QStringLiteral("size")).toDouble(-1));
        const auto modified = wholeNumberFrom(o.value(QStringLiteral("modified")).toDouble(qQNaN()));
        if (!size || !modified)
            continue;
        Entry e;
        e.size = *size;
        e.modified = *modified;
        e.hash = o.value(QStringLiteral("hash")).toString();
        e.unreadable = o.value(QStringLiteral("unreadable")).toBool();
        if (e.size >= 0 && (e.unreadable || !e.hash.isEmpty()))
            ledger.m_entries.insert(it.key(), e);
    }
    return ledger;
}

void SourceLedger::forget(const QString& locationId)
{
    if (AppPaths::isPlainFileName(locationId))
        QFile::remove(fileFor(locationId));
}

void SourceLedger::save() const
{
    if (!AppPaths::isPlainFileName(m_locationId))
        return;
    // Written piece by piece: a location can hold hundreds of thousands of files.
    QByteArray json = QByteArrayLiteral("{\"files\":{");
    bool first = true;
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (!first)
            json += ',';
        first = false;
        json += jsonStringLiteral(it.key());
        json += ":{\"size\":";
        json += QByteArray::number(it->size);
        json += ",\"modified\":";
        json += QByteArray::number(it->modified);
        if (it->unreadable) {
            json += ",\"unreadable\":true}";
        } else {
            json += ",\"hash\":";
            json += jsonStringLiteral(it->hash);
            json += '}';
        }
    }
    json += "}}";
    AppPaths::ensureFolder(folder());
    QSaveFile out(fileFor(m_locationId));
    if (!out.open(QIODevice::WriteOnly))
        return;
    out.write(json);
    out.commit();
}

SourceLedger::Entry SourceLedger::stamp(const QFileInfo& info)
{
    Entry e;
    e.size = info.size();
    e.modified = info.lastModified().toMSecsSinceEpoch();
    return e;
}

bool SourceLedger::isSettled(const QString& key, const QFileInfo& info, const QSet<QString>& knownHashes) const
{
    const auto it = m_entries.constFind(key);
    if (it == m_entries.constEnd())
        return false;
    const Entry now = stamp(info);
    if (it->size != now.size || it->modified != now.modified)
        return false;  // changed since: look again
    return it->unreadable || knownHashes.contains(it->hash);
}

void SourceLedger::recordHash(const QString& key, const QFileInfo& info, const QString& hash)
{
    Entry e = stamp(info);
    e.hash = hash;
    m_entries.insert(key, e);
}

void SourceLedger::recordUnreadable(const QString& key, const QFileInfo& info)
{
    Entry e = stamp(info);
    e.unreadable = true;
    m_entries.insert(key, e);
}

void SourceLedger::keepOnly(const QSet<QString>& keys)
{
    m_entries.removeIf([&](const QHash<QString, Entry>::iterator it) { return !keys.contains(it.key()); });
}
