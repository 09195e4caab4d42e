// The object store's main context: identity, relationships kept in step, delete rules, unique
// upserts, unsaved records in fetches, failed saves, rollback, autosave and notifications.
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Store/ModelContainer.h"
#include "support/EventLoop.h"
#include "support/TestStore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <random>

using namespace corvallen::test;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

namespace {

// A second connection to the store file, as another process would open it.
class RawConnection {
public:
    explicit RawConnection(const QString& path) { sqlite3_open(path.toUtf8().constData(), &m_db); }
    ~RawConnection() { sqlite3_close(m_db); }
    bool exec(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
    qint64 count(const QString& sql)
    {
        sqlite3_stmt* st = nullptr;
        qint64 n = -1;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        return n;
    }

private:
    sqlite3* m_db = nullptr;
};

class ModelContextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        container = openTestStore(&path);
        ASSERT_TRUE(container);
    }
    ModelContext& ctx() { return container->mainContext(); }
    void reopen()
    {
        container.reset();
        container = reopenTestStore(path);
        ASSERT_TRUE(container);
    }
    template <class T>
    T* only()
    {
        const auto all = ctx().fetch<T>();
        EXPECT_EQ(all.size(), 1);
        return all.value(0);
    }

    QString path;
    std::unique_ptr<ModelContainer> container;
};

// --- identity ---------------------------------------------------------------------------

TEST_F(ModelContextTest, OneObjectPerRecordAndIdentifiersFromInsert)
{
    Capture* a = ctx().insert(new Capture(QStringLiteral("a.png")));
    Capture* b = ctx().insert(new Capture(QStringLiteral("b.png")));
    b->setTitle(a->title());
    b->setNotes(a->notes());
    b->setImportedAt(a->importedAt());

    // Identifiers exist before the first save and tell records apart, whatever their values.
    ASSERT_TRUE(a->persistentModelID().isValid());
    EXPECT_NE(a->persistentModelID(), b->persistentModelID());
    EXPECT_FALSE(*a == *b);
    EXPECT_EQ(ctx().model<Capture>(a->persistentModelID()), a);
    EXPECT_EQ(ctx().fetch<Capture>([](const Capture* c) { return c->fileName() == QLatin1String("a.png"); }).value(0), a);
    EXPECT_EQ(ctx().model<Project>(a->persistentModelID()), nullptr) << "identifier of another entity";

    const PersistentIdentifier idA = a->persistentModelID();
    ASSERT_TRUE(ctx().save());
    EXPECT_EQ(a->persistentModelID(), idA) << "saving keeps the identifier";

    reopen();
    Capture* again = ctx().model<Capture>(idA);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->fileName(), QStringLiteral("a.png"));
    EXPECT_EQ(ctx().model<Capture>(idA), again);
    EXPECT_EQ(ctx().fetch<Capture>({}, [](const Capture* x, const Capture* y) { return x->fileName() < y->fileName(); }).value(0), again);
}

// --- relationships ----------------------------------------------------------------------

