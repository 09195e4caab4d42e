#pragma once

#include "Corvallen/Platform/VolumeMonitor.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class SettingsStore;

// Folder access grants: the drive or folder the user picked for a sync location, remembered
// under "deviceBookmark." + id with the flag "deviceBookmarkScoped." + id. Linux needs no
// permission token to reopen a folder, so resolving a grant means finding the remembered folder
// present and readable; a folder on a removable drive also needs that drive to be mounted (an
// empty mount folder left behind is not the drive). Each completed grant request appends one
// line to "grant-log.txt" in the data folder.
//
// The bookmark holds the folder's absolute path as UTF-8 bytes. When the file system holding
// the folder has a UUID or a label, it holds instead a JSON object with the path and that
// identity ({"path", "uuid", "label", "fsPath": the folder's path inside its file system}), so
// the same drive is found again wherever it is mounted next time ("/media/ann/SCOPE1" after a
// second drive took "/media/ann/SCOPE"), and another drive mounted at the old place is not
// mistaken for it.
namespace FolderGrants {

QString bookmarkKey(const QString& id);
QString scopedKey(const QString& id);

// What is mounted, taken on the main thread (or read again on a worker) so background steps
// can judge folders too.
struct MountSnapshot {
    QStringList removableRoots;
    QList<MountedVolume> volumes;
    QList<MountEntry> mounts;
};
MountSnapshot snapshotOf(const VolumeMonitor* monitor);
// The mount table read now; safe on any thread.
MountSnapshot readSnapshot(const VolumeMonitor::Source& source);

// A picked folder and the file system that holds it.
struct FolderIdentity {
    QString path;
    QString uuid;
    QString label;
    QString fsPath;  // the folder's path inside its file system
};
FolderIdentity identify(const QString& path, const MountSnapshot& mounts);
// The bookmark bytes of an identity: plain path bytes when the file system has no name.
QByteArray bookmarkBytes(const FolderIdentity& identity);
FolderIdentity identityFromBookmark(const QByteArray& bytes);
// Where that folder is now: its remembered path when it is still on the same file system,
// else the same folder of that file system mounted elsewhere. Nothing when it can't be used.
std::optional<QString> locate(const FolderIdentity& identity, const MountSnapshot& mounts);

// A folder that exists, is readable and, below a removable root, lies on a mounted volume.
bool isUsableFolder(const QString& path, const MountSnapshot& mounts);

// Whether a grant is stored (bytes under the bookmark key); nothing is resolved.
bool hasGrant(const QString& id, const SettingsStore& settings);
// The stored folder path, whether or not it can be used now.
std::optional<QString> storedPath(const QString& id, const SettingsStore& settings);
// The granted folder when it can be used now.
std::optional<QString> resolveGrant(const QString& id, const SettingsStore& settings, const MountSnapshot& mounts);
bool isGrantReachable(const QString& id, const SettingsStore& settings, const MountSnapshot& mounts);
// Removes both keys.
void forgetGrant(const QString& id, SettingsStore& settings);
// A grant stored before file systems were remembered by name is rewritten with the identity of
// the file system now holding its folder, once that folder resolves. True when rewritten.
bool rememberFileSystem(const QString& id, SettingsStore& settings, const MountSnapshot& mounts);

// Both grant keys as stored, to put them back when an edit is cancelled. A scope flag that
// isn't a Boolean reads as true, as does a missing one, so it comes back as missing.
struct StoredGrant {
    std::optional<QByteArray> bookmark;
    std::optional<bool> scoped;
};
StoredGrant storedGrant(const QString& id, const SettingsStore& settings);
void restoreGrant(const QString& id, const StoredGrant& grant, SettingsStore& settings);

// The whole request: the folder picker (starting in the removable-media folder), the warning
// before a whole system volume, then recordGrant(). The picked path, or nothing when cancelled
// or declined (then nothing is stored or logged).
std::optional<QString> requestGrant(const QString& id, const QString& name, SettingsStore& settings,
                                    const VolumeMonitor* monitor);
// Stores the grant of a picked folder: up to three attempts ("A secScope", "B dirPath",
// "C plain"), the first that succeeds is kept; a failed request leaves an earlier grant in
// place. Appends the request's line to the log and returns it.
QString recordGrant(const QString& id, const QString& name, const QString& pickedPath, SettingsStore& settings,
                    const MountSnapshot& mounts = {});

// The label of the removable volume holding path; nothing for a folder on a fixed disk.
std::optional<QString> volumeName(const QString& path, const VolumeMonitor* monitor);
// The labels of the mounted removable volumes.
QSet<QString> mountedVolumeNames(const VolumeMonitor* monitor);

// The data folder, created when missing.
QString grantLogFolder();
// Appends line + "\n" to grant-log.txt; failures are ignored.
void appendGrantLog(const QString& line);

}  // namespace FolderGrants
