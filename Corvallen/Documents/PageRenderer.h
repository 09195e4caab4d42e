#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QThread>

#include <functional>
#include <memory>

namespace Poppler {
class Document;
}

class PageRenderWorker;

// Renders the pages of a shown document on a worker thread and keeps the pictures in a cache
// bounded in bytes, so scrolling a long scanned document never waits for a page on the main
// thread. The worker opens its own copy of the document (poppler documents are not shared
// between threads) and talks to the main thread only through queued calls. Requests for pages
// no longer wanted are dropped before they are rendered.
class PageRenderer : public QObject {
    Q_OBJECT
public:
    using Opener = std::function<std::unique_ptr<Poppler::Document>()>;

    // The most pixels one page's picture holds (160 MB). A larger page, or a closer zoom, is
    // rendered at the finest resolution within it and drawn scaled up: a poster-sized page or
    // a page at the closest zoom on a dense screen would otherwise need gigabytes, which the
    // renderer refuses by giving a one-pixel picture.
    static constexpr qint64 maxPixels = qint64(40) * 1000 * 1000;

    PageRenderer(Opener open, qint64 cacheBytes, QObject* parent = nullptr);
    ~PageRenderer() override;

    // The page's picture at this resolution once rendered. Otherwise the render is requested and
    // the best picture of the page at another resolution is returned (null when there is none);
    // `exact` tells which.
    QImage image(int page, double dpi, bool* exact = nullptr);
    // Only these pages are still wanted: pending requests for other pages are dropped.
    void keepOnly(const QSet<int>& pages);

    qint64 cachedBytes() const { return m_bytes; }
    qint64 cacheLimit() const { return m_limit; }
    int pendingCount() const { return int(m_requested.size()); }

    struct Key {
        int page;
        int dpi100;  // dpi in hundredths, so nearly equal zoom steps share one picture
        bool operator==(const Key& o) const { return page == o.page && dpi100 == o.dpi100; }
    };

signals:
    // A requested page's picture is in the cache (main thread).
    void pageReady(int page);

private:
    friend class PageRenderWorker;
    struct Entry {
        QImage image;
        quint64 used;
    };

    void store(Key key, const QImage& image);

    qint64 m_limit;
    qint64 m_bytes = 0;
    quint64 m_clock = 0;
    QHash<Key, Entry> m_cache;
    QSet<Key> m_requested;
    QThread m_thread;
    PageRenderWorker* m_worker = nullptr;  // lives on m_thread
};

inline size_t qHash(const PageRenderer::Key& k, size_t seed = 0)
{
    return qHashMulti(seed, k.page, k.dpi100);
}
