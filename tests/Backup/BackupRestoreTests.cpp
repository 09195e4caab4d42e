#include "BackupTestKit.h"

#include "Corvallen/Backup/BackupBundle.h"
#include "Corvallen/Backup/BackupData.h"
#include "Corvallen/Backup/BackupExport.h"
#include "Corvallen/Backup/BackupJson.h"
#include "Corvallen/Backup/SelectiveRestore.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

using namespace backuptest;

namespace {

const QByteArray kManifest = R"({"schemaVersion":1,"createdAt":"2025-03-01T09:30:00Z","appVersion":"1.0","counts":{}})";

BackupSelection only(bool BackupSelection::*flag)
{
    BackupSelection s;
    s.*flag = true;
    return s;
}

class BackupRestore : public BackupTest {
protected:
    void SetUp() override
    {
        BackupTest::SetUp();
        SettingsStore& s = SettingsStore::shared();
        for (const QString& k : s.keys())
            s.remove(k);
    }

    // An archive of everything populate() makes, plus the description of that data.
    QString populatedArchive(QStringList* described = nullptr)
    {
        populate(context(), data());
        if (described)
            *described = describeStore(context());
        const QString staging = BackupExport::exportBackup(BackupSelection::all(), context(), QStringLiteral("1"), QStringLiteral("1"));
        const QString archive = BackupBundle::zipFolder(staging);
        BackupBundle::removeQuietly(staging);
        return archive;
    }

    RestoreSummary restore(const QString& archive, const BackupSelection& selection)
    {
        return restoreAsTheApplicationDoes(archive, selection, context());
    }

