#pragma once

#include <QByteArray>
#include <QFileInfo>
#include <QImage>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class SettingsStore;
class VolumeMonitor;

// The captures folder, where every capture image lives, the shared in-memory cache through
// which views show capture images, and the file work of a sync: finding image files on a
// location, converting each to PNG, recognising content imported before by its hash, and
// writing new files under names that never overwrite another capture. The folder and the cache
// are main-thread only; the scan and the import run on the sync's worker thread and touch
// nothing else.
namespace DeviceStorage {

// dataFolder()/captures. On first use in a process it moves an older product's captures folder
// ($XDG_DATA_HOME/Halvorine/captures) into place when there is none yet, then creates the
// folder; failures are ignored.
QString capturesFolder();

// The image stored under that capture file name, from the cache or else read from the captures
// folder (and then cached). A missing or unreadable file, or a name that is not a plain file
// name, gives a null image and is not cached, so the next call tries the disk again. A file
// replaced since it was cached (a restore, a name used again after a deletion) is read anew.
QImage captureImage(const QString& fileName);

// The cache keeps decoded images up to a budget of bytes; the images shown least recently
// leave first, and an image bigger than the whole budget is shown but not kept.
inline constexpr qint64 kDefaultImageCacheBudget = qint64(128) * 1024 * 1024;
void setImageCacheBudget(qint64 bytes);
qint64 imageCacheBudget();
// The bytes of the images held now.
qint64 imageCacheCost();

// The PNG files (extension "png" in any letter case) directly in the captures folder, by name.
QStringList captureFileNames();

// The capture files whose records a deletion is about to remove. They are noted before the
// deletion is saved and the note is dropped once the files are gone, so that the launch after a
// crash in between removes those files instead of taking them for new captures.
void noteCapturesBeingDeleted(const QStringList& fileNames);
QStringList capturesBeingDeleted();
void forgetCapturesBeingDeleted();

// Forgets the cached images (tests, and a folder replaced by a restore).
void clearImageCache();

// The lower-cased extension of a file name: the text after its last ".", none for a name
// whose only "." leads it (".png" is a hidden file, not a PNG).
QString extensionOf(const QString& fileName);
// The file name without that extension.
QString stemOf(const QString& fileName);

// The image files of a location, in the order the file system gives them. Without a subfolder
// the whole tree is walked (hidden files and folders skipped, links to folders not followed),
// stopping at 5000 files or when `cancelled` says so; with one, only that folder is listed,
// hidden files included. Resource-fork companions ("._" names) are never taken; a file counts
// when its lower-cased extension is in `extensions`. A missing folder gives an empty list.
// A subfolder is listed only when it stays inside the root (links leading out count too), and a
// link to a file is taken only when the file it leads to lies inside the root as well.
inline constexpr int kWholeDriveScanLimit = 5000;
QStringList scanImageFiles(const QString& root, const std::optional<QString>& subfolder, const QSet<QString>& extensions,
                           const std::function<bool()>& cancelled = {});

// The scan of a sync: the same walk, but files that `settled` names (unchanged since an earlier
// sync imported them or found them unreadable) are passed over and don't count toward the
// whole-drive limit. `settled` gets the file's path relative to the root.
struct SyncScan {
    QStringList files;  // to import, in the order found
    QSet<QString> seen;  // relative paths of every matching file walked past, settled or not
    bool moreRemain = false;  // the whole-drive limit stopped the walk with files left
    bool complete = true;  // the walk saw everything (not stopped or cancelled)
};
SyncScan scanForSync(const QString& root, const std::optional<QString>& subfolder, const QSet<QString>& extensions,
                     const std::function<bool(const QString& relativePath, const QFileInfo& info)>& settled,
                     const std::function<bool()>& cancelled = {});
// root/subfolder when that stays inside root; nothing for "../x", an absolute path, or a link
// that leads out of the root.
std::optional<QString> folderInside(const QString& root, const QString& subfolder);
// A path below root, relative to it.
QString relativeTo(const QString& root, const QString& path);

// The content hash: the first 8 bytes of the SHA-256 digest, as 16 lower-case hex digits.
QString contentHash(const QByteArray& bytes);

// Limits on what an import takes in: a source file bigger than kMaxSourceBytes, or a picture
// wider or taller than kMaxPixelSide, is not a picture the Library can use.
inline constexpr qint64 kMaxSourceBytes = qint64(128) * 1024 * 1024;
inline constexpr int kMaxPixelSide = 16384;

// One source file decoded whole and encoded again as PNG. `unreadable`: the file couldn't be
// opened or read (it may work next time); `notAPicture`: it was read but isn't a whole picture
// within the limits (truncated, corrupt, too big), which stays so while the file is unchanged.
struct Conversion {
    enum class Outcome { ok, unreadable, notAPicture };
    Outcome outcome = Outcome::notAPicture;
    QByteArray png;
};
// A named pipe or device that gives nothing for idleLimitMs is not a picture (opening and reading
// it never waits for ever, so an import can always end).
Conversion convertToPng(const QString& filePath, int idleLimitMs = 5000);
// The PNG of a conversion; empty when it can't be read as an image.
QByteArray pngData(const QString& filePath);

// The hashes of everything imported so far ("syncedContentHashes").
QSet<QString> knownHashes(const SettingsStore& settings);
void storeKnownHashes(const QSet<QString>& hashes, SettingsStore& settings);

struct ImportOptions {
    bool full = false;  // import pictures whose hash is known too
    QSet<QString> knownHashes;
    // File names that capture records hold, their image present or not: a name held by a
    // record whose file is missing is never given to a new picture.
    QSet<QString> heldNames;
    std::function<bool()> cancelled;  // asked before every file
    std::function<void(qint64 processed)> progress;
    // Asked when a source file can't be read: false when the drive or folder went away.
    std::function<bool()> sourceStillThere;
};

struct ImportResult {
    // What one source file turned out to be: its hash, or not a picture. Files that couldn't be
    // read are left out, as they may read next time.
    struct Source {
        QString path;
        QString hash;
        bool notAPicture = false;
    };

