#include "Corvallen/Sync/FolderGrants.h"

#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "Corvallen/Sync/SyncPrompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace FolderGrants {

namespace {

// path below folder, as a path of its own relative to it ("" for the folder itself).
QString below(const QString& path, const QString& folder)
{
    if (folder == QLatin1String("/"))
        return path.mid(1);
    return path.mid(folder.size() + 1);
}

QString joined(const QString& folder, const QString& relative)
{
    return relative.isEmpty() ? folder : QDir::cleanPath(folder + QLatin1Char('/') + relative);
}

// The mount that holds a path now: the deepest mount point above it, the later of two mounts
// on one point (it hides the earlier).
const MountEntry* holdingMount(const QString& path, const QList<MountEntry>& mounts)
{
    const MountEntry* best = nullptr;
    for (const MountEntry& m : mounts)
        if (AppPaths::isBelow(path, m.mountPoint) && (!best || m.mountPoint.size() >= best->mountPoint.size()))
            best = &m;
    return best;
}

bool sameFileSystem(const MountEntry& m, const FolderIdentity& identity)
{
    return identity.uuid.isEmpty() ? m.label == identity.label : m.uuid == identity.uuid;
}

struct Attempt {
    bool ok = false;
    QByteArray bytes;
    QString failure;  // "domain/code description"
};

const QString kErrorDomain = QStringLiteral("Corvallen.Grant");

Attempt existingFolder(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {false, {}, kErrorDomain + QStringLiteral("/4 The folder doesn't exist.")};
    if (!info.isDir())
        return {false, {}, kErrorDomain + QStringLiteral("/20 The item isn't a folder.")};
    if (!info.isReadable())
        return {false, {}, kErrorDomain + QStringLiteral("/13 The folder can't be read.")};
    return {true, {}, {}};
}

}  // namespace

QString bookmarkKey(const QString& id) { return QStringLiteral("deviceBookmark.") + id; }
QString scopedKey(const QString& id) { return QStringLiteral("deviceBookmarkScoped.") + id; }

MountSnapshot snapshotOf(const VolumeMonitor* monitor)
{
    if (!monitor)
        return {};
    return {monitor->removableRoots(), monitor->volumes(), monitor->mounts()};
}

MountSnapshot readSnapshot(const VolumeMonitor::Source& source)
{
    const QList<MountEntry> mounts = VolumeMonitor::readTable(source);
    return {source.removableRoots, VolumeMonitor::removableVolumes(mounts, source.removableRoots), mounts};
}

FolderIdentity identify(const QString& path, const MountSnapshot& mounts)
{
    FolderIdentity identity;
    identity.path = path;
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const MountEntry* m = holdingMount(clean, mounts.mounts);
    if (!m || (m->uuid.isEmpty() && m->label.isEmpty()))
        return identity;
    identity.uuid = m->uuid;
    identity.label = m->label;
    identity.fsPath = QDir::cleanPath(m->root + QLatin1Char('/') + below(clean, m->mountPoint));
    return identity;
}

