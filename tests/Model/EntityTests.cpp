// What a new record holds, and the values derived from records: titles, stock status, tag
// lists, project totals, document types and kinds, markup names.
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "support/TestStore.h"

#include <QRegularExpression>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace corvallen::test;
using ::testing::ElementsAre;

namespace {

const QRegularExpression upperUuid(QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));

TEST(CaptureTest, ANewCaptureIsNamedAfterItsFile)
{
    const QDateTime before = QDateTime::currentDateTimeUtc();
    Capture c(QStringLiteral("IMG_0001.png"));
    EXPECT_EQ(c.fileName(), QStringLiteral("IMG_0001.png"));
    EXPECT_EQ(c.title(), QStringLiteral("unnamed_IMG_0001"));
    EXPECT_TRUE(c.notes().isEmpty());
    EXPECT_GE(c.importedAt(), before);
    EXPECT_LE(c.importedAt(), QDateTime::currentDateTimeUtc());
    EXPECT_FALSE(c.mode() || c.value() || c.unit() || c.minValue() || c.maxValue() || c.summary());
    EXPECT_EQ(c.project(), nullptr);
    EXPECT_TRUE(c.tags().isEmpty());

    EXPECT_EQ(Capture::defaultTitle(QStringLiteral("scope.2024.bmp")), QStringLiteral("unnamed_scope.2024"));
    EXPECT_EQ(Capture::defaultTitle(QStringLiteral("NOEXT")), QStringLiteral("unnamed_NOEXT"));

    // Title and file name are independent afterwards.
    c.setFileName(QStringLiteral("other.png"));
    EXPECT_EQ(c.title(), QStringLiteral("unnamed_IMG_0001"));
}

TEST(TagTest, NamesDifferingInCaseAreDifferentTags)
{
    auto store = openTestStore();
    ModelContext& ctx = store->mainContext();
    Tag* a = ctx.insert(new Tag(QStringLiteral("Audio"), QStringLiteral("#FF6B6B")));
    Tag* b = ctx.insert(new Tag(QStringLiteral("audio"), QStringLiteral("#FF6B6B")));
    EXPECT_NE(a, b);
    EXPECT_TRUE(a->captures().isEmpty());
    EXPECT_EQ(ctx.fetchCount<Tag>(), 2);
}

struct StatusCase {
    qint64 qty;
    qint64 minQty;
    std::optional<QString> override;
    StockStatus expected;
};

TEST(ComponentTest, StockStatusFollowsOverrideQuantityAndReorderLevel)
{
    const StatusCase cases[] = {
        {0, 0, std::nullopt, StockStatus::out},
        {1, 0, std::nullopt, StockStatus::inStock},
        {5, 5, std::nullopt, StockStatus::low},
        {6, 5, std::nullopt, StockStatus::inStock},
        {3, 10, std::nullopt, StockStatus::low},
        {-4, -10, std::nullopt, StockStatus::out},
        {0, 0, QStringLiteral("ordered"), StockStatus::ordered},
        {500, 1, QStringLiteral("ordered"), StockStatus::ordered},
        {500, 1, QStringLiteral("Ordered"), StockStatus::inStock},
        {0, 0, QStringLiteral(" ordered"), StockStatus::out},
    };
    for (const StatusCase& k : cases) {
        Component c(QStringLiteral("x"));
        c.setQty(k.qty);
        c.setMinQty(k.minQty);
        c.setStatusOverride(k.override);
        EXPECT_EQ(c.status(), k.expected) << k.qty << " / " << k.minQty;
    }
}

TEST(ComponentTest, ANewComponentIsOutOfStockWithDefaults)
{
    Component c(QStringLiteral("LM358"));
    EXPECT_EQ(c.qty(), 0);
    EXPECT_EQ(c.unit(), QStringLiteral("pcs"));
    EXPECT_EQ(c.minQty(), 0);
    EXPECT_FALSE(c.partNumber() || c.category() || c.notes() || c.tags() || c.confidence() || c.statusOverride()
                 || c.purchasePrice() || c.resellPrice() || c.photoFile());
    EXPECT_TRUE(c.projectUses().isEmpty());
    EXPECT_EQ(c.status(), StockStatus::out);
    EXPECT_LE(c.createdAt(), c.updatedAt());
}

TEST(ComponentTest, TagListSplitsTrimsAndLowerCases)
{
    Component c(QStringLiteral("x"));
    EXPECT_TRUE(c.tagList().isEmpty());
    c.setTags(QStringLiteral(" , ,,\t,"));
    EXPECT_TRUE(c.tagList().isEmpty());
    c.setTags(QStringLiteral(" Op-Amp ,DIP8,\u00A0op-amp\t, ÄRGER"));
    EXPECT_THAT(c.tagList(), ElementsAre(QStringLiteral("op-amp"), QStringLiteral("dip8"), QStringLiteral("op-amp"), QStringLiteral("ärger")));
    // Line breaks are not trimmed.
    c.setTags(QStringLiteral("a\n,b"));
    EXPECT_THAT(c.tagList(), ElementsAre(QStringLiteral("a\n"), QStringLiteral("b")));
}

