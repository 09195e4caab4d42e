#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>

#include <deque>
#include <functional>

// The process-wide cache of document thumbnails, keyed by the document's stored file name. It
// has no size limit: an entry is dropped when its document is deleted from the library, and the
// whole cache is emptied after every markup save so that thumbnails are drawn again with the
// new markup. Main thread only.
class ThumbnailCache : public QObject {
    Q_OBJECT
public:
    static ThumbnailCache& shared();

    // The cached thumbnail, or a null image.
    QImage value(const QString& fileName) const { return m_images.value(fileName); }
    bool contains(const QString& fileName) const { return m_images.contains(fileName); }
    qsizetype size() const { return m_images.size(); }

    void insert(const QString& fileName, const QImage& image);
    void remove(const QString& fileName);
    void clear();

    // Fills an entry off the main thread, so a list of many documents shows at once and its
    // pictures follow: `render` runs on a worker (it must touch no record) and its image goes
    // into the cache unless the entry was removed or the cache emptied meanwhile; ready() then
    // tells the views. Asking again while one is drawn does nothing. A render that gives no
    // image isn't tried again until the entry is removed or the cache emptied.
    void request(const QString& fileName, std::function<QImage()> render);
    bool isPending(const QString& fileName) const { return m_pending.contains(fileName); }
    bool hasNone(const QString& fileName) const { return m_none.contains(fileName); }

Q_SIGNALS:
    // A requested entry is in (or was found to have no picture).
    void ready(const QString& fileName);
    // Views showing thumbnails ask again after these.
    void removed(const QString& fileName);
    void cleared();

private:
    ThumbnailCache() = default;
    void startNext();
    void finish(const QString& fileName, quint64 stamp, const QImage& image);

    QHash<QString, QImage> m_images;
    // Entries asked for and not in yet, in the order asked; at most a few draw at once.
    QSet<QString> m_pending;
    std::deque<std::pair<QString, std::function<QImage()>>> m_waiting;
    int m_running = 0;
    QSet<QString> m_none;
    // Bumped by remove() (per entry) and clear() (all): a picture drawn before is stale.
    QHash<QString, quint64> m_stamps;
    quint64 m_epoch = 0;
};
