// Tag, filing and delete edits of the inspectors, against a real store file and real images.
#include "Corvallen/Library/CaptureEdits.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Model/TagPalette.h"
#include "Corvallen/Sync/AppModel.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "support/ChildRun.h"
#include "support/TestStore.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>

#include <csignal>

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

QStringList names(const QList<Tag*>& tags)
{
    QStringList out;
    for (const Tag* t : tags)
        out << t->name();
    return out;
}

QString writeCaptureImage(const QString& name)
{
    QImage image(48, 27, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString path = QDir(DeviceStorage::capturesFolder()).filePath(name);
    image.save(path, "PNG");
    return path;
}

}  // namespace

TEST(CaptureEdits, SingleCaptureTagsAreNormalisedReusedAndSaved)
{
    auto container = corvallen::test::openTestStore();
    ModelContext& context = container->mainContext();
    Capture* c = context.insert(new Capture(QStringLiteral("a.png")));
    ASSERT_TRUE(context.save());

    EXPECT_TRUE(CaptureEdits::addTag(*c, QStringLiteral("  Probe Noise \n"), context));
    ASSERT_EQ(names(c->tags()), QStringList({"probe noise"}));
    EXPECT_EQ(c->tags().first()->colorHex(), paletteHex(QStringLiteral("probe noise")));
    EXPECT_FALSE(context.hasChanges());

    EXPECT_TRUE(CaptureEdits::addTag(*c, QStringLiteral("PROBE NOISE"), context));  // already there
    EXPECT_EQ(c->tags().size(), 1);
    EXPECT_EQ(context.fetchCount<Tag>(), 1);
    EXPECT_FALSE(CaptureEdits::addTag(*c, QStringLiteral(" \t\n"), context));
    EXPECT_FALSE(CaptureEdits::canAddTag(QStringLiteral(" \t ")));
    EXPECT_TRUE(CaptureEdits::canAddTag(QStringLiteral(" x ")));

    CaptureEdits::addTag(*c, QStringLiteral("ripple"), context);
    CaptureEdits::addTag(*c, QStringLiteral("hum"), context);
    Tag* ripple = c->tags().at(1);
    CaptureEdits::removeTag(*c, ripple, context);
    EXPECT_EQ(names(c->tags()), QStringList({"probe noise", "hum"}));
    EXPECT_FALSE(ripple->isDeleted());
    EXPECT_FALSE(context.hasChanges());
}

TEST(CaptureEdits, SuggestionsMatchStoredNamesCaseSensitivelyAndSkipAttachedTags)
{
    auto container = corvallen::test::openTestStore();
    ModelContext& context = container->mainContext();
    Capture* c = context.insert(new Capture(QStringLiteral("a.png")));
    for (const QString& n : {QStringLiteral("noise"), QStringLiteral("Noise floor"), QStringLiteral("ripple")})
        findOrCreateTag(n, context);
    const auto all = [&] { return CaptureEdits::allTagsByName(context); };
    EXPECT_EQ(names(CaptureEdits::tagSuggestions(QStringLiteral("noi"), all(), *c)), QStringList({"noise"}));
    EXPECT_EQ(names(CaptureEdits::tagSuggestions(QStringLiteral(" OISE"), all(), *c)), QStringList({"Noise floor", "noise"}));
    CaptureEdits::addTag(*c, QStringLiteral("noise"), context);
    EXPECT_TRUE(CaptureEdits::tagSuggestions(QStringLiteral("noi"), all(), *c).isEmpty());
    EXPECT_TRUE(CaptureEdits::tagSuggestions(QStringLiteral("  "), all(), *c).isEmpty());

    for (int i = 0; i < 10; ++i)
        findOrCreateTag(QStringLiteral("t%1").arg(i), context);
    EXPECT_EQ(names(CaptureEdits::tagSuggestions(QStringLiteral("t"), all(), *c)),
              QStringList({"t0", "t1", "t2", "t3", "t4", "t5"}));
}

