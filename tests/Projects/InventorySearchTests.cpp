// The add-from-inventory search over an inventory too long to search on the main thread: the
// same answers, in the same order, as the search of a short one.
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Projects/AddFromInventory.h"
#include "Corvallen/Projects/InventorySearch.h"
#include "Corvallen/Projects/StockAllocation.h"
#include "support/EventLoop.h"
#include "support/TestStore.h"

#include <gtest/gtest.h>

using namespace corvallen::test;

namespace {

TEST(InventorySearchTest, ALongInventoryIsSearchedOffTheMainThreadWithTheShortOnesAnswers)
{
    auto store = openTestStore();
    ASSERT_TRUE(store);
    ModelContext& ctx = store->mainContext();
    Project* project = ctx.insert(new Project(QStringLiteral("Amp"), QString(), QString()));
    const int count = int(InventorySearch::onWorkerFrom) + 300;
    for (int i = 0; i < count; ++i) {
        // Names out of order and in mixed case; part numbers, categories and tags to find.
        auto* c = ctx.insert(new Component((i % 2 ? QStringLiteral("Resistor ") : QStringLiteral("cap "))
                                           + QString::number((i * 7919) % count)));
        if (i % 3 == 0)
            c->setPartNumber(QStringLiteral("RC0603-%1").arg(i));
        c->setCategory(i % 5 ? QStringLiteral("Passives") : QStringLiteral("Kits"));
        if (i % 7 == 0)
            c->setTags(i % 2 ? QStringLiteral("Bench, SMD") : QStringLiteral("İZMİR"));
        if (i % 13 == 0)
            c->setCategory(QStringLiteral("DİYOT"));
        if (i % 11 == 0)
            StockAllocation::setPartUnsaved(c, project, 1, ctx);
    }
    const QList<Component*> all =
        ctx.fetch<Component>({}, [](const Component* a, const Component* b) { return a->name() < b->name(); });

    InventorySearch search(project, ctx);
    EXPECT_FALSE(search.isReady());
    ASSERT_TRUE(waitUntil([&] { return search.isReady(); }));
    EXPECT_FALSE(search.nothingToAdd());
    for (const QString& typed : {QString(), QStringLiteral(" rc0603-3\t"), QStringLiteral("KITS"), QStringLiteral("smd"),
                                 QStringLiteral("resistor 12"), QStringLiteral("nothing like it"), QStringLiteral("diyot"),
                                 QStringLiteral("izmir")}) {
        SCOPED_TRACE(typed.toStdString());
        search.setQuery(typed);
        ASSERT_TRUE(waitUntil([&] { return search.isReady(); }));
        EXPECT_EQ(search.shown(), AddFromInventory::candidates(all, typed, project));
    }

    // After the store changed, a reload answers for the inventory as it is now.
    search.setQuery(QStringLiteral("kits"));
    ASSERT_TRUE(waitUntil([&] { return search.isReady(); }));
    ASSERT_FALSE(search.shown().isEmpty());
    for (Component* c : search.shown())
        StockAllocation::setPartUnsaved(c, project, 1, ctx);
    search.reload();
    ASSERT_TRUE(waitUntil([&] { return search.isReady(); }));
    EXPECT_TRUE(search.shown().isEmpty());
    search.setQuery(QString());
    ASSERT_TRUE(waitUntil([&] { return search.isReady(); }));
    EXPECT_EQ(search.shown(), AddFromInventory::candidates(all, QString(), project));
}

}  // namespace
