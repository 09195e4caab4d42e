#include "Corvallen/Documents/PageRenderer.h"

#include <QList>
#include <QMetaObject>

#include <poppler/qt6/poppler-qt6.h>

#include <atomic>
#include <cmath>

namespace {

// The resolution at which a page of this size (in points) stays within the pixel budget.
double boundedDpi(const QSizeF& points, double dpi)
{
    const double pixels = points.width() * dpi / 72.0 * (points.height() * dpi / 72.0);
    if (!(pixels > double(PageRenderer::maxPixels)))
        return dpi;
    // A little under the bound, as the renderer rounds each side up.
    return dpi * std::sqrt(double(PageRenderer::maxPixels) / pixels) * 0.999;
}

}  // namespace

// The worker side: its own queue of requests, one page rendered per turn of its event loop, so
// that requests and withdrawals from the main thread are seen between two pages.
class PageRenderWorker : public QObject {
public:
    PageRenderWorker(PageRenderer::Opener open, PageRenderer* owner) : m_open(std::move(open)), m_owner(owner) {}

    void request(PageRenderer::Key key)
    {
        m_queue.removeAll(key);
        m_queue.append(key);
        schedule();
    }

    void keepOnly(const QSet<int>& pages)
    {
        m_queue.removeIf([&](const PageRenderer::Key& k) { return !pages.contains(k.page); });
    }

private:
    void schedule()
    {
        if (m_scheduled)
            return;
        m_scheduled = true;
        QMetaObject::invokeMethod(this, [this] { renderNext(); }, Qt::QueuedConnection);
    }

    void renderNext()
    {
        m_scheduled = false;
        if (m_queue.isEmpty())
            return;
        // The newest request first: it is the page the user is looking at now.
        const PageRenderer::Key key = m_queue.takeLast();
        if (!m_opened) {
            m_pdf = m_open ? m_open() : nullptr;
            if (m_pdf) {
                m_pdf->setRenderHint(Poppler::Document::Antialiasing);
                m_pdf->setRenderHint(Poppler::Document::TextAntialiasing);
            }
            m_opened = true;
        }
        QImage image;
        if (m_pdf)
            if (std::unique_ptr<Poppler::Page> page = m_pdf->page(key.page)) {
                const double dpi = boundedDpi(page->pageSizeF(), key.dpi100 / 100.0);
                // A page of a few hundred thousand drawing operations takes a minute: closing
                // the window stops it instead of waiting for it.
                const auto closing = [](const QVariant& flag) {
                    return reinterpret_cast<const std::atomic<bool>*>(flag.value<quintptr>())->load();
                };
                image = page->renderToImage(dpi, dpi, -1, -1, -1, -1, Poppler::Page::Rotate0, nullptr, nullptr, closing,
                                            QVariant::fromValue(reinterpret_cast<quintptr>(&m_closing)));
            }
        if (m_closing)
            return;
        PageRenderer* owner = m_owner;
        QMetaObject::invokeMethod(owner, [owner, key, image] { owner->store(key, image); }, Qt::QueuedConnection);
        if (!m_queue.isEmpty())
            schedule();
    }

    friend class PageRenderer;
    PageRenderer::Opener m_open;
    PageRenderer* m_owner;
    std::unique_ptr<Poppler::Document> m_pdf;
    bool m_opened = false;
    bool m_scheduled = false;
    std::atomic<bool> m_closing{false};
    QList<PageRenderer::Key> m_queue;
};

PageRenderer::PageRenderer(Opener open, qint64 cacheBytes, QObject* parent)
    : QObject(parent), m_limit(std::max<qint64>(cacheBytes, 1))
{
    m_worker = new PageRenderWorker(std::move(open), this);
    m_worker->moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("PageRenderer"));
    m_thread.start();
}

PageRenderer::~PageRenderer()
{
    m_worker->m_closing = true;
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
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
    if (!m_requested.contains(key)) {
        m_requested.insert(key);
        PageRenderWorker* worker = m_worker;
        QMetaObject::invokeMethod(worker, [worker, key] { worker->request(key); }, Qt::QueuedConnection);
    }
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
    m_requested.removeIf([&](const Key& k) { return !pages.contains(k.page); });
    PageRenderWorker* worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker, pages] { worker->keepOnly(pages); }, Qt::QueuedConnection);
}

void PageRenderer::store(Key key, const QImage& image)
{
    m_requested.remove(key);
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
