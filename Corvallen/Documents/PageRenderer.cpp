#include "Corvallen/Documents/PageRenderer.h"

#include <QMetaObject>
#include <QPointer>

#include <poppler/qt6/poppler-qt6.h>

#include <cmath>

PageRenderer::PageRenderer(Opener open, qint64 cacheBytes, QObject* parent)
    : QObject(parent), m_open(std::move(open)), m_limit(std::max<qint64>(cacheBytes, 1))
{
    m_worker = std::thread([this] { run(); });
}

PageRenderer::~PageRenderer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    m_worker.join();
}

QImage PageRenderer::image(int page, double dpi, bool* exact)
{
    const Key key{page, int(std::lround(dpi * 100))};
    if (auto it = m_cache.find(key); it != m_cache.end()) {
        it->used = ++m_clock;
        if (exact)
            *exact = true;
        return it->image;
    }
    if (exact)
        *exact = false;
    {
        std::lock_guard lock(m_mutex);
        if (!m_pending.contains(key)) {
            m_pending.insert(key);
            m_queue.append(key);
        }
    }
    m_wake.notify_one();
    // Meanwhile the nearest picture of the page at another resolution stands in.
    QImage best;
    int bestDistance = std::numeric_limits<int>::max();
    for (auto it = m_cache.cbegin(); it != m_cache.cend(); ++it) {
        if (it.key().page != page)
            continue;
        const int distance = std::abs(it.key().dpi100 - key.dpi100);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = it->image;
        }
    }
    return best;
}

void PageRenderer::keepOnly(const QSet<int>& pages)
{
    std::lock_guard lock(m_mutex);
    QList<Key> kept;
    for (const Key& k : std::as_const(m_queue)) {
        if (pages.contains(k.page))
            kept.append(k);
        else
            m_pending.remove(k);
    }
    m_queue = kept;
}

int PageRenderer::pendingCount() const
{
    std::lock_guard lock(m_mutex);
    return int(m_pending.size());
}

void PageRenderer::run()
{
    std::unique_ptr<Poppler::Document> pdf;
    bool opened = false;
    for (;;) {
        Key key{};
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || !m_queue.isEmpty(); });
            if (m_stop)
                return;
            // The newest request first: it is the page the user is looking at now.
            key = m_queue.takeLast();
        }
        if (!opened) {
            pdf = m_open ? m_open() : nullptr;
            if (pdf) {
                pdf->setRenderHint(Poppler::Document::Antialiasing);
                pdf->setRenderHint(Poppler::Document::TextAntialiasing);
            }
            opened = true;
        }
        QImage image;
        if (pdf)
            if (std::unique_ptr<Poppler::Page> page = pdf->page(key.page))
                image = page->renderToImage(key.dpi100 / 100.0, key.dpi100 / 100.0);
        QMetaObject::invokeMethod(this, [this, key, image] { store(key, image); }, Qt::QueuedConnection);
    }
}

void PageRenderer::store(const Key& key, const QImage& image)
{
    {
        std::lock_guard lock(m_mutex);
        m_pending.remove(key);
    }
    if (image.isNull())
        return;
    if (auto old = m_cache.find(key); old != m_cache.end()) {
        m_bytes -= old->image.sizeInBytes();
        m_cache.erase(old);
    }
    m_cache.insert(key, {image, ++m_clock});
    m_bytes += image.sizeInBytes();
    // Least recently used pictures go first; the one just made always stays.
    while (m_bytes > m_limit && m_cache.size() > 1) {
        auto oldest = m_cache.end();
        for (auto it = m_cache.begin(); it != m_cache.end(); ++it)
            if (!(it.key() == key) && (oldest == m_cache.end() || it->used < oldest->used))
                oldest = it;
        if (oldest == m_cache.end())
            break;
        m_bytes -= oldest->image.sizeInBytes();
        m_cache.erase(oldest);
    }
    emit pageReady(key.page);
}
