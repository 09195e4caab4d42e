#pragma once

#include <QHash>
#include <QMultiHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>

// What a thumbnail's drawing is told while it runs: whether to stop because its time is spent,
// its entry is no longer wanted or the application is quitting. Asked from the drawing thread.
class ThumbnailJob {
public:
    explicit ThumbnailJob(std::chrono::milliseconds budget);
    bool shouldStop() const;
    bool ranOutOfTime() const { return m_outOfTime; }
    bool abandoned() const { return m_abandoned; }
    void abandon() { m_abandoned = true; }

private:
    std::chrono::steady_clock::time_point m_deadline;
    std::atomic<bool> m_abandoned{false};
    mutable std::atomic<bool> m_outOfTime{false};
};

// The process-wide cache of document thumbnails, keyed by the document's stored file name. It
// has no size limit: an entry is dropped when its document is deleted from the library, and the
// whole cache is emptied after every markup save so that thumbnails are drawn again with the
// new markup. Main thread only.
class ThumbnailCache : public QObject {
    Q_OBJECT
public:
    static ThumbnailCache& shared();
    // A cache of its own (tests); the program uses shared().
    explicit ThumbnailCache(QObject* parent = nullptr) : QObject(parent) {}

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
    //
    // Each drawing has a time budget that `render` keeps by asking the job whether to stop. A
    // document that runs out of it the first time goes to the back of the queue, so the quick
    // ones overtake it, and gets one longer try; out of time again, it has no picture this run.
    using Render = std::function<QImage(const ThumbnailJob& job)>;
    void request(const QString& fileName, Render render);
    bool isPending(const QString& fileName) const { return m_pending.contains(fileName); }
    bool hasNone(const QString& fileName) const { return m_none.contains(fileName); }

    // Stops the drawings under way and starts no more; called as the application quits, so that
    // quitting never waits for a slow document.
    void abandonAll();
    // How many drawings were stopped before their end (out of time, dropped or abandoned).
    int stoppedCount() const { return m_stopped; }

    // The time budgets of a first try and of the second one.
    void setTimeBudgets(std::chrono::milliseconds first, std::chrono::milliseconds second);

Q_SIGNALS:
    // A requested entry is in (or was found to have no picture).
    void ready(const QString& fileName);
    // Views showing thumbnails ask again after these.
    void removed(const QString& fileName);
    void cleared();

private:
    struct Waiting {
        QString fileName;
        Render render;
        int attempt = 0;
    };
    void startNext();
    void finish(const QString& fileName, quint64 stamp, const QImage& image);

    QHash<QString, QImage> m_images;
    // Entries asked for and not in yet, in the order asked; at most a few draw at once.
    QSet<QString> m_pending;
    std::deque<Waiting> m_waiting;
    int m_running = 0;
    QMultiHash<QString, std::shared_ptr<ThumbnailJob>> m_jobs;  // running, by entry
    bool m_abandoned = false;
    int m_stopped = 0;
    std::chrono::milliseconds m_firstBudget{2000};
    std::chrono::milliseconds m_secondBudget{20000};
    QSet<QString> m_none;
    // Bumped by remove() (per entry) and clear() (all): a picture drawn before is stale.
    QHash<QString, quint64> m_stamps;
    quint64 m_epoch = 0;
};
