#include "Corvallen/Documents/DocumentBrowserModel.h"
#include "Corvallen/Documents/MarkupFile.h"
#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Store/ModelContext.h"
#include "DocumentsTestSupport.h"
#include "support/ChildRun.h"
#include "support/TestEnvironment.h"
#include "support/TestStore.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTimeZone>

#include <sys/stat.h>

#include <csignal>

#include <sqlite3.h>

#include <gtest/gtest.h>

using Sort = DocumentBrowserModel::DocSort;

namespace {

class DocumentBrowserModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        container = corvallen::test::openTestStore();
        ctx = &container->mainContext();
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    Document* doc(const QString& title, const QString& typeRaw, int minutesAgo)
    {
        auto* d = ctx->insert(new Document(title + QStringLiteral(".pdf"), title));
        d->setTypeRaw(typeRaw);
        d->setAddedAt(base.addSecs(-60 * minutesAgo));
        return d;
    }
    static QStringList titles(const QList<Document*>& docs)
    {
        QStringList out;
        for (const Document* d : docs)
            out << d->title();
        return out;
    }
    QString sourceFile(const QString& name)
    {
        const QString path = QDir(corvallen::test::freshFolder(QStringLiteral("src"))).filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(documents_test::makePdf(1));
        return path;
    }

    std::unique_ptr<ModelContainer> container;
    ModelContext* ctx = nullptr;
    const QDateTime base = QDateTime(QDate(2026, 12, 1), QTime(12, 0), Qt::UTC);
};

TEST_F(DocumentBrowserModelTest, SortsAreStableAndFollowTheirKeys)
{
    DocumentBrowserModel m(*ctx);
    m.documents = {doc(QStringLiteral("beta"), QStringLiteral("datasheet"), 5), doc(QStringLiteral("Alpha"), QStringLiteral("schematic"), 1),
                   doc(QStringLiteral("alpha"), QStringLiteral("bogus"), 1), doc(QString(), QStringLiteral("pinout"), 9)};
    m.sort = Sort::recent;
    EXPECT_EQ(titles(m.visibleDocuments()), (QStringList{QStringLiteral("Alpha"), QStringLiteral("alpha"), QStringLiteral("beta"), QString()}));
    m.sort = Sort::title;
    EXPECT_EQ(titles(m.visibleDocuments()), (QStringList{QString(), QStringLiteral("Alpha"), QStringLiteral("alpha"), QStringLiteral("beta")}));
    m.sort = Sort::type;  // Datasheet, Other, Pinout, Schematic
    EXPECT_EQ(titles(m.visibleDocuments()), (QStringList{QStringLiteral("beta"), QStringLiteral("alpha"), QString(), QStringLiteral("Alpha")}));
}

TEST_F(DocumentBrowserModelTest, FilterAndCountText)
{
    DocumentBrowserModel m(*ctx);
    EXPECT_EQ(m.countText(), QStringLiteral("0 documents"));
    m.documents = {doc(QStringLiteral("a"), QStringLiteral("datasheet"), 1)};
    EXPECT_EQ(m.countText(), QStringLiteral("1 document"));
    m.documents << doc(QStringLiteral("b"), QStringLiteral("nonsense"), 2) << doc(QStringLiteral("c"), QStringLiteral("datasheet"), 3);
    EXPECT_EQ(m.countText(), QStringLiteral("3 documents"));
    m.typeFilter = DocType::datasheet;
    EXPECT_EQ(m.countText(), QStringLiteral("2 of 3"));
    EXPECT_EQ(m.typeMenuTitle(), QStringLiteral("Type: Datasheet"));
    m.typeFilter = DocType::other;  // unknown raw values count as other
    EXPECT_EQ(titles(m.visibleDocuments()), QStringList{QStringLiteral("b")});
    m.typeFilter = DocType::pinout;
    EXPECT_EQ(m.countText(), QStringLiteral("0 of 3"));
    EXPECT_EQ(DocumentBrowserModel::sortFromRawValue(QStringLiteral("Title")), Sort::title);
    EXPECT_FALSE(DocumentBrowserModel::sortFromRawValue(QStringLiteral("title")));
}

