// The main context while its tables are still coming in: the first screen's questions answered
// from the file, records handed out early keeping their identity, and every change made before
// a table is in ending exactly as it would after. A store reopened here is left unloaded as long
// as the test runs no event loop: tables then come in only when something asks for them.
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Store/ModelContainer.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"
#include "support/TestStore.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>

using namespace corvallen::test;

namespace {

const QDateTime kBase(QDate(2024, 3, 1), QTime(9, 0), Qt::UTC);

template <class T>
T* named(ModelContext& ctx, const QString& name)
{
    return ctx.fetch<T>([&](const T* x) { return x->name() == name; }).value(0);
}

// A small workshop: three projects (one with parts and a document), a dozen captures with tags,
// projects, two that share an import date and one without a date, and components in every
// stock state.
QString writeWorkshop()
{
    QString path;
    auto store = openTestStore(&path);
    ModelContext& ctx = store->mainContext();
    Project* amp = ctx.insert(new Project(QStringLiteral("Amp"), {}, {}));
    Project* scope = ctx.insert(new Project(QStringLiteral("Scope"), {}, {}));
    ctx.insert(new Project(QStringLiteral("Empty"), {}, {}));
    Tag* red = ctx.insert(new Tag(QStringLiteral("red"), QStringLiteral("#FF0000")));
    Tag* blue = ctx.insert(new Tag(QStringLiteral("blue"), QStringLiteral("#0000FF")));
    for (int i = 0; i < 12; ++i) {
        Capture* c = ctx.insert(new Capture(QStringLiteral("c%1.png").arg(i)));
        c->setImportedAt(kBase.addSecs(i == 7 ? 5 * 60 : i * 60));  // c5 and c7 share a date
        if (i % 3 == 0)
            c->setProject(amp);
        else if (i % 3 == 1)
            c->setProject(scope);
        if (i % 2 == 0)
            c->addTag(red);
        if (i % 4 == 0)
            c->addTag(blue);
    }
    Capture* undated = ctx.insert(new Capture);
    undated->setFileName(QStringLiteral("undated.png"));
    Component* out = ctx.insert(new Component(QStringLiteral("Out")));
    Component* low = ctx.insert(new Component(QStringLiteral("Low")));
    low->setQty(2);
    low->setMinQty(2);
    Component* plenty = ctx.insert(new Component(QStringLiteral("Plenty")));
    plenty->setQty(50);
    Component* ordered = ctx.insert(new Component(QStringLiteral("Ordered")));
    ordered->setStatusOverride(QStringLiteral("ordered"));
    ctx.insert(new ProjectComponent(low, amp, 1));
    ctx.insert(new ProjectComponent(plenty, amp, 4));
    ctx.insert(new ProjectComponent(out, scope, 1));
    Document* manual = ctx.insert(new Document(QStringLiteral("M.pdf"), QStringLiteral("Manual")));
    ctx.insert(new ProjectDocument(manual, amp));
    EXPECT_TRUE(ctx.save());
    return path;
}

// Every record of the store with its values and links, one line each, in a fixed order: two
// stores with the same dump hold the same data.
QStringList dump(ModelContext& ctx)
{
    QStringList lines;
    for (const EntityDescriptor* d : corvallenSchema()) {
        for (PersistentModel* m : ctx.fetchAll(d->name)) {
            QStringList parts{d->name, QString::number(m->persistentModelID().primaryKey)};
            for (int i = 0; i < d->attributes.size(); ++i) {
                const QVariant& v = m->attributeValue(i);
                if (d->attributes[i].type == AttributeType::Uuid)
                    parts << QStringLiteral("uuid");  // fresh in every run
                else
                    parts << (v.isValid() ? v.toString() : QStringLiteral("-"));
            }
            for (int i = 0; i < d->toOne.size(); ++i)
                parts << (m->toOneValue(i) ? QString::number(m->toOneValue(i)->persistentModelID().primaryKey) : QStringLiteral("-"));
            for (int i = 0; i < d->toMany.size(); ++i) {
                QStringList keys;
                for (PersistentModel* t : m->toManyValue(i))
                    keys << QString::number(t->persistentModelID().primaryKey);
                keys.sort();
                parts << keys.join(QLatin1Char(','));
            }
            lines << parts.join(QLatin1Char('|'));
        }
    }
    return lines;
}

// How many components share each combination of stock values ("qty|minQty|override").
QMap<QString, qsizetype> stockKinds(const ModelContext& ctx)
{
    QMap<QString, qsizetype> out;
    const auto kinds =
        ctx.attributeValueCounts(Component::descriptor().name, {Component::A_qty, Component::A_minQty, Component::A_statusOverride});
    for (const auto& kind : kinds) {
        QStringList key;
        for (const QVariant& v : kind.values)
            key << (v.isValid() ? v.toString() : QStringLiteral("-"));
        out[key.join(QLatin1Char('|'))] += kind.count;
    }
    EXPECT_EQ(out.size(), kinds.size()) << "each combination once";
    return out;
}

QString copyOf(const QString& path)
{
    const QString copy = freshFolder(QStringLiteral("copy")) + QStringLiteral("/Corvallen.store");
    EXPECT_TRUE(QFile::copy(path, copy));
    return copy;
}

}  // namespace