TEST_F(ModelContextTest, BothEndsOfEveryRelationshipStayInStep)
{
    Project* p = ctx().insert(new Project(QStringLiteral("Amp"), {}, {}));
    Project* q = ctx().insert(new Project(QStringLiteral("Scope"), {}, {}));
    Capture* c = ctx().insert(new Capture(QStringLiteral("c.png")));
    Tag* t = ctx().insert(new Tag(QStringLiteral("red"), QStringLiteral("#FF0000")));
    Component* part = ctx().insert(new Component(QStringLiteral("LM358")));
    Document* d = ctx().insert(new Document(QStringLiteral("D.pdf"), QStringLiteral("Datasheet")));

    c->setProject(p);
    EXPECT_THAT(p->captures(), ElementsAre(c));
    c->setProject(q);
    EXPECT_TRUE(p->captures().isEmpty());
    EXPECT_THAT(q->captures(), ElementsAre(c));

    c->addTag(t);
    EXPECT_THAT(t->captures(), ElementsAre(c));
    c->removeTag(t);
    EXPECT_TRUE(t->captures().isEmpty());
    // From the tag's side as well.
    t->addToMany(Tag::Captures, c);
    EXPECT_THAT(c->tags(), ElementsAre(t));

    auto* line = new ProjectComponent(part, p, 3);
    EXPECT_EQ(line->modelContext(), &ctx()) << "a line linked to stored records joins their context";
    EXPECT_THAT(part->projectUses(), ElementsAre(line));
    EXPECT_THAT(p->parts(), ElementsAre(line));
    line->setProject(q);
    EXPECT_TRUE(p->parts().isEmpty());
    EXPECT_THAT(q->parts(), ElementsAre(line));

    auto* link = ctx().insert(new ProjectDocument(d, p));
    EXPECT_THAT(d->attachments(), ElementsAre(link));
    EXPECT_THAT(p->attachments(), ElementsAre(link));
    d->setProject(p);
    EXPECT_THAT(p->documents(), ElementsAre(d));

    ASSERT_TRUE(ctx().save());
    reopen();
    Capture* c2 = only<Capture>();
    Project* q2 = ctx().fetch<Project>([](const Project* x) { return x->name() == QLatin1String("Scope"); }).value(0);
    Project* p2 = ctx().fetch<Project>([](const Project* x) { return x->name() == QLatin1String("Amp"); }).value(0);
    ASSERT_TRUE(q2 && p2);
    EXPECT_EQ(c2->project(), q2);
    EXPECT_THAT(q2->captures(), ElementsAre(c2));
    EXPECT_THAT(c2->tags(), ElementsAre(only<Tag>()));
    EXPECT_THAT(only<Tag>()->captures(), ElementsAre(c2));
    EXPECT_THAT(q2->parts(), ElementsAre(only<ProjectComponent>()));
    EXPECT_EQ(only<ProjectComponent>()->component(), only<Component>());
    EXPECT_THAT(p2->attachments(), ElementsAre(only<ProjectDocument>()));
    EXPECT_THAT(only<Document>()->attachments(), ElementsAre(only<ProjectDocument>()));
    EXPECT_EQ(only<Document>()->project(), p2);
}

TEST_F(ModelContextTest, DeletingAProjectCascadesToLinesAndAttachmentsAndNullifiesTheRest)
{
    Project* p = ctx().insert(new Project(QStringLiteral("Amp"), {}, {}));
    Capture* c = ctx().insert(new Capture(QStringLiteral("c.png")));
    c->setProject(p);
    Component* part = ctx().insert(new Component(QStringLiteral("R1")));
    part->setQty(10);
    auto* line = ctx().insert(new ProjectComponent(part, p, 4));
    Document* d = ctx().insert(new Document(QStringLiteral("D.pdf"), QStringLiteral("D")));
    d->setProject(p);
    auto* link = ctx().insert(new ProjectDocument(d, p));
    ASSERT_TRUE(ctx().save());

    ctx().deleteObject(p);
    EXPECT_TRUE(p->isDeleted());
    EXPECT_TRUE(line->isDeleted());
    EXPECT_TRUE(link->isDeleted());
    EXPECT_FALSE(c->isDeleted());
    EXPECT_EQ(c->project(), nullptr);
    EXPECT_EQ(d->project(), nullptr);
    EXPECT_TRUE(d->attachments().isEmpty());
    EXPECT_TRUE(part->projectUses().isEmpty());
    EXPECT_EQ(part->qty(), 10) << "the cascade changes no stock";
    EXPECT_EQ(ctx().fetchCount<Project>(), 0);
    ASSERT_TRUE(ctx().save());

    reopen();
    EXPECT_EQ(ctx().fetchCount<Project>(), 0);
    EXPECT_EQ(ctx().fetchCount<ProjectComponent>(), 0);
    EXPECT_EQ(ctx().fetchCount<ProjectDocument>(), 0);
    EXPECT_EQ(ctx().fetchCount<Capture>(), 1);
    EXPECT_EQ(only<Capture>()->project(), nullptr);
    EXPECT_EQ(only<Document>()->project(), nullptr);
    EXPECT_EQ(only<Component>()->qty(), 10);
}

