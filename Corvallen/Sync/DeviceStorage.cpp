#include "Corvallen/Sync/DeviceStorage.h"

#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/VolumeMonitor.h"
#include "Corvallen/Sync/SyncLocation.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QImageWriter>
#include <QCache>
#include <QFuture>
#include <QProcess>
#include <QSaveFile>
#include <QThread>
#include <QThreadPool>
#include <QUuid>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DeviceStorage {

namespace {

// One cached image with the file stamp it was read under.
struct CachedImage {
    QImage image;
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
};

QCache<QString, CachedImage>& imageCache()
{
    static QCache<QString, CachedImage> cache(kDefaultImageCacheBudget);
    return cache;
}

bool statFile(const QString& path, CachedImage& stamp)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

}  // namespace

QString capturesFolder()
{
    // Worked out once per process, as the data folder can't move while the app runs; tests that
    // point XDG_DATA_HOME elsewhere do so before the first call.
    static const QString folder = [] {
        const QString target = AppPaths::dataFolder() + QStringLiteral("/captures");
        const QString legacy = AppPaths::userDataRoot() + QStringLiteral("/Halvorine/captures");
        if (QFileInfo(legacy).isDir() && !QFileInfo::exists(target)) {
            AppPaths::ensureFolder(AppPaths::dataFolder());
            QDir().rename(legacy, target);
        }
        AppPaths::ensureFolder(target);
        return target;
    }();
    return folder;
}

QImage captureImage(const QString& fileName)
{
    if (!AppPaths::isPlainFileName(fileName))
        return {};
    auto& cache = imageCache();
    const QString path = capturesFolder() + QLatin1Char('/') + fileName;
    auto entry = std::make_unique<CachedImage>();
    if (!statFile(path, *entry)) {
        cache.remove(fileName);
        return {};
    }
    if (const CachedImage* cached = cache.object(fileName)) {
        if (cached->device == entry->device && cached->inode == entry->inode && cached->size == entry->size
            && cached->modifiedNs == entry->modifiedNs)
            return cached->image;
        cache.remove(fileName);  // replaced since: read it again
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);
    entry->image = reader.read();
    if (entry->image.isNull())
        return {};
    const QImage image = entry->image;
    // Too big for the whole budget: shown, not kept (the cache drops it at once).
    cache.insert(fileName, entry.release(), qMax<qsizetype>(1, image.sizeInBytes()));
    return image;
}

void setImageCacheBudget(qint64 bytes) { imageCache().setMaxCost(qsizetype(qMax<qint64>(1, bytes))); }

qint64 imageCacheBudget() { return imageCache().maxCost(); }

qint64 imageCacheCost() { return imageCache().totalCost(); }

namespace {
QString deletingNoteFile() { return AppPaths::dataFolder() + QStringLiteral("/.captures-deleting"); }
}  // namespace

void noteCapturesBeingDeleted(const QStringList& fileNames)
{
    // Flushed to disk before the deletion is saved: the note has to outlive the records.
    QSaveFile note(deletingNoteFile());
    if (note.open(QIODevice::WriteOnly)) {
        note.write(fileNames.join(QLatin1Char('\n')).toUtf8());
        note.commit();
    }
}

QStringList capturesBeingDeleted()
{
    QFile note(deletingNoteFile());
    if (!note.open(QIODevice::ReadOnly))
        return {};
    QStringList out;
    for (const QString& name : QString::fromUtf8(note.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (AppPaths::isPlainFileName(name))
            out << name;
    return out;
}

void forgetCapturesBeingDeleted() { QFile::remove(deletingNoteFile()); }

QStringList captureFileNames()
{
    // Read straight from the directory: a library of a hundred thousand captures lists in a
    // few milliseconds when only the entries the directory can't type itself are looked up.
    QStringList out;
    const QString folder = capturesFolder();
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return out;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        const size_t length = std::strlen(name);
        // The extension is what follows the last "." ("png" in any letter case).
        if (length < 4 || qstrnicmp(name + length - 4, ".png", 4) != 0)
            continue;
        const QString fileName = QFile::decodeName(name);
        bool file = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK)
            file = QFileInfo(folder + QLatin1Char('/') + fileName).isFile();  // a link counts when it leads to a file
        if (file)
            out << fileName;
    }
    ::closedir(dir);
    return out;
}

