#include "Corvallen/Model/ThumbnailCache.h"

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
    if (m_images.remove(fileName))
        Q_EMIT removed(fileName);
}

void ThumbnailCache::clear()
{
    if (m_images.isEmpty())
        return;
    m_images.clear();
    Q_EMIT cleared();
}
