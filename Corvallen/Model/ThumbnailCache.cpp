#include "Corvallen/Model/ThumbnailCache.h"

#include <QCoreApplication>
#include <QThreadPool>

namespace {

// Decoding and drawing a page is heavy work for a disk and a processor; a couple at a time keep
// the pictures coming without crowding out the rest of the program's background work.
constexpr int kAtOnce = 2;

}  // namespace

ThumbnailJob::ThumbnailJob(std::chrono::milliseconds budget) : m_deadline(std::chrono::steady_clock::now() + budget) {}

bool ThumbnailJob::shouldStop() const
{
    if (m_abandoned)
        return true;
    if (m_outOfTime)
        return true;
    if (std::chrono::steady_clock::now() < m_deadline)
        return false;
    m_outOfTime = true;
    return true;
}

ThumbnailCache& ThumbnailCache::shared()
{
    static ThumbnailCache* cache = [] {
        auto* c = new ThumbnailCache;
        if (QCoreApplication* app = QCoreApplication::instance())
            QObject::connect(app, &QCoreApplication::aboutToQuit, c, &ThumbnailCache::abandonAll);
        return c;
    }();
    return *cache;
}

void ThumbnailCache::abandonAll()
{
    m_abandoned = true;
    m_waiting.clear();
    for (const auto& job : std::as_const(m_jobs))
        job->abandon();
}

void ThumbnailCache::setTimeBudgets(std::chrono::milliseconds first, std::chrono::milliseconds second)
{
    m_firstBudget = first;
    m_secondBudget = second;
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
    for (const auto& job : m_jobs.values(fileName))
        job->abandon();  // its picture would be dropped anyway
    m_none.remove(fileName);
    if (m_images.remove(fileName))
        Q_EMIT removed(fileName);
}

void ThumbnailCache::clear()
{
    ++m_epoch;
    m_pending.clear();
    m_waiting.clear();
    for (const auto& job : std::as_const(m_jobs))
        job->abandon();
    m_none.clear();
    if (m_images.isEmpty())
        return;
    m_images.clear();
    Q_EMIT cleared();
}

void ThumbnailCache::request(const QString& fileName, Render render)
{
    if (m_images.contains(fileName) || m_pending.contains(fileName) || m_none.contains(fileName))
        return;
    m_pending.insert(fileName);
    m_waiting.push_back({fileName, std::move(render), 0});
    startNext();
}

void ThumbnailCache::startNext()
{
    while (m_running < kAtOnce && !m_waiting.empty() && !m_abandoned) {
        Waiting next = std::move(m_waiting.front());
        m_waiting.pop_front();
        if (!m_pending.contains(next.fileName))
            continue;  // removed meanwhile
        ++m_running;
        const quint64 stamp = m_stamps.value(next.fileName);
        const quint64 epoch = m_epoch;
        auto job = std::make_shared<ThumbnailJob>(next.attempt == 0 ? m_firstBudget : m_secondBudget);
        m_jobs.insert(next.fileName, job);
        // The application's own pool: its threads are waited for when the application ends,
        // which abandonAll() keeps short.
        QThreadPool::globalInstance()->start([this, next = std::move(next), job, stamp, epoch]() mutable {
            QImage image = next.render(*job);
            const bool stopped = job->abandoned() || job->ranOutOfTime();
            if (stopped)
                image = QImage();  // what was drawn until then is a part of the page at most
            QMetaObject::invokeMethod(
                this,
                [this, next = std::move(next), job, stopped, stamp, epoch, image]() mutable {
                    --m_running;
                    m_jobs.remove(next.fileName, job);
                    m_stopped += stopped;
                    const bool current = epoch == m_epoch && stamp == m_stamps.value(next.fileName);
                    if (current && job->ranOutOfTime() && !job->abandoned() && next.attempt == 0 && m_pending.contains(next.fileName)) {
                        ++next.attempt;
                        m_waiting.push_back(std::move(next));
                    } else if (epoch == m_epoch) {
                        finish(next.fileName, stamp, image);
                    }
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
