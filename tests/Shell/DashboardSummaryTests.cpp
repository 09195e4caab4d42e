#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Shell/DashboardSummary.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {
std::unique_ptr<ModelContainer> openStore()
{
    return ModelContainer::open(corvallen::test::freshFolder() + QStringLiteral("/Corvallen.store"), corvallenSchema());
}

// The store saved, closed and opened again: its tables are still coming in (no event loop runs
// here), as at launch, when the dashboard is the first thing drawn.
void reopen(std::unique_ptr<ModelContainer>& container)
{
    ASSERT_TRUE(container->mainContext().save());
    const QString path = container->path();
    container.reset();
    container = ModelContainer::open(path, corvallenSchema());
    ASSERT_TRUE(container);
}
}  // namespace

TEST(DashboardSummary, EmptyStore)
{
    auto container = openStore();
    const DashboardSummary s = DashboardSummary::compute(container->mainContext());
    EXPECT_EQ(s.projectCount, 0);
    EXPECT_EQ(s.captureCount, 0);
    EXPECT_EQ(s.lowCount, 0);
    EXPECT_EQ(s.outCount, 0);
    EXPECT_TRUE(s.recentCaptures.isEmpty());
}

TEST(DashboardSummary, TenNewestCapturesNewestFirst)
{
    auto container = openStore();
    ModelContext& ctx = container->mainContext();
    const QDateTime base(QDate(2024, 5, 1), QTime(12, 0));
    QList<Capture*> all;
    for (int i = 0; i < 13; ++i) {
        // Inserted out of date order.
        Capture* c = ctx.insert(new Capture(QStringLiteral("c%1.png").arg(i)));
        c->setImportedAt(base.addSecs(((i * 7) % 13) * 60));
        all << c;
    }
    const DashboardSummary s = DashboardSummary::compute(ctx);
    EXPECT_EQ(s.captureCount, 13);
    ASSERT_EQ(s.recentCaptures.size(), 10);
    for (int i = 1; i < 10; ++i)
        EXPECT_GT(s.recentCaptures[i - 1]->importedAt(), s.recentCaptures[i]->importedAt());
    EXPECT_EQ(s.recentCaptures.first()->importedAt(), base.addSecs(12 * 60));
    QStringList names;
    for (const Capture* c : s.recentCaptures)
        names << c->fileName();

    // At launch the same ten come straight from the file, without reading every capture.
    reopen(container);
    const DashboardSummary atLaunch = DashboardSummary::compute(container->mainContext());
    EXPECT_FALSE(container->mainContext().isLoaded(Capture::descriptor().name));
    EXPECT_EQ(atLaunch.captureCount, 13);
    QStringList launchNames;
    for (const Capture* c : atLaunch.recentCaptures)
        launchNames << c->fileName();
    EXPECT_EQ(launchNames, names);

    // Fewer than ten: all of them.
    auto small = openStore();
    for (int i = 0; i < 3; ++i)
        small->mainContext().insert(new Capture(QStringLiteral("s%1.png").arg(i)))->setImportedAt(base.addDays(i));
    const DashboardSummary t = DashboardSummary::compute(small->mainContext());
    ASSERT_EQ(t.recentCaptures.size(), 3);
    EXPECT_EQ(t.recentCaptures[0]->fileName(), QStringLiteral("s2.png"));
}

TEST(DashboardSummary, StockCountsFollowTheDerivedStatus)
{
    auto container = openStore();
    ModelContext& ctx = container->mainContext();
    auto part = [&](qint64 qty, qint64 min, std::optional<QString> override = std::nullopt) {
        Component* c = ctx.insert(new Component(QStringLiteral("P")));
        c->setQty(qty);
        c->setMinQty(min);
        c->setStatusOverride(override);
    };
    part(1, 1);                             // low
    part(3, 5);                             // low
    part(0, 5);                             // out, not low
    part(0, 0, QStringLiteral("ordered"));  // neither
    part(10, 2);                            // in stock
    const DashboardSummary s = DashboardSummary::compute(ctx);
    EXPECT_EQ(s.lowCount, 2);
    EXPECT_EQ(s.outCount, 1);

    // At launch the same rule counts the three columns read from the file.
    reopen(container);
    const DashboardSummary atLaunch = DashboardSummary::compute(container->mainContext());
    EXPECT_FALSE(container->mainContext().isLoaded(Component::descriptor().name));
    EXPECT_EQ(atLaunch.lowCount, 2);
    EXPECT_EQ(atLaunch.outCount, 1);
}

TEST(DashboardSummary, ProjectsNewestFirstWhateverTheirNames)
{
    auto container = openStore();
    ModelContext& ctx = container->mainContext();
    const QDateTime base(QDate(2024, 1, 1), QTime(9, 0));
    Project* a = ctx.insert(new Project(QStringLiteral("A"), QString(), QString()));
    a->setCreatedAt(base);
    Project* z = ctx.insert(new Project(QStringLiteral("Z"), QString(), QString()));
    z->setCreatedAt(base.addDays(2));
    Project* m = ctx.insert(new Project(QStringLiteral("M"), QString(), QString()));
    m->setCreatedAt(base.addDays(1));
    const DashboardSummary s = DashboardSummary::compute(ctx);
    EXPECT_EQ(s.projects, (QList<Project*>{z, m, a}));
    EXPECT_EQ(s.projectCount, 3);
}
