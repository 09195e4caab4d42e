// The store file: what is written comes back after reopening, its companions, its schema
// version, copies and checks.
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Store/ModelContainer.h"
#include "support/TestEnvironment.h"
#include "support/TestStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>


#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

using namespace corvallen::test;

namespace {

template <class T>
T* first(ModelContext& ctx)
{
    return ctx.fetch<T>().value(0);
}

TEST(ModelContainerTest, EveryAttributeTypeAndLinkSurvivesReopening)
{
    QString path;
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(1733561234567LL, Qt::UTC);
    const QUuid lineId = QUuid::createUuid();
    {
        auto store = openTestStore(&path);
        ModelContext& ctx = store->mainContext();
        auto* c = ctx.insert(new Component(QStringLiteral("Widerstand µ ☃")));
        c->setPartNumber(QString());  // present but empty, not absent
        c->setQty(-3);
        c->setMinQty(qint64(1) << 40);
        c->setConfidence(0.1 + 0.2);
        c->setPurchasePrice(-0.5);
        c->setResellPrice(1e-300);
        c->setCreatedAt(when);
        c->setUpdatedAt(when.addMSecs(1));
        c->setTags(QStringLiteral("a, b"));
        auto* p = ctx.insert(new Project(QStringLiteral("P"), QStringLiteral("line1\nline2"), QString()));
        p->setQuoteCombined(true);
        p->setLabourFlat(0.0);
        auto* line = ctx.insert(new ProjectComponent(c, p, 12));
        line->setId(lineId);
        line->setAddedAt(when);
        auto* cap = ctx.insert(new Capture(QStringLiteral("x.png")));
        cap->setValue(-12.5);
        cap->setMode(QStringLiteral("DCV"));
        cap->setProject(p);
        cap->addTag(ctx.insert(new Tag(QStringLiteral("t"), QStringLiteral("#ABCDEF"))));
        auto* d = ctx.insert(new Document(QStringLiteral("F.pdf"), QStringLiteral("F")));
        d->setProject(p);
        ctx.insert(new ProjectDocument(d, p));
        ctx.insert(new TaxonomyTerm(TermKind::bin, QStringLiteral("A1"), QStringLiteral("Drawer")));
        ASSERT_TRUE(ctx.save());
    }
    auto store = reopenTestStore(path);
    ModelContext& ctx = store->mainContext();
    Component* c = first<Component>(ctx);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->name(), QStringLiteral("Widerstand µ ☃"));
    ASSERT_TRUE(c->partNumber().has_value());
    EXPECT_TRUE(c->partNumber()->isEmpty());
    EXPECT_FALSE(c->category().has_value());
    EXPECT_EQ(c->qty(), -3);
    EXPECT_EQ(c->minQty(), qint64(1) << 40);
    EXPECT_EQ(c->confidence(), 0.1 + 0.2);
    EXPECT_EQ(c->purchasePrice(), -0.5);
    EXPECT_EQ(c->resellPrice(), 1e-300);
    EXPECT_EQ(c->createdAt(), when);
    EXPECT_EQ(c->updatedAt().toMSecsSinceEpoch(), when.toMSecsSinceEpoch() + 1);
    EXPECT_EQ(c->unit(), QStringLiteral("pcs"));
    EXPECT_EQ(c->tags(), QStringLiteral("a, b"));

    Project* p = first<Project>(ctx);
    EXPECT_TRUE(p->quoteCombined());
    EXPECT_EQ(p->labourFlat(), 0.0);
    EXPECT_FALSE(p->labourHours().has_value());
    EXPECT_EQ(p->details(), QStringLiteral("line1\nline2"));
    EXPECT_TRUE(p->notes().isEmpty());

    ProjectComponent* line = first<ProjectComponent>(ctx);
    EXPECT_EQ(line->id(), lineId);
    EXPECT_EQ(line->quantity(), 12);
    EXPECT_EQ(line->addedAt(), when);
    EXPECT_EQ(line->component(), c);
    EXPECT_EQ(line->project(), p);

    Capture* cap = first<Capture>(ctx);
    EXPECT_EQ(cap->value(), -12.5);
    EXPECT_FALSE(cap->minValue().has_value());
    EXPECT_EQ(cap->mode(), QStringLiteral("DCV"));
    EXPECT_EQ(cap->notes(), QString());
    EXPECT_EQ(cap->project(), p);
    ASSERT_EQ(cap->tags().size(), 1);
    EXPECT_EQ(cap->tags()[0]->colorHex(), QStringLiteral("#ABCDEF"));

    Document* d = first<Document>(ctx);
    EXPECT_EQ(d->typeRaw(), QStringLiteral("reference"));
    EXPECT_EQ(d->project(), p);
    ASSERT_EQ(d->attachments().size(), 1);
    EXPECT_TRUE(d->attachments()[0]->markupFileName().endsWith(QLatin1String(".markup.pdf")));

    TaxonomyTerm* term = first<TaxonomyTerm>(ctx);
    EXPECT_EQ(term->kindRaw(), QStringLiteral("bin"));
    EXPECT_EQ(term->parent(), QStringLiteral("Drawer"));
    EXPECT_FALSE(term->notes().has_value());
}

TEST(ModelContainerTest, TheJournalCompanionsExistWhileTheStoreIsOpen)
{
    QString path;
    auto store = openTestStore(&path);
    store->mainContext().insert(new Tag(QStringLiteral("w"), QStringLiteral("#000000")));
    ASSERT_TRUE(store->mainContext().save());
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_TRUE(QFileInfo::exists(path + QStringLiteral("-wal")));
    EXPECT_TRUE(QFileInfo::exists(path + QStringLiteral("-shm")));
}

