#include "Corvallen/Backup/RestoreJournal.h"

#include "Corvallen/Backup/BackupData.h"
#include "Corvallen/Backup/BackupError.h"
#include "Corvallen/Backup/BackupFiles.h"
#include "Corvallen/Backup/BackupJson.h"
#include "Corvallen/Model/UuidText.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>

#include <cerrno>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const char* const kTable = "RestoreJournal";

QString path(const QString& folder, const QString& name) { return folder + QLatin1Char('/') + name; }

struct Contents {
    QString token;
    QList<RestoreJournal::Folder> folders;
    std::optional<BackupData::SettingsDTO> settings;
};

QByteArray encode(const Contents& c)
{
    QJsonObject o;
    o.insert(QStringLiteral("token"), c.token);
    QJsonArray folders;
    for (const RestoreJournal::Folder& f : c.folders)
        folders.append(QJsonObject{{QStringLiteral("name"), f.name},
                                   {QStringLiteral("prepared"), f.prepared},
                                   {QStringLiteral("aside"), f.aside}});
    o.insert(QStringLiteral("folders"), folders);
    if (c.settings)
        o.insert(QStringLiteral("settings"), c.settings->toJson());
    return BackupJson::encode(o);
}

std::optional<Contents> decode(const QByteArray& bytes)
{
    const std::optional<QJsonObject> o = BackupJson::parseObject(bytes);
    if (!o)
        return std::nullopt;
    BackupJson::Reader r(*o);
    Contents c;
    c.token = r.text(QStringLiteral("token"));
    for (const QJsonValue& v : r.array(QStringLiteral("folders"))) {
        BackupJson::Reader f(v);
        RestoreJournal::Folder folder{f.text(QStringLiteral("name")), f.text(QStringLiteral("prepared")),
                                      f.text(QStringLiteral("aside"))};
        // Only names directly inside the data folder are ever journalled.
        if (!f.ok() || !BackupData::dataFolderNames().contains(folder.name) || !AppPaths::isPlainFileName(folder.prepared)
            || !AppPaths::isPlainFileName(folder.aside))
            return std::nullopt;
        c.folders.append(folder);
    }
    if (const std::optional<QJsonObject> s = r.optObject(QStringLiteral("settings"))) {
        c.settings = BackupData::SettingsDTO::fromJson(*s);
        if (!c.settings)
            return std::nullopt;
    }
    if (!r.ok() || c.token.isEmpty())
        return std::nullopt;
    return c;
}

enum class Committed { yes, no, unknown };