    QStringList snapshots() const
    {
        return QDir(data(QStringLiteral("backups"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    }

    template <class T>
    T* named(const QString& name)
    {
        for (T* t : context().fetch<T>())
            if (t->name() == name)
                return t;
        return nullptr;
    }
    Capture* capture(const QString& fileName)
    {
        for (Capture* c : context().fetch<Capture>())
            if (c->fileName() == fileName)
                return c;
        return nullptr;
    }
};

TEST_F(BackupRestore, EverySectionRoundTripsIntoAnEmptyDataFolder)
{
    SettingsStore& s = SettingsStore::shared();
    s.setText(QStringLiteral("appTheme"), QStringLiteral("dark"));
    s.setText(QStringLiteral("appLanguage"), QStringLiteral("de"));
    s.setText(QStringLiteral("libraryMode"), QStringLiteral("grid"));
    s.setText(QStringLiteral("installedFirmware_2D15P"), QStringLiteral("1.0.3"));
    s.setBool(QStringLiteral("autoEjectAfterSync"), true);
    s.setText(QStringLiteral("business.name"), QStringLiteral("Bench & Co"));
    s.setText(QStringLiteral("business.vatRate"), QStringLiteral("20"));

    QStringList before;
    const QString archive = populatedArchive(&before);
    QMap<QString, QMap<QString, QByteArray>> folders;
    for (const QString& n : BackupData::dataFolderNames())
        folders.insert(n, folderContents(data(n)));

    switchToFreshDataFolder();
    for (const QString& k : s.keys())
        s.remove(k);

    const RestoreSummary summary = restore(archive, BackupSelection::all());
    EXPECT_EQ(summary, (RestoreSummary{2, 2, 3, 2, true, 0}));
    EXPECT_EQ(summary.description(), QStringLiteral("Restored 2 projects, 2 components, 3 captures, 2 files, settings."));
    EXPECT_EQ(describeStore(context()), before);
    for (const QString& n : BackupData::dataFolderNames())
        EXPECT_EQ(folderContents(data(n)), folders.value(n)) << n.toStdString();

    EXPECT_EQ(s.textValue(QStringLiteral("appTheme")), QStringLiteral("dark"));
    EXPECT_EQ(s.textValue(QStringLiteral("appLanguage")), QStringLiteral("de"));
    EXPECT_EQ(s.textListValue(QStringLiteral("AppleLanguages")), QStringList{QStringLiteral("de")});
    EXPECT_EQ(s.textValue(QStringLiteral("libraryMode")), QStringLiteral("grid"));
    EXPECT_EQ(s.textValue(QStringLiteral("installedFirmware_2D15P")), QStringLiteral("1.0.3"));
    EXPECT_TRUE(s.boolValue(QStringLiteral("autoEjectAfterSync")));
    EXPECT_EQ(s.textValue(QStringLiteral("business.name")), QStringLiteral("Bench & Co"));
    EXPECT_EQ(s.textValue(QStringLiteral("business.vatRate")), QStringLiteral("20"));

    // Saved, not only in memory; and nothing of the work is left behind.
    reopenStore();
    EXPECT_EQ(describeStore(context()), before);
    EXPECT_TRUE(dataFolderLeftovers(data()).isEmpty()) << dataFolderLeftovers(data()).join(u' ').toStdString();
    for (const QString& n : temporaryLeftovers(tmp))
        EXPECT_TRUE(n.endsWith(QStringLiteral(".zip"))) << n.toStdString();
    EXPECT_EQ(snapshots().size(), 1);
    EXPECT_TRUE(snapshots().value(0).startsWith(QStringLiteral("pre-restore-")));
}

TEST_F(BackupRestore, InventoryAloneReplacesComponentsAndTheirFolderOnly)
{
    const QString archive = populatedArchive();
    Component* extra = context().insert(new Component(QStringLiteral("Live only")));
    context().insert(new ProjectComponent(extra, named<Project>(QStringLiteral("PSU build")), 4));
    ASSERT_TRUE(context().save());
    writeBytes(data(QStringLiteral("components/live.bin")), "live");
    const auto captures = folderContents(data(QStringLiteral("captures")));
    const auto documents = folderContents(data(QStringLiteral("documents")));
    const QStringList live = describeStore(context());

    const RestoreSummary s = restore(archive, only(&BackupSelection::inventory));
    EXPECT_EQ(s, (RestoreSummary{0, 2, 0, 0, false, 0}));
    EXPECT_FALSE(named<Component>(QStringLiteral("Live only")));
    ASSERT_TRUE(named<Component>(QStringLiteral("NE555 timer")));
    EXPECT_EQ(named<Component>(QStringLiteral("NE555 timer"))->partNumber(), QStringLiteral("NE555P"));
    // Projects stay, but their parts-list lines went with the old components.
    ASSERT_TRUE(named<Project>(QStringLiteral("Amp repair")));
    EXPECT_TRUE(named<Project>(QStringLiteral("Amp repair"))->parts().isEmpty());
    EXPECT_TRUE(named<Project>(QStringLiteral("PSU build"))->parts().isEmpty());
    EXPECT_EQ(context().fetchCount<ProjectComponent>(), 0);
    EXPECT_FALSE(QFileInfo::exists(data(QStringLiteral("components/live.bin"))));
    EXPECT_TRUE(QFileInfo::exists(data(QStringLiteral("components/C3D4.pdf"))));
    // Deleting records removed no file of the other folders.
    EXPECT_EQ(folderContents(data(QStringLiteral("captures"))), captures);
    EXPECT_EQ(folderContents(data(QStringLiteral("documents"))), documents);

    // The "pre-restore" snapshot holds the data as it was: a consistent store and the folders.
    ASSERT_EQ(snapshots().size(), 1);
    const QString snap = data(QStringLiteral("backups/")) + snapshots().first();
    EXPECT_FALSE(QFileInfo::exists(snap + QStringLiteral("/Corvallen.store-wal")));
    EXPECT_EQ(readBytes(snap + QStringLiteral("/components/live.bin")), QByteArray("live"));
    const QString copy = corvallen::test::freshFolder(QStringLiteral("snap")) + QStringLiteral("/Corvallen.store");
    ASSERT_TRUE(QFile::copy(snap + QStringLiteral("/Corvallen.store"), copy));
    QString error;
    auto old = ModelContainer::open(copy, corvallenSchema(), &error);
    ASSERT_TRUE(old) << error.toStdString();
    EXPECT_EQ(describeStore(old->mainContext()), live);
}

TEST_F(BackupRestore, ProjectsAloneCountEveryLinkWhoseTargetWasNotRestored)
{
    const QString archive = populatedArchive();
    const RestoreSummary s = restore(archive, only(&BackupSelection::projects));
    // 3 parts-list lines and 2 attachments, although the same parts and documents are in the store.
    EXPECT_EQ(s, (RestoreSummary{2, 0, 0, 0, false, 5}));
    EXPECT_EQ(s.description(), QStringLiteral("Restored 2 projects. 5 link(s) skipped (target data not included)."));
    EXPECT_EQ(context().fetchCount<ProjectComponent>(), 0);
    EXPECT_EQ(context().fetchCount<ProjectDocument>(), 0);
    for (const Capture* c : context().fetch<Capture>())
        EXPECT_EQ(c->project(), nullptr);
    Project* amp = named<Project>(QStringLiteral("Amp repair"));
    ASSERT_TRUE(amp);
    EXPECT_EQ(amp->labourHours(), 2.5);
    EXPECT_TRUE(amp->quoteCombined());
    EXPECT_EQ(context().fetchCount<Component>(), 2);
}

TEST_F(BackupRestore, CapturesWithoutProjectsAreUnfiledAndKeepTheirTags)
{
    const QString archive = populatedArchive();
    const RestoreSummary s = restore(archive, only(&BackupSelection::captures));
    EXPECT_EQ(s, (RestoreSummary{0, 0, 3, 0, false, 0}));
    Capture* a = capture(QStringLiteral("scope_0001.png"));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->project(), nullptr);
    ASSERT_EQ(a->tags().size(), 2);
    EXPECT_EQ(a->tags()[0]->name(), QStringLiteral("bench ✓"));
    EXPECT_EQ(a->tags()[1]->name(), QStringLiteral("ripple"));
    EXPECT_EQ(a->value(), 12.25);
    EXPECT_EQ(a->maxValue(), 1e300);
    EXPECT_EQ(context().fetchCount<Tag>(), 3);
}

TEST_F(BackupRestore, FilesAloneLeaveProjectsWithoutAttachments)
{
    const QString archive = populatedArchive();
    const RestoreSummary s = restore(archive, only(&BackupSelection::files));
    EXPECT_EQ(s, (RestoreSummary{0, 0, 0, 2, false, 0}));
    EXPECT_EQ(context().fetchCount<ProjectDocument>(), 0);
    EXPECT_EQ(context().fetchCount<Document>(), 2);
    EXPECT_EQ(folderContents(data(QStringLiteral("documents"))).value(QStringLiteral("sub folder/kept.json")), QByteArray(R"({"a": 1})"));
}

TEST_F(BackupRestore, TagsAndCapturesAreRestoredTogetherOrNotAtAll)
{
    populate(context(), data());
    const QStringList before = describeStore(context());
    const auto captures = folderContents(data(QStringLiteral("captures")));
    const QByteArray goodTags = R"([{"id":"T1","name":"new tag","colorHex":"#123456"}])";
    const QByteArray goodCaptures = R"([{"id":"C1","fileName":"x.png","title":"t","notes":"","importedAt":"2025-01-01T00:00:00Z","tags":["T1"]}])";
    // Either file unreadable: neither is applied, live tags and every capture's tags stay.
    for (const auto& [tags, captureRecords] : {std::pair{goodTags, QByteArray(R"([{"id":"C1","fileName":"x.png"}])")},
                                               std::pair{QByteArray("[{\"id\":1}]"), goodCaptures}}) {
        const QString archive = zipFiles({{QStringLiteral("manifest.json"), kManifest},
                                          {QStringLiteral("tags.json"), tags},
                                          {QStringLiteral("captures.json"), captureRecords},
                                          {QStringLiteral("captures/x.png"), "new"}});
        const RestoreSummary s = restore(archive, only(&BackupSelection::captures));
        EXPECT_EQ(s.description(), QStringLiteral("Nothing restored."));
        EXPECT_EQ(describeStore(context()), before);
        EXPECT_EQ(folderContents(data(QStringLiteral("captures"))), captures);
    }
    // Both readable: both replaced.
    const RestoreSummary s = restore(zipFiles({{QStringLiteral("tags.json"), goodTags},
                                               {QStringLiteral("captures.json"), goodCaptures},
                                               {QStringLiteral("captures/x.png"), "new"}}),
                                     only(&BackupSelection::captures));
    EXPECT_EQ(s.captures, 1);
    ASSERT_EQ(context().fetchCount<Capture>(), 1);
    ASSERT_EQ(capture(QStringLiteral("x.png"))->tags().size(), 1);
    EXPECT_EQ(capture(QStringLiteral("x.png"))->tags().first()->colorHex(), QStringLiteral("#123456"));
}

TEST_F(BackupRestore, AnEmptyInventoryEmptiesTheInventoryAndItsFolder)
{
    populate(context(), data());
    const QString archive = zipFiles({{QStringLiteral("manifest.json"), kManifest}, {QStringLiteral("inventory.json"), "[]"}});
    const RestoreSummary s = restore(archive, only(&BackupSelection::inventory));
    EXPECT_EQ(s.description(), QStringLiteral("Nothing restored."));
    EXPECT_EQ(context().fetchCount<Component>(), 0);
    EXPECT_TRUE(QFileInfo(data(QStringLiteral("components"))).isDir());
    EXPECT_TRUE(folderContents(data(QStringLiteral("components"))).isEmpty());
}

TEST_F(BackupRestore, AnArchiveWithoutDataChangesNothingButTakesTheSnapshot)
{
    populate(context(), data());
    const QStringList before = describeStore(context());
    const auto folders = folderContents(data());
    const RestoreSummary s = restore(zipFiles({{QStringLiteral("readme.txt"), "hello"}}), BackupSelection::all());
    EXPECT_EQ(s, RestoreSummary{});
    EXPECT_EQ(describeStore(context()), before);
    EXPECT_EQ(snapshots().size(), 1);
    for (const QString& n : BackupData::dataFolderNames())
        EXPECT_EQ(folderContents(data(n)), folderContents(data(QStringLiteral("backups/") + snapshots().first() + QLatin1Char('/') + n)));
}

TEST_F(BackupRestore, DuplicateNamesInOneArchiveResolveToOneRecordThatEveryIdLinksTo)
{
    const QString archive = zipFiles(
        {{QStringLiteral("tags.json"), R"([{"id":"A","name":"dup","colorHex":"#111111"},
                                          {"id":"B","name":"dup","colorHex":"#222222"},
                                          {"id":"T3","name":"third","colorHex":"#333333"}])"},
         {QStringLiteral("projects.json"), R"([{"id":"P","name":"First","details":"","notes":"","createdAt":"2025-01-01T00:00:00Z","bom":[],"attachments":[]},
                                              {"id":"P","name":"Second","details":"","notes":"","createdAt":"2025-01-01T00:00:00Z","bom":[],"attachments":[]}])"},
         {QStringLiteral("captures.json"),
          R"([{"id":"C1","fileName":"x.png","title":"first","notes":"","importedAt":"2025-01-01T00:00:00Z","project":"P","tags":["A"]},
              {"id":"C2","fileName":"x.png","title":"second","notes":"n","importedAt":"2025-01-02T00:00:00Z","tags":["B","A"]},
              {"id":"C3","fileName":"y.png","title":"y","notes":"","importedAt":"2025-01-01T00:00:00Z","project":"P","tags":["T3","missing","A"]},
              {"id":"C4","fileName":"z.png","title":"z","notes":"","importedAt":"2025-01-01T00:00:00Z","tags":["T3"]},
              {"id":"C5","fileName":"z.png","title":"z","notes":"","importedAt":"2025-01-01T00:00:00Z","tags":["A","T3"]}])"}});
    const RestoreSummary s = restore(archive, BackupSelection::all());
    EXPECT_EQ(s.captures, 3);
    EXPECT_EQ(s.projects, 2);
    ASSERT_EQ(context().fetchCount<Tag>(), 2);
    Tag* dup = named<Tag>(QStringLiteral("dup"));
    ASSERT_TRUE(dup);
    EXPECT_EQ(dup->colorHex(), QStringLiteral("#222222"));

    Capture* x = capture(QStringLiteral("x.png"));
    ASSERT_TRUE(x);
    EXPECT_EQ(x->title(), QStringLiteral("second"));  // the later record wins, links included
    EXPECT_EQ(x->project(), nullptr);
    EXPECT_EQ(x->tags(), QList<Tag*>{dup});
    Capture* y = capture(QStringLiteral("y.png"));
    ASSERT_TRUE(y);
    ASSERT_TRUE(y->project());
    EXPECT_EQ(y->project()->name(), QStringLiteral("Second"));  // the same id twice: the later record
    ASSERT_EQ(y->tags().size(), 2);
    EXPECT_EQ(y->tags()[0]->name(), QStringLiteral("third"));
    EXPECT_EQ(y->tags()[1], dup);
    // The later record's tags in its own order, although the capture already held one of them.
    auto tagNames = [&](const QString& fileName) {
        QStringList names;
        for (const Tag* t : capture(fileName)->tags())
            names << t->name();
        return names;
    };
    EXPECT_EQ(tagNames(QStringLiteral("z.png")), (QStringList{QStringLiteral("dup"), QStringLiteral("third")}));

    reopenStore();
    EXPECT_EQ(context().fetchCount<Tag>(), 2);
    EXPECT_EQ(context().fetchCount<Capture>(), 3);
    EXPECT_EQ(tagNames(QStringLiteral("z.png")), (QStringList{QStringLiteral("dup"), QStringLiteral("third")}));
}

TEST_F(BackupRestore, RecordsNamingAnythingButAPlainFileMakeTheirSectionUnreadable)
{
    populate(context(), data());
    const QStringList before = describeStore(context());
    QMap<QString, QMap<QString, QByteArray>> folders;
    for (const QString& n : BackupData::dataFolderNames())
        folders.insert(n, folderContents(data(n)));
    const QString archive = zipFiles(
        {{QStringLiteral("captures.json"), R"([{"id":"C","fileName":"../../escape.png","title":"t","notes":"","importedAt":"2025-01-01T00:00:00Z","tags":[]}])"},
         {QStringLiteral("tags.json"), "[]"},
         {QStringLiteral("documents.json"), R"([{"id":"D","fileName":"ok.pdf","title":"t","typeRaw":"other","notes":"","libraryMarkupFileName":"a/b.markup.pdf","addedAt":"2025-01-01T00:00:00Z"}])"},
         {QStringLiteral("inventory.json"), R"([{"id":"I","name":"n","qty":1,"unit":"pcs","minQty":0,"photoFile":"/etc/passwd","createdAt":"2025-01-01T00:00:00Z","updatedAt":"2025-01-01T00:00:00Z"}])"},
         {QStringLiteral("projects.json"), R"([{"id":"P","name":"p","details":"","notes":"","createdAt":"2025-01-01T00:00:00Z","bom":[],"attachments":[{"document":"D","markupFileName":"..","addedAt":"2025-01-01T00:00:00Z"}]}])"}});
    const RestoreSummary s = restore(archive, BackupSelection::all());
    EXPECT_EQ(s, RestoreSummary{});
    // The valid, empty tags file goes with its unreadable captures file: nothing changed.
    EXPECT_EQ(describeStore(context()), before);
    for (const QString& n : BackupData::dataFolderNames())
        EXPECT_EQ(folderContents(data(n)), folders.value(n)) << n.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(data()).absolutePath() + QStringLiteral("/escape.png")));
}

