#include "Corvallen/Sync/DeviceStorage.h"

#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/VolumeMonitor.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>
#include <QSaveFile>

namespace DeviceStorage {

namespace {

QHash<QString, QImage>& imageCache()
{
    static QHash<QString, QImage> cache;
    return cache;
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
    const auto it = cache.constFind(fileName);
    if (it != cache.constEnd())
        return *it;
    QImageReader reader(capturesFolder() + QLatin1Char('/') + fileName);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull())
        return {};
    cache.insert(fileName, image);
    return image;
}

QStringList captureFileNames()
{
    QStringList out;
    const QDir dir(capturesFolder());
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString& n : names)
        if (QFileInfo(n).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0)
            out << n;
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

}  // namespace

QStringList scanImageFiles(const QString& root, const std::optional<QString>& subfolder, const QSet<QString>& extensions,
                           const std::function<bool()>& cancelled)
{
    QStringList out;
    if (subfolder) {
        const QDir dir(root + QLatin1Char('/') + *subfolder);
        const QFileInfoList entries =
            dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
        for (const QFileInfo& e : entries)
            if (takes(e.fileName(), extensions))
                out << e.filePath();
        return out;
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
                return out;
            if (e.isDir()) {
                if (!e.isSymLink() && !isKernelFolder(e.absoluteFilePath()))
                    subfolders << e.filePath();
                continue;
            }
            if (!takes(e.fileName(), extensions))
                continue;
            out << e.filePath();
            if (out.size() >= kWholeDriveScanLimit)
                return out;
        }
        pending = subfolders + pending;
    }
    return out;
}

QString contentHash(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).left(8).toHex());
}

QByteArray pngData(const QString& filePath)
{
    QImageReader reader(filePath);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        return {};
    return bytes;
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

Slot slotAt(const QString& path, const QString& hash)
{
    QFile existing(path);
    if (!existing.exists())
        return Slot::free;
    if (!existing.open(QIODevice::ReadOnly))
        return Slot::taken;
    return contentHash(existing.readAll()) == hash ? Slot::samePicture : Slot::taken;
}

}  // namespace

ImportResult importCaptures(const QStringList& files, bool full, const QSet<QString>& known, const QString& folder,
                            const std::function<bool()>& cancelled, const std::function<void(qint64)>& progress)
{
    ImportResult result{0, known};
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (cancelled && cancelled())
            break;
        if (i % 20 == 0 && progress)
            progress(i);
        const QByteArray png = pngData(files.at(i));
        if (png.isEmpty())
            continue;
        const QString hash = contentHash(png);
        if (!full && result.knownHashes.contains(hash))
            continue;

        const QString stem = stemOf(QFileInfo(files.at(i)).fileName());
        // The numbered names first; then names carrying the hash, which keep going past a file
        // that happens to hold another picture under that name instead of overwriting it.
        QStringList candidates;
        candidates.reserve(1000);
        candidates << stem + QStringLiteral(".png");
        for (int n = 2; n <= 999; ++n)
            candidates << stem + QStringLiteral(" (") + QString::number(n) + QStringLiteral(").png");
        const QString hashStem = stem + QLatin1Char('-') + hash.left(8);
        candidates << hashStem + QStringLiteral(".png");
        for (int n = 2; n <= 99; ++n)
            candidates << hashStem + QStringLiteral(" (") + QString::number(n) + QStringLiteral(").png");

        QString destination;
        bool present = false;
        for (const QString& name : candidates) {
            const Slot slot = slotAt(folder + QLatin1Char('/') + name, hash);
            if (slot == Slot::taken)
                continue;
            present = slot == Slot::samePicture;
            if (!present)
                destination = folder + QLatin1Char('/') + name;
            break;
        }
        if (present) {
            result.knownHashes.insert(hash);
            continue;
        }
        if (destination.isEmpty())
            continue;  // every name taken by other pictures: leave them all alone
        // Written whole or not at all, so a full disk never leaves a broken capture behind.
        QSaveFile out(destination);
        if (!out.open(QIODevice::WriteOnly) || out.write(png) != png.size() || !out.commit())
            continue;
        ++result.imported;
        result.knownHashes.insert(hash);
    }
    if (progress)
        progress(files.size());
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
