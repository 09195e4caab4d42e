#include "Corvallen/Inventory/TermManager.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "support/TestStore.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

class TermManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        container = corvallen::test::openTestStore();
        ASSERT_TRUE(container);
    }
    ModelContext& ctx() { return container->mainContext(); }
    Component* part(const QString& name, const QString& category, const QString& subcategory = {})
    {
        auto* c = ctx().insert(new Component(name));
        c->setCategory(category);
        if (!subcategory.isEmpty())
            c->setSubcategory(subcategory);
        c->setUpdatedAt(QDateTime::currentDateTime().addDays(-10));
        return c;
    }
    TaxonomyTerm* term(TermKind kind, const QString& name, const std::optional<QString>& parent = std::nullopt)
    {
        return ctx().insert(new TaxonomyTerm(kind, name, parent));
    }
    std::unique_ptr<ModelContainer> container;
};

TEST_F(TermManagerTest, AddingFindsExistingTermsAndOnlyFillsAMissingParent)
{
    term(TermKind::category, QStringLiteral("Resistors"));
    auto* film = term(TermKind::subcategory, QStringLiteral("Film"));
    ASSERT_TRUE(ctx().save());

    EXPECT_FALSE(TermManager::canAdd(QStringLiteral(" \t ")));
    EXPECT_FALSE(TermManager::add(QStringLiteral("  "), QString(), TermKind::category, ctx()));

    EXPECT_TRUE(TermManager::add(QStringLiteral("  resistors "), QString(), TermKind::category, ctx()));
    EXPECT_EQ(TermManager::termsOf(TermKind::category, TermManager::allTerms(ctx())).size(), 1);

    TermManager::add(QStringLiteral("film"), QStringLiteral("Capacitors"), TermKind::subcategory, ctx());
    EXPECT_EQ(film->parent(), std::optional<QString>(QStringLiteral("Capacitors")));
    TermManager::add(QStringLiteral("Film"), QStringLiteral("Resistors"), TermKind::subcategory, ctx());
    EXPECT_EQ(film->parent(), std::optional<QString>(QStringLiteral("Capacitors")));

    // A parent left in the add row is not given to a kind without parents.
    TermManager::add(QStringLiteral("Yageo"), QStringLiteral("Capacitors"), TermKind::manufacturer, ctx());
    const QList<TaxonomyTerm*> makers = TaxonomyTerm::terms(TermKind::manufacturer, ctx());
    ASSERT_EQ(makers.size(), 1);
    EXPECT_FALSE(makers.first()->parent());
    EXPECT_FALSE(ctx().hasChanges());
}

TEST_F(TermManagerTest, RenameRewritesComponentsAndChildParents)
{
    auto* resistors = term(TermKind::category, QStringLiteral("resistors"));
    auto* carbon = term(TermKind::subcategory, QStringLiteral("Carbon"), QStringLiteral("Resistors"));
    auto* a = part(QStringLiteral("a"), QStringLiteral("RESISTORS"), QStringLiteral("Carbon"));
    auto* b = part(QStringLiteral("b"), QStringLiteral("Caps"));
    const QDateTime old = b->updatedAt();
    ASSERT_TRUE(ctx().save());

    EXPECT_EQ(TermManager::commitRename(resistors, QStringLiteral("Resistors"), ctx()), QStringLiteral("resistors"))
        << "a change of letter case alone is not applied";
    EXPECT_EQ(TermManager::commitRename(resistors, QStringLiteral("   "), ctx()), QStringLiteral("resistors"));

    EXPECT_EQ(TermManager::commitRename(resistors, QStringLiteral(" Passives "), ctx()), QStringLiteral("Passives"));
    EXPECT_EQ(a->category(), std::optional<QString>(QStringLiteral("Passives")));
    EXPECT_GT(a->updatedAt(), old);
    EXPECT_EQ(b->updatedAt(), old);
    EXPECT_EQ(carbon->parent(), std::optional<QString>(QStringLiteral("Passives")));
    EXPECT_EQ(resistors->usageCount(ctx()), 1);
    EXPECT_EQ(TermManager::parentNames(TermKind::subcategory, ctx()), QStringList{"Passives"});
    EXPECT_TRUE(TermManager::parentNames(TermKind::manufacturer, ctx()).isEmpty());
    EXPECT_FALSE(ctx().hasChanges());

    TermManager::setParent(carbon, QString(), ctx());
    EXPECT_FALSE(carbon->parent());
    EXPECT_EQ(a->subcategory(), std::optional<QString>(QStringLiteral("Carbon")));
}