void clearImageCache() { imageCache().clear(); }

QString extensionOf(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return {};
    return fileName.mid(dot + 1).toLower();
}

QString stemOf(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot <= 0 ? fileName : fileName.left(dot);
}

namespace {

// The kernel's own trees hold no pictures and can be enormous: a scan of the whole system
// disk walks past them.
bool isKernelFolder(const QString& absolutePath)
{
    static const QSet<QString> folders{QStringLiteral("/proc"), QStringLiteral("/sys"), QStringLiteral("/dev"),
                                       QStringLiteral("/run")};
    return folders.contains(QDir::cleanPath(absolutePath));
}

bool takes(const QString& name, const QSet<QString>& extensions)
{
    return !name.startsWith(QLatin1String("._")) && extensions.contains(extensionOf(name));
}

// Whether a file found in the walk is read from inside the location: a link to a picture
// elsewhere (the user's home, another drive) is not the location's to import.
bool readsInside(const QFileInfo& file, const QString& canonicalRoot)
{
    if (!file.isSymLink())
        return true;
    const QString target = file.canonicalFilePath();
    return !target.isEmpty() && !canonicalRoot.isEmpty() && AppPaths::isBelow(target, canonicalRoot);
}

// Hands every matching file to `visit`, in the order the file system gives them, until it
// returns false. False when the walk was stopped or cancelled before its end.
bool walkImageFiles(const QString& root, const std::optional<QString>& subfolder, const QSet<QString>& extensions,
                    const std::function<bool(const QFileInfo&)>& visit, const std::function<bool()>& cancelled)
{
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    if (subfolder) {
        const std::optional<QString> folder = folderInside(root, *subfolder);
        if (!folder)
            return true;
        const QFileInfoList entries = QDir(*folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                                                  QDir::Unsorted);
        for (const QFileInfo& e : entries)
            if (takes(e.fileName(), extensions) && readsInside(e, canonicalRoot) && !visit(e))
                return false;
        return true;
    }
    // Depth first, in listing order; hidden entries (".Trash-1000", ".thumbnails") are skipped
    // and links to folders are not entered, so a link loop can't trap the walk.
    QStringList pending{root};
    while (!pending.isEmpty()) {
        const QString folder = pending.takeFirst();
        const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
        QStringList subfolders;
        for (const QFileInfo& e : entries) {
            if (cancelled && cancelled())
                return false;
            if (e.isDir()) {
                if (!e.isSymLink() && !isKernelFolder(e.absoluteFilePath()))
                    subfolders << e.filePath();
                continue;
            }
            if (takes(e.fileName(), extensions) && readsInside(e, canonicalRoot) && !visit(e))
                return false;
        }
        pending = subfolders + pending;
    }
    return true;
}

}  // namespace

std::optional<QString> folderInside(const QString& root, const QString& subfolder)
{
    if (!SyncLocation::subfolderProblem(subfolder).isEmpty())
        return std::nullopt;
    const QString path = QDir::cleanPath(root + QLatin1Char('/') + subfolder);
    // A link on the drive may still lead elsewhere; only folders inside the root are read.
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    if (!canonical.isEmpty() && !canonicalRoot.isEmpty() && !AppPaths::isBelow(canonical, canonicalRoot))
        return std::nullopt;
    return path;
}

QString relativeTo(const QString& root, const QString& path)
{
    const QString cleanRoot = QDir::cleanPath(root);
    const QString clean = QDir::cleanPath(path);
    if (cleanRoot == QLatin1String("/"))
        return clean.mid(1);
    if (clean.startsWith(cleanRoot + QLatin1Char('/')))
        return clean.mid(cleanRoot.size() + 1);
    return clean;
}

QStringList scanImageFiles(const QString& root, const std::optional<QString>& subfolder, const QSet<QString>& extensions,
                           const std::function<bool()>& cancelled)
{
    QStringList out;
    walkImageFiles(
        root, subfolder, extensions,
        [&](const QFileInfo& e) {
            out << e.filePath();
            return subfolder || out.size() < kWholeDriveScanLimit;
        },
        cancelled);
    return out;
}