TEST_F(BackupRestore, SettingsWriteOnlyTheKnownKeysAndFollowTheLanguage)
{
    SettingsStore& st = SettingsStore::shared();
    auto restoreSettings = [&](const QByteArray& json) {
        return restore(zipFiles({{QStringLiteral("settings.json"), json}}), only(&BackupSelection::settings));
    };
    EXPECT_TRUE(restoreSettings(R"({"appLanguage":"pl","business":{"business.name":"Acme","other.key":"x","business.logoWide":"l.png"}})").settings);
    EXPECT_EQ(st.textValue(QStringLiteral("appLanguage")), QStringLiteral("pl"));
    EXPECT_EQ(st.textListValue(QStringLiteral("AppleLanguages")), QStringList{QStringLiteral("pl")});
    EXPECT_EQ(st.textValue(QStringLiteral("business.name")), QStringLiteral("Acme"));
    EXPECT_FALSE(st.contains(QStringLiteral("other.key")));
    EXPECT_FALSE(st.contains(QStringLiteral("business.logoWide")));

    restoreSettings(R"({"appLanguage":"system"})");
    EXPECT_EQ(st.textValue(QStringLiteral("appLanguage")), QStringLiteral("system"));
    EXPECT_FALSE(st.contains(QStringLiteral("AppleLanguages")));

    st.setTextList(QStringLiteral("AppleLanguages"), {QStringLiteral("fr")});
    const RestoreSummary s = restoreSettings("{}");
    EXPECT_EQ(s.description(), QStringLiteral("Restored settings."));
    EXPECT_EQ(st.textValue(QStringLiteral("appLanguage")), QStringLiteral("system"));
    EXPECT_EQ(st.textListValue(QStringLiteral("AppleLanguages")), QStringList{QStringLiteral("fr")});

    EXPECT_FALSE(restoreSettings(R"({"autoEjectAfterSync":"yes"})").settings);  // the wrong type: unreadable
    EXPECT_FALSE(restoreSettings(R"([])").settings);
}