QByteArray bookmarkBytes(const FolderIdentity& identity)
{
    if (identity.uuid.isEmpty() && identity.label.isEmpty())
        return identity.path.toUtf8();
    QJsonObject o;
    o.insert(QStringLiteral("path"), identity.path);
    o.insert(QStringLiteral("uuid"), identity.uuid);
    o.insert(QStringLiteral("label"), identity.label);
    o.insert(QStringLiteral("fsPath"), identity.fsPath);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

FolderIdentity identityFromBookmark(const QByteArray& bytes)
{
    FolderIdentity identity;
    // A plain path starts with "/"; only the remembered identity starts with "{".
    if (bytes.startsWith('{')) {
        const QJsonObject o = QJsonDocument::fromJson(bytes).object();
        identity.path = o.value(QStringLiteral("path")).toString();
        identity.uuid = o.value(QStringLiteral("uuid")).toString();
        identity.label = o.value(QStringLiteral("label")).toString();
        identity.fsPath = o.value(QStringLiteral("fsPath")).toString();
        if (identity.fsPath.isEmpty()) {  // a damaged identity: the path alone
            identity.uuid.clear();
            identity.label.clear();
        }
        return identity;
    }
    identity.path = QString::fromUtf8(bytes);
    return identity;
}

std::optional<QString> locate(const FolderIdentity& identity, const MountSnapshot& mounts)
{
    if (identity.path.isEmpty() && identity.fsPath.isEmpty())
        return std::nullopt;
    if (identity.uuid.isEmpty() && identity.label.isEmpty()) {
        if (isUsableFolder(identity.path, mounts))
            return identity.path;
        return std::nullopt;
    }
    // Where it was, when that is still the same file system.
    if (!identity.path.isEmpty()) {
        const QString clean = QDir::cleanPath(QFileInfo(identity.path).absoluteFilePath());
        const MountEntry* m = holdingMount(clean, mounts.mounts);
        if (m && sameFileSystem(*m, identity) && isUsableFolder(identity.path, mounts))
            return identity.path;
    }
    // Else wherever that file system is mounted now.
    for (qsizetype i = 0; i < mounts.mounts.size(); ++i) {
        const MountEntry& m = mounts.mounts.at(i);
        if (!sameFileSystem(m, identity) || !AppPaths::isBelow(identity.fsPath, m.root))
            continue;
        bool hidden = false;
        for (qsizetype j = i + 1; j < mounts.mounts.size(); ++j)
            hidden = hidden || mounts.mounts.at(j).mountPoint == m.mountPoint;
        if (hidden)
            continue;
        const QString candidate = joined(m.mountPoint, below(identity.fsPath, m.root));
        if (isUsableFolder(candidate, mounts))
            return candidate;
    }
    return std::nullopt;
}

bool isUsableFolder(const QString& path, const MountSnapshot& mounts)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.isDir() || !info.isReadable() || !info.isExecutable())
        return false;
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
    for (const QString& root : mounts.removableRoots) {
        if (!clean.startsWith(QDir::cleanPath(root) + QLatin1Char('/')))
            continue;
        for (const MountedVolume& v : mounts.volumes)
            if (AppPaths::isBelow(clean, v.mountPoint))
                return true;
        return false;
    }
    return true;
}

bool hasGrant(const QString& id, const SettingsStore& settings)
{
    return settings.typeOf(bookmarkKey(id)) == SettingsStore::Type::Bytes;
}

