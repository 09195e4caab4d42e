// What the import sheet, the add-from-inventory sheet and the workspace read and write.
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Projects/AddFromInventory.h"
#include "Corvallen/Projects/BomImport.h"
#include "Corvallen/Projects/BomImportApplier.h"
#include "Corvallen/Projects/BomImportPlan.h"
#include "Corvallen/Projects/ProjectContents.h"
#include "Corvallen/Projects/ProjectExport.h"
#include "Corvallen/Projects/ProjectFacet.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Projects/ProjectTexts.h"
#include "Corvallen/Projects/StockAllocation.h"
#include "support/EventLoop.h"
#include "support/IcuExpect.h"
#include "support/TestEnvironment.h"
#include "support/TestStore.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace corvallen::test;

namespace {

class ProjectPlanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = openTestStore();
        ASSERT_TRUE(store);
        project = ctx().insert(new Project(QStringLiteral("Amp"), QString(), QString()));
    }
    ModelContext& ctx() { return store->mainContext(); }
    Component* component(const QString& name, qint64 qty = 0)
    {
        Component* c = ctx().insert(new Component(name));
        c->setQty(qty);
        return c;
    }
    QList<BomImport::Match> matchCsv(const char* csv)
    {
        return BomImport::match(BomImport::parse(QByteArray(csv)), ctx().fetch<Component>());
    }
    std::unique_ptr<ModelContainer> store;
    Project* project = nullptr;
};

TEST_F(ProjectPlanTest, ImportSummaryAndButton)
{
    EXPECT_EQ(BomImportPlan::summaryText({}),
              QStringLiteral("0 parts · 0 items. Importing allocates stock — parts you're short on show as Out."));
    EXPECT_EQ(BomImportPlan::importButtonTitle({}), QStringLiteral("Import 0 parts"));
    component(QStringLiteral("LM358"));
    auto m = matchCsv("Name,Qty\nLM358,1\n");
    EXPECT_EQ(BomImportPlan::summaryText(m),
              QStringLiteral("1 part · 1 item. Importing allocates stock — parts you're short on show as Out."));
    EXPECT_EQ(BomImportPlan::importButtonTitle(m), QStringLiteral("Import 1 part"));
    m = matchCsv("Name,Qty\nLM358,2\nA,3\nB,5\n");
    EXPECT_EQ(BomImportPlan::newToInventoryCount(m), 2);
    EXPECT_TRUE(BomImportPlan::summaryText(m).startsWith(QStringLiteral("3 parts · 10 items · 2 new to inventory. Importing")));

    BomImport::Match detail;
    EXPECT_EQ(BomImportPlan::detailText(detail), QString());
    detail.manufacturer = QStringLiteral("TI");
    EXPECT_EQ(BomImportPlan::detailText(detail), QStringLiteral("TI"));
    detail.partNumber = QStringLiteral("LM358DR");
    EXPECT_EQ(BomImportPlan::detailText(detail), QStringLiteral("LM358DR · TI"));
}

TEST_F(ProjectPlanTest, ApplyingCreatesNewPartsAllocatesAndRegistersTerms)
{
    Component* held = component(QStringLiteral("LM358"), 10);
    held->setPartNumber(QStringLiteral("LM358DR"));
    StockAllocation::setPart(held, project, 5, ctx());  // qty 5
    const auto matches = matchCsv("Name,MPN,Qty,Mfr,Type\n"
                                  "Op amp,LM358DR,2,TI,ICs\n"
                                  "Buzzer,PKM17,4,Murata,Audio\n"
                                  "Buzzer,PKM22,1,,\n");
    ASSERT_EQ(matches.size(), 3);
    BomImportPlan::apply(matches, project, ctx());

    EXPECT_EQ(held->qty(), 8);  // the line went from 5 to 2
    EXPECT_EQ(StockAllocation::lineFor(held, project)->quantity(), 2);
    EXPECT_EQ(held->partNumber(), QStringLiteral("LM358DR"));
    EXPECT_EQ(held->manufacturer(), std::nullopt);  // existing components are not rewritten

    const auto buzzers = ctx().fetch<Component>([](const Component* c) { return c->name() == QStringLiteral("Buzzer"); });
    ASSERT_EQ(buzzers.size(), 2);
    EXPECT_EQ(buzzers[0]->partNumber(), QStringLiteral("PKM17"));
    EXPECT_EQ(buzzers[0]->manufacturer(), QStringLiteral("Murata"));
    EXPECT_EQ(buzzers[0]->category(), QStringLiteral("Audio"));
    EXPECT_EQ(buzzers[0]->unit(), QStringLiteral("pcs"));
    EXPECT_EQ(buzzers[0]->qty(), -4);
    EXPECT_EQ(buzzers[0]->status(), StockStatus::out);
    EXPECT_EQ(buzzers[1]->qty(), -1);
    EXPECT_EQ(project->parts().size(), 3);
    EXPECT_FALSE(ctx().hasChanges());

    QStringList makers;
    for (auto* t : TaxonomyTerm::terms(TermKind::manufacturer, ctx()))
        makers << t->name();
    EXPECT_EQ(makers, QStringList{QStringLiteral("Murata")});

    // The same file again finds everything in the inventory and changes nothing.
    const auto again = matchCsv("Name,MPN,Qty,Mfr,Type\n"
                                "Op amp,LM358DR,2,TI,ICs\n"
                                "Buzzer,PKM17,4,Murata,Audio\n"
                                "Buzzer,PKM22,1,,\n");
    for (const auto& m : again)
        EXPECT_NE(m.existing, nullptr);
    BomImportPlan::apply(again, project, ctx());
    EXPECT_EQ(ctx().fetchCount<Component>(), 3);
    EXPECT_EQ(held->qty(), 8);
    EXPECT_EQ(buzzers[0]->qty(), -4);
}