SyncScan scanForSync(const QString& root, const std::optional<QString>& subfolder, const QSet<QString>& extensions,
                     const std::function<bool(const QString&, const QFileInfo&)>& settled,
                     const std::function<bool()>& cancelled)
{
    SyncScan scan;
    scan.complete = walkImageFiles(
        root, subfolder, extensions,
        [&](const QFileInfo& e) {
            const QString key = relativeTo(root, e.filePath());
            if (settled && settled(key, e)) {
                scan.seen.insert(key);
                return true;
            }
            // Only files still to import count toward the whole-drive limit.
            if (!subfolder && scan.files.size() >= kWholeDriveScanLimit) {
                scan.moreRemain = true;
                return false;
            }
            scan.seen.insert(key);
            scan.files << e.filePath();
            return true;
        },
        cancelled);
    return scan;
}

QString contentHash(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).left(8).toHex());
}

namespace {

quint32 le32(const QByteArray& b, qsizetype at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16
        | quint32(quint8(b[at + 3])) << 24;
}

quint16 le16(const QByteArray& b, qsizetype at) { return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8); }

// Some decoders make up the rest of a cut-off file (grey rows, the last colour repeated) and
// call it a success. These check that the file really holds the whole picture.
bool holdsWholePicture(const QByteArray& format, const QByteArray& bytes)
{
    if (format == "jpeg" || format == "jpg") {
        // The end-of-image marker after the start of the last scan.
        return bytes.lastIndexOf(QByteArrayView("\xFF\xD9", 2)) > bytes.lastIndexOf(QByteArrayView("\xFF\xDA", 2));
    }
    if (format == "gif") {
        qsizetype end = bytes.size();
        while (end > 0 && bytes[end - 1] == '\0')
            --end;
        return end > 0 && bytes[end - 1] == ';';  // the trailer
    }
    if (format == "bmp" || format == "dib") {
        if (bytes.size() < 26)
            return false;
        const quint32 dataAt = le32(bytes, 10);
        const quint32 headerSize = le32(bytes, 14);
        qint64 width = 0;
        qint64 height = 0;
        quint32 bits = 0;
        quint32 compression = 0;
        if (headerSize == 12) {
            width = le16(bytes, 18);
            height = le16(bytes, 20);
            bits = le16(bytes, 24);
        } else if (headerSize >= 40 && bytes.size() >= 34) {
            width = qint32(le32(bytes, 18));
            height = qint32(le32(bytes, 22));
            bits = le16(bytes, 28);
            compression = le32(bytes, 30);
        } else {
            return true;
        }
        // Run-length coded pixels have no fixed size; their decoder stops at the end of data.
        if (compression != 0 && compression != 3 && compression != 6)
            return true;
        const qint64 rowBytes = (qAbs(width) * bits + 31) / 32 * 4;
        return qint64(dataAt) + rowBytes * qAbs(height) <= bytes.size();
    }
    return true;  // PNG and TIFF decoders report a cut-off file themselves
}

}  // namespace

