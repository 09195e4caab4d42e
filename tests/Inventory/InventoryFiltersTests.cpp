#include "Corvallen/Inventory/InventoryFilters.h"
#include "Corvallen/Inventory/InventoryPage.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/DragString.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "support/TestStore.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

class InventoryFiltersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        container = corvallen::test::openTestStore();
        ASSERT_TRUE(container);
    }
    ModelContext& ctx() { return container->mainContext(); }
    Component* part(const QString& name, qint64 qty = 10, qint64 minQty = 0)
    {
        auto* c = ctx().insert(new Component(name));
        c->setQty(qty);
        c->setMinQty(minQty);
        return c;
    }
    QStringList names(const InventoryFilters& f)
    {
        QStringList out;
        for (Component* c : f.filtered(InventoryPage::allComponents(ctx())))
            out << c->name();
        return out;
    }
    std::unique_ptr<ModelContainer> container;
};

TEST_F(InventoryFiltersTest, SearchLooksAtNamePartNumberCategoryLocationSpecsAndTagsOnly)
{
    part(QStringLiteral("xabcx"));
    part(QStringLiteral("by part"))->setPartNumber(QStringLiteral("P-ABC-1"));
    part(QStringLiteral("by tag"))->setTags(QStringLiteral("smd, abc"));
    part(QStringLiteral("by category"))->setCategory(QStringLiteral("Abcde"));
    part(QStringLiteral("by location"))->setLocation(QStringLiteral("shelf abc"));
    part(QStringLiteral("by specs"))->setKeySpecs(QStringLiteral("1% ABC"));
    part(QStringLiteral("by maker"))->setManufacturer(QStringLiteral("ABC Corp"));
    part(QStringLiteral("by bin"))->setBin(QStringLiteral("abc"));
    part(QStringLiteral("by notes"))->setNotes(QStringLiteral("abc"));

    InventoryFilters f;
    f.search = QStringLiteral("  ABC\t");
    EXPECT_EQ(names(f), (QStringList{"by category", "by location", "by part", "by specs", "by tag", "xabcx"}));

    f.search = QStringLiteral(" \t ");
    EXPECT_EQ(names(f).size(), 9) << "a blank search matches everything";

    f.search = QStringLiteral("\n");
    part(QStringLiteral("two\nlines"));
    EXPECT_EQ(names(f), QStringList{"two\nlines"}) << "a line break is not trimmed";
}

// Case is ignored the same way in every locale, Turkish dotted and dotless i included: Unicode's
// lower case alone turns "DİYOT" into "di̇yot" (i and a combining dot), which "diyot" never finds,
// and "ILIK" into "ilik", which "ılık" never finds.
TEST_F(InventoryFiltersTest, LetterCaseIsIgnoredInEveryLocaleTurkishIIncluded)
{
    part(QStringLiteral("WIDERSTAND 10k"));
    part(QStringLiteral("DİYOT 1N4148"));
    part(QStringLiteral("ılık su pompası"));
    part(QStringLiteral("by tag"))->setTags(QStringLiteral("İZMİR"));
    part(QStringLiteral("ΑΝΤΙΣΤΑΣΗ"));
    for (const char* localeName : {"tr_TR", "de_DE", "en_GB", "C"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(localeName)));
        InventoryFilters f;
        auto found = [&](const char* search) {
            f.search = QString::fromUtf8(search);
            return names(f);
        };
        EXPECT_EQ(found("widerstand"), QStringList{"WIDERSTAND 10k"}) << localeName;
        EXPECT_EQ(found("Widerstand"), QStringList{"WIDERSTAND 10k"}) << localeName;
        for (const char* typed : {"diyot", "Diyot", "DİYOT", "dıyot", "di\u0307yot"})
            EXPECT_EQ(found(typed), QStringList{"DİYOT 1N4148"}) << localeName << " " << typed;
        EXPECT_EQ(found("ILIK"), QStringList{"ılık su pompası"}) << localeName;
        EXPECT_EQ(found("ilik su"), QStringList{"ılık su pompası"}) << localeName;
        EXPECT_EQ(found("izmir"), QStringList{"by tag"}) << localeName;
        EXPECT_EQ(found("αντίσταση").size(), 0) << localeName << ": accents still count";
        EXPECT_EQ(found("αντισταση"), QStringList{"ΑΝΤΙΣΤΑΣΗ"}) << localeName;
    }
    QLocale::setDefault(QLocale::c());
}

