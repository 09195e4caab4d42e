#include "Corvallen/Model/Schema.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Shell/Views/MenuBarView.h"
#include "Corvallen/Shell/Views/StatusBar.h"
#include "Corvallen/Sync/AppModel.h"
#include "support/TestEnvironment.h"

#include <QMenu>
#include <QProgressBar>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
struct Fixture {
    std::unique_ptr<ModelContainer> container;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<AppModel> model;
    Fixture()
    {
        const QString folder = corvallen::test::freshFolder();
        container = ModelContainer::open(folder + QStringLiteral("/Corvallen.store"), corvallenSchema());
        settings = std::make_unique<SettingsStore>(folder + QStringLiteral("/settings.json"));
        model = std::make_unique<AppModel>(container->mainContext(), *settings);
    }
    SyncLocation save(const QString& name)
    {
        SyncLocation l = SyncLocation::makeNew();
        l.name = name;
        SyncLocation::upsert(l, *settings);
        return l;
    }
};
}  // namespace

TEST(StatusBar, NothingConnectedNothingToSay)
{
    Fixture f;
    StatusBar bar(*f.model);
    EXPECT_EQ(bar.locationText(), QStringLiteral("No location connected"));
    EXPECT_FALSE(bar.locationMenuButton()->isVisibleTo(&bar));
    EXPECT_EQ(bar.syncText(), QString());
    MenuBarView panel(*f.model);
    EXPECT_EQ(panel.lines(), (QStringList{QStringLiteral("Corvallen"), QStringLiteral("No sync location connected.")}));
}

TEST(StatusBar, ConnectedLocationsGetAMenuSectionEach)
{
    Fixture f;
    const SyncLocation unnamed = f.save(QString());
    const SyncLocation scope = f.save(QStringLiteral("Scope"));
    StatusBar bar(*f.model);
    MenuBarView panel(*f.model);

    f.model->setConnectedLocationIDs({unnamed.id});
    EXPECT_EQ(bar.locationText(), QStringLiteral("Location connected"));
    EXPECT_EQ(panel.lines(), (QStringList{QStringLiteral("Corvallen"), QStringLiteral("Location connected")}));

    f.model->setConnectedLocationIDs({unnamed.id, scope.id});
    EXPECT_EQ(bar.locationText(), QStringLiteral("2 locations connected"));
    QStringList menu;
    for (QAction* a : bar.locationMenuButton()->menu()->actions())
        menu << (a->isSeparator() ? QStringLiteral("[%1]").arg(a->text()) : a->text());
    EXPECT_EQ(menu, (QStringList{QStringLiteral("[Location]"), QStringLiteral("Sync New"), QStringLiteral("Eject"),
                                 QStringLiteral("[Scope]"), QStringLiteral("Sync New"), QStringLiteral("Eject")}));
}

TEST(StatusBar, ProgressWinsOverTheSummaryAndStopCancels)
{
    Fixture f;
    StatusBar bar(*f.model);
    MenuBarView panel(*f.model);
    f.model->setLastSyncSummary(QStringLiteral("Synced 3 new"));
    EXPECT_EQ(bar.syncText(), QStringLiteral("Synced 3 new"));
    EXPECT_TRUE(panel.lines().contains(QStringLiteral("Synced 3 new")));

    auto task = std::make_shared<SyncTask>();
    f.model->setCurrentSyncTask(task);
    f.model->setSyncProgress(SyncProgress{QStringLiteral("Scope"), SyncProgress::Phase::scanning, 0, 0});
    EXPECT_EQ(bar.syncText(), QStringLiteral("Scanning Scope\u2026"));
    f.model->setSyncProgress(SyncProgress{QStringLiteral("Scope"), SyncProgress::Phase::importing, 150, 100});
    EXPECT_EQ(bar.syncText(), QStringLiteral("Importing 150/100"));
    EXPECT_EQ(bar.progressBar()->value(), bar.progressBar()->maximum());
    EXPECT_TRUE(bar.stopButton()->isVisibleTo(&bar));
    EXPECT_EQ(bar.stopButton()->toolTip(), QStringLiteral("Stop syncing"));
    bar.stopButton()->click();
    EXPECT_TRUE(task->isCancelled());

    // Without a running task the stop does nothing.
    f.model->setCurrentSyncTask(nullptr);
    bar.stopSyncing();
    f.model->setSyncProgress(std::nullopt);
    EXPECT_EQ(bar.syncText(), QStringLiteral("Synced 3 new"));
}