TEST_F(TermManagerTest, DeleteClearsComponentsAndOrphansChildren)
{
    auto* resistors = term(TermKind::category, QStringLiteral("Resistors"));
    auto* carbon = term(TermKind::subcategory, QStringLiteral("Carbon"), QStringLiteral("resistors"));
    QList<Component*> users;
    for (const QString& n : {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")})
        users << part(n, QStringLiteral("Resistors"), QStringLiteral("Carbon"));
    auto* other = part(QStringLiteral("4"), QStringLiteral("Caps"));
    ASSERT_TRUE(ctx().save());

    const qsizetype usage = resistors->usageCount(ctx());
    EXPECT_EQ(TermManager::usageLabel(usage), QStringLiteral("3 parts"));
    EXPECT_EQ(TermManager::deleteTitle(resistors, TermKind::category), QStringLiteral("Delete \u201CResistors\u201D?"));
    EXPECT_EQ(TermManager::deleteMessage(resistors->name(), usage, TermKind::category),
              QStringLiteral("\u201CResistors\u201D is used by 3 part(s). Deleting it clears the category on those parts."));

    TermManager::deleteTerm(resistors, ctx());
    EXPECT_TRUE(resistors->isDeleted());
    for (Component* c : users) {
        EXPECT_FALSE(c->category());
        EXPECT_EQ(c->subcategory(), std::optional<QString>(QStringLiteral("Carbon")));
    }
    EXPECT_EQ(other->category(), std::optional<QString>(QStringLiteral("Caps")));
    EXPECT_FALSE(carbon->isDeleted());
    EXPECT_FALSE(carbon->parent());
    EXPECT_FALSE(ctx().hasChanges());
}

TEST_F(TermManagerTest, UsageCountsOfAListAgreeWithEachTermsOwnCount)
{
    const QList<TaxonomyTerm*> terms{term(TermKind::category, QStringLiteral("Resistors")),
                                     term(TermKind::category, QStringLiteral("resistors")),
                                     term(TermKind::category, QStringLiteral("Caps")),
                                     term(TermKind::category, QStringLiteral("Unused"))};
    part(QStringLiteral("1"), QStringLiteral("RESISTORS"));
    part(QStringLiteral("2"), QStringLiteral("Resistors"));
    part(QStringLiteral("3"), QStringLiteral(" Resistors"));
    part(QStringLiteral("4"), QStringLiteral("caps"));
    ctx().insert(new Component(QStringLiteral("no category")));
    const auto counts = TermManager::usageCounts(TermKind::category, terms, ctx());
    for (const TaxonomyTerm* t : terms)
        EXPECT_EQ(counts.value(t), t->usageCount(ctx())) << t->name().toStdString();
    EXPECT_EQ(counts.value(terms[0]), 3) << "a stray blank around a value is no other name";
    EXPECT_EQ(counts.value(terms[3]), 0);
}

TEST(TermManagerTexts, LabelsAndPlaceholders)
{
    EXPECT_EQ(TermManager::usageLabel(0), QStringLiteral("unused"));
    EXPECT_EQ(TermManager::usageLabel(1), QStringLiteral("1 part"));
    EXPECT_EQ(TermManager::addPlaceholder(TermKind::bin), QStringLiteral("Add bin / drawer…"));
    EXPECT_EQ(TermManager::noParentTitle(TermKind::bin), QStringLiteral("No location"));
    EXPECT_EQ(TermManager::emptyTitle(TermKind::manufacturer), QStringLiteral("No manufacturers"));
    EXPECT_EQ(TermManager::emptyTitle(TermKind::bin), QStringLiteral("No bins / drawers"));
    EXPECT_EQ(TermManager::deleteTitle(nullptr, TermKind::location), QStringLiteral("Delete location?"));
    EXPECT_EQ(TermManager::deleteMessage(QStringLiteral("Resistors"), 0, TermKind::category),
              QStringLiteral("\u201CResistors\u201D isn\u2019t used by any parts."));
}

}  // namespace