TEST(ModelContextLoading, TheFirstScreensQuestionsAreAnsweredFromTheFileAsTheLoadedStoreWouldAnswerThem)
{
    const QString path = writeWorkshop();
    auto store = reopenTestStore(path);
    ModelContext& ctx = store->mainContext();

    const qsizetype captures = ctx.liveCount(Capture::descriptor().name);
    const QList<Capture*> newest = ctx.fetchTop<Capture>(Capture::ImportedAt, 4);
    const QList<Capture*> all = ctx.fetchTop<Capture>(Capture::ImportedAt, 100);
    QMap<QString, qsizetype> perProject;
    for (Project* p : ctx.fetch<Project>())
        perProject.insert(p->name(), p->captureCount());
    const QMap<QString, qsizetype> stock = stockKinds(ctx);
    Tag* red = ctx.fetch<Tag>().value(0);
    ASSERT_TRUE(red);
    const qsizetype redCaptures = ctx.relatedCount(red, Tag::Captures);
    EXPECT_FALSE(ctx.isLoaded(Capture::descriptor().name)) << "nothing here needs every capture";
    EXPECT_FALSE(ctx.isLoaded(Component::descriptor().name));

    EXPECT_EQ(captures, 13);
    QStringList names;
    for (const Capture* c : newest)
        names << c->fileName();
    // Newest first; equal dates in store order.
    EXPECT_EQ(names, QStringList({QStringLiteral("c11.png"), QStringLiteral("c10.png"), QStringLiteral("c9.png"),
                                  QStringLiteral("c8.png")}));
    ASSERT_EQ(all.size(), 13);
    EXPECT_EQ(all.at(5)->fileName(), QStringLiteral("c5.png"));
    EXPECT_EQ(all.at(6)->fileName(), QStringLiteral("c7.png"));
    EXPECT_EQ(all.last()->fileName(), QStringLiteral("undated.png")) << "no date comes last";
    EXPECT_EQ(perProject.value(QStringLiteral("Amp")), 4);
    EXPECT_EQ(perProject.value(QStringLiteral("Empty")), 0);
    EXPECT_EQ(redCaptures, 6);

    // Once everything is in, the records give the same answers, about the same objects.
    ctx.loadAll();
    EXPECT_TRUE(ctx.isFullyLoaded());
    EXPECT_EQ(ctx.liveCount(Capture::descriptor().name), captures);
    EXPECT_EQ(ctx.fetchTop<Capture>(Capture::ImportedAt, 100), all);
    for (Project* p : ctx.fetch<Project>())
        EXPECT_EQ(p->captures().size(), perProject.value(p->name())) << p->name().toStdString();
    EXPECT_EQ(red->captures().size(), redCaptures);
    EXPECT_EQ(stockKinds(ctx), stock);
    EXPECT_EQ(stock.value(QStringLiteral("0|0|-")), 1) << "the part with no stock";
    EXPECT_EQ(stock.value(QStringLiteral("0|0|ordered")), 1);
    EXPECT_EQ(stock.size(), 4);
}