// Whether the store holds the token, i.e. the restore's transaction was committed. A store that
// is not there never saw it; one that can't be read now (locked, damaged) can't tell.
Committed tokenInStore(const QString& store, const QString& token)
{
    if (!BackupFiles::isFile(store))
        return Committed::no;
    sqlite3* db = nullptr;
    // Read-write without creating: a committed transaction still in the "-wal" file is read
    // the way the program reads it.
    if (sqlite3_open_v2(QFile::encodeName(store).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return Committed::unknown;
    }
    sqlite3_busy_timeout(db, 2000);
    Committed result = Committed::unknown;
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = QByteArray("SELECT 1 FROM ") + kTable + " WHERE token = ?";
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK) {
        const QByteArray t = token.toUtf8();
        sqlite3_bind_text(st, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(st);
        result = rc == SQLITE_ROW ? Committed::yes : rc == SQLITE_DONE ? Committed::no : Committed::unknown;
    } else if (QByteArray(sqlite3_errmsg(db)).startsWith("no such table")) {
        result = Committed::no;  // no restore ever committed into this store
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return result;
}

bool tryRename(const QString& from, const QString& to)
{
    try {
        BackupFiles::rename(from, to);
        return true;
    } catch (const BackupError&) {
        return false;
    }
}

// Gives the live name to `incoming` when a live folder is there as well: one made after the
// crash (a launch that went on without deciding, a folder created on first use) may already
// hold files the user added. It is moved aside, `incoming` takes the name, and its entries move
// into the new live folder wherever their names are free; what can't move stays in the folder
// aside under a name no clean-up removes. Nothing of either side is lost.
bool takeNameKeepingStray(const QString& dataFolder, const QString& incoming, const QString& live, const QString& name)
{
    if (!BackupFiles::exists(live))
        return tryRename(incoming, live);
    const QString stray = BackupFiles::uniquePath(dataFolder, QLatin1Char('.') + name + QStringLiteral(".kept-"));
    if (!tryRename(live, stray))
        return false;
    if (!tryRename(incoming, live)) {
        tryRename(stray, live);
        return false;
    }
    const QDir dir(stray);
    for (const QString& entry : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        if (!BackupFiles::exists(path(live, entry)))
            tryRename(path(stray, entry), path(live, entry));
    QDir().rmdir(stray);  // only when emptied
    return true;
}

}  // namespace

QString RestoreJournal::fileName() { return QStringLiteral("restore-journal.json"); }

RestoreJournal RestoreJournal::begin(const QString& dataFolder, const QList<Folder>& folders,
                                     const std::optional<BackupData::SettingsDTO>& settings)
{
    RestoreJournal j;
    j.m_path = path(dataFolder, fileName());
    j.m_token = newUuidText();
    BackupFiles::writeFileDurably(j.m_path, encode({j.m_token, folders, settings}));
    j.m_lock = ::open(QFile::encodeName(j.m_path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (j.m_lock < 0 || ::flock(j.m_lock, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        BackupFiles::removeQuietly(j.m_path);
        throw BackupError::fileSystem(QStringLiteral("Could not lock “%1”").arg(j.m_path), error);
    }
    return j;
}

RestoreJournal::RestoreJournal(RestoreJournal&& other) noexcept
    : m_path(std::move(other.m_path)), m_token(std::move(other.m_token)), m_lock(std::exchange(other.m_lock, -1))
{
}

RestoreJournal::~RestoreJournal()
{
    if (m_lock >= 0)
        ::close(m_lock);
}

QString RestoreJournal::commitSql() const
{
    // The token is an upper-case UUID: nothing in it needs quoting.
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (token TEXT NOT NULL); DELETE FROM %1; INSERT INTO %1 (token) VALUES ('%2');")
        .arg(QLatin1String(kTable), m_token);
}

void RestoreJournal::finish()
{
    if (m_path.isEmpty())
        return;
    BackupFiles::removeQuietly(m_path);
    if (m_lock >= 0)
        ::close(std::exchange(m_lock, -1));
}

bool RestoreJournal::recover(const QString& dataFolder)
{
    const QString file = path(dataFolder, fileName());
    if (!BackupFiles::exists(file))
        return true;
    const int lock = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (lock < 0)
        return true;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{lock};
    if (::flock(lock, LOCK_EX | LOCK_NB) != 0)
        return false;  // a restore in another process is still at work

    QFile f(file);
    const std::optional<Contents> journal = f.open(QIODevice::ReadOnly) ? decode(f.readAll()) : std::nullopt;
    if (!journal) {
        // Written whole or not at all; one that doesn't read is not ours to act on.
        BackupFiles::removeQuietly(file);
        return true;
    }
    const Committed committed = tokenInStore(path(dataFolder, QStringLiteral("Corvallen.store")), journal->token);
    if (committed == Committed::unknown)
        return false;  // decided at a launch that can read the store

    bool done = true;
    for (const Folder& folder : journal->folders) {
        const QString live = path(dataFolder, folder.name);
        const QString prepared = path(dataFolder, folder.prepared);
        const QString aside = path(dataFolder, folder.aside);
        if (committed == Committed::yes) {
            // Finish: the new folder takes the name, unless it already has.
            if (BackupFiles::exists(prepared)) {
                if (BackupFiles::exists(live) && !BackupFiles::exists(aside))
                    done = tryRename(live, aside) && done;
                done = takeNameKeepingStray(dataFolder, prepared, live, folder.name) && done;
            }
            if (!BackupFiles::exists(prepared))
                BackupFiles::removeQuietly(aside);
        } else {
            // Undo: the folder set aside gets its name back (the records are those of its
            // files); the new one goes.
            if (BackupFiles::exists(aside))
                done = takeNameKeepingStray(dataFolder, aside, live, folder.name) && done;
            BackupFiles::removeQuietly(prepared);
        }
    }
    if (committed == Committed::yes && journal->settings)
        BackupData::writeSettings(*journal->settings, SettingsStore::shared());
    if (!done)
        return false;
    BackupFiles::removeQuietly(file);
    return true;
}