TEST(DocumentBrowserGuess, TypesComeFromKeywordsInTheName)
{
    auto g = [](const char* n) { return DocumentBrowserModel::guessType(QString::fromUtf8(n)); };
    EXPECT_EQ(g("/x/Amp_SCH_rev2.pdf"), DocType::schematic);
    EXPECT_EQ(g("TL072 datasheet.pdf"), DocType::datasheet);
    EXPECT_EQ(g("MCU-pinlayout.png"), DocType::pinout);
    EXPECT_EQ(g("spindle.jpg"), DocType::pinout);
    EXPECT_EQ(g("Schedule.pdf"), DocType::schematic);
    EXPECT_EQ(g("invoice.pdf"), DocType::reference);
    EXPECT_EQ(g("service datasheet.pdf"), DocType::serviceManual);
    EXPECT_EQ(g("datasheet schematic.pdf"), DocType::schematic);
    EXPECT_EQ(g("notes.sch"), DocType::reference);
    EXPECT_EQ(DocumentBrowserModel::titleForFile(QStringLiteral("/a/Amp Service Manual.rev2.pdf")), QStringLiteral("Amp Service Manual.rev2"));
}

TEST_F(DocumentBrowserModelTest, ImportKeepsGoingPastAFailureAndSelectsTheLast)
{
    Project* amp = ctx->insert(new Project(QStringLiteral("Amp"), {}, {}));
    DocumentBrowserModel m(*ctx, amp);
    const QString first = sourceFile(QStringLiteral("TL072 datasheet.pdf"));
    const QString third = sourceFile(QStringLiteral("Amp schematic.pdf"));
    const QList<Document*> imported = m.importFiles({first, QStringLiteral("/nonexistent/missing.pdf"), third});
    ASSERT_EQ(imported.size(), 2);
    EXPECT_TRUE(m.importError.startsWith(QStringLiteral("Couldn't add missing.pdf: ")));
    EXPECT_EQ(m.selectedIDs, QSet<PersistentIdentifier>{imported[1]->persistentModelID()});
    EXPECT_EQ(imported[0]->type(), DocType::datasheet);
    EXPECT_EQ(imported[1]->title(), QStringLiteral("Amp schematic"));
    EXPECT_FALSE(ctx->hasChanges());
    ASSERT_EQ(imported[1]->attachments().size(), 1);

    // Project scope opens the project's own markup with the project's name as scope label.
    const DocViewerTarget projectTarget = m.viewerTarget(imported[1]);
    EXPECT_EQ(projectTarget.markupFileName, imported[1]->attachments()[0]->markupFileName());
    EXPECT_EQ(projectTarget.scopeLabel, QStringLiteral("Amp"));
    // The library scope makes its markup name once and keeps it.
    const DocViewerTarget lib = DocumentBrowserModel::viewerTarget(imported[1], nullptr, *ctx);
    EXPECT_TRUE(lib.markupFileName.endsWith(QStringLiteral(".markup.pdf")));
    EXPECT_TRUE(lib.scopeLabel.isEmpty());
    EXPECT_EQ(DocumentBrowserModel::viewerTarget(imported[1], nullptr, *ctx).markupFileName, lib.markupFileName);
    EXPECT_FALSE(ctx->hasChanges());
    // A project the document is not attached to gives the library target.
    Project* other = ctx->insert(new Project(QStringLiteral("Other"), {}, {}));
    EXPECT_EQ(DocumentBrowserModel::viewerTarget(imported[1], other, *ctx).markupFileName, lib.markupFileName);
}

TEST_F(DocumentBrowserModelTest, OnlyRegularFilesAreImported)
{
    DocumentBrowserModel m(*ctx);
    const QString fifo = QDir(QDir::tempPath()).filePath(QStringLiteral("bench-pipe.pdf"));
    QFile::remove(fifo);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = QDir(QDir::tempPath()).filePath(QStringLiteral("a folder.pdf"));
    QDir().mkpath(folder);
    const QStringList before = QDir(DocumentFileStore::documentsFolder()).entryList(QDir::Files);
    // Nothing here may block: the pipe has no writer.
    EXPECT_TRUE(m.importFiles({fifo}).isEmpty());
    EXPECT_EQ(m.importError, QStringLiteral("Couldn't add bench-pipe.pdf: it is not a regular file (pipes, devices and sockets can't be added)."));
    EXPECT_TRUE(m.importFiles({folder, QStringLiteral("/dev/null")}).isEmpty());
    EXPECT_TRUE(m.importError.startsWith(QStringLiteral("Couldn't add null: it is not a regular file")));
    EXPECT_EQ(QDir(DocumentFileStore::documentsFolder()).entryList(QDir::Files), before);
    EXPECT_TRUE(ctx->fetch<Document>().isEmpty());
    QFile::remove(fifo);
}