TEST(ComponentTest, TermFieldsAreWrittenTrimmedAndReadAsStored)
{
    Component c(QStringLiteral("x"));
    c.setValue(QStringLiteral(" \n\t "), TermKind::category);
    EXPECT_FALSE(c.category().has_value());
    c.setValue(QStringLiteral("  Passives \n"), TermKind::category);
    EXPECT_EQ(c.category(), QStringLiteral("Passives"));
    c.setValue(std::nullopt, TermKind::category);
    EXPECT_FALSE(c.category().has_value());
    c.setBin(QStringLiteral(" A1 "));
    EXPECT_EQ(c.value(TermKind::bin), QStringLiteral(" A1 "));
    c.setValue(QStringLiteral("TI"), TermKind::manufacturer);
    c.setValue(QStringLiteral("Shelf"), TermKind::location);
    c.setValue(QStringLiteral("Resistors"), TermKind::subcategory);
    EXPECT_EQ(c.manufacturer(), QStringLiteral("TI"));
    EXPECT_EQ(c.location(), QStringLiteral("Shelf"));
    EXPECT_EQ(c.subcategory(), QStringLiteral("Resistors"));
}

TEST(EnumTest, RawValuesConvertExactly)
{
    EXPECT_EQ(StockStatuses::fromRawValue(QStringLiteral("in_stock")), StockStatus::inStock);
    EXPECT_FALSE(StockStatuses::fromRawValue(QStringLiteral("In stock")));
    EXPECT_FALSE(StockStatuses::fromRawValue(QStringLiteral("LOW")));
    EXPECT_EQ(StockStatuses::label(StockStatus::inStock), QStringLiteral("In stock"));
    EXPECT_EQ(TermKinds::fromRawValue(QStringLiteral("bin")), TermKind::bin);
    EXPECT_FALSE(TermKinds::fromRawValue(QStringLiteral("Category")));
    EXPECT_FALSE(TermKinds::fromRawValue(QStringLiteral("bins")));
    EXPECT_EQ(TermKinds::pluralTitle(TermKind::bin), QStringLiteral("Bins / drawers"));
    EXPECT_EQ(TermKinds::singularTitle(TermKind::bin), QStringLiteral("bin / drawer"));
    EXPECT_EQ(DocTypes::fromRawValue(QStringLiteral("serviceManual")), DocType::serviceManual);
    EXPECT_FALSE(DocTypes::fromRawValue(QStringLiteral("manual")));
    EXPECT_EQ(DocTypes::label(DocType::serviceManual), QStringLiteral("Service manual"));
}

TEST(ProjectTest, LabourTotalPrefersAFlatAmount)
{
    Project p(QStringLiteral("Amp repair"), {}, {});
    EXPECT_EQ(p.labourTotal(), 0.0);
    EXPECT_EQ(p.partsResellTotal(), 0.0);
    EXPECT_EQ(p.partsCostTotal(), 0.0);
    EXPECT_FALSE(p.quoteCombined());
    p.setLabourHours(2.5);
    EXPECT_EQ(p.labourTotal(), 0.0) << "no rate";
    p.setLabourRate(40);
    EXPECT_EQ(p.labourTotal(), 100.0);
    p.setLabourHours(std::nullopt);
    EXPECT_EQ(p.labourTotal(), 0.0);
    p.setLabourHours(10);
    p.setLabourRate(25);
    p.setLabourFlat(0.0);
    EXPECT_EQ(p.labourTotal(), 0.0) << "a present flat amount wins, even 0";
}

TEST(ProjectTest, PartsTotalsSumQuantityTimesPriceUnrounded)
{
    auto store = openTestStore();
    ModelContext& ctx = store->mainContext();
    Project* p = ctx.insert(new Project(QStringLiteral("P"), {}, {}));
    Component* priced = ctx.insert(new Component(QStringLiteral("a")));
    priced->setResellPrice(1.5);
    Component* unpriced = ctx.insert(new Component(QStringLiteral("b")));
    unpriced->setPurchasePrice(2.0);
    ctx.insert(new ProjectComponent(priced, p, 3));
    ctx.insert(new ProjectComponent(unpriced, p, 2));
    EXPECT_EQ(p->partsResellTotal(), 4.5);
    EXPECT_EQ(p->partsCostTotal(), 4.0);

    Project* q = ctx.insert(new Project(QStringLiteral("Q"), {}, {}));
    Component* tenth = ctx.insert(new Component(QStringLiteral("t")));
    tenth->setResellPrice(0.1);
    for (int i = 0; i < 3; ++i)
        ctx.insert(new ProjectComponent(tenth, q, 1));
    EXPECT_EQ(q->partsResellTotal(), 0.1 + 0.1 + 0.1);
    EXPECT_NE(q->partsResellTotal(), 0.3);

    // A line whose component is gone counts 0.
    ctx.deleteObject(priced);
    EXPECT_EQ(p->partsResellTotal(), 0.0);
}