std::optional<QString> storedPath(const QString& id, const SettingsStore& settings)
{
    if (!hasGrant(id, settings))
        return std::nullopt;
    const QString path = identityFromBookmark(settings.bytesValue(bookmarkKey(id))).path;
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> resolveGrant(const QString& id, const SettingsStore& settings, const MountSnapshot& mounts)
{
    if (!hasGrant(id, settings))
        return std::nullopt;
    return locate(identityFromBookmark(settings.bytesValue(bookmarkKey(id))), mounts);
}

bool isGrantReachable(const QString& id, const SettingsStore& settings, const MountSnapshot& mounts)
{
    return resolveGrant(id, settings, mounts).has_value();
}

void forgetGrant(const QString& id, SettingsStore& settings)
{
    settings.remove(bookmarkKey(id));
    settings.remove(scopedKey(id));
}

bool rememberFileSystem(const QString& id, SettingsStore& settings, const MountSnapshot& mounts)
{
    if (!hasGrant(id, settings))
        return false;
    const QByteArray bytes = settings.bytesValue(bookmarkKey(id));
    const FolderIdentity stored = identityFromBookmark(bytes);
    if (!stored.uuid.isEmpty() || !stored.label.isEmpty() || !isUsableFolder(stored.path, mounts))
        return false;
    const FolderIdentity now = identify(stored.path, mounts);
    if (now.uuid.isEmpty() && now.label.isEmpty())
        return false;
    settings.setBytes(bookmarkKey(id), bookmarkBytes(now));
    return true;
}

StoredGrant storedGrant(const QString& id, const SettingsStore& settings)
{
    StoredGrant grant;
    if (hasGrant(id, settings))
        grant.bookmark = settings.bytesValue(bookmarkKey(id));
    if (settings.typeOf(scopedKey(id)) == SettingsStore::Type::Bool)
        grant.scoped = settings.boolValue(scopedKey(id));
    return grant;
}

void restoreGrant(const QString& id, const StoredGrant& grant, SettingsStore& settings)
{
    if (grant.bookmark)
        settings.setBytes(bookmarkKey(id), *grant.bookmark);
    else
        settings.remove(bookmarkKey(id));
    if (grant.scoped)
        settings.setBool(scopedKey(id), *grant.scoped);
    else
        settings.remove(scopedKey(id));
}

std::optional<QString> requestGrant(const QString& id, const QString& name, SettingsStore& settings,
                                    const VolumeMonitor* monitor)
{
    QString start = QStringLiteral("/media");
    for (const QString& candidate : {QStringLiteral("/run/media/") + qEnvironmentVariable("USER"),
                                     QStringLiteral("/media/") + qEnvironmentVariable("USER"), QStringLiteral("/media")})
        if (QFileInfo(candidate).isDir()) {
            start = candidate;
            break;
        }
    const auto picked = SyncPrompts::chooseFolder(start);
    if (!picked || picked->isEmpty())
        return std::nullopt;
    if (DeviceStorage::isWholeSystemVolume(*picked, monitor)) {
        QString shown = QFileInfo(QDir::cleanPath(*picked)).fileName();
        if (shown.isEmpty())
            shown = QStringLiteral("/");
        if (!SyncPrompts::confirmWholeVolume(shown))
            return std::nullopt;
    }
    recordGrant(id, name, *picked, settings, snapshotOf(monitor));
    return picked;
}

QString recordGrant(const QString& id, const QString& name, const QString& pickedPath, SettingsStore& settings,
                    const MountSnapshot& mounts)
{
    const QFileInfo info(pickedPath);
    const bool startAccess = info.isDir() && info.isReadable();
    QStringList entries;
    entries << QStringLiteral("grant '") + name + QStringLiteral("' picked=") + pickedPath + QStringLiteral(" isDir=")
                   + (info.isDir() ? QStringLiteral("true") : QStringLiteral("false")) + QStringLiteral(" startAccess=")
                   + (startAccess ? QStringLiteral("true") : QStringLiteral("false"));

    auto keep = [&](const QByteArray& bytes, bool scoped) {
        settings.setBytes(bookmarkKey(id), bytes);
        settings.setBool(scopedKey(id), scoped);
    };
    auto log = [&](const QString& label, const Attempt& a) {
        entries << label
                + (a.ok ? QStringLiteral(": OK ") + QString::number(a.bytes.size()) + QStringLiteral(" bytes")
                        : QStringLiteral(": FAIL ") + a.failure);
    };

    bool stored = false;
    // A: the folder as the file system names it (links resolved).
    Attempt a = existingFolder(pickedPath);
    if (a.ok)
        a.bytes = bookmarkBytes(identify(info.canonicalFilePath(), mounts));
    log(QStringLiteral("A secScope"), a);
    if (a.ok) {
        keep(a.bytes, true);
        stored = true;
    }
    // B: the picked path itself, made absolute, for a folder whose links can't be resolved.
    if (!stored) {
        const QString absolute = QDir::cleanPath(info.absoluteFilePath());
        Attempt b = existingFolder(absolute);
        if (b.ok)
            b.bytes = bookmarkBytes(identify(absolute, mounts));
        log(QStringLiteral("B dirPath"), b);
        if (b.ok) {
            keep(b.bytes, true);
            stored = true;
        }
    }
    // C: the path as given, not checked now (the folder may come back later).
    if (!stored) {
        Attempt c;
        if (pickedPath.isEmpty() || !QDir::isAbsolutePath(pickedPath)) {
            c.failure = kErrorDomain + QStringLiteral("/22 The path isn't absolute.");
        } else {
            c.ok = true;
            c.bytes = bookmarkBytes(identify(QDir::cleanPath(pickedPath), mounts));
        }
        log(QStringLiteral("C plain"), c);
        if (c.ok) {
            keep(c.bytes, false);
            stored = true;
        }
    }
    const QString line = (stored ? QStringLiteral("OK \u2014 ") : QStringLiteral("ALL FAILED \u2014 "))
        + entries.join(QStringLiteral(" | "));
    appendGrantLog(line);
    return line;
}

std::optional<QString> volumeName(const QString& path, const VolumeMonitor* monitor)
{
    if (!monitor)
        return std::nullopt;
    const auto volume = monitor->volumeHolding(QFileInfo(path).absoluteFilePath());
    if (!volume || volume->label.isEmpty())
        return std::nullopt;
    return volume->label;
}

QSet<QString> mountedVolumeNames(const VolumeMonitor* monitor)
{
    QSet<QString> names;
    if (!monitor)
        return names;
    for (const MountedVolume& v : monitor->volumes())
        if (!v.label.isEmpty())
            names.insert(v.label);
    return names;
}

QString grantLogFolder()
{
    const QString folder = AppPaths::dataFolder();
    AppPaths::ensureFolder(folder);
    return folder;
}

void appendGrantLog(const QString& line)
{
    QFile file(grantLogFolder() + QStringLiteral("/grant-log.txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write((line + QLatin1Char('\n')).toUtf8());
}

}  // namespace FolderGrants