TEST_F(DocumentBrowserModelTest, DeleteConfirmationNamesTheProjectsAndDeletesFiles)
{
    Project* psu = ctx->insert(new Project(QStringLiteral("Bench PSU"), {}, {}));
    Project* unnamed = ctx->insert(new Project(QString(), {}, {}));
    DocumentBrowserModel lib(*ctx);
    const QList<Document*> docs = lib.importFiles({sourceFile(QStringLiteral("one.pdf")), sourceFile(QStringLiteral("two.pdf"))});
    ASSERT_EQ(docs.size(), 2);
    DocumentFileStore::attach(docs[0], psu, *ctx);
    DocumentFileStore::attach(docs[0], unnamed, *ctx);
    lib.documents = docs;
    lib.toggleSelectAll();
    EXPECT_EQ(lib.deleteConfirmationTitle(), QStringLiteral("Delete 2 document(s)?"));
    // A selected document deleted meanwhile (from another window) is not counted.
    Document* extra = lib.importFiles({sourceFile(QStringLiteral("three.pdf"))}).first();
    lib.documents = docs + QList<Document*>{extra};
    lib.toggleSelectAll();
    DocumentFileStore::deleteFromLibrary(extra, *ctx);
    EXPECT_EQ(lib.deleteConfirmationTitle(), QStringLiteral("Delete 2 document(s)?"));
    lib.documents = docs;
    EXPECT_EQ(lib.deleteConfirmationMessage(),
              QStringLiteral("1 of these are used in projects (Bench PSU, Untitled). Deleting loses the file AND all edits made in those projects."));
    EXPECT_EQ(DocumentBrowserModel::projectBadgeText(docs[0]), QStringLiteral("2 projects"));

    // A selected document deleted meanwhile (from another window) is not counted again.
    const QString stored = DocumentBrowserModel::storedFilePath(docs[1]);
    lib.requestDelete(docs[1]);
    EXPECT_EQ(lib.deleteConfirmationMessage(), QStringLiteral("Removes the document(s) from Corvallen and deletes their saved files."));
    lib.performConfirmedDelete();
    EXPECT_TRUE(lib.selectedIDs.isEmpty());
    EXPECT_TRUE(docs[1]->isDeleted());
    EXPECT_FALSE(QFile::exists(stored));

    // In a project, removing keeps the library document and its file.
    DocumentBrowserModel inProject(*ctx, psu);
    inProject.documents = {docs[0]};
    inProject.toggleSelectAll();
    EXPECT_EQ(inProject.deleteConfirmationTitle(), QStringLiteral("Remove 1 from project?"));
    inProject.removeFromProject(docs[0]);
    EXPECT_TRUE(inProject.selectedIDs.isEmpty());
    EXPECT_FALSE(docs[0]->isDeleted());
    EXPECT_EQ(docs[0]->linkedProjects(), QList<Project*>{unnamed});
}

// An import killed after its copies were made (this same test program as a child, killed by
// SIGKILL), then the next launch: copies whose records never reached the store are removed,
// copies whose records did stay with them.

const char* const kImportPoint = "CORVALLEN_DOCUMENT_IMPORT_POINT";
const char* const kImportStore = "CORVALLEN_DOCUMENT_IMPORT_STORE";
const char* const kImportDataHome = "CORVALLEN_DOCUMENT_IMPORT_DATA_HOME";
const char* const kImportSources = "CORVALLEN_DOCUMENT_IMPORT_SOURCES";