TEST_F(ModelContextTest, DeletingAComponentOrDocumentTakesItsLinesAlong)
{
    Project* a = ctx().insert(new Project(QStringLiteral("A"), {}, {}));
    Project* b = ctx().insert(new Project(QStringLiteral("B"), {}, {}));
    Component* part = ctx().insert(new Component(QStringLiteral("NE555")));
    Component* other = ctx().insert(new Component(QStringLiteral("LM317")));
    ctx().insert(new ProjectComponent(part, a, 1));
    ctx().insert(new ProjectComponent(part, b, 2));
    auto* kept = ctx().insert(new ProjectComponent(other, a, 5));
    Document* d = ctx().insert(new Document(QStringLiteral("x.pdf"), QStringLiteral("x")));
    ctx().insert(new ProjectDocument(d, a));
    ctx().insert(new ProjectDocument(d, b));
    ASSERT_TRUE(ctx().save());

    ctx().deleteObject(part);
    ctx().deleteObject(d);
    EXPECT_THAT(a->parts(), ElementsAre(kept));
    EXPECT_TRUE(b->parts().isEmpty());
    EXPECT_TRUE(a->attachments().isEmpty());
    EXPECT_TRUE(b->attachments().isEmpty());
    ASSERT_TRUE(ctx().save());
    reopen();
    EXPECT_EQ(ctx().fetchCount<Project>(), 2);
    EXPECT_EQ(ctx().fetchCount<ProjectComponent>(), 1);
    EXPECT_EQ(ctx().fetchCount<ProjectDocument>(), 0);
    EXPECT_EQ(only<ProjectComponent>()->quantity(), 5);
}

TEST_F(ModelContextTest, TagsAndCapturesNullifyEachOther)
{
    Tag* red = ctx().insert(new Tag(QStringLiteral("red"), QStringLiteral("#FF0000")));
    Tag* blue = ctx().insert(new Tag(QStringLiteral("blue"), QStringLiteral("#0000FF")));
    QList<Capture*> caps;
    for (int i = 0; i < 3; ++i) {
        caps << ctx().insert(new Capture(QStringLiteral("c%1.png").arg(i)));
        caps.last()->setTags({red, blue});
    }
    ASSERT_TRUE(ctx().save());

    ctx().deleteObject(red);
    for (Capture* c : caps)
        EXPECT_THAT(c->tags(), ElementsAre(blue));
    ctx().deleteObject(caps[0]);
    EXPECT_THAT(blue->captures(), UnorderedElementsAre(caps[1], caps[2]));
    ASSERT_TRUE(ctx().save());

    reopen();
    EXPECT_EQ(ctx().fetchCount<Capture>(), 2);
    Tag* b = only<Tag>();
    EXPECT_EQ(b->name(), QStringLiteral("blue"));
    EXPECT_EQ(b->captures().size(), 2);
    RawConnection raw(path);
    EXPECT_EQ(raw.count(QStringLiteral("SELECT COUNT(*) FROM Capture_tags")), 2) << "no join rows left for deleted records";

    // The last capture with a tag goes: the tag stays with no captures.
    for (Capture* c : ctx().fetch<Capture>())
        ctx().deleteObject(c);
    ASSERT_TRUE(ctx().save());
    EXPECT_EQ(ctx().fetchCount<Tag>(), 1);
    EXPECT_TRUE(only<Tag>()->captures().isEmpty());
}

// --- unique attributes ------------------------------------------------------------------

