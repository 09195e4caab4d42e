#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Sync/AppModel.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "Sync/SyncTestKit.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

namespace {

struct Fixture {
    std::unique_ptr<ModelContainer> container;
    std::unique_ptr<SettingsStore> settings;
    Fixture()
    {
        // The captures folder is the process's; other tests' syncs leave pictures in it.
        synctest::clearCaptures();
        const QString folder = corvallen::test::freshFolder(QStringLiteral("store"));
        container = ModelContainer::open(folder + QStringLiteral("/Corvallen.store"), corvallenSchema());
        settings = std::make_unique<SettingsStore>(folder + QStringLiteral("/settings.json"));
    }
    ModelContext& context() { return container->mainContext(); }
};

void writePng(const QString& name, const QColor& color)
{
    QImage image(48, 27, QImage::Format_RGB32);
    image.fill(color);
    ASSERT_TRUE(image.save(DeviceStorage::capturesFolder() + QLatin1Char('/') + name, "PNG"));
}

}  // namespace

TEST(AppModel, StartsEmptyAndConnectedLocationsFollowTheSavedList)
{
    Fixture f;
    ASSERT_TRUE(f.container);
    AppModel model(f.context(), *f.settings);
    EXPECT_EQ(model.lastSyncSummary(), QString());
    EXPECT_TRUE(model.connectedLocationIDs().isEmpty());
    EXPECT_FALSE(model.syncProgress());
    EXPECT_FALSE(model.currentSyncTask());
    EXPECT_EQ(model.wakeToken(), 0);
    EXPECT_TRUE(model.connectedLocations().isEmpty());

    SyncLocation a = SyncLocation::makeNew();
    a.name = QStringLiteral("A");
    SyncLocation b = SyncLocation::makeNew();
    b.name = QStringLiteral("B");
    SyncLocation c = SyncLocation::makeNew();
    SyncLocation::saveAll({a, b, c}, *f.settings);

    model.setConnectedLocationIDs({c.id, a.id, QStringLiteral("gone")});
    const QList<SyncLocation> connected = model.connectedLocations();
    ASSERT_EQ(connected.size(), 2);
    EXPECT_EQ(connected[0].id, a.id);  // saved order, not the set's
    EXPECT_EQ(connected[1].id, c.id);

    // Read anew on each call: a location removed from the saved list disappears.
    SyncLocation::saveAll({c}, *f.settings);
    ASSERT_EQ(model.connectedLocations().size(), 1);
    EXPECT_EQ(model.connectedLocations()[0].id, c.id);
}

TEST(AppModel, EveryStateChangeIsAnnounced)
{
    Fixture f;
    AppModel model(f.context(), *f.settings);
    int changed = 0;
    int wake = 0;
    QObject::connect(&model, &AppModel::changed, [&] { ++changed; });
    QObject::connect(&model, &AppModel::wakeTokenChanged, [&] { ++wake; });

    model.setLastSyncSummary(QStringLiteral("Up to date"));
    model.setLastSyncSummary(QStringLiteral("Up to date"));  // unchanged: no notice
    model.setSyncProgress(SyncProgress{QStringLiteral("Scope"), SyncProgress::Phase::importing, 20, 40});
    model.setCurrentSyncTask(std::make_shared<SyncTask>());
    model.setConnectedLocationIDs({QStringLiteral("X")});
    EXPECT_EQ(changed, 4);

    model.systemDidWake();
    model.systemDidWake();
    EXPECT_EQ(model.wakeToken(), 2);
    EXPECT_EQ(wake, 2);
    // A wake changes nothing else.
    EXPECT_EQ(model.lastSyncSummary(), QStringLiteral("Up to date"));
    EXPECT_EQ(model.connectedLocationIDs(), QSet<QString>{QStringLiteral("X")});
}

TEST(AppModel, StartReconcilesTheCapturesFolderOnceAndSeedsTerms)
{
    // The captures folder is one for the whole test program; pictures other tests imported into
    // it would be reconciled too.
    const QDir folder(DeviceStorage::capturesFolder());
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
        ASSERT_TRUE(QFile::remove(folder.filePath(name)));
    DeviceStorage::clearImageCache();
    Fixture f;
    ModelContext& ctx = f.context();
    writePng(QStringLiteral("IMG.png"), Qt::red);
    writePng(QStringLiteral("known.PNG"), Qt::green);
    QFile notes(DeviceStorage::capturesFolder() + QStringLiteral("/notes.txt"));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.close();
    Capture* existing = ctx.insert(new Capture(QStringLiteral("known.PNG")));
    existing->setTitle(QStringLiteral("My capture"));
    auto* resistor = ctx.insert(new Component(QStringLiteral("Resistor")));
    resistor->setManufacturer(QStringLiteral("Yageo"));
    ASSERT_TRUE(ctx.save());

    AppModel model(ctx, *f.settings);
    EXPECT_EQ(ctx.fetchCount<Capture>(), 1);  // nothing heavy before start()
    model.start();
    const QList<Capture*> captures = ctx.fetch<Capture>();
    ASSERT_EQ(captures.size(), 2);
    EXPECT_EQ(existing->title(), QStringLiteral("My capture"));
    const QList<Capture*> added = ctx.fetch<Capture>([](const Capture* c) { return c->fileName() == QStringLiteral("IMG.png"); });
    ASSERT_EQ(added.size(), 1);
    EXPECT_EQ(added[0]->title(), QStringLiteral("unnamed_IMG"));
    EXPECT_FALSE(ctx.hasChanges());
    EXPECT_EQ(TaxonomyTerm::terms(TermKind::manufacturer, ctx).size(), 1);

    model.reconcileLibrary();
    EXPECT_EQ(ctx.fetchCount<Capture>(), 2);
}