TEST(CaptureEdits, BulkFilingAndTagging)
{
    QString path;
    auto container = corvallen::test::openTestStore(&path);
    ModelContext& context = container->mainContext();
    Project* p = context.insert(new Project(QStringLiteral("P"), {}, {}));
    Project* q = context.insert(new Project(QStringLiteral("Q"), {}, {}));
    QList<Capture*> captures;
    for (int i = 0; i < 3; ++i)
        captures.append(context.insert(new Capture(QStringLiteral("b%1.png").arg(i))));
    captures.at(0)->setProject(q);
    Tag* existing = findOrCreateTag(QStringLiteral("probe noise"), context);
    captures.at(1)->setTags({existing});
    ASSERT_TRUE(context.save());

    CaptureEdits::moveAll(captures, p, context);
    for (Capture* c : captures)
        EXPECT_EQ(c->project(), p);
    EXPECT_TRUE(q->captures().isEmpty());

    EXPECT_TRUE(CaptureEdits::addTagToAll(captures, QStringLiteral(" Probe Noise "), context));
    EXPECT_EQ(context.fetchCount<Tag>(), 1);
    for (Capture* c : captures)
        EXPECT_EQ(c->tags(), QList<Tag*>({existing}));
    EXPECT_TRUE(CaptureEdits::addTagToAll(captures, QStringLiteral("new one"), context));
    EXPECT_EQ(context.fetchCount<Tag>(), 2);
    EXPECT_FALSE(CaptureEdits::addTagToAll(captures, QStringLiteral("\n"), context));

    CaptureEdits::moveAll(captures, nullptr, context);
    container.reset();
    auto reopened = corvallen::test::reopenTestStore(path);
    for (Capture* c : reopened->mainContext().fetch<Capture>()) {
        EXPECT_EQ(c->project(), nullptr);
        EXPECT_EQ(names(c->tags()), QStringList({"probe noise", "new one"}));
    }
}

TEST(CaptureEdits, DeletingRemovesRecordsAndTheirImagesButKeepsTagsAndProjects)
{
    QString path;
    auto container = corvallen::test::openTestStore(&path);
    ModelContext& context = container->mainContext();
    Project* p = context.insert(new Project(QStringLiteral("P"), {}, {}));
    Capture* a = context.insert(new Capture(QStringLiteral("del-a.png")));
    Capture* b = context.insert(new Capture(QStringLiteral("del-b.png")));
    Capture* keep = context.insert(new Capture(QStringLiteral("del-keep.png")));
    a->setProject(p);
    a->setTags({findOrCreateTag(QStringLiteral("x"), context)});
    ASSERT_TRUE(context.save());
    const QString fileA = writeCaptureImage(QStringLiteral("del-a.png"));
    const QString fileKeep = writeCaptureImage(QStringLiteral("del-keep.png"));
    // del-b.png was never written: its record still goes.

    CaptureEdits::deleteCaptures({a, b}, context);
    EXPECT_TRUE(a->isDeleted());
    EXPECT_TRUE(b->isDeleted());
    EXPECT_FALSE(QFile::exists(fileA));
    EXPECT_TRUE(QFile::exists(fileKeep));
    EXPECT_FALSE(context.hasChanges());
    container.reset();

    auto reopened = corvallen::test::reopenTestStore(path);
    ModelContext& again = reopened->mainContext();
    ASSERT_EQ(again.fetchCount<Capture>(), 1);
    EXPECT_EQ(again.fetch<Capture>().first()->fileName(), QStringLiteral("del-keep.png"));
    EXPECT_EQ(again.fetchCount<Tag>(), 1);
    EXPECT_EQ(again.fetchCount<Project>(), 1);
    (void)keep;
}

// A deletion killed at a chosen point (this same test program as a child, killed by SIGKILL),
// then the next launch: captures whose deletion reached the store stay deleted and their files
// go; captures whose deletion never reached it stay with their files.
namespace {

const char* const kDeletePoint = "CORVALLEN_DELETE_CRASH_POINT";
const char* const kDeleteStore = "CORVALLEN_DELETE_CRASH_STORE";
const char* const kDeleteDataHome = "CORVALLEN_DELETE_CRASH_DATA_HOME";

bool doomed(const Capture* c) { return c->fileName().startsWith(QLatin1String("crash-gone")); }
bool ours(const Capture* c) { return c->fileName().startsWith(QLatin1String("crash-")); }

}  // namespace

