// The stock bookkeeping behind every parts list: what a project holds comes out of the free
// stock, changes move it by the difference, removal gives it back, and the sum of free stock and
// held quantities never changes.
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Projects/StockAllocation.h"
#include "support/TestStore.h"

#include <limits>

#include <gtest/gtest.h>

using namespace corvallen::test;
using namespace StockAllocation;

namespace {

class StockAllocationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = QString();
        store = openTestStore(&path);
        ASSERT_TRUE(store);
        QObject::connect(&ctx(), &ModelContext::didSave, [this] { ++saves; });
    }
    ModelContext& ctx() { return store->mainContext(); }
    Component* component(const QString& name, qint64 qty)
    {
        Component* c = ctx().insert(new Component(name));
        c->setQty(qty);
        return c;
    }
    Project* project(const QString& name) { return ctx().insert(new Project(name, QString(), QString())); }
    qint64 held(const Component* c)
    {
        qint64 sum = 0;
        for (const ProjectComponent* l : c->projectUses())
            if (!l->isDeleted())
                sum += l->quantity();
        return sum;
    }
    // Stamps updatedAt with a known old time and saves, so a later change is visible.
    void settle(Component* c)
    {
        c->setUpdatedAt(QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC));
        ASSERT_TRUE(ctx().save());
        saves = 0;
    }

    QString path;
    std::unique_ptr<ModelContainer> store;
    int saves = 0;
};

TEST_F(StockAllocationTest, AddingChangingAndRemovingMoveTheFreeStockAndKeepTheTotal)
{
    Component* c = component(QStringLiteral("10k"), 10);
    Project* p = project(QStringLiteral("Amp"));
    settle(c);
    const QDateTime old = c->updatedAt();

    ProjectComponent* line = setPart(c, p, 4, ctx());
    ASSERT_TRUE(line);
    EXPECT_EQ(c->qty(), 6);
    EXPECT_EQ(line->quantity(), 4);
    EXPECT_EQ(p->parts().size(), 1);
    EXPECT_GT(c->updatedAt(), old);
    EXPECT_EQ(saves, 1);
    const QUuid id = line->id();
    const QDateTime added = line->addedAt();

    // The figure replaces the line's quantity; it is not added to it.
    EXPECT_EQ(setPart(c, p, 7, ctx()), line);
    EXPECT_EQ(c->qty(), 3);
    EXPECT_EQ(line->quantity(), 7);
    EXPECT_EQ(c->projectUses().size(), 1);
    EXPECT_EQ(line->id(), id);
    EXPECT_EQ(line->addedAt(), added);

    // The same figure again changes nothing in the stock, not even its time.
    settle(c);
    const QDateTime stamped = c->updatedAt();
    setPart(c, p, 7, ctx());
    EXPECT_EQ(c->qty(), 3);
    EXPECT_EQ(c->updatedAt(), stamped);
    EXPECT_FALSE(ctx().hasChanges());

    setQuantity(line, 2, ctx());
    EXPECT_EQ(c->qty(), 8);
    EXPECT_EQ(c->qty() + held(c), 10);

    removePart(line, ctx());
    EXPECT_EQ(c->qty(), 10);
    EXPECT_TRUE(p->parts().isEmpty());
    EXPECT_TRUE(c->projectUses().isEmpty());

    // What reached the file is what the user sees.
    store.reset();
    store = reopenTestStore(path);
    ASSERT_TRUE(store);
    const auto comps = ctx().fetch<Component>();
    ASSERT_EQ(comps.size(), 1);
    EXPECT_EQ(comps.first()->qty(), 10);
    EXPECT_EQ(ctx().fetchCount<ProjectComponent>(), 0);
}

TEST_F(StockAllocationTest, OverAllocationGoesNegativeAndReadsAsOutUnlessOrdered)
{
    Component* a = component(QStringLiteral("LM358"), 2);
    Component* b = component(QStringLiteral("NE555"), 2);
    b->setStatusOverride(QStringLiteral("ordered"));
    Project* p = project(QStringLiteral("Amp"));
    setPart(a, p, 5, ctx());
    setPart(b, p, 5, ctx());
    EXPECT_EQ(a->qty(), -3);
    EXPECT_EQ(a->status(), StockStatus::out);
    EXPECT_EQ(b->qty(), -3);
    EXPECT_EQ(b->status(), StockStatus::ordered);
    EXPECT_EQ(b->statusOverride(), QStringLiteral("ordered"));
}

