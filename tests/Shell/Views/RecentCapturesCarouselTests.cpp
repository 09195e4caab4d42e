#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Shell/Views/RecentCapturesCarousel.h"
#include "Corvallen/Sync/CaptureThumbnails.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"

#include <QAbstractButton>
#include <QImage>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(RecentCapturesCarousel, ChevronsStepAndThumbnailsOpen)
{
    auto container = ModelContainer::open(corvallen::test::freshFolder() + QStringLiteral("/Corvallen.store"), corvallenSchema());
    QList<Capture*> captures;
    for (int i = 0; i < 10; ++i)
        captures << container->mainContext().insert(new Capture(QStringLiteral("c%1.png").arg(i)));
    // One real, tiny image: it is drawn with hard pixel edges; the rest have no file.
    QImage tiny(4, 2, QImage::Format_RGB32);
    tiny.fill(Qt::black);
    tiny.setPixelColor(0, 0, Qt::white);
    ASSERT_TRUE(tiny.save(DeviceStorage::capturesFolder() + QStringLiteral("/c0.png")));

    int opened = 0;
    RecentCapturesCarousel carousel(captures, [&] { ++opened; });
    carousel.resize(500, carousel.height());
    carousel.show();
    EXPECT_EQ(RecentCapturesCarousel::thumbnailSize(), QSize(150, 85));
    ASSERT_EQ(carousel.thumbnails().size(), 10);

    std::vector<int> seen;
    for (int k = 0; k < 4; ++k) {
        carousel.rightButton()->click();
        seen.push_back(carousel.index());
    }
    for (int k = 0; k < 4; ++k) {
        carousel.leftButton()->click();
        seen.push_back(carousel.index());
    }
    EXPECT_EQ(seen, (std::vector<int>{3, 6, 9, 9, 6, 3, 0, 0}));

    // Every thumbnail opens, whether its image loads or not.
    static_cast<QAbstractButton*>(carousel.thumbnails().at(0))->click();
    static_cast<QAbstractButton*>(carousel.thumbnails().at(5))->click();
    EXPECT_EQ(opened, 2);

    // The picture is read in the background; the strip shows it once it is in.
    ASSERT_TRUE(corvallen::test::waitUntil([] { return !CaptureThumbnails::shared().thumbnail(QStringLiteral("c0.png")).isNull(); }));
    const QImage drawn = carousel.thumbnails().at(0)->grab().toImage();
    // Upscaled without smoothing: the white source pixel stays pure white over a block.
    EXPECT_EQ(drawn.pixelColor(drawn.width() / 8, drawn.height() / 4), QColor(Qt::white));

    // A shorter list keeps the position until the next click clamps it.
    carousel.setCaptures(captures.mid(0, 2));
    carousel.rightButton()->click();
    EXPECT_EQ(carousel.index(), 1);
}