TEST_F(ProjectPlanTest, NewPartsTakeTheSpellingOfTheMakerOrCategoryAlreadyKnown)
{
    TaxonomyTerm::findOrCreate(QStringLiteral("Yageo"), TermKind::manufacturer, std::nullopt, ctx());
    const auto matches = matchCsv(QStringLiteral("Name,MPN,Qty,Mfr,Type\n"
                                                 "R1k,RC1,1,YAGEO,Resistors\n"
                                                 "R2k,RC2,1,yageo,resistors\n"
                                                 "R3k,RC3,1,Yageo  ,RESISTORS\n"
                                                 "C1,CC1,1,Murata,Capacitors\n"
                                                 "C2,CC2,1,MURATA,Capacitors\n"
                                                 "D1,D1,1,Diodes Inc.,Re\u0301sistors\n")
                                      .toUtf8()
                                      .constData());
    ASSERT_EQ(matches.size(), 6);
    BomImportPlan::apply(matches, project, ctx());

    QStringList makers, categories;
    for (const Component* c : ctx().fetch<Component>()) {
        makers << c->manufacturer().value_or(QString());
        categories << c->category().value_or(QString());
    }
    makers.sort();
    categories.sort();
    // One name is one spelling: the known term's, else the first the file used.
    EXPECT_EQ(makers, (QStringList{"Diodes Inc.", "Murata", "Murata", "Yageo", "Yageo", "Yageo"}));
    EXPECT_EQ(categories, (QStringList{"Capacitors", "Capacitors", "Resistors", "Resistors", "Resistors", QString::fromUtf8("Re\u0301sistors")}));
    QStringList makerTerms;
    for (const TaxonomyTerm* t : TaxonomyTerm::terms(TermKind::manufacturer, ctx()))
        makerTerms << t->name();
    EXPECT_EQ(makerTerms, (QStringList{"Diodes Inc.", "Murata", "Yageo"}));
}

TEST_F(ProjectPlanTest, ALongBillOfMaterialsIsWrittenInOneGo)
{
    QByteArray csv("Name,Qty\n");
    for (int i = 0; i < 200; ++i)
        csv += "part " + QByteArray::number(i) + ",2\n";
    const auto matches = BomImport::match(BomImport::parse(csv), ctx().fetch<Component>());
    int saves = 0;
    QObject::connect(&ctx(), &ModelContext::didSave, [&] { ++saves; });
    BomImportPlan::apply(matches, project, ctx());
    EXPECT_EQ(saves, 1);
    EXPECT_FALSE(ctx().hasChanges());
    EXPECT_EQ(project->parts().size(), 200);
    qint64 stock = 0;
    for (const Component* c : ctx().fetch<Component>())
        stock += c->qty();
    EXPECT_EQ(stock, -400);
}