Conversion convertToPng(const QString& filePath, int idleLimitMs)
{
    // Opened without waiting: opening a named pipe waits for a writer, for ever if none comes.
    const int fd = ::open(QFile::encodeName(filePath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {Conversion::Outcome::unreadable, {}};
    const auto finish = [fd](Conversion::Outcome outcome) {
        ::close(fd);
        return Conversion{outcome, {}};
    };
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return finish(Conversion::Outcome::unreadable);
    const bool regular = S_ISREG(info.st_mode);
    if (regular) {
        if (info.st_size > kMaxSourceBytes)
            return finish(Conversion::Outcome::notAPicture);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    // Read in pieces up to the limit: a pipe or device reports no size beforehand. Anything but
    // a regular file may have nothing to give: when no byte comes for idleLimitMs it is given up.
    QByteArray bytes;
    bytes.reserve(regular ? qsizetype(qMin(qint64(info.st_size), kMaxSourceBytes)) : 0);
    char piece[64 * 1024];
    for (;;) {
        if (!regular) {
            pollfd wait{fd, POLLIN, 0};
            const int ready = ::poll(&wait, 1, idleLimitMs);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                return finish(Conversion::Outcome::notAPicture);
        }
        const ssize_t n = ::read(fd, piece, sizeof piece);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n < 0)
            return finish(Conversion::Outcome::unreadable);
        if (n == 0)
            break;
        bytes.append(piece, qsizetype(n));
        if (bytes.size() > kMaxSourceBytes)
            return finish(Conversion::Outcome::notAPicture);
    }
    ::close(fd);

    QBuffer source(&bytes);
    source.open(QIODevice::ReadOnly);
    QImageReader reader(&source);
    reader.setAutoTransform(true);
    // Asked before reading: once the data is used up the reader no longer tells its format.
    const QByteArray format = reader.format();
    const QSize size = reader.size();
    if (size.width() > kMaxPixelSide || size.height() > kMaxPixelSide)
        return {Conversion::Outcome::notAPicture, {}};
    QImage image;
    if (!reader.read(&image) || image.isNull() || image.width() > kMaxPixelSide || image.height() > kMaxPixelSide
        || !holdsWholePicture(format, bytes))
        return {Conversion::Outcome::notAPicture, {}};
    Conversion out{Conversion::Outcome::ok, {}};
    QBuffer buffer(&out.png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        return {Conversion::Outcome::notAPicture, {}};
    return out;
}

QByteArray pngData(const QString& filePath)
{
    Conversion c = convertToPng(filePath);
    return c.outcome == Conversion::Outcome::ok ? c.png : QByteArray();
}

QSet<QString> knownHashes(const SettingsStore& settings)
{
    const QStringList list = settings.textListValue(QStringLiteral("syncedContentHashes"));
    return QSet<QString>(list.begin(), list.end());
}

void storeKnownHashes(const QSet<QString>& hashes, SettingsStore& settings)
{
    QStringList list(hashes.begin(), hashes.end());
    list.sort();
    settings.setTextList(QStringLiteral("syncedContentHashes"), list);
}

namespace {

enum class Slot { free, samePicture, taken };

Slot slotAt(const QString& folder, const QString& name, const QString& hash, const QSet<QString>& heldNames)
{
    QFile existing(folder + QLatin1Char('/') + name);
    if (!existing.exists())
        return heldNames.contains(name) ? Slot::taken : Slot::free;  // a record still owns the name
    if (!existing.open(QIODevice::ReadOnly))
        return Slot::taken;
    return contentHash(existing.readAll()) == hash ? Slot::samePicture : Slot::taken;
}

QStringList candidateNames(const QString& stem, const QString& hash)
{
    // The numbered names first; then names carrying the hash, which keep going past a file that
    // happens to hold another picture under that name instead of overwriting it.
    QStringList candidates;
    candidates.reserve(1100);
    candidates << stem + QStringLiteral(".png");
    for (int n = 2; n <= 999; ++n)
        candidates << stem + QStringLiteral(" (") + QString::number(n) + QStringLiteral(").png");
    const QString hashStem = stem + QLatin1Char('-') + hash.left(8);
    candidates << hashStem + QStringLiteral(".png");
    for (int n = 2; n <= 99; ++n)
        candidates << hashStem + QStringLiteral(" (") + QString::number(n) + QStringLiteral(").png");
    return candidates;
}

enum class Placed { done, nameTaken, failed };

// Gives a finished part file its name, never replacing a file that has it meanwhile.
Placed placeFile(const QString& from, const QString& to)
{
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, src.constData(), AT_FDCWD, dst.constData(), RENAME_NOREPLACE) == 0)
        return Placed::done;
    if (errno == EEXIST)
        return Placed::nameTaken;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return Placed::failed;
    // A file system without that kind of rename: a hard link refuses an existing name too.
    if (::link(src.constData(), dst.constData()) == 0) {
        ::unlink(src.constData());
        return Placed::done;
    }
    if (errno == EEXIST)
        return Placed::nameTaken;
    if (QFileInfo::exists(to))
        return Placed::nameTaken;
    return ::rename(src.constData(), dst.constData()) == 0 ? Placed::done : Placed::failed;
}

bool writeWhole(int fd, const QByteArray& bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return ::fdatasync(fd) == 0;
}

// A finished PNG, written whole and flushed to disk, that has no name in the captures folder
// yet. Where the file system allows, it is a file without any name (so creating it takes no
// lock on the folder, and nothing is left behind if the import stops or the machine goes
// down); elsewhere a hidden part file in the folder.
struct PendingFile {
    int fd = -1;
    QString part;

    bool isValid() const { return fd >= 0 || !part.isEmpty(); }

    static PendingFile write(const QString& folder, const QString& part, const QByteArray& png)
    {
        PendingFile out;
        const int fd = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0644);
        if (fd >= 0) {
            if (writeWhole(fd, png))
                out.fd = fd;
            else
                ::close(fd);
            return out;
        }
        const int named = ::open(QFile::encodeName(part).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
        if (named < 0)
            return out;
        const bool written = writeWhole(named, png);
        ::close(named);
        if (written)
            out.part = part;
        else
            QFile::remove(part);
        return out;
    }

    Placed placeAs(const QString& path)
    {
        if (fd < 0)
            return placeFile(part, path);
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, QFile::encodeName(path).constData(), AT_SYMLINK_FOLLOW) == 0) {
            discard();
            return Placed::done;
        }
        return errno == EEXIST ? Placed::nameTaken : Placed::failed;
    }

    void discard()
    {
        if (fd >= 0)
            ::close(fd);
        else if (!part.isEmpty())
            QFile::remove(part);
        fd = -1;
        part.clear();
    }
};

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