TEST(ModelContextLoading, RecordsHandedOutEarlyStayTheObjectsForTheirKeys)
{
    const QString path = writeWorkshop();
    const QString second = copyOf(path);
    auto store = reopenTestStore(path);
    ModelContext& ctx = store->mainContext();

    Capture* c9 = ctx.fetchTop<Capture>(Capture::ImportedAt, 3).value(2);
    ASSERT_TRUE(c9);
    ASSERT_EQ(c9->fileName(), QStringLiteral("c9.png"));
    Project* amp = named<Project>(ctx, QStringLiteral("Amp"));
    EXPECT_EQ(c9->project(), amp) << "the single link of an early record";
    EXPECT_EQ(ctx.fetchTop<Capture>(Capture::ImportedAt, 3).value(2), c9) << "asked again: the same object";
    EXPECT_FALSE(ctx.isLoaded(Capture::descriptor().name));

    // The project's list brings every capture in; the early record is one of them, not a copy.
    const QList<Capture*> filed = amp->captures();
    EXPECT_TRUE(ctx.isLoaded(Capture::descriptor().name));
    EXPECT_EQ(filed.size(), 4);
    EXPECT_EQ(std::count(filed.begin(), filed.end(), c9), 1);
    EXPECT_EQ(ctx.model<Capture>(c9->persistentModelID()), c9);
    EXPECT_EQ(ctx.fetch<Capture>([](const Capture* c) { return c->fileName() == QLatin1String("c9.png"); }), QList<Capture*>{c9});
    EXPECT_EQ(ctx.liveCount(Capture::descriptor().name), 13);
    ASSERT_EQ(c9->tags().size(), 0);
    Capture* c8 = ctx.fetch<Capture>([](const Capture* c) { return c->fileName() == QLatin1String("c8.png"); }).value(0);
    ASSERT_TRUE(c8);
    EXPECT_EQ(c8->tags().size(), 2);

    // An early record changed before its table is in: the table comes in first, and the change
    // is saved like any other.
    auto again = reopenTestStore(second);
    ModelContext& other = again->mainContext();
    Capture* newest = other.fetchTop<Capture>(Capture::ImportedAt, 1).value(0);
    ASSERT_TRUE(newest);
    newest->setTitle(QStringLiteral("Ripple"));
    EXPECT_TRUE(other.isLoaded(Capture::descriptor().name));
    EXPECT_EQ(other.fetch<Capture>([](const Capture* c) { return c->title() == QLatin1String("Ripple"); }), QList<Capture*>{newest});
    ASSERT_TRUE(other.save());
    const QString otherPath = again->path();
    again.reset();
    again = reopenTestStore(otherPath);
    EXPECT_EQ(again->mainContext().fetch<Capture>([](const Capture* c) { return c->title() == QLatin1String("Ripple"); }).value(0)->fileName(),
              QStringLiteral("c11.png"));
}

// One user session, run on two copies of one store: on the first with every table in, on the
// second straight after opening. Both must end as the same store.
TEST(ModelContextLoading, ChangesMadeBeforeTheRestHasLoadedEndExactlyAsAfter)
{
    const QString original = writeWorkshop();
    QStringList outcome[2];
    for (const bool loadFirst : {true, false}) {
        const QString path = copyOf(original);
        {
            auto store = reopenTestStore(path);
            ModelContext& ctx = store->mainContext();
            if (loadFirst)
                ctx.loadAll();
            // Deleting a project takes its parts and attachments along and unfiles its captures.
            ctx.deleteObject(named<Project>(ctx, QStringLiteral("Amp")));
            // Inserting an existing file name updates that capture; a fresh tag with an existing
            // name is the stored tag.
            Capture* again = ctx.insert(new Capture(QStringLiteral("c3.png")));
            again->setTitle(QStringLiteral("Retaken"));
            again->setImportedAt(kBase.addDays(2));
            Capture* fresh = ctx.insert(new Capture(QStringLiteral("fresh.png")));
            fresh->setImportedAt(kBase.addDays(1));
            fresh->setProject(named<Project>(ctx, QStringLiteral("Scope")));
            fresh->addTag(new Tag(QStringLiteral("red"), QStringLiteral("#00FF00")));
            // Fetches see the unsaved insert, and the stock of a part still in a project changes.
            EXPECT_EQ(ctx.liveCount(Capture::descriptor().name), 14);
            EXPECT_EQ(ctx.fetchTop<Capture>(Capture::ImportedAt, 2), (QList<Capture*>{again, fresh}));
            named<Component>(ctx, QStringLiteral("Out"))->setQty(3);
            ASSERT_TRUE(ctx.save());
        }
        auto store = reopenTestStore(path);
        ModelContext& ctx = store->mainContext();
        outcome[loadFirst ? 0 : 1] = dump(ctx);

        EXPECT_EQ(named<Project>(ctx, QStringLiteral("Amp")), nullptr);
        EXPECT_EQ(ctx.fetchCount<ProjectComponent>(), 1) << "only the other project's line is left";
        EXPECT_EQ(ctx.fetchCount<ProjectDocument>(), 0);
        EXPECT_EQ(ctx.fetchCount<Capture>([](const Capture* c) { return !c->project(); }), 5 + 4) << "unfiled now: Amp's four";
        const QList<Capture*> c3 = ctx.fetch<Capture>([](const Capture* c) { return c->fileName() == QLatin1String("c3.png"); });
        ASSERT_EQ(c3.size(), 1);
        EXPECT_EQ(c3.first()->title(), QStringLiteral("Retaken"));
        EXPECT_EQ(ctx.fetchCount<Tag>(), 2);
        EXPECT_EQ(named<Tag>(ctx, QStringLiteral("red"))->captures().size(), 7);
    }
    EXPECT_EQ(outcome[0], outcome[1]);
}