TEST_F(ProjectPlanTest, ALongImportRunsInSlicesOnTheEventLoopAndEndsSaved)
{
    Component* known = component(QStringLiteral("part 7"), 100);
    known->setManufacturer(QStringLiteral("Known maker"));
    QByteArray csv("Name,Qty,Mfr,Type\n");
    for (int i = 0; i < 20000; ++i)  // 5,000 parts named twice, from three makers in two categories
        csv += "part " + QByteArray::number(i % 15000) + ",1,Maker " + QByteArray::number(i % 3) + ",Kind "
               + QByteArray::number(i % 2) + "\n";
    BomImport::Matcher matcher(ctx().fetch<Component>());
    BomImport::readRows(csv, [&](BomImport::Row&& row) { matcher.add(row); });
    BomImportApplier applier(matcher.takeMatches(), project, ctx());
    ASSERT_EQ(applier.total(), 15000);
    QList<qsizetype> reports;
    int finished = 0;
    QObject::connect(&applier, &BomImportApplier::progress, [&](qsizetype done, qsizetype total) {
        EXPECT_EQ(total, 15000);
        reports << done;
    });
    QObject::connect(&applier, &BomImportApplier::finished, [&] { ++finished; });
    applier.start();
    ASSERT_TRUE(waitUntil([&] { return applier.isFinished(); }));
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    EXPECT_EQ(reports.last(), 15000);
    EXPECT_FALSE(ctx().hasChanges());
    // Stock plus what the project holds stays what it was: 100 on hand, nothing for the rest.
    qint64 stock = 0;
    for (const Component* c : ctx().fetch<Component>())
        stock += c->qty();
    EXPECT_EQ(stock, 100 - 20000);
    EXPECT_EQ(project->parts().size(), 15000);
    EXPECT_EQ(known->qty(), 98);
    // The term lists know each maker and category the parts brought, once: the new parts' and
    // the one found in the inventory.
    auto termNames = [&](TermKind kind) {
        QStringList out;
        for (const TaxonomyTerm* t : TaxonomyTerm::terms(kind, ctx()))
            out << t->name();
        return out;
    };
    EXPECT_EQ(termNames(TermKind::manufacturer), (QStringList{"Known maker", "Maker 0", "Maker 1", "Maker 2"}));
    EXPECT_EQ(termNames(TermKind::category), (QStringList{"Kind 0", "Kind 1"}));
}

TEST_F(ProjectPlanTest, ApplyingAfterAPreviewedComponentWasDeletedCreatesItAgain)
{
    Component* c = component(QStringLiteral("LM358"), 3);
    const auto matches = matchCsv("Name,Qty\nLM358,2\n");
    ctx().deleteObject(c);
    BomImportPlan::apply(matches, project, ctx());
    const auto all = ctx().fetch<Component>();
    ASSERT_EQ(all.size(), 1);
    EXPECT_EQ(all[0]->qty(), -2);
    EXPECT_EQ(project->parts().size(), 1);
}

TEST_F(ProjectPlanTest, AddFromInventorySearchesNamePartNumberCategoryAndTags)
{
    Component* a = component(QStringLiteral("r10k resistor"));
    Component* b = component(QStringLiteral("other"));
    b->setPartNumber(QStringLiteral("XR100"));
    Component* c = component(QStringLiteral("third"));
    c->setCategory(QStringLiteral("R10 series"));
    Component* d = component(QStringLiteral("fourth"));
    d->setTags(QStringLiteral("smd, R10"));
    Component* e = component(QStringLiteral("unrelated"));
    e->setManufacturer(QStringLiteral("R10 maker"));
    const QList<Component*> all{a, b, c, d, e};

    EXPECT_EQ(AddFromInventory::candidates(all, QStringLiteral(" R10\t"), project), (QList<Component*>{a, b, c, d}));
    EXPECT_EQ(AddFromInventory::candidates(all, QStringLiteral("   "), project).size(), 5);
    e->setName(QStringLiteral("DİYOT"));
    EXPECT_EQ(AddFromInventory::candidates(all, QStringLiteral("diyot"), project), QList<Component*>{e});

    StockAllocation::setPart(a, project, 2, ctx());
    EXPECT_EQ(AddFromInventory::candidates(all, QStringLiteral("r10k"), project), QList<Component*>{});
    EXPECT_FALSE(AddFromInventory::nothingToAdd(all, project));
    EXPECT_TRUE(AddFromInventory::nothingToAdd({}, project));
    EXPECT_TRUE(AddFromInventory::nothingToAdd({a}, project));
}