QStringList documentsFolderFiles()
{
    return QDir(DocumentFileStore::documentsFolder()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The child's side; only runs when the test below starts it.
TEST(DocumentImportCrashChild, ImportsUntilKilled)
{
    if (!qEnvironmentVariableIsSet(kImportPoint))
        GTEST_SKIP() << "started by the DocumentImportCrash tests";
    qputenv("XDG_DATA_HOME", qgetenv(kImportDataHome));
    auto container = corvallen::test::reopenTestStore(qEnvironmentVariable(kImportStore));
    ModelContext& context = container->mainContext();
    if (qgetenv(kImportPoint) == "before-commit")  // copied, the records not in the store
        sqlite3_commit_hook(container->handle(), [](void*) -> int { return ::raise(SIGKILL); }, nullptr);
    else  // the records saved, the import not yet told so
        QObject::connect(&context, &ModelContext::didSave, [] { ::raise(SIGKILL); });
    DocumentBrowserModel(context).importFiles(qEnvironmentVariable(kImportSources).split(QLatin1Char('\n')));
    FAIL() << "the import was not interrupted";
}

class DocumentImportCrash : public DocumentBrowserModelTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(DocumentImportCrash, TheNextLaunchKeepsOnlyCopiesThatHaveRecords)
{
    const bool saved = QByteArray(GetParam()) == "after-save";
    QString path;
    container = corvallen::test::openTestStore(&path);
    ctx = &container->mainContext();
    // An earlier run's import left its note, and the file it noted has since been replaced by
    // another of the same name (as a restore puts one there): that file is not the noted copy.
    const QString replaced = DocumentFileStore::importFileIntoStore(sourceFile(QStringLiteral("earlier.pdf")));
    {
        QFile f(DocumentFileStore::documentsFolder() + QLatin1Char('/') + replaced);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("another file under the noted name");
    }
    const QStringList before = documentsFolderFiles();
    ASSERT_TRUE(before.contains(replaced));
    const QStringList sources = {sourceFile(QStringLiteral("one.pdf")), sourceFile(QStringLiteral("two.pdf"))};
    container.reset();

    QProcess child;
    corvallen::test::startSelf(child, QStringLiteral("DocumentImportCrashChild.*"),
              {{QString::fromLatin1(kImportPoint), QString::fromLatin1(GetParam())},
               {QString::fromLatin1(kImportStore), path},
               {QString::fromLatin1(kImportDataHome), qEnvironmentVariable("XDG_DATA_HOME")},
               {QString::fromLatin1(kImportSources), sources.join(QLatin1Char('\n'))}});
    ASSERT_TRUE(child.waitForFinished(60000));
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAllStandardOutput().toStdString();
    QStringList copies = documentsFolderFiles();
    for (const QString& b : before)
        copies.removeOne(b);
    copies.removeOne(QStringLiteral(".documents-importing"));
    ASSERT_EQ(copies.size(), 2) << copies.join(u' ').toStdString();

    // The next launch.
    container = corvallen::test::reopenTestStore(path);
    ctx = &container->mainContext();
    DocumentFileStore::finishInterruptedImport(*ctx);
    QStringList named;
    for (const Document* d : ctx->fetch<Document>())
        named << d->fileName();
    named.sort();
    EXPECT_EQ(named, saved ? copies : QStringList());
    QStringList expected = before + (saved ? copies : QStringList());
    expected.sort();
    EXPECT_EQ(documentsFolderFiles().join(u' ').toStdString(), expected.join(u' ').toStdString());
}

TEST_F(DocumentBrowserModelTest, TheLaunchCleanUpRemovesNothingWhenTheRecordsCantBeRead)
{
    QString path;
    container = corvallen::test::openTestStore(&path);
    ctx = &container->mainContext();
    // An import cut short after its record was saved: the note still names the recorded copy.
    const QString name = DocumentFileStore::importFileIntoStore(sourceFile(QStringLiteral("kept.pdf")));
    ctx->insert(new Document(name, QStringLiteral("kept")));
    ASSERT_TRUE(ctx->save());
    const QString stored = DocumentFileStore::documentsFolder() + QLatin1Char('/') + name;
    ASSERT_TRUE(QFileInfo::exists(stored));
    container.reset();

    // The records' table is damaged: unreadable records must not make the file look unrecorded.
    const QString note = AppPaths::dataFolder() + QStringLiteral("/.documents-importing");
    ASSERT_TRUE(QFileInfo::exists(note));
    ASSERT_TRUE(corvallen::test::damageTable(path, QStringLiteral("Document")));
    container = corvallen::test::reopenTestStore(path);
    if (!container) {
        DocumentFileStore::importsSaved();
        GTEST_SKIP() << "the damage already stops the opening";
    }
    ctx = &container->mainContext();
    DocumentFileStore::finishInterruptedImport(*ctx);
    EXPECT_FALSE(ctx->loadError().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(stored));
    EXPECT_TRUE(QFileInfo::exists(note)) << "kept for a launch that can read the records";
    // That launch belongs to this test's store; the other tests share the documents folder.
    DocumentFileStore::importsSaved();
}

INSTANTIATE_TEST_SUITE_P(Documents, DocumentImportCrash, ::testing::Values("before-commit", "after-save"));

}  // namespace