TEST_F(InventoryFiltersTest, StatusSegmentsFollowTheDerivedStatus)
{
    part(QStringLiteral("at level"), 5, 5);
    part(QStringLiteral("empty"), 0, 5);
    part(QStringLiteral("negative"), -3, 0);
    part(QStringLiteral("plenty"), 50, 5);
    part(QStringLiteral("on order"), 50, 5)->setStatusOverride(QStringLiteral("ordered"));
    part(QStringLiteral("odd override"), 50, 5)->setStatusOverride(QStringLiteral("Ordered"));

    InventoryFilters f;
    f.statusFilter = InventoryStatusFilter::low;
    EXPECT_EQ(names(f), QStringList{"at level"});
    f.statusFilter = InventoryStatusFilter::out;
    EXPECT_EQ(names(f), (QStringList{"empty", "negative"}));
    f.statusFilter = InventoryStatusFilter::ordered;
    EXPECT_EQ(names(f), QStringList{"on order"});
    f.statusFilter = InventoryStatusFilter::inStock;
    EXPECT_EQ(names(f), (QStringList{"odd override", "plenty"}));
    f.statusFilter = InventoryStatusFilter::all;
    EXPECT_EQ(names(f).size(), 6);
    EXPECT_FALSE(InventoryStatusFilters::fromRawValue(QStringLiteral("in stock")));
}

TEST_F(InventoryFiltersTest, ValueFiltersAreExactAndCombineWithSearch)
{
    auto* upper = part(QStringLiteral("R1"));
    upper->setCategory(QStringLiteral("Resistor"));
    upper->setManufacturer(QStringLiteral("Yageo"));
    upper->setLocation(QStringLiteral("Drawer 3"));
    upper->setTags(QStringLiteral("SMD, 0805"));
    part(QStringLiteral("R2"))->setCategory(QStringLiteral("resistor"));
    part(QStringLiteral("C1"));

    InventoryFilters f;
    f.categoryFilter = QStringLiteral("Resistor");
    EXPECT_EQ(names(f), QStringList{"R1"});
    f.manufacturerFilter = QStringLiteral("Yageo");
    f.locationFilter = QStringLiteral("Drawer 3");
    f.tagFilter = QStringLiteral("smd");
    EXPECT_EQ(names(f), QStringList{"R1"});
    f.search = QStringLiteral("c1");
    EXPECT_TRUE(names(f).isEmpty());
    EXPECT_TRUE(f.hasActiveFilters());

    f.clearFilters();
    EXPECT_FALSE(f.hasActiveFilters());
    EXPECT_EQ(f.search, QStringLiteral("c1")) << "Clear keeps the search";
    EXPECT_EQ(names(f), QStringList{"C1"});

    InventoryFilters searchOnly;
    searchOnly.search = QStringLiteral("x");
    EXPECT_FALSE(searchOnly.hasActiveFilters());
}