TEST_F(StockAllocationTest, QuantitiesBelowOneAreTakenAsOne)
{
    Component* c = component(QStringLiteral("cap"), 10);
    Project* p = project(QStringLiteral("Amp"));
    ProjectComponent* line = setPart(c, p, 0, ctx());
    EXPECT_EQ(line->quantity(), 1);
    EXPECT_EQ(c->qty(), 9);
    setQuantity(line, 5, ctx());
    EXPECT_EQ(c->qty(), 5);
    setQuantity(line, -4, ctx());
    EXPECT_EQ(line->quantity(), 1);
    EXPECT_EQ(c->qty(), 9);
    setPart(c, p, -100, ctx());
    EXPECT_EQ(line->quantity(), 1);
    EXPECT_EQ(c->qty(), 9);
}

TEST_F(StockAllocationTest, OneComponentOnTwoProjectsIsHeldOutOfOneStock)
{
    Component* c = component(QStringLiteral("res"), 6);
    Project* p1 = project(QStringLiteral("One"));
    Project* p2 = project(QStringLiteral("Two"));
    ProjectComponent* l1 = setPart(c, p1, 5, ctx());
    ProjectComponent* l2 = setPart(c, p2, 4, ctx());
    EXPECT_NE(l1, l2);
    EXPECT_EQ(c->qty(), -3);
    EXPECT_EQ(lineFor(c, p1), l1);
    EXPECT_EQ(lineFor(c, p2), l2);
    // Two projects with the same name are still two projects.
    Project* p3 = project(QStringLiteral("One"));
    EXPECT_EQ(lineFor(c, p3), nullptr);
    removePart(l1, ctx());
    EXPECT_EQ(c->qty(), 2);
    EXPECT_EQ(l2->quantity(), 4);
}

TEST_F(StockAllocationTest, LinesWithoutAComponentOnlyChangeTheLine)
{
    Component* c = component(QStringLiteral("res"), 6);
    Project* p = project(QStringLiteral("One"));
    ProjectComponent* line = setPart(c, p, 2, ctx());
    line->setComponent(nullptr);
    setQuantity(line, 9, ctx());
    EXPECT_EQ(line->quantity(), 9);
    EXPECT_EQ(c->qty(), 4);
    removePart(line, ctx());
    EXPECT_TRUE(line->isDeleted());
    EXPECT_EQ(c->qty(), 4);
}

TEST_F(StockAllocationTest, ADeletedLineCannotGiveItsStockBackTwice)
{
    Component* c = component(QStringLiteral("res"), 10);
    Project* p = project(QStringLiteral("One"));
    ProjectComponent* line = setPart(c, p, 4, ctx());
    removePart(line, ctx());
    EXPECT_EQ(c->qty(), 10);
    // A second click on the row's remove button before the list redraws.
    removePart(line, ctx());
    setQuantity(line, 3, ctx());
    EXPECT_EQ(c->qty(), 10);
}

TEST_F(StockAllocationTest, DeletedComponentsAndProjectsGetNoNewLines)
{
    Component* c = component(QStringLiteral("res"), 10);
    Project* p = project(QStringLiteral("One"));
    ctx().deleteObject(c);
    EXPECT_EQ(setPart(c, p, 2, ctx()), nullptr);
    EXPECT_EQ(ctx().fetchCount<ProjectComponent>(), 0);
}

TEST_F(StockAllocationTest, AbsurdQuantitiesAreBoundedAndStockNeverWraps)
{
    Component* c = component(QStringLiteral("res"), 0);
    Project* p = project(QStringLiteral("One"));
    ProjectComponent* line = setPart(c, p, std::numeric_limits<qint64>::max(), ctx());
    EXPECT_EQ(line->quantity(), maxLineQuantity);
    EXPECT_EQ(c->qty(), -maxLineQuantity);
    removePart(line, ctx());
    EXPECT_EQ(c->qty(), 0);

    c->setQty(std::numeric_limits<qint64>::min() + 1);
    adjustStock(c, -5);
    EXPECT_EQ(c->qty(), std::numeric_limits<qint64>::min());
    c->setQty(std::numeric_limits<qint64>::max() - 1);
    adjustStock(c, 5);
    EXPECT_EQ(c->qty(), std::numeric_limits<qint64>::max());
}

TEST_F(StockAllocationTest, ZeroDeltaWritesNothing)
{
    Component* c = component(QStringLiteral("res"), 3);
    settle(c);
    adjustStock(c, 0);
    EXPECT_FALSE(c->hasChanges());
    adjustStock(c, 2);
    EXPECT_EQ(c->qty(), 5);
    EXPECT_TRUE(c->hasChanges());
}

}  // namespace