TEST_F(ProjectPlanTest, AddingSelectedTakesOneOfEachThatTheSearchStillShows)
{
    Component* a = component(QStringLiteral("alpha"), 0);
    Component* b = component(QStringLiteral("beta"), 5);
    Component* g = component(QStringLiteral("gamma"), 5);
    const QList<Component*> all{a, b, g};
    const QSet<PersistentIdentifier> selected{a->persistentModelID(), b->persistentModelID(), g->persistentModelID()};
    EXPECT_EQ(AddFromInventory::addSelected(all, QStringLiteral("a"), selected, project, ctx()), 3);
    EXPECT_EQ(a->qty(), -1);
    EXPECT_EQ(b->qty(), 4);

    Project* p2 = ctx().insert(new Project(QStringLiteral("Two"), QString(), QString()));
    EXPECT_EQ(AddFromInventory::addSelected(all, QStringLiteral("gam"), selected, p2, ctx()), 1);
    EXPECT_EQ(g->qty(), 3);
    EXPECT_EQ(b->qty(), 4);
}

TEST_F(ProjectPlanTest, PartsListTexts)
{
    Component* r = component(QStringLiteral("resistor"), 2);
    Component* cap = component(QStringLiteral("Capacitor"), 2);
    StockAllocation::setPart(r, project, 10, ctx());
    StockAllocation::setPart(cap, project, 2, ctx());
    auto lines = ProjectContents::partLines(project);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0]->component(), cap);
    EXPECT_EQ(ProjectTexts::partsSummary(lines), QStringLiteral("2 parts · 12 items"));
    EXPECT_EQ(ProjectTexts::partsSummary(lines.mid(1, 1)), QStringLiteral("1 part · 10 items"));
    EXPECT_EQ(ProjectTexts::partsSummary({}), QStringLiteral("0 parts · 0 items"));
    EXPECT_EQ(ProjectTexts::stockText(r), QStringLiteral("-8 pcs in stock"));

    r->setCategory(QStringLiteral("Resistors"));
    r->setLocation(QStringLiteral("Drawer A"));
    r->setBin(QStringLiteral("3"));
    EXPECT_EQ(ProjectTexts::detailLine(r), QStringLiteral("Resistors — Drawer A · 3"));
    r->setLocation(QString());
    EXPECT_EQ(ProjectTexts::detailLine(r), QStringLiteral("Resistors —  · 3"));
    r->setCategory(QString());
    r->setManufacturer(QStringLiteral("Yageo"));
    r->setLocation(std::nullopt);
    EXPECT_EQ(ProjectTexts::detailLine(r), QStringLiteral("Yageo — 3"));
    EXPECT_EQ(ProjectTexts::detailLine(cap), QString());

    // Lines whose component is gone are neither listed nor counted.
    lines[0]->setComponent(nullptr);
    EXPECT_EQ(ProjectContents::partLines(project).size(), 1);
}

