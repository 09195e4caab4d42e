#pragma once

#include <QByteArray>
#include <QImage>
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
// name, gives a null image and is not cached, so the next call tries the disk again.
QImage captureImage(const QString& fileName);

// The PNG files (extension "png" in any letter case) directly in the captures folder, by name.
QStringList captureFileNames();

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
inline constexpr int kWholeDriveScanLimit = 5000;
QStringList scanImageFiles(const QString& root, const std::optional<QString>& subfolder, const QSet<QString>& extensions,
                           const std::function<bool()>& cancelled = {});

// The content hash: the first 8 bytes of the SHA-256 digest, as 16 lower-case hex digits.
QString contentHash(const QByteArray& bytes);

// The image file decoded and encoded again as PNG; empty when it can't be read as an image.
QByteArray pngData(const QString& filePath);

// The hashes of everything imported so far ("syncedContentHashes").
QSet<QString> knownHashes(const SettingsStore& settings);
void storeKnownHashes(const QSet<QString>& hashes, SettingsStore& settings);

struct ImportResult {
    qint64 imported = 0;  // files written
    QSet<QString> knownHashes;  // the hashes given, plus every one written or found present
};

// Copies the files into `folder` as PNG. Each file is converted, hashed and skipped when its
// hash is known (unless `full`); otherwise it goes under the first free name of "stem.png",
// "stem (2).png" ... "stem (999).png", or not at all when one of them already holds the same
// picture; after those, "stem-<8 hash digits>.png" and then further free names. Files are
// written whole or not at all. A file that can't be read or written is skipped and not
// counted, and its hash is not remembered, so the next sync tries it again. Looks at
// `cancelled` before every file; reports the index of every 20th file, and the file count at
// the end, through `progress`.
ImportResult importCaptures(const QStringList& files, bool full, const QSet<QString>& known, const QString& folder,
                            const std::function<bool()>& cancelled = {},
                            const std::function<void(qint64 processed)>& progress = {});

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