TEST_F(ModelContextTest, InsertingAnExistingUniqueValueUpdatesTheStoredRecord)
{
    Capture* first = ctx().insert(new Capture(QStringLiteral("IMG_1.png")));
    first->setSummary(QStringLiteral("ripple"));
    ASSERT_TRUE(ctx().save());
    const PersistentIdentifier id = first->persistentModelID();

    auto* again = new Capture(QStringLiteral("IMG_1.png"));
    again->setTitle(QStringLiteral("Restored"));
    Capture* result = ctx().insert(again);
    EXPECT_EQ(result, first) << "identity is kept";
    EXPECT_EQ(result->persistentModelID(), id);
    EXPECT_EQ(result->title(), QStringLiteral("Restored"));
    EXPECT_FALSE(result->summary().has_value()) << "the new record's values replace the stored ones";
    EXPECT_EQ(ctx().fetchCount<Capture>(), 1);
    EXPECT_EQ(ctx().insert(again), first) << "inserting the merged object again gives the stored record";

    // Also for a record that is not saved yet.
    Tag* t = ctx().insert(new Tag(QStringLiteral("new"), QStringLiteral("#111111")));
    EXPECT_EQ(ctx().insert(new Tag(QStringLiteral("new"), QStringLiteral("#222222"))), t);
    EXPECT_EQ(t->colorHex(), QStringLiteral("#222222"));
    // Names are compared exactly.
    EXPECT_NE(ctx().insert(new Tag(QStringLiteral("New"), QStringLiteral("#333333"))), t);

    ASSERT_TRUE(ctx().save());
    reopen();
    EXPECT_EQ(ctx().fetchCount<Capture>(), 1);
    EXPECT_EQ(only<Capture>()->persistentModelID(), id);
    EXPECT_EQ(only<Capture>()->title(), QStringLiteral("Restored"));
    EXPECT_EQ(ctx().fetchCount<Tag>(), 2);
}

TEST_F(ModelContextTest, AFreshTagWithAnExistingNameJoinsTheStoredTagWithoutStrippingIt)
{
    Tag* red = ctx().insert(new Tag(QStringLiteral("red"), QStringLiteral("#FF0000")));
    Capture* a = ctx().insert(new Capture(QStringLiteral("a.png")));
    Capture* b = ctx().insert(new Capture(QStringLiteral("b.png")));
    a->addTag(red);
    ASSERT_TRUE(ctx().save());

    auto* fresh = new Tag(QStringLiteral("red"), QStringLiteral("#FF0000"));
    b->addTag(fresh);  // joins the context and turns out to be the stored tag
    EXPECT_THAT(b->tags(), ElementsAre(red));
    EXPECT_THAT(red->captures(), UnorderedElementsAre(a, b));
    EXPECT_EQ(ctx().insert(fresh), red);
    EXPECT_EQ(ctx().fetchCount<Tag>(), 1);

    // A fresh capture for an existing file, filed under a project before it is inserted.
    Project* p = ctx().insert(new Project(QStringLiteral("P"), {}, {}));
    auto* dup = new Capture(QStringLiteral("a.png"));
    dup->setProject(p);
    EXPECT_EQ(a->project(), p);
    EXPECT_THAT(p->captures(), ElementsAre(a));
    EXPECT_EQ(ctx().fetchCount<Capture>(), 2);

    ASSERT_TRUE(ctx().save());
    reopen();
    EXPECT_EQ(ctx().fetchCount<Tag>(), 1);
    EXPECT_EQ(only<Tag>()->captures().size(), 2);
    EXPECT_EQ(ctx().fetch<Capture>([](const Capture* c) { return c->fileName() == QLatin1String("a.png"); }).value(0)->project(),
              only<Project>());
}

TEST_F(ModelContextTest, AUniqueValueFreedByDeletionOrRenameCanBeTakenAgain)
{
    Tag* t = ctx().insert(new Tag(QStringLiteral("x"), QStringLiteral("#000000")));
    ASSERT_TRUE(ctx().save());
    ctx().deleteObject(t);
    Tag* u = ctx().insert(new Tag(QStringLiteral("x"), QStringLiteral("#FFFFFF")));
    EXPECT_NE(u, t) << "a deleted record is not revived by an insert";
    ASSERT_TRUE(ctx().save());

    u->setName(QStringLiteral("y"));
    Tag* v = ctx().insert(new Tag(QStringLiteral("x"), QStringLiteral("#123456")));
    EXPECT_NE(v, u);
    EXPECT_EQ(ctx().insert(new Tag(QStringLiteral("y"), QStringLiteral("#654321"))), u);

    // A rename onto an existing name leaves two records; deleting one leaves the other findable.
    v->setName(QStringLiteral("y"));
    ctx().deleteObject(u);
    EXPECT_EQ(ctx().insert(new Tag(QStringLiteral("y"), QStringLiteral("#ABCDEF"))), v);
    ASSERT_TRUE(ctx().save());
    reopen();
    EXPECT_EQ(ctx().fetchCount<Tag>(), 1);
    EXPECT_EQ(only<Tag>()->colorHex(), QStringLiteral("#ABCDEF"));
}