// The child's side; only runs when the test below starts it.
TEST(CaptureDeleteCrashChild, DeletesUntilKilled)
{
    if (!qEnvironmentVariableIsSet(kDeletePoint))
        GTEST_SKIP() << "started by the CaptureDeleteCrash tests";
    qputenv("XDG_DATA_HOME", qgetenv(kDeleteDataHome));
    auto container = corvallen::test::reopenTestStore(qEnvironmentVariable(kDeleteStore));
    ModelContext& context = container->mainContext();
    if (qgetenv(kDeletePoint) == "before-commit")
        sqlite3_commit_hook(container->handle(), [](void*) -> int { return ::raise(SIGKILL); }, nullptr);
    else  // committed to the store, the files not yet removed
        sqlite3_wal_hook(container->handle(), [](void*, sqlite3*, const char*, int) -> int { return ::raise(SIGKILL); }, nullptr);
    CaptureEdits::deleteCaptures(context.fetch<Capture>(doomed), context);
    FAIL() << "the deletion was not interrupted";
}

class CaptureDeleteCrash : public ::testing::TestWithParam<const char*> {};

TEST_P(CaptureDeleteCrash, TheNextLaunchNeitherLosesNorRevivesCaptures)
{
    const bool committed = QByteArray(GetParam()) == "after-commit";
    const QStringList gone = {QStringLiteral("crash-gone-1.png"), QStringLiteral("crash-gone-2.png")};
    QString path;
    {
        auto container = corvallen::test::openTestStore(&path);
        ModelContext& context = container->mainContext();
        for (const QString& name : gone + QStringList{QStringLiteral("crash-kept.png")}) {
            writeCaptureImage(name);
            context.insert(new Capture(name))->setTitle(QStringLiteral("titled ") + name);
        }
        ASSERT_TRUE(context.save());
    }

    QProcess child;
    corvallen::test::startSelf(child, QStringLiteral("CaptureDeleteCrashChild.*"),
                               {{QString::fromLatin1(kDeletePoint), QString::fromLatin1(GetParam())},
                                {QString::fromLatin1(kDeleteStore), path},
                                {QString::fromLatin1(kDeleteDataHome), qEnvironmentVariable("XDG_DATA_HOME")}});
    ASSERT_TRUE(child.waitForFinished(60000));
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAllStandardOutput().toStdString();
    for (const QString& name : gone)  // killed before any file was removed
        ASSERT_TRUE(QFile::exists(QDir(DeviceStorage::capturesFolder()).filePath(name))) << name.toStdString();

    // The next launch.
    auto reopened = corvallen::test::reopenTestStore(path);
    ModelContext& context = reopened->mainContext();
    AppModel model(context);
    model.reconcileLibrary();
    QStringList titles;
    for (const Capture* c : context.fetch<Capture>(ours))
        titles << c->title();
    titles.sort();
    const QStringList expected = committed ? QStringList{QStringLiteral("titled crash-kept.png")}
                                           : QStringList{QStringLiteral("titled crash-gone-1.png"), QStringLiteral("titled crash-gone-2.png"),
                                                         QStringLiteral("titled crash-kept.png")};
    EXPECT_EQ(titles.join(u'|').toStdString(), expected.join(u'|').toStdString());
    for (const QString& name : gone)
        EXPECT_EQ(QFile::exists(QDir(DeviceStorage::capturesFolder()).filePath(name)), !committed) << name.toStdString();
    EXPECT_TRUE(QFile::exists(QDir(DeviceStorage::capturesFolder()).filePath(QStringLiteral("crash-kept.png"))));

    // Nothing of it is left to act on at a later launch.
    for (const QString& name : gone)
        QFile::remove(QDir(DeviceStorage::capturesFolder()).filePath(name));
    model.reconcileLibrary();
    EXPECT_EQ(context.fetch<Capture>(ours).size(), committed ? 1 : 3);
}

INSTANTIATE_TEST_SUITE_P(Library, CaptureDeleteCrash, ::testing::Values("before-commit", "after-commit"));