TEST_F(InventoryFiltersTest, MenuOptionsJoinTermsAndComponentValues)
{
    part(QStringLiteral("a"))->setCategory(QStringLiteral("resistor"));
    part(QStringLiteral("b"))->setCategory(QStringLiteral("Resistor"));
    part(QStringLiteral("c"))->setCategory(QStringLiteral(""));
    part(QStringLiteral("d"))->setCategory(QStringLiteral("Capacitor"));
    ctx().insert(new TaxonomyTerm(TermKind::category, QStringLiteral("Diode"), std::nullopt));
    ctx().insert(new TaxonomyTerm(TermKind::category, QStringLiteral("Capacitor"), std::nullopt));
    ctx().insert(new TaxonomyTerm(TermKind::manufacturer, QStringLiteral("Unused Maker"), std::nullopt));
    part(QStringLiteral("e"))->setTags(QStringLiteral("smd, THT"));
    part(QStringLiteral("f"))->setTags(QStringLiteral("smd,, 0805"));

    const QList<TaxonomyTerm*> terms = ctx().fetch<TaxonomyTerm>();
    const QList<Component*> all = InventoryPage::allComponents(ctx());
    const QStringList categories = InventoryFilters::filterOptions(TermKind::category, terms, all);
    ASSERT_EQ(categories.size(), 4);
    EXPECT_EQ(categories.mid(0, 2), (QStringList{"Capacitor", "Diode"}));
    EXPECT_TRUE(categories.contains("Resistor") && categories.contains("resistor"));
    EXPECT_EQ(InventoryFilters::filterOptions(TermKind::manufacturer, terms, all), QStringList{"Unused Maker"});
    EXPECT_EQ(InventoryFilters::tagOptions(all), (QStringList{"0805", "smd", "tht"}));

    InventoryFilters f;
    f.manufacturerFilter = QStringLiteral("Unused Maker");
    EXPECT_TRUE(names(f).isEmpty());
}

TEST_F(InventoryFiltersTest, RowTextsAndCounts)
{
    auto* c = part(QStringLiteral("R"), -3);
    EXPECT_EQ(InventoryPage::subtitle(*c), QString());
    EXPECT_EQ(InventoryPage::quantityText(*c), QStringLiteral("-3 pcs"));
    c->setBin(QStringLiteral("B2"));
    EXPECT_EQ(InventoryPage::subtitle(*c), QStringLiteral("B2"));
    c->setLocation(QStringLiteral(""));
    EXPECT_EQ(InventoryPage::subtitle(*c), QStringLiteral(" \u00B7 B2"));
    c->setLocation(QStringLiteral("Drawer 3"));
    c->setCategory(QStringLiteral("Resistor"));
    EXPECT_EQ(InventoryPage::subtitle(*c), QStringLiteral("Resistor \u2014 Drawer 3 \u00B7 B2"));

    EXPECT_EQ(InventoryPage::emptyState(0).title, QStringLiteral("No components yet"));
    EXPECT_EQ(InventoryPage::emptyState(4).title, QStringLiteral("Nothing matches"));
    EXPECT_EQ(InventoryPage::countLine(12, 40), QStringLiteral("12 of 40"));
}

TEST_F(InventoryFiltersTest, DragPayloadCarriesTheIdentifierAndDeleteTakesProjectLines)
{
    Component* c = InventoryPage::addComponent(ctx());
    EXPECT_EQ(c->name(), QStringLiteral("New component"));
    EXPECT_EQ(c->unit(), QStringLiteral("pcs"));
    EXPECT_FALSE(ctx().hasChanges()) << "Add saves at once";

    const QString payload = InventoryPage::dragPayload(*c);
    ASSERT_TRUE(payload.startsWith(QStringLiteral("corvallen-part:")));
    EXPECT_EQ(DragString::decode(payload, DragString::partPrefix()), c->persistentModelID());
    EXPECT_EQ(InventoryPage::selectedComponent(InventoryPage::allComponents(ctx()), c->persistentModelID()), c);

    auto* project = ctx().insert(new Project(QStringLiteral("Amp"), QString(), QString()));
    auto* line = ctx().insert(new ProjectComponent(c, project, 2));
    ASSERT_TRUE(ctx().save());
    InventoryPage::deleteComponent(c, ctx());
    EXPECT_TRUE(line->isDeleted());
    EXPECT_EQ(ctx().fetchCount<Component>(), 0);
    EXPECT_FALSE(ctx().hasChanges());
}

}  // namespace
