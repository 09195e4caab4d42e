#include "Corvallen/Sync/CaptureThumbnails.h"

#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Sync/DeviceStorage.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QThreadPool>

#include <deque>
#include <mutex>

namespace {

// The image's modification time, kept in the thumbnail file: a thumbnail belongs to the image
// only while the two agree.
const QString kSourceStampKey = QStringLiteral("CorvallenSourceModified");

// Requests beyond this many are dropped, oldest first: while a long list is scrolled, only the
// newest requests are for cards still on screen.
constexpr size_t kMaxQueued = 96;
constexpr int kWorkers = 2;
constexpr qint64 kDefaultMemoryBudget = 32ll * 1024 * 1024;

}  // namespace

struct CaptureThumbnails::Queue {
    struct Request {
        QString fileName;
        QString imagePath;
        QString cacheFile;
    };
    std::mutex mutex;
    std::deque<Request> requests;  // newest first
    int workers = 0;
};

namespace {
// The workers must be done before the application object goes, whether or not its event loop
// ran to aboutToQuit (a test program ends without it): one still reading an image then would
// outlive what it uses.
void drainThumbnails()
{
    CaptureThumbnails::shared().waitForIdle();
}
}  // namespace

CaptureThumbnails& CaptureThumbnails::shared()
{
    static CaptureThumbnails* thumbnails = [] {
        qAddPostRoutine(drainThumbnails);
        return new CaptureThumbnails;
    }();
    return *thumbnails;
}

CaptureThumbnails::CaptureThumbnails()
    : m_queue(std::make_shared<Queue>())
    , m_pool(new QThreadPool(this))
{
    m_memory.setMaxCost(kDefaultMemoryBudget);
    m_pool->setMaxThreadCount(kWorkers);
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &CaptureThumbnails::waitForIdle);
}

CaptureThumbnails::~CaptureThumbnails() { waitForIdle(); }

QString CaptureThumbnails::cacheFilePath(const QString& fileName)
{
    const QByteArray digest = QCryptographicHash::hash(fileName.toUtf8(), QCryptographicHash::Sha1).toHex();
    return AppPaths::cacheFolder() + QStringLiteral("/thumbnails/") + QString::fromLatin1(digest) + QStringLiteral(".png");
}

QImage CaptureThumbnails::thumbnail(const QString& fileName)
{
    if (!AppPaths::isPlainFileName(fileName))
        return {};
    if (const QImage* image = m_memory.object(fileName))
        return *image;
    if (m_pending.contains(fileName))
        return {};
    m_pending.insert(fileName);
    std::vector<QString> dropped;
    {
        std::lock_guard lock(m_queue->mutex);
        m_queue->requests.push_front({fileName, QDir(DeviceStorage::capturesFolder()).filePath(fileName), cacheFilePath(fileName)});
        while (m_queue->requests.size() > kMaxQueued) {
            dropped.push_back(m_queue->requests.back().fileName);
            m_queue->requests.pop_back();
        }
    }
    for (const QString& name : dropped)
        m_pending.remove(name);
    startWorker();
    return {};
}

void CaptureThumbnails::startWorker()
{
    {
        std::lock_guard lock(m_queue->mutex);
        if (m_queue->workers >= kWorkers || m_queue->requests.empty())
            return;
        ++m_queue->workers;
    }
    const std::shared_ptr<Queue> queue = m_queue;
    m_pool->start([this, queue] {
        for (;;) {
            Queue::Request request;
            {
                std::lock_guard lock(queue->mutex);
                if (queue->requests.empty()) {
                    --queue->workers;
                    return;
                }
                request = std::move(queue->requests.front());
                queue->requests.pop_front();
            }
            const QImage image = load(request.imagePath, request.cacheFile);
            QMetaObject::invokeMethod(this, [this, name = request.fileName, image] { deliver(name, image); }, Qt::QueuedConnection);
        }
    });
}

void CaptureThumbnails::deliver(const QString& fileName, const QImage& image)
{
    m_pending.remove(fileName);
    if (image.isNull())
        return;
    m_memory.insert(fileName, new QImage(image), qMax<qint64>(1, image.sizeInBytes()));
    Q_EMIT ready(fileName);
}

void CaptureThumbnails::forget(const QString& fileName)
{
    if (!AppPaths::isPlainFileName(fileName))
        return;
    m_memory.remove(fileName);
    QFile::remove(cacheFilePath(fileName));
}

void CaptureThumbnails::waitForIdle()
{
    {
        std::lock_guard lock(m_queue->mutex);
        for (const Queue::Request& r : m_queue->requests)
            m_pending.remove(r.fileName);
        m_queue->requests.clear();
    }
    m_pool->waitForDone();
}

QImage CaptureThumbnails::load(const QString& imagePath, const QString& cacheFile)
{
    const QFileInfo source(imagePath);
    if (!source.isFile())
        return {};
    const QString stamp = QString::number(source.lastModified().toMSecsSinceEpoch());
    {
        QImageReader cached(cacheFile);
        if (cached.canRead() && cached.text(kSourceStampKey) == stamp) {
            const QImage image = cached.read();
            if (!image.isNull())
                return image;
        }
    }
    QImageReader reader(imagePath);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    const bool fits = size.isValid() && size.width() <= kMaxSide && size.height() <= kMaxSide;
    // Decoders that can (JPEG) skip most of the work of a large picture when asked for less.
    if (size.isValid() && !fits)
        reader.setScaledSize(size.scaled(kMaxSide, kMaxSide, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull() || fits)
        return image;
    if (image.width() > kMaxSide || image.height() > kMaxSide)
        image = image.scaled(kMaxSide, kMaxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    image.setText(kSourceStampKey, stamp);
    // Written whole or not at all, so another reader never sees half a thumbnail. A cache that
    // can't be written only costs the scaling again next time.
    AppPaths::ensureFolder(QFileInfo(cacheFile).absolutePath());
    QSaveFile out(cacheFile);
    if (out.open(QIODevice::WriteOnly) && QImageWriter(&out, "png").write(image))
        out.commit();
    return image;
}
