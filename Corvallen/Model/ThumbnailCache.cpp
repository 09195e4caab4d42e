#include "Corvallen/Model/ThumbnailCache.h"

#include <QThreadPool>

namespace {

// Decoding and drawing a page is heavy work for a disk and a processor; a couple at a time keep
// the pictures coming without crowding out the rest of the program's background work.
constexpr int kAtOnce = 2;

}  // namespace

ThumbnailCache& ThumbnailCache::shared()
{
    static ThumbnailCache* cache = new ThumbnailCache;
    return *cache;
}

void ThumbnailCache::insert(const QString& fileName, const QImage& image)
{
    if (image.isNull())
        return;
    m_images.insert(fileName, image);
}

void ThumbnailCache::remove(const QString& fileName)
{
    ++m_stamps[fileName];
    m_pending.remove(fileName);
    m_none.remove(fileName);
    if (m_images.remove(fileName))
        Q_EMIT removed(fileName);
}

void ThumbnailCache::clear()
{
    ++m_epoch;
    m_pending.clear();
    m_waiting.clear();
    m_none.clear();
    if (m_images.isEmpty())
        return;
    m_images.clear();
    Q_EMIT cleared();
}

void ThumbnailCache::request(const QString& fileName, std::function<QImage()> render)
{
    if (m_images.contains(fileName) || m_pending.contains(fileName) || m_none.contains(fileName))
        return;
    m_pending.insert(fileName);
    m_waiting.emplace_back(fileName, std::move(render));
    startNext();
}

void ThumbnailCache::startNext()
{
    while (m_running < kAtOnce && !m_waiting.empty()) {
        auto [fileName, render] = std::move(m_waiting.front());
        m_waiting.pop_front();
        if (!m_pending.contains(fileName))
            continue;  // removed meanwhile
        ++m_running;
        const quint64 stamp = m_stamps.value(fileName);
        const quint64 epoch = m_epoch;
        // The application's own pool: its threads are waited for when the application ends.
        QThreadPool::globalInstance()->start([this, fileName, render = std::move(render), stamp, epoch] {
            const QImage image = render();
            QMetaObject::invokeMethod(
                this,
                [this, fileName, stamp, epoch, image] {
                    --m_running;
                    if (epoch == m_epoch)
                        finish(fileName, stamp, image);
                    startNext();
                },
                Qt::QueuedConnection);
        });
    }
}

void ThumbnailCache::finish(const QString& fileName, quint64 stamp, const QImage& image)
{
    if (stamp != m_stamps.value(fileName) || !m_pending.contains(fileName))
        return;
    m_pending.remove(fileName);
    if (image.isNull())
        m_none.insert(fileName);
    else
        m_images.insert(fileName, image);
    Q_EMIT ready(fileName);
}