TEST(ModelContextLoading, EveryTableComesInInTheBackgroundWithoutAnnouncingChanges)
{
    const QString path = writeWorkshop();
    auto store = reopenTestStore(path);
    ModelContext& ctx = store->mainContext();
    int finished = 0;
    int changed = 0;
    QObject::connect(&ctx, &ModelContext::finishedLoading, [&] { ++finished; });
    QObject::connect(&ctx, &ModelContext::changed, [&] { ++changed; });
    processEvents();
    EXPECT_FALSE(ctx.isLoaded(Capture::descriptor().name)) << "nothing is read before it is asked for";
    // The first screen took the projects and the newest captures; the rest comes in on worker
    // threads, and the captures handed out stay the objects for their records.
    ctx.fetch<Project>();
    Capture* c8 = ctx.fetchTop<Capture>(Capture::ImportedAt, 4).value(3);
    ASSERT_TRUE(c8);
    ctx.loadInBackground();
    ASSERT_TRUE(waitUntil([&] { return ctx.isFullyLoaded(); }));
    processEvents();
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(changed, 0) << "records coming in are no change";
    EXPECT_FALSE(ctx.hasChanges());
    EXPECT_EQ(ctx.fetchCount<Capture>(), 13);
    EXPECT_EQ(named<Tag>(ctx, QStringLiteral("red"))->captures().size(), 6);
    EXPECT_EQ(ctx.fetch<Capture>([](const Capture* c) { return c->fileName() == QLatin1String("c8.png"); }), QList<Capture*>{c8});
    EXPECT_EQ(c8->tags().size(), 2);
    EXPECT_TRUE(named<Tag>(ctx, QStringLiteral("blue"))->captures().contains(c8));
}

TEST(ModelContextLoading, ATableThatCannotBeReadStopsEverySaveAndIsReported)
{
    const QString path = writeWorkshop();
    ASSERT_TRUE(damageTable(path, QStringLiteral("Capture")));
    auto store = reopenTestStore(path);
    ASSERT_TRUE(store) << "the damage shows only when the table is read";
    ModelContext& ctx = store->mainContext();
    QStringList failed;
    QObject::connect(&ctx, &ModelContext::loadFailed, [&](const QString& why) { failed << why; });
    named<Project>(ctx, QStringLiteral("Scope"))->setName(QStringLiteral("Renamed"));
    EXPECT_TRUE(ctx.fetch<Capture>().isEmpty());
    processEvents();
    ASSERT_EQ(failed.size(), 1);
    EXPECT_FALSE(failed.first().isEmpty());
    QString error;
    EXPECT_FALSE(ctx.save(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(ctx.hasChanges()) << "the rename stays pending, unwritten";
}

TEST(ModelContextLoading, ClosingWhileTablesAreStillBeingReadStopsTheReaders)
{
    QString path;
    openTestStore(&path).reset();
    ASSERT_TRUE(execOnStoreFile(path, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 30000) "
                                      "INSERT INTO Capture (pk, fileName, title, notes, importedAt) "
                                      "SELECT i, 'c' || i || '.png', 'title ' || i, '', i FROM n"));
    for (int i = 0; i < 3; ++i) {
        auto store = reopenTestStore(path);
        ASSERT_TRUE(store);
        store->mainContext().loadInBackground();
        EXPECT_EQ(store->mainContext().liveCount(Capture::descriptor().name), 30000);
    }
    // Asked for while its reader is at work: the table comes in whole.
    auto store = reopenTestStore(path);
    store->mainContext().loadInBackground();
    EXPECT_EQ(store->mainContext().fetch<Capture>().size(), 30000);
}
