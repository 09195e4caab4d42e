#pragma once

#include <QHash>
#include <QSet>
#include <QString>

class QFileInfo;

// What the syncs of one location learned about the files on it, kept between syncs in
// $XDG_DATA_HOME/Corvallen/sync-sources/<location id>.json: for each file (by its path inside
// the location, so a drive mounted elsewhere is still recognised) its size and modification
// time when last looked at, and either the content hash of its PNG conversion or the mark that
// it isn't a picture that can be read. A file that is unchanged since then is settled when its
// hash has been imported already, or when it couldn't be read: the next ordinary sync neither
// decodes it again nor counts it toward the whole-drive limit. Used by the sync's worker
// thread only; one sync runs at a time.
class SourceLedger {
public:
    struct Entry {
        qint64 size = -1;
        qint64 modified = 0;  // milliseconds since the epoch
        QString hash;  // empty when unreadable
        bool unreadable = false;
    };

    // The file of a location's ledger.
    static QString fileFor(const QString& locationId);
    // The ledger of a location; empty when there is none or it can't be read.
    static SourceLedger load(const QString& locationId);
    // Forgets a location's ledger (the location was removed).
    static void forget(const QString& locationId);

    // Writes the ledger back whole; failures are ignored (the next sync only does more work).
    void save() const;

    // key: the file's path relative to the location's folder.
    bool isSettled(const QString& key, const QFileInfo& info, const QSet<QString>& knownHashes) const;
    void recordHash(const QString& key, const QFileInfo& info, const QString& hash);
    void recordUnreadable(const QString& key, const QFileInfo& info);
    void forgetFile(const QString& key) { m_entries.remove(key); }
    // Drops the files a complete scan no longer found.
    void keepOnly(const QSet<QString>& keys);

    QHash<QString, Entry> entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty(); }

private:
    static Entry stamp(const QFileInfo& info);

    QString m_locationId;
    QHash<QString, Entry> m_entries;
};