// --- fetches, saves, rollback -----------------------------------------------------------

TEST_F(ModelContextTest, FetchesSeeUnsavedInsertsAndNotUnsavedDeletions)
{
    ctx().insert(new Component(QStringLiteral("old")));
    ASSERT_TRUE(ctx().save());
    Component* fresh = ctx().insert(new Component(QStringLiteral("fresh")));
    EXPECT_EQ(ctx().fetchCount<Component>(), 2);
    EXPECT_EQ(ctx().fetch<Component>([](const Component* c) { return c->name() == QLatin1String("fresh"); }).value(0), fresh);
    const auto sorted = ctx().fetch<Component>({}, [](const Component* a, const Component* b) { return a->name() > b->name(); });
    EXPECT_EQ(sorted.value(1), fresh);
    EXPECT_TRUE(ctx().hasChanges());

    ctx().deleteObject(ctx().fetch<Component>([](const Component* c) { return c->name() == QLatin1String("old"); }).value(0));
    EXPECT_EQ(ctx().fetchCount<Component>(), 1);
    ctx().deleteObject(fresh);
    EXPECT_EQ(ctx().fetchCount<Component>(), 0);
    EXPECT_EQ(ctx().model<Component>(fresh->persistentModelID()), nullptr);
    EXPECT_TRUE(fresh->isDeleted()) << "a deleted record stays a valid object";
    ASSERT_TRUE(ctx().save());
    reopen();
    EXPECT_EQ(ctx().fetchCount<Component>(), 0);
}