TEST_F(BackupRestore, AFailedSaveLeavesStoreFoldersAndSettingsAsTheyWere)
{
    SettingsStore::shared().setText(QStringLiteral("appTheme"), QStringLiteral("dark"));
    const QString archive = populatedArchive();
    SettingsStore::shared().setText(QStringLiteral("appTheme"), QStringLiteral("light"));
    context().insert(new Component(QStringLiteral("Live only")));
    named<Project>(QStringLiteral("Amp repair"))->setNotes(QStringLiteral("edited after the backup"));
    ASSERT_TRUE(context().save());
    writeBytes(data(QStringLiteral("captures/new.png")), "new");
    const QStringList before = describeStore(context());
    const auto folders = folderContents(data());

    // Another connection holds the store's write lock: the restore's one save must fail.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(StoreLocation::storeURL()).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    container->setBusyTimeout(50);
    try {
        restore(archive, BackupSelection::all());
        ADD_FAILURE() << "the restore went through a locked store";
    } catch (const BackupError& e) {
        EXPECT_EQ(e.domain(), QStringLiteral("Corvallen.Backup"));
        EXPECT_TRUE(e.localizedDescription().contains(QStringLiteral("Nothing was changed"))) << e.what();
    }
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    EXPECT_EQ(describeStore(context()), before);
    EXPECT_FALSE(context().hasChanges());
    EXPECT_EQ(SettingsStore::shared().textValue(QStringLiteral("appTheme")), QStringLiteral("light"));
    auto now = folderContents(data());
    for (auto it = now.begin(); it != now.end();)  // the snapshot and the store's own files aside
        it = (it.key().startsWith(QStringLiteral("backups/")) || it.key().startsWith(QStringLiteral("Corvallen.store"))) ? now.erase(it) : ++it;
    auto then = folders;
    for (auto it = then.begin(); it != then.end();)
        it = it.key().startsWith(QStringLiteral("Corvallen.store")) ? then.erase(it) : ++it;
    EXPECT_EQ(now, then);
    EXPECT_TRUE(dataFolderLeftovers(data()).isEmpty()) << dataFolderLeftovers(data()).join(u' ').toStdString();
    for (const QString& n : temporaryLeftovers(tmp))
        EXPECT_TRUE(n.endsWith(QStringLiteral(".zip"))) << n.toStdString();
    reopenStore();
    EXPECT_EQ(describeStore(context()), before);

    // Once the lock is gone the same restore goes through.
    const RestoreSummary s = restore(archive, BackupSelection::all());
    EXPECT_EQ(s.components, 2);
    EXPECT_FALSE(named<Component>(QStringLiteral("Live only")));
    EXPECT_FALSE(QFileInfo::exists(data(QStringLiteral("captures/new.png"))));
    EXPECT_EQ(SettingsStore::shared().textValue(QStringLiteral("appTheme")), QStringLiteral("dark"));
}