const QString kPartPrefix = QStringLiteral(".import-");
const QString kPartSuffix = QStringLiteral(".part");

// What the parallel step made of one source file.
struct Staged {
    Conversion::Outcome outcome = Conversion::Outcome::unreadable;
    QString hash;
    PendingFile png;  // not written when imported before, or when writing failed
};

Staged stage(const QString& file, const QString& folder, const QString& part, bool full, const QSet<QString>& known,
             const std::atomic_bool& stop)
{
    Staged out;
    if (stop.load(std::memory_order_relaxed))
        return out;
    Conversion c = convertToPng(file);
    out.outcome = c.outcome;
    if (c.outcome != Conversion::Outcome::ok)
        return out;
    out.hash = contentHash(c.png);
    if (!full && known.contains(out.hash))
        return out;  // imported before: nothing to write
    out.png = PendingFile::write(folder, part, c.png);
    return out;
}

}  // namespace

ImportResult importCaptures(const QStringList& files, const QString& folder, const ImportOptions& options)
{
    ImportResult result;
    result.knownHashes = options.knownHashes;
    // Leftovers of an import that was interrupted (one import runs at a time).
    const QDir dir(folder);
    for (const QString& stale : dir.entryList({kPartPrefix + QLatin1Char('*') + kPartSuffix}, QDir::Files | QDir::Hidden))
        QFile::remove(dir.filePath(stale));

    const QString run = kPartPrefix + QUuid::createUuid().toString(QUuid::Id128).left(12) + QLatin1Char('-');
    const QSet<QString> knownAtStart = options.knownHashes;
    std::atomic_bool stop{false};
    QThreadPool pool;
    pool.setMaxThreadCount(qMax(1, QThread::idealThreadCount()));
    // Conversion runs well ahead of the placing, so a file whose flush to disk is slow holds up
    // no core. What waits to be placed is a finished file on disk, not a picture in memory.
    const qsizetype window = 8 * qsizetype(pool.maxThreadCount());
    QList<QFuture<Staged>> staged(files.size());
    qsizetype submitted = 0;
    auto submitUpTo = [&](qsizetype end) {
        for (; submitted < qMin(end, files.size()); ++submitted) {
            const QString file = files.at(submitted);
            const QString part = dir.filePath(run + QString::number(submitted) + kPartSuffix);
            staged[submitted] = QtConcurrent::run(&pool, [file, folder, part, &options, &knownAtStart, &stop] {
                return stage(file, folder, part, options.full, knownAtStart, stop);
            });
        }
    };

    qsizetype i = 0;
    for (; i < files.size(); ++i) {
        if (options.cancelled && options.cancelled())
            break;
        if (i % 20 == 0 && options.progress)
            options.progress(i);
        submitUpTo(i + window);
        Staged s = staged[i].result();
        const QString& file = files.at(i);
        if (s.outcome != Conversion::Outcome::ok) {
            // A read that fails because the drive was pulled says nothing about the file.
            if (options.sourceStillThere && !options.sourceStillThere()) {
                result.sourceWentAway = true;
                break;
            }
            ++result.unreadable;
            if (s.outcome == Conversion::Outcome::notAPicture)
                result.sources << ImportResult::Source{file, {}, true};
            continue;
        }
        result.sources << ImportResult::Source{file, s.hash, false};
        if (!options.full && result.knownHashes.contains(s.hash)) {
            s.png.discard();
            continue;
        }

        // A drive's file system may allow longer names than the library's (255 UTF-16 units on
        // FAT, 255 bytes here); the numbered and hashed names add up to 18 bytes more.
        const QStringList candidates =
            candidateNames(AppPaths::clippedToBytes(stemOf(QFileInfo(file).fileName()), 200), s.hash);
        bool present = false;
        bool placed = false;
        for (qsizetype c = 0; c < candidates.size() && !present && !placed; ++c) {
            const Slot slot = slotAt(folder, candidates.at(c), s.hash, options.heldNames);
            if (slot == Slot::taken)
                continue;
            if (slot == Slot::samePicture) {
                present = true;
                break;
            }
            if (!s.png.isValid())
                break;  // the picture couldn't be written: not counted, tried again next time
            const Placed p = s.png.placeAs(folder + QLatin1Char('/') + candidates.at(c));
            if (p == Placed::nameTaken)
                continue;  // another file took the name meanwhile
            placed = p == Placed::done;
            break;
        }
        if (!placed)
            s.png.discard();
        if (!present && !placed)
            ++result.unwritten;  // a new picture left out is no success either
        if (present || placed)
            result.knownHashes.insert(s.hash);
        if (placed)
            ++result.imported;
    }

    stop.store(true);
    pool.waitForDone();
    // Pictures converted ahead of a stop are never placed.
    for (qsizetype left = i; left < submitted; ++left)
        staged[left].result().png.discard();
    if (result.imported > 0)
        syncFolder(folder);
    if (options.progress)
        options.progress(files.size());
    return result;
}

