#include "Corvallen/Documents/DocViewerTarget.h"
#include "Corvallen/Platform/WindowRouter.h"

#include <gtest/gtest.h>

TEST(DocViewerTarget, EqualOnlyWhenAllThreeFieldsAreEqual)
{
    const DocViewerTarget library{QStringLiteral("F.pdf"), QStringLiteral("L.markup.pdf"), QString()};
    const DocViewerTarget project{QStringLiteral("F.pdf"), QStringLiteral("P.markup.pdf"), QStringLiteral("Amp")};
    EXPECT_NE(library, project);
    EXPECT_NE(qHash(library), qHash(project));
    EXPECT_EQ(library, (DocViewerTarget{QStringLiteral("F.pdf"), QStringLiteral("L.markup.pdf"), QString()}));

    // Keyed by its coding, the two get two windows; the same value again gets the open one.
    WindowRouter router;
    router.setPresenters([](QObject*) {}, [](QObject*) {});
    auto factory = [] { return new QObject; };
    QObject* a = router.openKeyed(QStringLiteral("doc-viewer"), QString::fromUtf8(library.toJson()), factory);
    QObject* b = router.openKeyed(QStringLiteral("doc-viewer"), QString::fromUtf8(project.toJson()), factory);
    QObject* c = router.openKeyed(QStringLiteral("doc-viewer"), QString::fromUtf8(library.toJson()), factory);
    EXPECT_NE(a, b);
    EXPECT_EQ(a, c);
    delete a;
    delete b;
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