TEST_F(BackupRestore, PendingEditsAreSavedBeforeTheRestoreSnapshotsTheStore)
{
    const QString archive = populatedArchive();
    named<Project>(QStringLiteral("PSU build"))->setNotes(QStringLiteral("unsaved edit"));
    ASSERT_TRUE(context().hasChanges());
    restore(archive, only(&BackupSelection::inventory));
    reopenStore();
    EXPECT_EQ(named<Project>(QStringLiteral("PSU build"))->notes(), QStringLiteral("unsaved edit"));
}

// A record file, or all of them together, holding more than a real store's backup ever does is
// refused with its reason before it is parsed, and the restore changes nothing.
TEST_F(BackupRestore, RecordsBeyondWhatAStoreHoldsRefuseTheRestore)
{
    const QByteArray component =
        R"({"id":"C","name":"n","qty":0,"unit":"pcs","minQty":0,"createdAt":"2025-01-01T00:00:00Z","updatedAt":"2025-01-01T00:00:00Z"})";
    const QByteArray capture = R"({"id":"K","fileName":"a.png","title":"","notes":"","importedAt":"2025-01-01T00:00:00Z","tags":[]})";
    const auto array = [](const QByteArray& record, qint64 count) { return "[" + (record + ",").repeated(qsizetype(count - 1)) + record + "]"; };
    const auto stringOf = [](qint64 bytes) { return "\"" + QByteArray(qsizetype(bytes), 'x') + "\""; };
    QByteArray deep = "{\"business\":{\"x\":" + QByteArray(15, '[') + QByteArray(15, ']') + "}}";
    QByteArray bom = R"([{"id":"P","name":"p","details":"","notes":"","createdAt":"2025-01-01T00:00:00Z","attachments":[],"bom":)" +
                     array(R"({"component":"C","quantity":1,"addedAt":"2025-01-01T00:00:00Z"})", BackupData::maxProjectLines + 1) + "}]";
    QByteArray longName = component;
    longName.replace("\"n\"", stringOf(3 << 20));
    QByteArray halfTheText = component;
    halfTheText.replace("\"n\"", stringOf(1 << 20));
    const QString nothing = QStringLiteral(" Nothing was changed.");
    struct Case {
        const char* what;
        QMap<QString, QByteArray> files;
        QString reason;
    };
    const QList<Case> cases{
        {"too many records of one type",
         {{QStringLiteral("tags.json"), array(R"({"id":"T","name":"n","colorHex":"#FF0000"})", BackupData::TagDTO::maxRecords + 1)},
          {QStringLiteral("captures.json"), "[]"}},
         QStringLiteral("“tags.json” in the backup archive holds 10001 records, more than the 10000 a restore reads.") + nothing},
        {"one huge text", {{QStringLiteral("inventory.json"), "[" + longName + "]"}},
         QStringLiteral("“inventory.json” in the backup archive holds a text of 3.0 MB, more than the 1.0 MB a restore reads in one field.") + nothing},
        {"values nested deeper than a backup nests them", {{QStringLiteral("settings.json"), deep}},
         QStringLiteral("“settings.json” in the backup archive nests its values 17 deep, deeper than a backup does.") + nothing},
        {"more records in all than a store holds",
         {{QStringLiteral("inventory.json"), array(component, BackupData::ComponentDTO::maxRecords)},
          {QStringLiteral("tags.json"), "[]"},
          {QStringLiteral("captures.json"), array(capture, BackupData::maxRecordsPerRestore - BackupData::ComponentDTO::maxRecords + 1)}},
         QStringLiteral("The backup archive holds more than 160000 records in all, more than a restore reads.") + nothing},
        {"more text in all than a store holds",
         {{QStringLiteral("inventory.json"), array(halfTheText, 33)}, {QStringLiteral("documents.json"), "[" + stringOf(1 << 20).repeated(32).replace("\"\"", "\",\"") + "]"}},
         QStringLiteral("The records in the backup archive hold more than 64.0 MB of text, more than a restore reads.") + nothing},
        {"more parts-list lines than a store holds", {{QStringLiteral("projects.json"), bom}},
         QStringLiteral("“projects.json” in the backup archive holds 100001 parts-list lines and attachments, more than the 100000 a "
                        "restore reads.") +
             nothing},
    };
    QStringList before;
    const QString good = populatedArchive(&before);
    const auto folders = folderContents(data());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QMap<QString, QByteArray> files = c.files;
        files.insert(QStringLiteral("manifest.json"), kManifest);
        const QString archive = zipFiles(files);
        try {
            restoreAsTheApplicationDoes(archive, BackupSelection::all(), context());
            ADD_FAILURE() << c.what << " was restored";
        } catch (const BackupError& e) {
            EXPECT_EQ(e.localizedDescription().toStdString(), c.reason.toStdString());
        }
        BackupBundle::removeQuietly(archive);
        EXPECT_EQ(describeStore(context()), before);
        EXPECT_EQ(folderContents(data()), folders);
        EXPECT_TRUE(temporaryLeftovers(tmp).filter(QStringLiteral("CorvallenRestore-")).isEmpty());
    }
    // A record file larger than a restore reads is refused before anything is unpacked (here it
    // only claims its size), and when it is found unpacked all the same, without being read (a
    // sparse file). Numbers are in the user's form; the tests run in the C locale.
    const QString claims = corvallen::test::freshFolder(QStringLiteral("in")) + QStringLiteral("/claims.zip");
    for (const auto& [name, size, reason] : QList<std::tuple<QByteArray, quint64, const char*>>{
             {"inventory.json", quint64(200) << 20,
              "“inventory.json” in the backup archive is 200.0 MB, more than the 128.0 MB a restore reads. Nothing was changed."},
             {"settings.json", quint64(3) << 20,
              "“settings.json” in the backup archive is 3.0 MB, more than the 1.0 MB a restore reads. Nothing was changed."}}) {
        writeBytes(claims, rawZip({{"manifest.json", kManifest}, {name, "{}", 0100644u << 16, size}}));
        try {
            restoreAsTheApplicationDoes(claims, BackupSelection::all(), context());
            ADD_FAILURE() << "an oversized record file was unpacked";
        } catch (const BackupError& e) {
            EXPECT_EQ(e.localizedDescription().toStdString(), reason);
        }
    }
    EXPECT_TRUE(temporaryLeftovers(tmp).filter(QStringLiteral("CorvallenRestore-")).isEmpty());
    const QString root = corvallen::test::freshFolder(QStringLiteral("root"));
    QFile big(root + QStringLiteral("/captures.json"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(2 * BackupJson::maxFileBytes));
    big.close();
    try {
        SelectiveRestore::loadSections(only(&BackupSelection::captures), root);
        ADD_FAILURE() << "an oversized record file was read";
    } catch (const BackupError& e) {
        EXPECT_EQ(e.localizedDescription().toStdString(),
                  "“captures.json” in the backup archive is 256.0 MB, more than the 128.0 MB a restore reads. Nothing was changed.");
    }
    BackupBundle::removeQuietly(good);
}

}  // namespace

TEST_F(BackupRestore, FoldersThatCouldNotBePutInPlaceAreFinishedByTheNextLaunch)
{
    populate(context(), data());
    const QString root = BackupExport::exportBackup(BackupSelection::all(), context(), QStringLiteral("1"), QStringLiteral("1"));
    const auto archived = folderContents(data(QStringLiteral("captures")));
    writeBytes(data(QStringLiteral("captures/new.png")), "new");
    writeBytes(data(QStringLiteral("components/new.pdf")), "new");

    // The last folder's new content vanishes before the swap: the records are saved, the two
    // folders already swapped are put back, and their new content waits beside them.
    const SelectiveRestore::Sections sections = SelectiveRestore::loadSections(BackupSelection::all(), root);
    SelectiveRestore::PreparedFolders folders = SelectiveRestore::prepareFolders(sections, root);
    ASSERT_EQ(folders.items.size(), 3);
    ASSERT_EQ(folders.items.last().name, QStringLiteral("documents"));
    BackupBundle::removeQuietly(folders.items.last().prepared);
    try {
        SelectiveRestore::applySections(sections, folders, context());
        ADD_FAILURE() << "the folders went in without the documents";
    } catch (const BackupError& e) {
        EXPECT_TRUE(e.localizedDescription().contains(QStringLiteral("next time it starts"))) << e.what();
    }
    EXPECT_TRUE(QFileInfo::exists(data(QStringLiteral("captures/new.png"))));
    EXPECT_TRUE(QFileInfo::exists(data(QStringLiteral("documents"))));

    // The next launch finishes what it can: the records and the folders agree again.
    closeStore();
    SelectiveRestore::recoverInterruptedFolderSwap(data());
    reopenStore();
    EXPECT_EQ(folderContents(data(QStringLiteral("captures"))), archived);
    EXPECT_FALSE(QFileInfo::exists(data(QStringLiteral("components/new.pdf"))));
    EXPECT_TRUE(QFileInfo::exists(data(QStringLiteral("documents"))));
    EXPECT_TRUE(dataFolderLeftovers(data()).isEmpty()) << dataFolderLeftovers(data()).join(u' ').toStdString();
    BackupBundle::removeQuietly(root);
}