TEST(ProjectComponentTest, CreationRaisesQuantityToOneButLaterWritesAreKept)
{
    Component c(QStringLiteral("c"));
    Project p(QStringLiteral("p"), {}, {});
    auto* zero = new ProjectComponent(&c, &p, 0);
    auto* negative = new ProjectComponent(&c, &p, -5);
    auto* seven = new ProjectComponent(&c, &p, 7);
    EXPECT_EQ(zero->quantity(), 1);
    EXPECT_EQ(negative->quantity(), 1);
    EXPECT_EQ(seven->quantity(), 7);
    EXPECT_NE(zero->id(), negative->id());
    EXPECT_EQ(c.projectUses().size(), 3);
    EXPECT_EQ(p.parts().size(), 3);
    zero->setQuantity(0);
    EXPECT_EQ(zero->quantity(), 0);
    // Detached records: unlink before they go, then free them.
    for (ProjectComponent* l : {zero, negative, seven}) {
        l->setComponent(nullptr);
        l->setProject(nullptr);
        delete l;
    }
}

TEST(DocumentTest, ANewDocumentAndItsDerivedValues)
{
    auto store = openTestStore();
    ModelContext& ctx = store->mainContext();
    Document* d = ctx.insert(new Document(QStringLiteral("X.pdf"), QStringLiteral("Service")));
    EXPECT_EQ(d->type(), DocType::reference);
    EXPECT_TRUE(d->notes().isEmpty());
    EXPECT_FALSE(d->tags() || d->sourceURL() || d->libraryMarkupFileName());
    EXPECT_EQ(d->project(), nullptr);
    EXPECT_TRUE(d->attachments().isEmpty());

    d->setTypeRaw(QStringLiteral("manual"));
    EXPECT_EQ(d->type(), DocType::other);
    EXPECT_EQ(d->typeRaw(), QStringLiteral("manual"));
    d->setType(DocType::serviceManual);
    EXPECT_EQ(d->typeRaw(), QStringLiteral("serviceManual"));

    d->setTags(QStringLiteral(" Power, ,AUDIO ,power"));
    EXPECT_THAT(d->tagList(), ElementsAre(QStringLiteral("power"), QStringLiteral("audio"), QStringLiteral("power")));
    d->setTags(QStringLiteral(","));
    EXPECT_TRUE(d->tagList().isEmpty());

    const QString markup = d->ensureLibraryMarkupFileName();
    EXPECT_EQ(d->ensureLibraryMarkupFileName(), markup);
    ASSERT_TRUE(markup.endsWith(QLatin1String(".markup.pdf")));
    EXPECT_TRUE(upperUuid.match(markup.chopped(11)).hasMatch()) << markup.toStdString();

    Project* a = ctx.insert(new Project(QStringLiteral("A"), {}, {}));
    auto* first = ctx.insert(new ProjectDocument(d, a));
    auto* second = ctx.insert(new ProjectDocument(d, a));
    auto* orphan = ctx.insert(new ProjectDocument(d, nullptr));
    EXPECT_THAT(d->linkedProjects(), ElementsAre(a, a));
    EXPECT_NE(first->markupFileName(), second->markupFileName());
    EXPECT_NE(first->markupFileName().chopped(11), first->id().toString(QUuid::WithoutBraces).toUpper());
    EXPECT_TRUE(upperUuid.match(first->markupFileName().chopped(11)).hasMatch());
    EXPECT_EQ(orphan->project(), nullptr);
}

TEST(DocumentTest, FileKindComesFromTheLowerCasedExtension)
{
    EXPECT_EQ(documentKind(QStringLiteral("Scan.PDF")), DocumentFileKind::pdf);
    EXPECT_EQ(documentKind(QStringLiteral("photo.HEIC")), DocumentFileKind::image);
    EXPECT_EQ(documentKind(QStringLiteral("board.Jpeg")), DocumentFileKind::image);
    EXPECT_EQ(documentKind(QStringLiteral("x.tif")), DocumentFileKind::image);
    EXPECT_EQ(documentKind(QStringLiteral("notes.txt")), DocumentFileKind::other);
    EXPECT_EQ(documentKind(QStringLiteral("Makefile")), DocumentFileKind::other);
    EXPECT_EQ(documentKind(QStringLiteral("archive.pdf.zip")), DocumentFileKind::other);
}

TEST(TaxonomyTermEntityTest, TheInitialiserKeepsNameAndParentAsGiven)
{
    TaxonomyTerm t(TermKind::subcategory, QStringLiteral(" Film "), QStringLiteral("   "));
    EXPECT_EQ(t.kindRaw(), QStringLiteral("subcategory"));
    EXPECT_EQ(t.name(), QStringLiteral(" Film "));
    EXPECT_EQ(t.parent(), QStringLiteral("   "));
    EXPECT_FALSE(t.notes().has_value());
    t.setKindRaw(QStringLiteral("shelf"));
    EXPECT_EQ(t.kind(), TermKind::category);
}

}  // namespace
