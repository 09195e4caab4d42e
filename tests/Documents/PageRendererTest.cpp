#include "Corvallen/Documents/PageRenderer.h"
#include "DocumentsTestSupport.h"
#include "support/EventLoop.h"

#include <poppler/qt6/poppler-qt6.h>

#include <gtest/gtest.h>

#include <thread>

using namespace documents_test;

namespace {

TEST(PageRenderer, RendersOnItsOwnThreadAndKeepsTheCacheWithinItsBytes)
{
    const QByteArray pdf = makePdf(6);
    std::thread::id renderThread;
    // Room for about two pages of 612 x 792 at 72 dpi (4 bytes a pixel).
    const qint64 limit = 2 * 612 * 792 * 4 + 1000;
    PageRenderer renderer(
        [&] {
            renderThread = std::this_thread::get_id();
            return Poppler::Document::loadFromData(pdf);
        },
        limit);
    QList<int> ready;
    QObject::connect(&renderer, &PageRenderer::pageReady, [&](int page) { ready << page; });

    bool exact = true;
    EXPECT_TRUE(renderer.image(0, 72, &exact).isNull());
    EXPECT_FALSE(exact);
    ASSERT_TRUE(corvallen::test::waitUntil([&] { return ready.contains(0); }));
    EXPECT_NE(renderThread, std::this_thread::get_id());
    const QImage page0 = renderer.image(0, 72, &exact);
    EXPECT_TRUE(exact);
    EXPECT_EQ(page0.size(), QSize(612, 792));

    // Until the sharper picture is made, the one at the other zoom stands in.
    const QImage stand = renderer.image(0, 36, &exact);
    EXPECT_FALSE(exact);
    EXPECT_EQ(stand.size(), QSize(612, 792));

    for (int i = 1; i < 6; ++i)
        renderer.image(i, 72);
    ASSERT_TRUE(corvallen::test::waitUntil([&] { return renderer.pendingCount() == 0; }));
    EXPECT_LE(renderer.cachedBytes(), limit);
    EXPECT_GT(renderer.cachedBytes(), 0);

    // Pages no longer wanted are not rendered. Only the pages the worker started before
    // keepOnly() may still come: on a loaded machine that can be more than one, so the pages
    // are made large enough that it can't be all of them.
    ready.clear();
    for (int i = 0; i < 6; ++i)
        renderer.image(i, 200);
    renderer.keepOnly({5});
    ASSERT_TRUE(corvallen::test::waitUntil([&] { return renderer.pendingCount() == 0; }));
    corvallen::test::processEvents();
    EXPECT_TRUE(ready.contains(5));
    EXPECT_LT(ready.size(), 6);
}

}  // namespace

namespace {

// One page of the given size in points whose left half is black.
QByteArray halfBlackPage(double width, double height)
{
    const QByteArray h = QByteArray::number(height);
    return makeOnePagePdf("/MediaBox [0 0 " + QByteArray::number(width) + " " + h + "]",
                          "0 0 0 rg 0 0 " + QByteArray::number(width / 2) + " " + h + " re f\n");
}

TEST(PageRenderer, PagesTooLargeForTheirZoomAreRenderedWithinThePixelBudget)
{
    // A poster-sized page at the closest zoom on a dense screen, and a letter page there: whole
    // pictures would need 53 GB and 500 MB.
    for (const QSizeF points : {QSizeF(14400, 14400), QSizeF(612, 792)}) {
        const QByteArray pdf = halfBlackPage(points.width(), points.height());
        PageRenderer renderer([&] { return Poppler::Document::loadFromData(pdf); }, qint64(1) << 30);
        const double dpi = 72.0 * 8 * 2;
        renderer.image(0, dpi);
        ASSERT_TRUE(corvallen::test::waitUntil([&] { return renderer.pendingCount() == 0; }));
        bool exact = false;
        const QImage image = renderer.image(0, dpi, &exact);
        EXPECT_TRUE(exact);
        ASSERT_FALSE(image.isNull());
        EXPECT_LE(qint64(image.width()) * image.height(), PageRenderer::maxPixels);
        EXPECT_GT(qint64(image.width()) * image.height(), PageRenderer::maxPixels * 9 / 10) << "as fine as the budget allows";
        EXPECT_NEAR(double(image.width()) / image.height(), points.width() / points.height(), 0.01);
        // The page itself, not a blank or one-pixel stand-in.
        EXPECT_EQ(image.pixelColor(image.width() / 4, image.height() / 2), QColor(Qt::black));
        EXPECT_EQ(image.pixelColor(image.width() * 3 / 4, image.height() / 2), QColor(Qt::white));
    }
}

}  // namespace
