#include "Corvallen/Sync/DeviceStorage.h"

#include "Corvallen/Platform/AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>

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

}  // namespace DeviceStorage
