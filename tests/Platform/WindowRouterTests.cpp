#include "Corvallen/Platform/WindowRouter.h"

#include <gtest/gtest.h>

#include <memory>

namespace {
struct Router {
    WindowRouter router;
    QList<QObject*> shown;
    QList<QObject*> raised;
    Router()
    {
        router.setPresenters([this](QObject* w) { shown << w; }, [this](QObject* w) { raised << w; });
        router.registerGroup(QStringLiteral("settings"), [] { return new QObject; });
    }
    ~Router()
    {
        for (QObject* w : router.windows(QStringLiteral("settings")))
            delete w;
        for (QObject* w : router.windows(QStringLiteral("doc-viewer")))
            delete w;
        for (QObject* w : router.windows(QStringLiteral("capture-viewer")))
            delete w;
    }
};
}  // namespace

TEST(WindowRouter, GroupsOpenANewWindowPerRequest)
{
    Router r;
    QObject* a = r.router.open(QStringLiteral("settings"));
    QObject* b = r.router.open(QStringLiteral("settings"));
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    EXPECT_EQ(r.shown.size(), 2);
    EXPECT_EQ(r.router.windows(QStringLiteral("settings")).size(), 2);
    EXPECT_EQ(r.router.open(QStringLiteral("no-such-window")), nullptr);
}

TEST(WindowRouter, KeyedWindowsAreOnePerValue)
{
    Router r;
    int made = 0;
    auto factory = [&] {
        ++made;
        return new QObject;
    };
    QObject* first = r.router.openKeyed(QStringLiteral("capture-viewer"), QStringLiteral("a.png"), factory);
    QObject* again = r.router.openKeyed(QStringLiteral("capture-viewer"), QStringLiteral("a.png"), factory);
    EXPECT_EQ(first, again);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(r.raised, QList<QObject*>{first});

    QObject* other = r.router.openKeyed(QStringLiteral("capture-viewer"), QStringLiteral("b.png"), factory);
    EXPECT_NE(other, first);
    // The same key under another kind is another window.
    QObject* doc = r.router.openKeyed(QStringLiteral("doc-viewer"), QStringLiteral("a.png"), factory);
    EXPECT_NE(doc, first);
    EXPECT_EQ(made, 3);

    // A closed window frees its value.
    delete first;
    QObject* reopened = r.router.openKeyed(QStringLiteral("capture-viewer"), QStringLiteral("a.png"), factory);
    EXPECT_EQ(made, 4);
    EXPECT_EQ(r.router.keyedWindow(QStringLiteral("capture-viewer"), QStringLiteral("a.png")), reopened);
}

TEST(WindowRouter, KeyedKindsWithARegisteredFactory)
{
    Router r;
    QStringList made;
    r.router.registerKeyed(QStringLiteral("capture-viewer"), [&](const QString& key) {
        made << key;
        return new QObject;
    });
    QObject* a = r.router.openKeyed(QStringLiteral("capture-viewer"), QStringLiteral("a.png"));
    QObject* again = r.router.openKeyed(QStringLiteral("capture-viewer"), QStringLiteral("a.png"));
    EXPECT_EQ(a, again);
    EXPECT_EQ(made, QStringList{QStringLiteral("a.png")});
    EXPECT_EQ(r.router.openKeyed(QStringLiteral("unregistered"), QStringLiteral("a.png")), nullptr);

    EXPECT_EQ(WindowRouter::current(), nullptr);
    r.router.makeCurrent();
    EXPECT_EQ(WindowRouter::current(), &r.router);
}
