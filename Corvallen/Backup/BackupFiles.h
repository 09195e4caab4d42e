#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// File operations of the backup code. Each one that can fail throws a BackupError naming the
// file; none follows a symbolic link out of the tree it works on.
namespace BackupFiles {

// Reports done of total bytes; may be called from any thread.
using ByteProgress = std::function<void(qint64 done, qint64 total)>;

// The user's temporary folder ($TMPDIR, else /tmp).
QString temporaryFolder();
// A fresh path "<folder>/<prefix><UPPER-CASE-UUID><suffix>" (nothing is created).
QString uniquePath(const QString& folder, const QString& prefix, const QString& suffix = {});

// Creates the folder with its parents; throws when it does not exist afterwards.
void makeFolder(const QString& path);
// True when something (a file, folder or link) is at the path; links are not followed.
bool exists(const QString& path);
bool isFolder(const QString& path);
bool isFile(const QString& path);

// Copies one file's bytes (and modification time) to a new file; throws on any failure and
// then leaves no partial file behind.
void copyFile(const QString& source, const QString& destination);

// What a copy does with symbolic links: copy a link to a regular file as that file's bytes (a
// copy kept on this computer), or leave every link out (an archive that leaves it: a link the
// user placed in a data folder may point anywhere, and what it points at is not the data's).
enum class Links { copyTargetFiles, leaveOut };
// Copies a folder with everything in it to a new folder at `destination`. Regular files and
// folders are copied; links as `links` says; special files are left out. With `hardLinks` files
// are linked instead of copied where the file system allows it (the export's short-lived
// staging copy). Returns how many links were left out. Throws on the first failure; the caller
// removes the partial copy.
qint64 copyTree(const QString& source, const QString& destination, bool hardLinks = false, const ByteProgress& progress = {},
                Links links = Links::copyTargetFiles);
// The bytes copyTree would copy.
qint64 treeBytes(const QString& folder);

// Writes bytes to a new or existing file in one go; throws on failure.
void writeFile(const QString& path, const QByteArray& bytes);
// Writes bytes under a temporary name, flushes them to the disk and renames the file into
// place, then flushes the folder: afterwards the file is there whole, whatever happens to the
// process or the machine; before, the old file (or none) is. Throws on failure.
void writeFileDurably(const QString& path, const QByteArray& bytes);
// Puts a file at destination, replacing what is there: a rename, or on another file system a
// copy under a temporary name that is then renamed into place. The source is gone afterwards.
void placeFile(const QString& source, const QString& destination);

// Renames within one file system; throws on failure.
void rename(const QString& source, const QString& destination);
// One item of a swap: the live path, the new item that takes its name (none: the live one only
// goes) and the free path the live one is moved to meanwhile.
struct SwapItem {
    QString live;
    QString incoming;
    QString aside;
};
// Puts new items in place of live ones by renames: first every live item that exists is moved
// aside, then every incoming one takes its live name, so the two are never mixed halfway. On a
// failure each rename done so far is undone (the new items go back where they came from, the
// old ones back to their names) and the error is thrown. Returns the paths the live items were
// moved to, for the caller to remove once it no longer needs them.
QStringList swapIn(const QList<SwapItem>& items);
// Renames, or copies and then removes the source when the two lie on different file systems.
void moveTree(const QString& source, const QString& destination, const ByteProgress& progress = {});

// Removes a file or a folder with its contents; links are removed, never followed. Failures
// are ignored.
void removeQuietly(const QString& path);

}  // namespace BackupFiles