TEST(DeviceStorage, CaptureImagesAreCachedOnlyWhenTheyLoad)
{
    DeviceStorage::clearImageCache();
    EXPECT_TRUE(DeviceStorage::captureImage(QStringLiteral("later.png")).isNull());
    writePng(QStringLiteral("later.png"), Qt::blue);
    const QImage first = DeviceStorage::captureImage(QStringLiteral("later.png"));  // tried again, found
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.pixelColor(0, 0), QColor(Qt::blue));
    // A file replaced since (a restore, a name used again after a deletion) is read anew.
    writePng(QStringLiteral("later.png"), Qt::yellow);
    EXPECT_EQ(DeviceStorage::captureImage(QStringLiteral("later.png")).pixelColor(0, 0), QColor(Qt::yellow));
    // A missing file is no longer served from the cache either.
    QFile::remove(DeviceStorage::capturesFolder() + QStringLiteral("/later.png"));
    EXPECT_TRUE(DeviceStorage::captureImage(QStringLiteral("later.png")).isNull());
    // Names that would leave the folder are refused.
    EXPECT_TRUE(DeviceStorage::captureImage(QStringLiteral("../captures/later.png")).isNull());
    EXPECT_TRUE(DeviceStorage::captureImage(QString()).isNull());
}

TEST(DeviceStorage, TheImageCacheKeepsToItsByteBudget)
{
    DeviceStorage::clearImageCache();
    const qint64 budget = DeviceStorage::imageCacheBudget();
    const qint64 one = 48 * 27 * 4;  // what writePng's pictures decode to
    DeviceStorage::setImageCacheBudget(3 * one);
    for (int i = 0; i < 10; ++i)
        writePng(QStringLiteral("budget%1.png").arg(i), QColor::fromRgb(i * 20, 0, 0));
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(DeviceStorage::captureImage(QStringLiteral("budget%1.png").arg(i)).pixelColor(0, 0), QColor::fromRgb(i * 20, 0, 0));
        EXPECT_LE(DeviceStorage::imageCacheCost(), 3 * one);
    }
    EXPECT_EQ(DeviceStorage::imageCacheCost(), 3 * one);
    // A picture bigger than the whole budget is shown, never kept.
    QImage big(200, 200, QImage::Format_RGB32);
    big.fill(Qt::green);
    ASSERT_TRUE(big.save(DeviceStorage::capturesFolder() + QStringLiteral("/big.png"), "PNG"));
    EXPECT_EQ(DeviceStorage::captureImage(QStringLiteral("big.png")).size(), QSize(200, 200));
    EXPECT_LE(DeviceStorage::imageCacheCost(), 3 * one);
    DeviceStorage::setImageCacheBudget(budget);
    DeviceStorage::clearImageCache();
}

TEST(DeviceStorage, TheCapturesFolderListsItsPngFilesWhateverTheirCaseAndNothingElse)
{
    const QString folder = DeviceStorage::capturesFolder();
    const QStringList files = {QStringLiteral("ls-a.png"), QStringLiteral("ls-B.PNG"), QStringLiteral(".ls-hidden.png"),
                               QStringLiteral("ls-notes.txt"), QStringLiteral("ls-a.png.txt"), QStringLiteral("ls-png")};
    for (const QString& name : files) {
        QFile f(folder + QLatin1Char('/') + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("ls-folder.png")));
    ASSERT_TRUE(QFile::link(folder + QStringLiteral("/ls-a.png"), folder + QStringLiteral("/ls-link.png")));
    ASSERT_TRUE(QFile::link(folder + QStringLiteral("/gone"), folder + QStringLiteral("/ls-dead.png")));

    QStringList listed = DeviceStorage::captureFileNames().filter(QStringLiteral("ls-"));
    listed.sort();
    EXPECT_EQ(listed.join(QLatin1Char(' ')).toStdString(), ".ls-hidden.png ls-B.PNG ls-a.png ls-link.png");

    for (const QString& name : files + QStringList{QStringLiteral("ls-link.png"), QStringLiteral("ls-dead.png")})
        QFile::remove(folder + QLatin1Char('/') + name);
    QDir(folder).rmdir(QStringLiteral("ls-folder.png"));
}
