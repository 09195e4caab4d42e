#include "Corvallen/Sync/FolderGrants.h"

#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "Corvallen/Sync/SyncPrompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace FolderGrants {

namespace {

bool isBelow(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
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
    return {monitor->removableRoots(), monitor->volumes()};
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
            if (isBelow(clean, v.mountPoint))
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
    const QString path = QString::fromUtf8(settings.bytesValue(bookmarkKey(id)));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> resolveGrant(const QString& id, const SettingsStore& settings, const MountSnapshot& mounts)
{
    const auto path = storedPath(id, settings);
    if (!path || !isUsableFolder(*path, mounts))
        return std::nullopt;
    return path;
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
    recordGrant(id, name, *picked, settings);
    return picked;
}

QString recordGrant(const QString& id, const QString& name, const QString& pickedPath, SettingsStore& settings)
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
        a.bytes = info.canonicalFilePath().toUtf8();
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
            b.bytes = absolute.toUtf8();
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
            c.bytes = QDir::cleanPath(pickedPath).toUtf8();
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
