#include "Corvallen/Inventory/ComboSuggestions.h"
#include "Corvallen/Inventory/ComponentEditing.h"
#include "Corvallen/Inventory/InventoryFilters.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "support/IcuExpect.h"
#include "support/TestStore.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

TEST(ComboSuggestionsTest, PrefixMatchesComeBeforeInnerMatches)
{
    const QStringList options{"Resistor", "Capacitor", "Varistor", "Istor"};
    EXPECT_EQ(ComboSuggestions::suggestions(QStringLiteral("IST"), options, true), (QStringList{"Istor", "Resistor", "Varistor"}));
    EXPECT_TRUE(ComboSuggestions::suggestions(QStringLiteral("ist"), options, false).isEmpty());
    EXPECT_TRUE(ComboSuggestions::suggestions(QStringLiteral("   "), options, true).isEmpty());
    EXPECT_TRUE(ComboSuggestions::suggestions(QStringLiteral(" resistor "), options, true).isEmpty())
        << "the only candidate already is the text";
    EXPECT_EQ(ComboSuggestions::suggestions(QStringLiteral("cap"), {"Cap", "Capacitor"}, true), (QStringList{"Cap", "Capacitor"}));
    EXPECT_TRUE(ComboSuggestions::suggestions(QStringLiteral("x"), {}, true).isEmpty());

    QStringList twelve;
    for (int i = 0; i < 12; ++i)
        twelve << QStringLiteral("part %1").arg(i);
    const QStringList shown = ComboSuggestions::suggestions(QStringLiteral("part"), twelve, true);
    EXPECT_EQ(shown, twelve.mid(0, 8));
}

class ComponentEditingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        container = corvallen::test::openTestStore();
        ASSERT_TRUE(container);
        component = ctx().insert(new Component(QStringLiteral("LM317")));
        ASSERT_TRUE(ctx().save());
    }
    ModelContext& ctx() { return container->mainContext(); }
    std::unique_ptr<ModelContainer> container;
    Component* component = nullptr;
};

TEST_F(ComponentEditingTest, TextFieldsAndOnOrderBindings)
{
    EXPECT_EQ(ComponentEditing::fieldValue(QString()), std::nullopt);
    EXPECT_EQ(ComponentEditing::fieldValue(QStringLiteral(" ")), std::optional<QString>(QStringLiteral(" ")));
    EXPECT_EQ(ComponentEditing::fieldText(std::nullopt), QString());

    component->setStatusOverride(QStringLiteral("something"));
    EXPECT_FALSE(ComponentEditing::onOrder(*component));
    ComponentEditing::setOnOrder(*component, true);
    EXPECT_EQ(component->status(), StockStatus::ordered);
    ComponentEditing::setOnOrder(*component, false);
    EXPECT_FALSE(component->statusOverride());
    EXPECT_EQ(component->status(), StockStatus::out);
}

TEST_F(ComponentEditingTest, ComboOptionsNarrowByParentUnlessNothingIsUnderIt)
{
    ctx().insert(new TaxonomyTerm(TermKind::subcategory, QStringLiteral("Film"), QStringLiteral("capacitors")));
    ctx().insert(new TaxonomyTerm(TermKind::subcategory, QStringLiteral("ceramic"), QStringLiteral("Capacitors")));
    ctx().insert(new TaxonomyTerm(TermKind::subcategory, QStringLiteral("Carbon"), QStringLiteral("Resistors")));
    ctx().insert(new TaxonomyTerm(TermKind::category, QStringLiteral("Capacitors"), std::nullopt));
    const QList<TaxonomyTerm*> terms = ctx().fetch<TaxonomyTerm>();

    EXPECT_EQ(ComponentEditing::comboOptions(TermKind::subcategory, QStringLiteral("CAPACITORS"), terms),
              (QStringList{"ceramic", "Film"}));
    EXPECT_EQ(ComponentEditing::comboOptions(TermKind::subcategory, QStringLiteral("Diodes"), terms),
              (QStringList{"Carbon", "ceramic", "Film"}));
    EXPECT_EQ(ComponentEditing::comboOptions(TermKind::subcategory, QString(), terms).size(), 3);
    EXPECT_EQ(ComponentEditing::comboOptions(TermKind::category, std::nullopt, terms), QStringList{"Capacitors"});
    EXPECT_TRUE(ComponentEditing::comboOptions(TermKind::bin, std::nullopt, terms).isEmpty());
}