TEST_F(ModelContextTest, AFailedSaveKeepsEveryChangeForTheNextSave)
{
    Capture* keep = ctx().insert(new Capture(QStringLiteral("keep.png")));
    Capture* gone = ctx().insert(new Capture(QStringLiteral("gone.png")));
    ASSERT_TRUE(ctx().save());

    keep->setTitle(QStringLiteral("renamed"));
    ctx().deleteObject(gone);
    Tag* t = ctx().insert(new Tag(QStringLiteral("t"), QStringLiteral("#010203")));
    keep->addTag(t);

    QStringList failures;
    QObject::connect(&ctx(), &ModelContext::saveFailed, [&](const QString& e) { failures << e; });
    {
        RawConnection other(path);
        ASSERT_TRUE(other.exec("BEGIN IMMEDIATE"));  // another writer holds the lock
        container->setBusyTimeout(0);
        QString error;
        EXPECT_FALSE(ctx().save(&error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(ctx().lastSaveErrorCode() & 0xff, SQLITE_BUSY);
        EXPECT_EQ(failures.size(), 1);
        EXPECT_TRUE(ctx().hasChanges());
        EXPECT_FALSE(ctx().save()) << "still locked: fails again, nothing lost";
        other.exec("ROLLBACK");
    }
    EXPECT_EQ(keep->title(), QStringLiteral("renamed"));
    EXPECT_TRUE(gone->isDeleted());
    ASSERT_TRUE(ctx().save());
    EXPECT_EQ(ctx().lastSaveErrorCode(), SQLITE_OK);
    EXPECT_FALSE(ctx().hasChanges());

    reopen();
    EXPECT_EQ(ctx().fetchCount<Capture>(), 1);
    EXPECT_EQ(only<Capture>()->title(), QStringLiteral("renamed"));
    EXPECT_THAT(only<Capture>()->tags(), ElementsAre(only<Tag>()));
}

TEST_F(ModelContextTest, NoLinkIsMadeToOrFromADeletedRecord)
{
    Project* kept = ctx().insert(new Project(QStringLiteral("kept"), {}, {}));
    Project* doomed = ctx().insert(new Project(QStringLiteral("doomed"), {}, {}));
    Capture* capture = ctx().insert(new Capture(QStringLiteral("a.png")));
    Capture* deletedCapture = ctx().insert(new Capture(QStringLiteral("b.png")));
    Tag* doomedTag = ctx().insert(new Tag(QStringLiteral("old"), QStringLiteral("#000000")));
    capture->setProject(kept);
    ASSERT_TRUE(ctx().save());

    // Deleted, not yet saved: a view still holding the objects links them by mistake.
    ctx().deleteObject(doomed);
    ctx().deleteObject(doomedTag);
    ctx().deleteObject(deletedCapture);
    capture->setProject(doomed);
    capture->addTag(doomedTag);
    deletedCapture->setProject(kept);
    EXPECT_EQ(capture->project(), kept) << "the link is refused, the old one stays";
    EXPECT_TRUE(capture->tags().isEmpty());
    EXPECT_TRUE(doomed->captures().isEmpty());
    EXPECT_THAT(kept->captures(), ElementsAre(capture));

    // After the save memory and the file agree.
    ASSERT_TRUE(ctx().save());
    capture->setProject(doomed);
    EXPECT_EQ(capture->project(), kept);
    reopen();
    const auto projects = ctx().fetch<Project>();
    ASSERT_EQ(projects.size(), 1);
    EXPECT_THAT(projects.first()->captures(), ElementsAre(only<Capture>()));
    EXPECT_TRUE(only<Capture>()->tags().isEmpty());
}

// --- values ------------------------------------------------------------------------------

// A value of an attribute type, a different one for each `n`: texts include the empty one (a
// present value, unlike an absent one), dates come in UTC and in local time.
QVariant sampleValue(AttributeType type, int n)
{
    switch (type) {
    case AttributeType::Text: return n % 4 == 0 ? QString(QLatin1String("")) : QStringLiteral("µ %1 Ω").arg(n);
    case AttributeType::Integer: return QVariant(qint64(n % 3 == 0 ? -n : n) * 1'000'000'007LL);
    case AttributeType::Double: return n % 2 ? n + 0.25 : -n / 8.0;
    case AttributeType::Bool: return n % 2 == 0;
    case AttributeType::Date: {
        const QDateTime utc = QDateTime::fromMSecsSinceEpoch(1'700'000'000'123LL + n * 86'400'007LL, Qt::UTC);
        return n % 2 ? utc.toLocalTime() : utc;
    }
    case AttributeType::Uuid: return QUuid::createUuidV5(QUuid(), QString::number(n));
    }
    return {};
}

// Every attribute of `record` holds what `expected` says (an invalid QVariant: absent).
void expectValues(const PersistentModel* record, const std::vector<QVariant>& expected, const char* when)
{
    for (size_t i = 0; i < expected.size(); ++i) {
        const QVariant v = record->attributeValue(int(i));
        const QString name = record->entity().attributes[qsizetype(i)].name;
        EXPECT_EQ(v.isValid(), expected[i].isValid()) << when << ": " << name.toStdString();
        if (v.isValid() && expected[i].isValid())
            EXPECT_EQ(v, expected[i]) << when << ": " << name.toStdString() << " = " << v.toString().toStdString();
    }
}

TEST_F(ModelContextTest, ValuesSetAndClearedInAnyOrderAreKeptSavedReloadedAndRolledBack)
{
    // Records keep only the values they hold: whatever order values come and go in, every
    // attribute reads back as set, through a save, a rollback and a reload.
    struct Walk {
        PersistentIdentifier id;
        std::vector<QVariant> saved;
    };
    std::vector<Walk> walks;
    std::mt19937 random(7);
    int n = 0;
    for (const EntityDescriptor* d : {&Component::descriptor(), &Project::descriptor(), &ProjectComponent::descriptor()}) {
        SCOPED_TRACE(d->name.toStdString());
        PersistentModel* record = ctx().insert(d->make());
        const int count = int(d->attributes.size());
        std::vector<QVariant> expected;
        for (int i = 0; i < count; ++i)
            expected.push_back(record->attributeValue(i));  // what a blank record starts with
        auto walk = [&](int steps) {
            for (int s = 0; s < steps; ++s) {
                const int i = int(random() % unsigned(count));
                expected[size_t(i)] = random() % 3 == 0 ? QVariant() : sampleValue(d->attributes[i].type, ++n);
                record->setAttributeValue(i, expected[size_t(i)]);
            }
        };
        walk(count * 6);
        expectValues(record, expected, "set");
        ASSERT_TRUE(ctx().save());
        const std::vector<QVariant> saved = expected;
        walk(count * 3);
        expectValues(record, expected, "changed again");
        ctx().rollback();
        expectValues(record, saved, "rolled back");
        EXPECT_FALSE(record->hasChanges());
        walks.push_back({record->persistentModelID(), saved});
    }
    reopen();
    for (const Walk& w : walks) {
        SCOPED_TRACE(w.id.entityName.toStdString());
        PersistentModel* record = ctx().model(w.id);
        ASSERT_TRUE(record);
        expectValues(record, w.saved, "reloaded");
    }
}

TEST_F(ModelContextTest, AnEmptyTextIsNotAnAbsentOneAndValuesOfAnotherTypeAreHeldAsTheStoreKeepsThem)
{
    Component* empty = ctx().insert(new Component(QStringLiteral("empty")));
    Component* absent = ctx().insert(new Component(QStringLiteral("absent")));
    empty->setPartNumber(QString(QLatin1String("")));
    absent->setPartNumber(QStringLiteral("PN"));
    absent->setPartNumber(std::nullopt);
    // A quantity given as text and a name given as a number read as the store gives them back.
    empty->setAttributeValue(Component::A_qty, QStringLiteral("12"));
    empty->setAttributeValue(Component::A_name, 42);
    EXPECT_EQ(empty->attributeValue(Component::A_qty), QVariant(qint64(12)));
    EXPECT_EQ(empty->attributeValue(Component::A_qty).metaType(), QMetaType::fromType<qint64>());
    EXPECT_EQ(empty->name(), QStringLiteral("42"));
    ASSERT_TRUE(ctx().save());
    // Setting the same value again is no change.
    empty->setAttributeValue(Component::A_qty, QVariant(qint64(12)));
    empty->setPartNumber(QString(QLatin1String("")));
    EXPECT_FALSE(ctx().hasChanges());

    {
        RawConnection file(path);
        EXPECT_EQ(file.count(QStringLiteral("SELECT COUNT(*) FROM Component WHERE partNumber = ''")), 1);
        EXPECT_EQ(file.count(QStringLiteral("SELECT COUNT(*) FROM Component WHERE partNumber IS NULL")), 1);
        EXPECT_EQ(file.count(QStringLiteral("SELECT COUNT(*) FROM Component WHERE name = '42' AND qty = 12")), 1);
    }
    reopen();
    const auto all = ctx().fetch<Component>({}, [](const Component* a, const Component* b) { return a->name() < b->name(); });
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all[0]->partNumber(), std::optional<QString>(QString()));
    EXPECT_EQ(all[0]->qty(), 12);
    EXPECT_EQ(all[1]->partNumber(), std::nullopt);
    EXPECT_FALSE(all[1]->attributeValue(Component::A_partNumber).isValid());
}

TEST_F(ModelContextTest, RollbackRestoresSavedValuesAndLinksAndKeepsIdentity)
{
    Project* p = ctx().insert(new Project(QStringLiteral("P"), {}, {}));
    Capture* c = ctx().insert(new Capture(QStringLiteral("c.png")));
    Capture* d = ctx().insert(new Capture(QStringLiteral("d.png")));
    c->setProject(p);
    ASSERT_TRUE(ctx().save());

    c->setTitle(QStringLiteral("changed"));
    c->setProject(nullptr);
    ctx().deleteObject(d);
    Capture* fresh = ctx().insert(new Capture(QStringLiteral("fresh.png")));
    ctx().rollback();

    EXPECT_FALSE(ctx().hasChanges());
    EXPECT_EQ(c->title(), QStringLiteral("unnamed_c"));
    EXPECT_EQ(c->project(), p);
    EXPECT_THAT(p->captures(), ElementsAre(c));
    EXPECT_FALSE(d->isDeleted());
    EXPECT_EQ(ctx().model<Capture>(d->persistentModelID()), d);
    EXPECT_TRUE(fresh->isDeleted());
    EXPECT_EQ(ctx().fetchCount<Capture>(), 2);
}

TEST_F(ModelContextTest, FilesOfADeletedRecordGoOnlyOnceTheDeletionIsSaved)
{
    Document* a = ctx().insert(new Document(QStringLiteral("a.pdf"), QStringLiteral("a")));
    Document* b = ctx().insert(new Document(QStringLiteral("b.pdf"), QStringLiteral("b")));
    ASSERT_TRUE(ctx().save());
    int ranA = 0, ranB = 0;

    ctx().deleteObject(a);
    ctx().afterDeletionSaved(a, [&] { ++ranA; });
    {
        RawConnection other(path);
        ASSERT_TRUE(other.exec("BEGIN IMMEDIATE"));
        container->setBusyTimeout(0);
        EXPECT_FALSE(ctx().save());
        EXPECT_EQ(ranA, 0) << "not while the record is still in the store";
        other.exec("ROLLBACK");
    }
    ASSERT_TRUE(ctx().save());
    EXPECT_EQ(ranA, 1);
    ASSERT_TRUE(ctx().save());
    EXPECT_EQ(ranA, 1) << "once";

    ctx().deleteObject(b);
    ctx().afterDeletionSaved(b, [&] { ++ranB; });
    ctx().rollback();
    ASSERT_FALSE(b->isDeleted());
    b->setTitle(QStringLiteral("edit"));
    ASSERT_TRUE(ctx().save());
    EXPECT_EQ(ranB, 0) << "a rolled-back deletion drops the action";
}

// --- automatic saving and notifications -------------------------------------------------

TEST_F(ModelContextTest, ChangesAreSavedAutomaticallyShortlyAfter)
{
    ctx().setAutosaveDelay(10);
    ctx().setAutosaveEnabled(true);
    int saves = 0;
    QObject::connect(&ctx(), &ModelContext::didSave, [&] { ++saves; });
    Component* c = ctx().insert(new Component(QStringLiteral("auto")));
    c->setQty(7);
    ASSERT_TRUE(waitUntil([&] { return saves > 0; }));
    EXPECT_FALSE(ctx().hasChanges());
    RawConnection raw(path);
    EXPECT_EQ(raw.count(QStringLiteral("SELECT qty FROM Component WHERE name = 'auto'")), 7);

    // Closing the store saves what is pending.
    c->setQty(9);
    container.reset();
    RawConnection after(path);
    EXPECT_EQ(after.count(QStringLiteral("SELECT qty FROM Component WHERE name = 'auto'")), 9);
}

TEST_F(ModelContextTest, ChangesAreAnnouncedOncePerEntityAndTurn)
{
    QStringList announced;
    QObject::connect(&ctx(), &ModelContext::changed, [&](const QString& e) { announced << e; });
    Project* p = ctx().insert(new Project(QStringLiteral("P"), {}, {}));
    p->setNotes(QStringLiteral("n"));
    p->setName(QStringLiteral("Q"));
    Capture* c = ctx().insert(new Capture(QStringLiteral("c.png")));
    EXPECT_TRUE(announced.isEmpty()) << "announced from the event loop, not inside the write";
    processEvents();
    EXPECT_THAT(announced, UnorderedElementsAre(QStringLiteral("Capture"), QStringLiteral("Project")));

    announced.clear();
    c->setProject(p);  // the other end changes too
    processEvents();
    EXPECT_THAT(announced, UnorderedElementsAre(QStringLiteral("Capture"), QStringLiteral("Project")));

    announced.clear();
    ASSERT_TRUE(ctx().save());
    ctx().deleteObject(p);
    processEvents();
    EXPECT_THAT(announced, UnorderedElementsAre(QStringLiteral("Capture"), QStringLiteral("Project")));
}

}  // namespace