bool isWholeSystemVolume(const QString& path, const VolumeMonitor* monitor)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (clean == QLatin1String("/"))
        return true;
    return monitor && monitor->isFixedVolumeRoot(clean);
}

quint32 unmountOnce(const QString& device, const QString& program)
{
    if (device.isEmpty())
        return kUnmountBadArgument;
    QProcess unmount;
    unmount.setProcessChannelMode(QProcess::SeparateChannels);
    // Plain messages, whatever the user's language, so that they can be told apart.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    unmount.setProcessEnvironment(env);
    unmount.start(program, {QStringLiteral("unmount"), QStringLiteral("--no-user-interaction"), QStringLiteral("-b"), device});
    if (!unmount.waitForStarted(5000))
        return kUnmountError;
    if (!unmount.waitForFinished(5000)) {
        unmount.kill();
        unmount.waitForFinished(1000);
        return kUnmountError;
    }
    if (unmount.exitStatus() == QProcess::NormalExit && unmount.exitCode() == 0) {
        // Unmounted: the drive may now be switched off; if that fails it is still safe to pull.
        QProcess powerOff;
        powerOff.setProcessEnvironment(env);
        powerOff.start(program, {QStringLiteral("power-off"), QStringLiteral("--no-user-interaction"), QStringLiteral("-b"), device});
        if (powerOff.waitForStarted(5000) && !powerOff.waitForFinished(5000)) {
            powerOff.kill();
            powerOff.waitForFinished(1000);
        }
        return kUnmountOK;
    }
    const QString message = QString::fromLocal8Bit(unmount.readAllStandardError() + unmount.readAllStandardOutput());
    if (message.contains(QLatin1String("NotMounted")) || message.contains(QLatin1String("not mounted"), Qt::CaseInsensitive))
        return kUnmountNotMounted;
    if (message.contains(QLatin1String("DeviceBusy")) || message.contains(QLatin1String("busy"), Qt::CaseInsensitive))
        return kUnmountBusy;
    if (message.contains(QLatin1String("NotAuthorized")) || message.contains(QLatin1String("not authorized"), Qt::CaseInsensitive))
        return kUnmountNotPermitted;
    return kUnmountError;
}

}  // namespace DeviceStorage