TEST(ModelContainerTest, OpeningFailsWithAReasonForAnUnusableFile)
{
    QString error;
    // A folder where the file should be.
    const QString folder = freshFolder(QStringLiteral("dir")) + QStringLiteral("/Corvallen.store");
    QDir().mkpath(folder);
    EXPECT_EQ(ModelContainer::open(folder, corvallenSchema(), &error), nullptr);
    EXPECT_FALSE(error.isEmpty());

    // Not a database.
    const QString junk = freshFolder(QStringLiteral("junk")) + QStringLiteral("/Corvallen.store");
    {
        QFile f(junk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    error.clear();
    EXPECT_EQ(ModelContainer::open(junk, corvallenSchema(), &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(ModelContainer::verifyStoreFile(junk, &error));
}

TEST(ModelContainerTest, AStoreFromANewerVersionIsRefusedAndLeftAlone)
{
    QString path;
    openTestStore(&path).reset();
    ASSERT_TRUE(execOnStoreFile(path, "PRAGMA user_version = 99"));
    QString error;
    EXPECT_EQ(ModelContainer::open(path, corvallenSchema(), &error), nullptr);
    EXPECT_TRUE(error.contains(QLatin1String("newer"))) << error.toStdString();
    EXPECT_FALSE(ModelContainer::verifyStoreFile(path, &error));
}

TEST(ModelContainerTest, ADamagedTagTableStopsEverySaveInsteadOfDroppingTheTags)
{
    QString path;
    {
        auto store = openTestStore(&path);
        Tag* tag = store->mainContext().insert(new Tag(QStringLiteral("scope"), QStringLiteral("#112233")));
        for (int i = 0; i < 50; ++i)
            store->mainContext().insert(new Capture(QStringLiteral("c%1.png").arg(i)))->addTag(tag);
        ASSERT_TRUE(store->mainContext().save());
    }
    // Overwrite the join table's root page, as a bad sector or a torn write would.
    ASSERT_TRUE(damageTable(path, QStringLiteral("Capture_tags")));
    // The damage shows when the tags are read, after the opening. Going on as if the captures
    // had no tags would write the loss back at the next save: the failure is reported (the
    // application then stops) and no save goes through.
    QString error;
    auto store = ModelContainer::open(path, corvallenSchema(), &error);
    ASSERT_TRUE(store) << error.toStdString();
    ModelContext& ctx = store->mainContext();
    QStringList failures;
    QObject::connect(&ctx, &ModelContext::loadFailed, [&](const QString& why) { failures << why; });
    ctx.loadAll();
    QCoreApplication::processEvents();
    ASSERT_EQ(failures.size(), 1);
    EXPECT_FALSE(failures.first().isEmpty());
    ctx.fetch<Capture>().first()->setTitle(QStringLiteral("renamed"));
    EXPECT_FALSE(ctx.save(&error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(ModelContainerTest, ACopyOfTheOpenStoreIsAWholeStoreOnItsOwn)
{
    QString path;
    auto store = openTestStore(&path);
    ModelContext& ctx = store->mainContext();
    for (int i = 0; i < 50; ++i)
        ctx.insert(new Capture(QStringLiteral("c%1.png").arg(i)));
    ASSERT_TRUE(ctx.save());
    ctx.insert(new Capture(QStringLiteral("unsaved.png")));  // not part of the copy

    const QString copy = freshFolder(QStringLiteral("copy")) + QStringLiteral("/Corvallen.store");
    QString error;
    ASSERT_TRUE(store->copyTo(copy, &error)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(copy + QStringLiteral("-wal")));
    EXPECT_TRUE(ModelContainer::verifyStoreFile(copy, &error)) << error.toStdString();
    auto reopened = reopenTestStore(copy);
    EXPECT_EQ(reopened->mainContext().fetchCount<Capture>(), 50);
}

}  // namespace

// The launch snapshot copies the store file while the store opens: opening and reading go on,
// every write waits until the copy is whole, so the copy is the store as it was.
TEST(ModelContainerTest, WritesWaitForTheBarrierWhileOpeningAndReadingDoNot)
{
    QString path;
    {
        auto store = openTestStore(&path);
        store->mainContext().insert(new Capture(QStringLiteral("before.png")));
        ASSERT_TRUE(store->mainContext().save());
    }
    const QString copy = freshFolder(QStringLiteral("snapshot")) + QStringLiteral("/Corvallen.store");
    std::promise<void> whole;
    std::atomic<bool> opened{false};
    std::atomic<bool> released{false};
    bool openWaited = false;
    std::thread snapshot([&] {
        // Released only once the store is open (or after ten seconds, if opening waited).
        for (int i = 0; i < 1000 && !opened; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        openWaited = !opened;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        QFile::copy(path, copy);
        released = true;
        whole.set_value();
    });
    QString error;
    auto store = ModelContainer::finishOpen(ModelContainer::beginOpen(path, corvallenSchema(), whole.get_future().share()), &error);
    opened = true;
    ASSERT_TRUE(store) << error.toStdString();
    ModelContext& ctx = store->mainContext();
    ctx.setAutosaveEnabled(false);
    EXPECT_EQ(ctx.fetch<Capture>().size(), 1);
    ctx.insert(new Capture(QStringLiteral("after.png")));
    EXPECT_TRUE(ctx.save());
    EXPECT_TRUE(released) << "the save waited for the copy";
    snapshot.join();
    EXPECT_FALSE(openWaited);
    store.reset();
    auto snapshotStore = reopenTestStore(copy);
    ASSERT_TRUE(snapshotStore);
    EXPECT_EQ(snapshotStore->mainContext().fetch<Capture>().size(), 1) << "the copy is the store before the save";
}
