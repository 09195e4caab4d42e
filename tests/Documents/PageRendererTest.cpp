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