TEST_F(ProjectPlanTest, WorkspaceListsAndNames)
{
    EXPECT_EQ(ProjectFacets::rawValue(ProjectFacet::files), QStringLiteral("Files"));
    EXPECT_EQ(ProjectFacets::fromRawValue(QStringLiteral("Notes")), ProjectFacet::notes);
    EXPECT_EQ(ProjectFacets::fromRawValue(QStringLiteral("notes")), std::nullopt);
    EXPECT_EQ(ProjectFacets::allCases().size(), 5);

    EXPECT_EQ(ProjectTexts::exportFileName(project, ProjectTexts::projectSheetSuffix), QStringLiteral("Amp — Project Sheet.pdf"));
    project->setName(QString());
    EXPECT_EQ(ProjectTexts::displayName(project), QStringLiteral("Untitled Project"));
    EXPECT_EQ(ProjectTexts::exportFileName(project, ProjectTexts::quoteSuffix), QStringLiteral("Project — Quote.pdf"));
    // A name with characters no file name can carry still proposes a plain file name.
    project->setName(QStringLiteral("../12V/5V PSU: rev \"B\""));
    const QString proposed = ProjectTexts::exportFileName(project, ProjectTexts::quoteSuffix);
    EXPECT_EQ(proposed, QStringLiteral("-12V-5V PSU- rev -B- — Quote.pdf"));
    EXPECT_TRUE(AppPaths::isPlainFileName(proposed));
    project->setName(QString());
    EXPECT_EQ(ProjectTexts::projectCaption(project), QStringLiteral("to project"));

    const QDateTime base(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
    auto makeDoc = [&](const QString& file, const QDateTime& added) {
        auto* d = new Document;
        d->setFileName(file);
        d->setAddedAt(added);
        return ctx().insert(d);
    };
    Document* d1 = makeDoc(QStringLiteral("a.pdf"), base);
    Document* d2 = makeDoc(QStringLiteral("b.pdf"), base.addDays(3));
    for (Document* d : {d1, d2}) {
        auto* link = ctx().insert(new ProjectDocument);
        link->setDocument(d);
        link->setProject(project);
    }
    EXPECT_EQ(ProjectContents::projectDocuments(project), (QList<Document*>{d2, d1}));

    auto makeCapture = [&](const QString& file, const QDateTime& imported) {
        auto* c = new Capture;
        c->setFileName(file);
        c->setImportedAt(imported);
        return ctx().insert(c);
    };
    Capture* c1 = makeCapture(QStringLiteral("a.png"), base);
    Capture* c2 = makeCapture(QStringLiteral("b.png"), base.addDays(1));
    c1->setProject(project);
    c2->setProject(project);
    EXPECT_EQ(ProjectContents::sortedCaptures(project), (QList<Capture*>{c2, c1}));
}

TEST(ProjectTextsTest, CreatedDateIsAbbreviatedInTheLocalesOrder)
{
    const QDate d(2026, 12, 7);
    EXPECT_EQ(ProjectTexts::abbreviatedDate(d, QLocale(QLocale::English, QLocale::UnitedKingdom)), QStringLiteral("7 Dec 2026"));
    EXPECT_EQ(ProjectTexts::abbreviatedDate(d, QLocale(QLocale::English, QLocale::UnitedStates)), QStringLiteral("Dec 7, 2026"));
    EXPECT_EQ(ProjectTexts::abbreviatedDate(d, QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("7. Dez. 2026"));
    // Every locale as ICU abbreviates it: no weekday's comma left at the front (ar_EG) or the end.
    for (const QString& name : corvallen::test::icuTestLocales() + QStringList{QStringLiteral("ne_NP")}) {
        const QString text = ProjectTexts::abbreviatedDate(d, QLocale(name));
        EXPECT_EQ(text, corvallen::test::icuDate(d, QStringLiteral("yMMMd"), name)) << name.toStdString();
        EXPECT_FALSE(text.front().isPunct() || text.back().isPunct()) << name.toStdString() << ": " << text.toStdString();
    }
}

TEST_F(ProjectPlanTest, MarginLineFollowsTheCurrency)
{
    Component* c = component(QStringLiteral("part"), 10);
    c->setPurchasePrice(1.25);
    c->setResellPrice(2);
    StockAllocation::setPart(c, project, 10, ctx());
    project->setLabourHours(2);
    project->setLabourRate(15);
    using corvallen::test::icuCurrency;
    auto expected = [](const QString& code, const QString& locale, double cost, double resell, double labour) {
        return QStringLiteral("Parts cost ") + icuCurrency(cost, code, locale) + QStringLiteral(" · resell ")
               + icuCurrency(resell, code, locale) + QStringLiteral(" · margin ") + icuCurrency(resell - cost, code, locale)
               + QStringLiteral(" · labour ") + icuCurrency(labour, code, locale);
    };
    for (const QString name : {QStringLiteral("en_GB"), QStringLiteral("fr_FR"), QStringLiteral("hi_IN")})
        EXPECT_EQ(ProjectTexts::marginLine(project, QStringLiteral("GBP"), QLocale(name)),
                  expected(QStringLiteral("GBP"), name, 12.5, 20, 30));
    // A loss and a flat labour of 0 that wins over hours times rate.
    project->setLabourFlat(0);
    c->setPurchasePrice(3);
    for (const QString name : {QStringLiteral("en_US"), QStringLiteral("pl_PL"), QStringLiteral("ja_JP")})
        EXPECT_EQ(ProjectTexts::marginLine(project, QStringLiteral("SEK"), QLocale(name)),
                  expected(QStringLiteral("SEK"), name, 30, 20, 0));
}

TEST_F(ProjectPlanTest, PlacingABuiltFileReplacesTheDestination)
{
    const QString folder = freshFolder();
    const QString built = folder + QStringLiteral("/built.pdf");
    const QString dest = folder + QStringLiteral("/Amp — Quote.pdf");
    for (const auto& [path, bytes] : {std::pair{built, QByteArray("%PDF-new")}, std::pair{dest, QByteArray("%PDF-old-and-longer")}}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    EXPECT_EQ(ProjectExport::placeFile(built, dest), QString());
    QFile f(dest);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("%PDF-new"));
    EXPECT_FALSE(QFile::exists(built));
    EXPECT_FALSE(ProjectExport::placeFile(built, dest).isEmpty());
}

}  // namespace
