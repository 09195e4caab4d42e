#include "Corvallen/Shell/DocViewerTarget.h"
#include "Corvallen/Shell/WindowRouter.h"

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

TEST(DocViewerTarget, EqualOnlyWhenAllThreeFieldsAreEqual)
{
    const DocViewerTarget library{QStringLiteral("F.pdf"), QStringLiteral("L.markup.pdf"), QString()};
    const DocViewerTarget project{QStringLiteral("F.pdf"), QStringLiteral("P.markup.pdf"), QStringLiteral("Amp")};
    EXPECT_NE(library, project);
    EXPECT_NE(qHash(library), qHash(project));
    EXPECT_EQ(library, (DocViewerTarget{QStringLiteral("F.pdf"), QStringLiteral("L.markup.pdf"), QString()}));

    // Keyed by its coding, the two get two windows; the same value again gets the open one.
    Router r;
    auto factory = [] { return new QObject; };
    QObject* a = r.router.openKeyed(QStringLiteral("doc-viewer"), QString::fromUtf8(library.toJson()), factory);
    QObject* b = r.router.openKeyed(QStringLiteral("doc-viewer"), QString::fromUtf8(project.toJson()), factory);
    QObject* c = r.router.openKeyed(QStringLiteral("doc-viewer"), QString::fromUtf8(library.toJson()), factory);
    EXPECT_NE(a, b);
    EXPECT_EQ(a, c);
}

TEST(DocViewerTarget, CodingNeedsAllThreeTextKeys)
{
    const DocViewerTarget t{QStringLiteral("F.pdf"), QStringLiteral("M.markup.pdf"), QStringLiteral("Amp \"2\"")};
    EXPECT_EQ(t.toJson(), QByteArray(R"({"fileName":"F.pdf","markupFileName":"M.markup.pdf","scopeLabel":"Amp \"2\""})"));
    EXPECT_EQ(DocViewerTarget::fromJson(t.toJson()), t);
    EXPECT_FALSE(DocViewerTarget::fromJson(R"({"fileName":"F.pdf","markupFileName":"M"})"));
    EXPECT_FALSE(DocViewerTarget::fromJson(R"({"fileName":"F.pdf","markupFileName":"M","scopeLabel":3})"));
    EXPECT_FALSE(DocViewerTarget::fromJson("[]"));
    EXPECT_TRUE(DocViewerTarget::fromJson(R"({"scopeLabel":"","fileName":"F","markupFileName":"M","extra":1})"));
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