TEST_F(ComponentEditingTest, MarginTextNeedsBothPricesAndTruncatesThePercentage)
{
    EXPECT_FALSE(ComponentEditing::marginText(2.0, std::nullopt, QStringLiteral("GBP")));
    // The amount is written as the locale writes money, a loss with the locale's minus sign, and the
    // percentage in the same digits and minus sign.
    using corvallen::test::icuDecimal;
    for (const QString& name : corvallen::test::icuTestLocales() + QStringList{QStringLiteral("sv_SE")}) {
        SCOPED_TRACE(name.toStdString());
        QLocale::setDefault(QLocale(name));
        EXPECT_EQ(*ComponentEditing::marginText(2.0, 3.0, QStringLiteral("EUR")),
                  QStringLiteral("Margin ") + corvallen::test::icuCurrency(1, QStringLiteral("EUR"), name) + QStringLiteral(" (")
                      + icuDecimal(50, 0, name) + QStringLiteral("%)"));
        EXPECT_EQ(*ComponentEditing::marginText(0.0, 5.0, QStringLiteral("JPY")),
                  QStringLiteral("Margin ") + corvallen::test::icuCurrency(5, QStringLiteral("JPY"), name));
        EXPECT_EQ(*ComponentEditing::marginText(3.0, 2.0, QStringLiteral("EUR")),
                  QStringLiteral("Margin ") + corvallen::test::icuCurrency(-1, QStringLiteral("EUR"), name) + QStringLiteral(" (")
                      + icuDecimal(-33, 0, name) + QStringLiteral("%)"));
    }
    QLocale::setDefault(QLocale::c());
    // Extreme prices don't stop the margin, and a ratio beyond any figure is left out.
    const std::optional<QString> extreme = ComponentEditing::marginText(1e-300, 1e300, QStringLiteral("GBP"));
    ASSERT_TRUE(extreme.has_value());
    EXPECT_FALSE(extreme->contains(u'%')) << extreme->toStdString();
}

TEST_F(ComponentEditingTest, CommitLowersTagsStampsRegistersTermsAndSaves)
{
    const QDateTime before = QDateTime::currentDateTime().addDays(-3);
    component->setUpdatedAt(before);
    component->setTags(QStringLiteral("SMD, Linear ,TO-220"));
    component->setCategory(QStringLiteral("  Regulators "));
    component->setSubcategory(QStringLiteral("Linear"));
    component->setLocation(QStringLiteral("Drawer 3"));
    component->setBin(QStringLiteral("A1"));
    component->setManufacturer(QStringLiteral("   "));

    ASSERT_TRUE(ComponentEditing::commit(*component, ctx()));
    EXPECT_EQ(component->tags(), std::optional<QString>(QStringLiteral("smd, linear ,to-220")));
    EXPECT_GT(component->updatedAt(), before);
    EXPECT_FALSE(ctx().hasChanges());

    const auto terms = [&](TermKind k) { return TaxonomyTerm::terms(k, ctx()); };
    ASSERT_EQ(terms(TermKind::category).size(), 1);
    EXPECT_EQ(terms(TermKind::category).first()->name(), QStringLiteral("Regulators"));
    ASSERT_EQ(terms(TermKind::subcategory).size(), 1);
    EXPECT_EQ(terms(TermKind::subcategory).first()->parent(), std::optional<QString>(QStringLiteral("Regulators")));
    EXPECT_EQ(terms(TermKind::bin).first()->parent(), std::optional<QString>(QStringLiteral("Drawer 3")));
    EXPECT_TRUE(terms(TermKind::manufacturer).isEmpty());

    ASSERT_TRUE(ComponentEditing::commit(*component, ctx()));
    EXPECT_EQ(ctx().fetchCount<TaxonomyTerm>(), 4) << "a second Done creates no duplicates";

    // The part carries the names the term lists carry, so the filter menus offer one entry per
    // term and the term manager counts, renames and clears the part.
    EXPECT_EQ(component->category(), QStringLiteral("Regulators"));
    EXPECT_FALSE(component->manufacturer()) << "a value of blanks is no value";
    component->setCategory(QStringLiteral("regulators\t"));
    component->setSubcategory(QStringLiteral(" LINEAR"));
    component->setLocation(QStringLiteral("drawer 3"));
    ComponentEditing::commit(*component, ctx());
    EXPECT_EQ(component->category(), QStringLiteral("Regulators"));
    EXPECT_EQ(component->subcategory(), QStringLiteral("Linear"));
    EXPECT_EQ(component->location(), QStringLiteral("Drawer 3"));
    EXPECT_EQ(ctx().fetchCount<TaxonomyTerm>(), 4);
    EXPECT_EQ(terms(TermKind::category).first()->usageCount(ctx()), 1);
    InventoryFilters filters;
    filters.categoryFilter = QStringLiteral("Regulators");
    EXPECT_EQ(filters.filtered({component}).size(), 1);
    EXPECT_EQ(InventoryFilters::filterOptions(TermKind::category, ctx().fetch<TaxonomyTerm>(), {component}), QStringList{"Regulators"});

    // Absent tags stay absent.
    component->setTags(std::nullopt);
    ComponentEditing::commit(*component, ctx());
    EXPECT_FALSE(component->tags());
}

}  // namespace
