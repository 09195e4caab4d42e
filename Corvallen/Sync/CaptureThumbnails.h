#pragma once

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>

#include <memory>

class QThreadPool;

// Thumbnails of capture images for the Library grid, the dashboard's strip and the bulk
// inspector, so that showing and scrolling a large library never decodes a large image on the
// main thread and keeps only a bounded number of pictures in memory. Full images are read only
// where a capture is looked at closely (the viewer, the compare view).
//
// A thumbnail is the capture's image fitted within kMaxSide x kMaxSide. An image that fits
// already (the instrument's own 480 x 272 screens) is its own thumbnail and is read straight from
// the captures folder, pixel for pixel; a larger one is scaled down once and kept on disk under
// cacheFolder()/thumbnails, in a file named after the capture's file name that records the
// image's modification time, so that a changed image gets a new thumbnail. Reading and scaling
// run on worker threads, newest request first; decoded thumbnails are kept in memory within a
// byte budget, the least recently used going first. Main thread only, apart from load().
class CaptureThumbnails : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxSide = 480;

    static CaptureThumbnails& shared();
    ~CaptureThumbnails() override;

    // The thumbnail when it is in memory. Otherwise a null image, and the thumbnail is read or
    // made in the background; ready() follows once it is in memory. A missing or unreadable
    // image has no thumbnail (nothing follows) and is tried again at the next request, as is a
    // request dropped because many newer ones came after it.
    QImage thumbnail(const QString& fileName);
    // Drops the thumbnail of a capture whose image is gone, from memory and disk.
    void forget(const QString& fileName);

    qint64 memoryBudget() const { return m_memory.maxCost(); }
    void setMemoryBudget(qint64 bytes) { m_memory.setMaxCost(bytes); }
    qint64 memoryInUse() const { return m_memory.totalCost(); }
    // Forgets every thumbnail in memory (the files on disk stay).
    void clearMemory() { m_memory.clear(); }

    // Where the thumbnail of a capture is kept on disk when its image is larger than one.
    static QString cacheFilePath(const QString& fileName);
    // The thumbnail of the image at `imagePath`, made on the calling thread: the one kept at
    // `cacheFile` when it was made from the image as it is now; else the image itself when it
    // fits; else the image scaled down, which is then kept at `cacheFile`. Null when the image
    // can't be read.
    static QImage load(const QString& imagePath, const QString& cacheFile);

    // Waits for the thumbnails being made now; requests still queued are dropped (quitting,
    // tests).
    void waitForIdle();

Q_SIGNALS:
    void ready(const QString& fileName);

private:
    struct Queue;
    CaptureThumbnails();
    void startWorker();
    void deliver(const QString& fileName, const QImage& image);

    QCache<QString, QImage> m_memory;
    QSet<QString> m_pending;  // queued or being made
    std::shared_ptr<Queue> m_queue;
    QThreadPool* m_pool;
};