    qint64 imported = 0;  // files written
    QSet<QString> knownHashes;  // the hashes given, plus every one written or found present
    qint64 unreadable = 0;  // files skipped as unreadable or not pictures
    bool sourceWentAway = false;  // the import stopped because the source was gone
    QList<Source> sources;  // in file order
    qint64 unwritten = 0;  // new pictures that couldn't be written into the folder (full disk, no free name)
};

// Copies the files into `folder` as PNG. Each file is converted, hashed and skipped when its
// hash is known (unless `full`); otherwise it goes under the first free name of "stem.png",
// "stem (2).png" ... "stem (999).png", or not at all when one of them already holds the same
// picture; after those, "stem-<8 hash digits>.png" and then further free names. A name held by
// a record counts as taken. A stem too long for a file name is cut to fit. Files are written
// whole or not at all, and made durable before the import returns. A file that can't be read or
// written is skipped (one that can't be written is counted in `unwritten`), and its hash is not
// remembered, so the next sync tries it again; when one can't be read and the source is
// gone, the import stops there. Looks at `cancelled` before every file; reports the index of
// every 20th file, and the file count at the end, through `progress`.
//
// Decoding, encoding, hashing and writing run on every core; files are placed under their
// names one by one in the given order, so the names are the same as one file at a time.
ImportResult importCaptures(const QStringList& files, const QString& folder, const ImportOptions& options);

// Whether a picked folder is a whole system volume: "/" itself or the mount point of a disk
// that is not removable (not below /media, /run/media or /mnt).
bool isWholeSystemVolume(const QString& path, const VolumeMonitor* monitor);

// Outcome codes of one unmount attempt.
inline constexpr quint32 kUnmountOK = 0;
inline constexpr quint32 kUnmountError = 0xF8DA0001;
inline constexpr quint32 kUnmountBusy = 0xF8DA0002;
inline constexpr quint32 kUnmountBadArgument = 0xF8DA0003;
inline constexpr quint32 kUnmountNotMounted = 0xF8DA0007;
inline constexpr quint32 kUnmountNotPermitted = 0xF8DA0009;

// One unmount of a block device through udisksctl (`program`), waiting at most 5 seconds;
// after a successful unmount the drive is also powered off. Blocks the calling thread, so it
// runs off the main thread. No device gives kUnmountBadArgument.
quint32 unmountOnce(const QString& device, const QString& program);

}  // namespace DeviceStorage
