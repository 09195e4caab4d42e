#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>

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

Q_SIGNALS:
    // Views showing thumbnails ask again after these.
    void removed(const QString& fileName);
    void cleared();

private:
    ThumbnailCache() = default;
    QHash<QString, QImage> m_images;
};
