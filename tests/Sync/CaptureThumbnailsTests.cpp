// Capture thumbnails: an instrument screen is its own thumbnail pixel for pixel, a large picture
// is scaled once and kept on disk for as long as it is unchanged, and the shared thumbnails are
// read in the background and kept in memory within their budget.
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Sync/CaptureThumbnails.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace corvallen::test;

namespace {

// An instrument screen: hard-edged, one white pixel in the corner.
QImage screen(int w = 480, int h = 272)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::black);
    image.setPixelColor(0, 0, Qt::white);
    return image;
}

// A photo: a left half red and a right half blue.
QImage photo(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, w / 2, h, Qt::red);
    p.fillRect(w / 2, 0, w - w / 2, h, Qt::blue);
    return image;
}

void setModified(const QString& path, const QDateTime& when)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
}

}  // namespace

TEST(CaptureThumbnails, ScreensAreTheirOwnThumbnailsAndLargePicturesAreScaledOnceAndKeptWhileUnchanged)
{
    const QString folder = freshFolder();
    const QString cache = folder + QStringLiteral("/cache/thumb.png");

    // A screen that fits: returned as it is, and nothing is written to the cache.
    const QString screenPath = folder + QStringLiteral("/screen.png");
    ASSERT_TRUE(screen().save(screenPath));
    const QImage same = CaptureThumbnails::load(screenPath, cache);
    EXPECT_EQ(same.convertToFormat(QImage::Format_RGB32), screen());
    EXPECT_FALSE(QFileInfo::exists(cache));

    // A large photo: scaled within the thumbnail size, keeping its shape, and kept on disk.
    const QString photoPath = folder + QStringLiteral("/photo.png");
    ASSERT_TRUE(photo(1920, 1080).save(photoPath));
    setModified(photoPath, QDateTime(QDate(2024, 1, 1), QTime(8, 0), Qt::UTC));
    const QImage scaled = CaptureThumbnails::load(photoPath, cache);
    EXPECT_EQ(scaled.size(), QSize(480, 270));
    EXPECT_EQ(scaled.pixelColor(10, 135), QColor(Qt::red));
    EXPECT_EQ(scaled.pixelColor(470, 135), QColor(Qt::blue));
    ASSERT_TRUE(QFileInfo::exists(cache));

    // The kept thumbnail is what the next request reads, as long as the photo is unchanged:
    // paint over the kept file (keeping its stamp) and it is that file that comes back.
    QImage kept(cache);
    ASSERT_FALSE(kept.isNull());
    kept.fill(Qt::green);
    kept.setText(QStringLiteral("CorvallenSourceModified"), QImage(cache).text(QStringLiteral("CorvallenSourceModified")));
    ASSERT_TRUE(kept.save(cache));
    EXPECT_EQ(CaptureThumbnails::load(photoPath, cache).pixelColor(10, 10), QColor(Qt::green));

    // A photo changed since (a new modification time) gets a new thumbnail.
    ASSERT_TRUE(photo(1000, 2000).save(photoPath));
    setModified(photoPath, QDateTime(QDate(2024, 2, 1), QTime(8, 0), Qt::UTC));
    const QImage fresh = CaptureThumbnails::load(photoPath, cache);
    EXPECT_EQ(fresh.size(), QSize(240, 480));
    EXPECT_EQ(QImage(cache).size(), QSize(240, 480));

    // Nothing to read: no thumbnail.
    EXPECT_TRUE(CaptureThumbnails::load(folder + QStringLiteral("/missing.png"), cache).isNull());
    QFile junk(folder + QStringLiteral("/junk.png"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a picture");
    junk.close();
    EXPECT_TRUE(CaptureThumbnails::load(junk.fileName(), folder + QStringLiteral("/cache/junk.png")).isNull());
}

TEST(CaptureThumbnails, SharedThumbnailsArriveInTheBackgroundAndStayWithinTheirMemoryBudget)
{
    CaptureThumbnails& thumbnails = CaptureThumbnails::shared();
    const qint64 budget = thumbnails.memoryBudget();
    thumbnails.clearMemory();
    const QString captures = DeviceStorage::capturesFolder();
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(screen(480, 272).save(captures + QStringLiteral("/budget-%1.png").arg(i)));
    ASSERT_TRUE(photo(2000, 1000).save(captures + QStringLiteral("/budget-photo.png")));

    // The listener lives only as long as this test: the shared object outlives it.
    QStringList ready;
    QObject listener;
    QObject::connect(&thumbnails, &CaptureThumbnails::ready, &listener, [&](const QString& name) { ready << name; });

    // First asked: nothing yet; the thumbnail follows, announced once.
    EXPECT_TRUE(thumbnails.thumbnail(QStringLiteral("budget-0.png")).isNull());
    EXPECT_TRUE(thumbnails.thumbnail(QStringLiteral("budget-0.png")).isNull()) << "asked again while it is made";
    ASSERT_TRUE(waitUntil([&] { return ready.contains(QStringLiteral("budget-0.png")); }));
    processEvents();
    EXPECT_EQ(ready.count(QStringLiteral("budget-0.png")), 1);
    EXPECT_EQ(thumbnails.thumbnail(QStringLiteral("budget-0.png")).size(), QSize(480, 272));

    // The large photo's thumbnail is kept on disk; forgetting a capture removes it.
    thumbnails.thumbnail(QStringLiteral("budget-photo.png"));
    ASSERT_TRUE(waitUntil([&] { return ready.contains(QStringLiteral("budget-photo.png")); }));
    EXPECT_TRUE(QFileInfo::exists(CaptureThumbnails::cacheFilePath(QStringLiteral("budget-photo.png"))));
    EXPECT_TRUE(CaptureThumbnails::cacheFilePath(QStringLiteral("budget-photo.png")).startsWith(AppPaths::cacheFolder()));
    thumbnails.forget(QStringLiteral("budget-photo.png"));
    EXPECT_FALSE(QFileInfo::exists(CaptureThumbnails::cacheFilePath(QStringLiteral("budget-photo.png"))));

    // A budget of three screens keeps the three most recently used.
    const qint64 oneScreen = QImage(480, 272, QImage::Format_RGB32).sizeInBytes();
    thumbnails.clearMemory();
    thumbnails.setMemoryBudget(3 * oneScreen);
    for (int i = 0; i < 6; ++i) {
        const QString name = QStringLiteral("budget-%1.png").arg(i);
        thumbnails.thumbnail(name);
        ASSERT_TRUE(waitUntil([&] { return !thumbnails.thumbnail(name).isNull(); }));
    }
    EXPECT_LE(thumbnails.memoryInUse(), 3 * oneScreen);
    for (int i = 3; i < 6; ++i)
        EXPECT_FALSE(thumbnails.thumbnail(QStringLiteral("budget-%1.png").arg(i)).isNull()) << i;
    EXPECT_TRUE(thumbnails.thumbnail(QStringLiteral("budget-0.png")).isNull()) << "the oldest went first";

    // A capture whose image is missing has no thumbnail and nothing is announced.
    ready.clear();
    EXPECT_TRUE(thumbnails.thumbnail(QStringLiteral("gone.png")).isNull());
    thumbnails.waitForIdle();
    processEvents();
    EXPECT_FALSE(ready.contains(QStringLiteral("gone.png")));
    EXPECT_TRUE(thumbnails.thumbnail(QStringLiteral("../outside.png")).isNull());

    thumbnails.waitForIdle();
    processEvents();
    thumbnails.setMemoryBudget(budget);
    thumbnails.clearMemory();
}
