// A long bill of materials is applied and saved a slice at a time. One killed between two slices
// (this same test program as a child, killed by SIGKILL) leaves a store that opens with whole
// slices only, and importing the same list again completes it without doubling anything.
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Projects/BomImport.h"
#include "Corvallen/Projects/BomImportApplier.h"
#include "support/ChildRun.h"
#include "support/EventLoop.h"
#include "support/TestStore.h"

#include <QProcess>
#include <QSet>

#include <csignal>

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace corvallen::test;

namespace {

const char* const kBomStore = "CORVALLEN_BOM_CRASH_STORE";
constexpr int kParts = 6000;
constexpr qint64 kOnHand = 50;

QByteArray bomText()
{
    QByteArray csv("Name,Qty\n");
    for (int i = 0; i < kParts; ++i)
        csv += "part " + QByteArray::number(i) + ",2\n";
    return csv;
}

BomImport::MatchList matchesFor(ModelContext& context)
{
    BomImport::Matcher matcher(context.fetch<Component>());
    BomImport::readRows(bomText(), [&](BomImport::Row&& row) { matcher.add(row); });
    return matcher.takeMatches();
}

// Stock on hand plus what the project holds: an import moves stock, it never makes or loses any.
qint64 stockAndHeld(ModelContext& context)
{
    qint64 total = 0;
    for (const Component* c : context.fetch<Component>())
        total += c->qty();
    for (const ProjectComponent* p : context.fetch<ProjectComponent>())
        total += p->quantity();
    return total;
}

}  // namespace

// The child's side; only runs when the test below starts it.
TEST(BomImportCrashChild, ImportsUntilKilled)
{
    if (!qEnvironmentVariableIsSet(kBomStore))
        GTEST_SKIP() << "started by the BomImportCrash test";
    auto container = reopenTestStore(qEnvironmentVariable(kBomStore));
    ModelContext& context = container->mainContext();
    // The second slice's commit: the first is in the store, the rest not.
    static int commits = 0;
    sqlite3_commit_hook(container->handle(), [](void*) -> int { return ++commits == 2 ? ::raise(SIGKILL) : 0; }, nullptr);
    BomImportApplier applier(matchesFor(context), context.fetch<Project>().first(), context);
    // However fast the machine, the list takes more than one slice, each saved by itself.
    applier.setSliceMilliseconds(0);
    applier.start();
    waitUntil([&] { return applier.isFinished(); }, 60000);
    FAIL() << "the import was not interrupted";
}

TEST(BomImportCrash, AnImportKilledBetweenSlicesKeepsWholeSlicesAndCompletesWhenRepeated)
{
    QString path;
    {
        auto container = openTestStore(&path);
        ModelContext& context = container->mainContext();
        context.insert(new Project(QStringLiteral("Amp"), QString(), QString()));
        context.insert(new Component(QStringLiteral("part 3")))->setQty(kOnHand);
        ASSERT_TRUE(context.save());
    }

    QProcess child;
    startSelf(child, QStringLiteral("BomImportCrashChild.*"), {{QString::fromLatin1(kBomStore), path}});
    ASSERT_TRUE(child.waitForFinished(60000));
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAllStandardOutput().toStdString();

    // The next launch: whole slices only, each part with its component, no stock made or lost.
    auto container = reopenTestStore(path);
    ModelContext& context = container->mainContext();
    Project* project = context.fetch<Project>().first();
    const qsizetype kept = project->parts().size();
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, kParts);
    EXPECT_EQ(context.fetchCount<Component>(), kept + (kept > 3 ? 0 : 1));
    EXPECT_EQ(stockAndHeld(context), kOnHand);

    // Importing the same list again finishes the job: one component and one part each.
    BomImportApplier again(matchesFor(context), project, context);
    again.runToEnd();
    EXPECT_FALSE(context.hasChanges());
    EXPECT_EQ(project->parts().size(), kParts);
    QSet<QString> names;
    for (const Component* c : context.fetch<Component>())
        names.insert(c->name());
    EXPECT_EQ(names.size(), kParts);
    EXPECT_EQ(context.fetchCount<Component>(), kParts);
    EXPECT_EQ(stockAndHeld(context), kOnHand);
}
