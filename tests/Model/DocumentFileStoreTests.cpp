// The documents folder: import naming, what attach, detach and delete do to records and files
// (files go only once the change is saved), the one-time migration, PDFs for display and the
// thumbnail cache.
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/ThumbnailCache.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Documents/DocumentsTestSupport.h"
#include "support/ChildRun.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"
#include "support/TestStore.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QThreadPool>

#include <csignal>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poppler-qt6.h>
#include <sqlite3.h>

using namespace corvallen::test;
using ::testing::ElementsAre;

namespace {

const QRegularExpression uuidName(QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));

QString folder() { return DocumentFileStore::documentsFolder(); }
QString inFolder(const QString& name) { return folder() + QLatin1Char('/') + name; }

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString sourceFile(const QString& name, const QByteArray& bytes)
{
    const QString path = freshFolder(QStringLiteral("src")) + QLatin1Char('/') + name;
    writeFile(path, bytes);
    return path;
}

QByteArray pdfBytes(int pages)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    QPainter p(&writer);
    for (int i = 0; i < pages; ++i) {
        if (i)
            writer.newPage();
        p.fillRect(QRect(0, 0, writer.width(), writer.height() / 2), Qt::blue);
    }
    p.end();
    return out;
}

QByteArray pngBytes(const QSize& size, const QColor& color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

class RawLock {
public:
    explicit RawLock(const QString& path)
    {
        sqlite3_open(path.toUtf8().constData(), &m_db);
        m_locked = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~RawLock() { release(); sqlite3_close(m_db); }
    bool locked() const { return m_locked; }
    void release()
    {
        if (m_locked)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        m_locked = false;
    }

private:
    sqlite3* m_db = nullptr;
    bool m_locked = false;
};

class DocumentFileStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = openTestStore(&path);
        ASSERT_TRUE(store);
        QObject::connect(&ctx(), &ModelContext::didSave, [this] { ++saves; });
    }
    ModelContext& ctx() { return store->mainContext(); }

    // A stored document with its file (and the file's own markup) in the folder.
    Document* storedDocument(const QString& sourceName, const QByteArray& bytes)
    {
        const QString name = DocumentFileStore::importFileIntoStore(sourceFile(sourceName, bytes));
        writeFile(inFolder(name + QStringLiteral(".markup.pdf")), "stored-file markup");
        return ctx().insert(new Document(name, sourceName));
    }
    static void markup(const QString& key) { writeFile(inFolder(key + QStringLiteral(".markup.pdf")), "markup"); }
    static bool exists(const QString& name) { return QFile::exists(inFolder(name)); }

    QString path;
    std::unique_ptr<ModelContainer> store;
    int saves = 0;
};

// --- import and file removal ------------------------------------------------------------

TEST_F(DocumentFileStoreTest, ImportNamesTheCopyByAFreshUuidAndTheLowerCasedExtension)
{
    EXPECT_EQ(folder(), AppPaths::dataFolder() + QStringLiteral("/documents"));
    const QString src = sourceFile(QStringLiteral("Manual.PDF"), "%PDF manual");
    const QString name = DocumentFileStore::importFileIntoStore(src);
    ASSERT_TRUE(name.endsWith(QLatin1String(".pdf")));
    EXPECT_TRUE(uuidName.match(name.chopped(4)).hasMatch()) << name.toStdString();
    EXPECT_TRUE(QFile::exists(src));
    const QString bare = DocumentFileStore::importFileIntoStore(sourceFile(QStringLiteral("Makefile"), "all:"));
    EXPECT_TRUE(uuidName.match(bare).hasMatch()) << bare.toStdString();

    const QStringList before = QDir(folder()).entryList(QDir::Files);
    EXPECT_THROW(DocumentFileStore::importFileIntoStore(freshFolder() + QStringLiteral("/gone.pdf")), DomainError);
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files), before);
}

TEST_F(DocumentFileStoreTest, MarkupFilesCarryTheSuffixTwiceAndOnlyPlainNamesAreRemoved)
{
    const QString key = QStringLiteral("ABC.markup.pdf");
    markup(key);
    ASSERT_TRUE(exists(QStringLiteral("ABC.markup.pdf.markup.pdf")));
    DocumentFileStore::removeMarkupFile(std::nullopt);
    DocumentFileStore::removeMarkupFile(QStringLiteral("ABC"));
    EXPECT_TRUE(exists(QStringLiteral("ABC.markup.pdf.markup.pdf")));
    DocumentFileStore::removeMarkupFile(key);
    EXPECT_FALSE(exists(QStringLiteral("ABC.markup.pdf.markup.pdf")));
    DocumentFileStore::removeMarkupFile(key);  // a markup never saved: nothing to do

    writeFile(inFolder(QStringLiteral("F.pdf")), "f");
    DocumentFileStore::removeStoredFile(QStringLiteral("F.pdf"));  // the markup named after it is missing
    EXPECT_FALSE(exists(QStringLiteral("F.pdf")));

    ASSERT_TRUE(QDir(folder()).exists());
    const QString outside = AppPaths::dataFolder() + QStringLiteral("/outside.pdf");
    writeFile(outside, "keep");
    writeFile(outside + QStringLiteral(".markup.pdf"), "keep");
    for (const QString& bad : {QStringLiteral("../outside.pdf"), outside, QString(), QStringLiteral("."), QStringLiteral("..")}) {
        DocumentFileStore::removeStoredFile(bad);
        DocumentFileStore::removeMarkupFile(bad);
    }
    EXPECT_TRUE(QFile::exists(outside));
    EXPECT_TRUE(QFile::exists(outside + QStringLiteral(".markup.pdf")));
    EXPECT_TRUE(QDir(folder()).exists());
}

// --- attach, detach, delete -------------------------------------------------------------

TEST_F(DocumentFileStoreTest, AttachingTwiceGivesTheSameLinkAndSavesOnce)
{
    Document* d = storedDocument(QStringLiteral("a.pdf"), "%PDF");
    Project* p = ctx().insert(new Project(QStringLiteral("P"), {}, {}));
    ASSERT_TRUE(ctx().save());
    saves = 0;
    ProjectDocument* first = DocumentFileStore::attach(d, p, ctx());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(saves, 1);
    EXPECT_FALSE(ctx().hasChanges());
    EXPECT_EQ(DocumentFileStore::attach(d, p, ctx()), first);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(ctx().fetchCount<ProjectDocument>(), 1);
    EXPECT_THAT(p->attachments(), ElementsAre(first));
}

TEST_F(DocumentFileStoreTest, DetachingRemovesEveryLinkToThatProjectWithItsMarkupOnly)
{
    Document* d = storedDocument(QStringLiteral("a.pdf"), "%PDF");
    Project* a = ctx().insert(new Project(QStringLiteral("A"), {}, {}));
    Project* b = ctx().insert(new Project(QStringLiteral("B"), {}, {}));
    auto* a1 = ctx().insert(new ProjectDocument(d, a));
    auto* a2 = ctx().insert(new ProjectDocument(d, a));
    auto* b1 = ctx().insert(new ProjectDocument(d, b));
    const QString library = d->ensureLibraryMarkupFileName();
    for (const QString& key : {a1->markupFileName(), a2->markupFileName(), b1->markupFileName(), library})
        markup(key);
    ASSERT_TRUE(ctx().save());

    DocumentFileStore::detach(d, a, ctx());
    EXPECT_TRUE(a1->isDeleted());
    EXPECT_TRUE(a2->isDeleted());
    EXPECT_THAT(d->attachments(), ElementsAre(b1));
    EXPECT_FALSE(exists(a1->markupFileName() + QStringLiteral(".markup.pdf")));
    EXPECT_FALSE(exists(a2->markupFileName() + QStringLiteral(".markup.pdf")));
    EXPECT_TRUE(exists(b1->markupFileName() + QStringLiteral(".markup.pdf")));
    EXPECT_TRUE(exists(library + QStringLiteral(".markup.pdf")));
    EXPECT_TRUE(exists(d->fileName()));
    EXPECT_FALSE(ctx().hasChanges());

    // No link to that project: nothing changes.
    DocumentFileStore::detach(d, a, ctx());
    EXPECT_THAT(d->attachments(), ElementsAre(b1));
    EXPECT_TRUE(exists(b1->markupFileName() + QStringLiteral(".markup.pdf")));
}

TEST_F(DocumentFileStoreTest, DeletingFromTheLibraryRemovesTheRecordLinksFilesAndThumbnail)
{
    Document* d = storedDocument(QStringLiteral("photo.png"), pngBytes({40, 20}, Qt::red));
    Document* other = storedDocument(QStringLiteral("other.pdf"), "%PDF other");
    Project* a = ctx().insert(new Project(QStringLiteral("A"), {}, {}));
    Project* b = ctx().insert(new Project(QStringLiteral("B"), {}, {}));
    auto* la = DocumentFileStore::attach(d, a, ctx());
    auto* lb = DocumentFileStore::attach(d, b, ctx());
    const QString library = d->ensureLibraryMarkupFileName();
    const QStringList files{d->fileName(), d->fileName() + QStringLiteral(".markup.pdf"), library + QStringLiteral(".markup.pdf"),
                            la->markupFileName() + QStringLiteral(".markup.pdf"), lb->markupFileName() + QStringLiteral(".markup.pdf")};
    markup(library);
    markup(la->markupFileName());
    markup(lb->markupFileName());
    ASSERT_TRUE(ctx().save());
    ASSERT_FALSE(DocumentFileStore::thumbnail(d).isNull());
    ASSERT_TRUE(DocumentFileStore::thumbnailCache().contains(d->fileName()));

    DocumentFileStore::deleteFromLibrary(d, ctx());
    EXPECT_TRUE(d->isDeleted());
    EXPECT_TRUE(la->isDeleted() && lb->isDeleted());
    EXPECT_TRUE(a->attachments().isEmpty());
    EXPECT_FALSE(DocumentFileStore::thumbnailCache().contains(d->fileName()));
    for (const QString& f : files)
        EXPECT_FALSE(exists(f)) << f.toStdString();
    EXPECT_TRUE(exists(other->fileName()));
    EXPECT_TRUE(exists(other->fileName() + QStringLiteral(".markup.pdf")));
    EXPECT_EQ(ctx().fetchCount<Document>(), 1);
    EXPECT_FALSE(ctx().hasChanges());
}

TEST_F(DocumentFileStoreTest, FilesStayWhileTheDeletionIsNotSaved)
{
    Document* d = storedDocument(QStringLiteral("a.pdf"), "%PDF");
    Project* p = ctx().insert(new Project(QStringLiteral("P"), {}, {}));
    auto* link = ctx().insert(new ProjectDocument(d, p));
    markup(link->markupFileName());
    ASSERT_TRUE(ctx().save());
    const QString stored = d->fileName();
    const QString linkMarkup = link->markupFileName() + QStringLiteral(".markup.pdf");
    {
        RawLock other(path);
        ASSERT_TRUE(other.locked());
        store->setBusyTimeout(0);
        DocumentFileStore::detach(d, p, ctx());
        EXPECT_TRUE(exists(linkMarkup)) << "the link is still in the store";
        DocumentFileStore::deleteFromLibrary(d, ctx());
        EXPECT_TRUE(ctx().hasChanges());
        EXPECT_TRUE(exists(stored));
        EXPECT_TRUE(exists(stored + QStringLiteral(".markup.pdf")));
    }
    ASSERT_TRUE(ctx().save());
    EXPECT_FALSE(exists(stored));
    EXPECT_FALSE(exists(stored + QStringLiteral(".markup.pdf")));
    EXPECT_FALSE(exists(linkMarkup));
}

TEST_F(DocumentFileStoreTest, ARecordNamingFilesOutsideTheFolderNeverRemovesThem)
{
    ASSERT_TRUE(QDir(folder()).exists());
    const QString outside = AppPaths::dataFolder() + QStringLiteral("/precious.pdf");
    writeFile(outside, "keep");
    writeFile(outside + QStringLiteral(".markup.pdf"), "keep");
    Document* d = ctx().insert(new Document(QStringLiteral("../precious.pdf"), QStringLiteral("x")));
    d->setLibraryMarkupFileName(QStringLiteral("../precious.pdf"));
    Document* empty = ctx().insert(new Document(QString(), QStringLiteral("empty")));
    ASSERT_TRUE(ctx().save());
    EXPECT_EQ(DocumentFileStore::loadPDFDocument(d), nullptr);
    EXPECT_TRUE(DocumentFileStore::thumbnail(d).isNull());
    DocumentFileStore::deleteFromLibrary(d, ctx());
    DocumentFileStore::deleteFromLibrary(empty, ctx());
    EXPECT_EQ(ctx().fetchCount<Document>(), 0);
    EXPECT_TRUE(QFile::exists(outside));
    EXPECT_TRUE(QFile::exists(outside + QStringLiteral(".markup.pdf")));
    EXPECT_TRUE(QDir(folder()).exists());
}

// --- migration --------------------------------------------------------------------------

class MigrationTest : public DocumentFileStoreTest {
protected:
    void SetUp() override
    {
        DocumentFileStoreTest::SetUp();
        settings = std::make_unique<SettingsStore>(freshFolder(QStringLiteral("cfg")) + QStringLiteral("/settings.json"));
    }
    std::unique_ptr<SettingsStore> settings;
};

TEST_F(MigrationTest, OlderProjectLinksBecomeAttachmentsOnce)
{
    Project* a = ctx().insert(new Project(QStringLiteral("A"), {}, {}));
    Document* plain = ctx().insert(new Document(QStringLiteral("1.pdf"), QStringLiteral("1")));
    plain->setProject(a);
    Document* linked = ctx().insert(new Document(QStringLiteral("2.pdf"), QStringLiteral("2")));
    linked->setProject(a);
    auto* existing = ctx().insert(new ProjectDocument(linked, a));
    Document* untouched = ctx().insert(new Document(QStringLiteral("3.pdf"), QStringLiteral("3")));
    ASSERT_TRUE(ctx().save());

    DocumentFileStore::migrateDocumentAttachments(ctx(), *settings);
    EXPECT_TRUE(settings->boolValue(DocumentFileStore::migrationFlagKey));
    EXPECT_FALSE(ctx().hasChanges());
    EXPECT_EQ(plain->project(), nullptr);
    ASSERT_EQ(plain->attachments().size(), 1);
    EXPECT_EQ(plain->attachments()[0]->project(), a);
    EXPECT_EQ(linked->project(), nullptr);
    EXPECT_THAT(linked->attachments(), ElementsAre(existing));
    EXPECT_TRUE(untouched->attachments().isEmpty());
    EXPECT_TRUE(a->documents().isEmpty());

    // The next launch does nothing, even with an older link present again.
    untouched->setProject(a);
    DocumentFileStore::migrateDocumentAttachments(ctx(), *settings);
    EXPECT_EQ(untouched->project(), a);
    EXPECT_TRUE(untouched->attachments().isEmpty());
}

TEST_F(MigrationTest, TheFlagWaitsForASuccessfulSave)
{
    Project* a = ctx().insert(new Project(QStringLiteral("A"), {}, {}));
    Document* d = ctx().insert(new Document(QStringLiteral("1.pdf"), QStringLiteral("1")));
    d->setProject(a);
    ASSERT_TRUE(ctx().save());
    {
        RawLock other(path);
        ASSERT_TRUE(other.locked());
        store->setBusyTimeout(0);
        DocumentFileStore::migrateDocumentAttachments(ctx(), *settings);
        EXPECT_FALSE(settings->contains(DocumentFileStore::migrationFlagKey));
    }
    // The app quits without a later save: the next launch finds the old state and migrates.
    store->mainContext().rollback();
    store.reset();
    store = reopenTestStore(path);
    DocumentFileStore::migrateDocumentAttachments(ctx(), *settings);
    EXPECT_TRUE(settings->boolValue(DocumentFileStore::migrationFlagKey));
    store.reset();
    store = reopenTestStore(path);
    Document* again = ctx().fetch<Document>().value(0);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->project(), nullptr);
    ASSERT_EQ(again->attachments().size(), 1);
    EXPECT_EQ(again->attachments()[0]->project(), ctx().fetch<Project>().value(0));
}

// --- PDFs and thumbnails ----------------------------------------------------------------

TEST_F(DocumentFileStoreTest, PdfsOpenAsTheyAreAndImagesBecomeOnePagePdfs)
{
    Document* pdf = storedDocument(QStringLiteral("two.pdf"), pdfBytes(2));
    auto doc = DocumentFileStore::loadPDFDocument(pdf);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->numPages(), 2);

    Document* png = storedDocument(QStringLiteral("shot.PNG"), pngBytes({300, 150}, Qt::green));
    auto fromImage = DocumentFileStore::loadPDFDocument(png);
    ASSERT_NE(fromImage, nullptr);
    ASSERT_EQ(fromImage->numPages(), 1);
    const QSizeF size = fromImage->page(0)->pageSizeF();
    EXPECT_NEAR(size.width(), 300, 1.0);
    EXPECT_NEAR(size.height(), 150, 1.0);

    EXPECT_EQ(DocumentFileStore::loadPDFDocument(storedDocument(QStringLiteral("notes.txt"), "text")), nullptr);
    EXPECT_EQ(DocumentFileStore::loadPDFDocument(storedDocument(QStringLiteral("bad.pdf"), "not a pdf")), nullptr);
    EXPECT_EQ(DocumentFileStore::loadPDFDocument(storedDocument(QStringLiteral("bad.jpg"), "not an image")), nullptr);
    EXPECT_EQ(DocumentFileStore::loadPDFDocument(ctx().insert(new Document(QStringLiteral("missing.pdf"), QStringLiteral("m")))), nullptr);
}

TEST_F(DocumentFileStoreTest, ThumbnailsAskedForWithoutWaitingArriveOnceAndNeverStale)
{
    ThumbnailCache& cache = DocumentFileStore::thumbnailCache();
    cache.clear();
    // The listeners live only as long as the test: the shared cache outlives it.
    QStringList ready;
    QObject listener;
    QObject::connect(&cache, &ThumbnailCache::ready, &listener, [&](const QString& f) { ready << f; });

    // A list of documents shows at once; the pictures follow, drawn off the main thread.
    Document* png = storedDocument(QStringLiteral("wide.png"), pngBytes({800, 400}, Qt::red));
    Document* pdf = storedDocument(QStringLiteral("page.pdf"), pdfBytes(1));
    Document* text = storedDocument(QStringLiteral("a.txt"), "x");
    for (const Document* d : {png, pdf, text, png})
        EXPECT_TRUE(DocumentFileStore::thumbnailIfReady(d).isNull());
    ASSERT_TRUE(waitUntil([&] { return ready.size() >= 3; }));
    processEvents();
    EXPECT_THAT(ready, ::testing::UnorderedElementsAre(png->fileName(), pdf->fileName(), text->fileName())) << "each drawn once";
    EXPECT_EQ(DocumentFileStore::thumbnailIfReady(png), DocumentFileStore::thumbnail(png));
    EXPECT_NEAR(cache.value(pdf->fileName()).height(), 512, 2);
    // A file with no picture is remembered as such, not drawn again on every look.
    EXPECT_TRUE(cache.hasNone(text->fileName()));
    EXPECT_TRUE(DocumentFileStore::thumbnailIfReady(text).isNull());
    EXPECT_FALSE(cache.isPending(text->fileName()));

    // A picture drawn before its entry was dropped (its markup changed meanwhile) is not kept.
    std::atomic<bool> release{false};
    auto held = [&release](QColor colour) {
        return [&release, colour](const ThumbnailJob&) {
            while (!release)
                QThread::msleep(1);
            QImage image(8, 8, QImage::Format_RGB32);
            image.fill(colour);
            return image;
        };
    };
    ready.clear();
    cache.request(QStringLiteral("x.pdf"), held(Qt::blue));
    cache.request(QStringLiteral("y.pdf"), held(Qt::blue));
    cache.remove(QStringLiteral("x.pdf"));
    cache.clear();
    cache.request(QStringLiteral("y.pdf"), held(Qt::green));
    release = true;
    ASSERT_TRUE(waitUntil([&] { return ready.contains(QStringLiteral("y.pdf")); }));
    QThreadPool::globalInstance()->waitForDone();
    processEvents();
    EXPECT_EQ(ready, QStringList{QStringLiteral("y.pdf")});
    EXPECT_EQ(cache.value(QStringLiteral("y.pdf")).pixelColor(0, 0), QColor(Qt::green));
    EXPECT_FALSE(cache.contains(QStringLiteral("x.pdf")));
}

TEST_F(DocumentFileStoreTest, ASlowPageIsOvertakenAndGivenUpAndItsDrawingStopsWhenAbandoned)
{
    // A page of 60,000 strokes takes seconds to draw; a picture takes moments.
    QByteArray strokes;
    for (int i = 0; i < 60000; ++i)
        strokes += QByteArray::number(i % 600) + " " + QByteArray::number(i * 7 % 790) + " m " + QByteArray::number(i * 13 % 600) + " "
                   + QByteArray::number(i % 790) + " l S\n";
    const QByteArray slow = documents_test::makeOnePagePdf("/MediaBox [0 0 612 792]", strokes);
    const QString a = storedDocument(QStringLiteral("a.pdf"), slow)->fileName();
    const QString b = storedDocument(QStringLiteral("b.pdf"), slow)->fileName();
    const QString quick = storedDocument(QStringLiteral("quick.png"), pngBytes({40, 20}, Qt::red))->fileName();
    const auto render = [](const QString& name) {
        return [name](const ThumbnailJob& job) { return DocumentFileStore::renderThumbnail(name, {}, [&job] { return job.shouldStop(); }); };
    };

    ThumbnailCache cache;
    cache.setTimeBudgets(std::chrono::milliseconds(100), std::chrono::milliseconds(200));
    QStringList ready;
    QObject::connect(&cache, &ThumbnailCache::ready, [&](const QString& f) { ready << f; });
    for (const QString& name : {a, b, quick})
        cache.request(name, render(name));
    ASSERT_TRUE(waitUntil([&] { return ready.size() >= 3; }));
    EXPECT_THAT(ready, ::testing::UnorderedElementsAre(quick, a, b));
    EXPECT_EQ(ready.value(0), quick) << "the picture overtakes the pages that ran out of time";
    EXPECT_FALSE(cache.value(quick).isNull());
    EXPECT_TRUE(cache.hasNone(a) && cache.hasNone(b)) << "out of time twice: no picture this run";
    EXPECT_EQ(cache.stoppedCount(), 4);

    // The drawing stops within a few checks of being told to, not at the page's end.
    int asked = 0;
    int askedAfterStop = 0;
    const QImage cut = DocumentFileStore::renderThumbnail(a, {}, [&] {
        askedAfterStop += asked >= 5;
        return ++asked > 5;
    });
    EXPECT_TRUE(cut.isNull());
    EXPECT_GT(asked, 5) << "poppler asks while it draws";
    EXPECT_LE(askedAfterStop, 3) << "a whole page asks thousands of times";

    // Quitting abandons the drawing under way and starts none of those waiting.
    cache.setTimeBudgets(std::chrono::minutes(10), std::chrono::minutes(10));
    cache.clear();
    ready.clear();
    std::atomic<bool> started{false};
    cache.request(b, [&](const ThumbnailJob& job) {
        started = true;
        return DocumentFileStore::renderThumbnail(b, {}, [&job] { return job.shouldStop(); });
    });
    for (const QString& name : {a, quick})
        cache.request(name, render(name));
    ASSERT_TRUE(waitUntil([&] { return started.load(); }));
    cache.abandonAll();
    QThreadPool::globalInstance()->waitForDone();
    processEvents();
    EXPECT_EQ(cache.stoppedCount(), 6) << "both drawings under way were abandoned";
    EXPECT_FALSE(cache.contains(quick)) << "nothing waiting starts";
}

TEST_F(DocumentFileStoreTest, ThumbnailsFitInto512AndAreServedFromTheCache)
{
    ThumbnailCache& cache = DocumentFileStore::thumbnailCache();
    Document* png = storedDocument(QStringLiteral("wide.png"), pngBytes({800, 400}, Qt::red));
    const QImage thumb = DocumentFileStore::thumbnail(png);
    ASSERT_FALSE(thumb.isNull());
    EXPECT_NEAR(thumb.width(), 512, 2);
    EXPECT_NEAR(thumb.height(), 256, 2);
    const QColor centre = thumb.pixelColor(thumb.width() / 2, thumb.height() / 2);
    EXPECT_GT(centre.red(), 200);
    EXPECT_LT(centre.green(), 60);
    EXPECT_TRUE(cache.contains(png->fileName()));

    // Served from the cache while the file is gone; drawn again after the cache is emptied.
    QFile::remove(inFolder(png->fileName()));
    EXPECT_FALSE(DocumentFileStore::thumbnail(png).isNull());
    int cleared = 0;
    QObject listener;
    QObject::connect(&cache, &ThumbnailCache::cleared, &listener, [&] { ++cleared; });
    cache.clear();
    EXPECT_EQ(cleared, 1);
    EXPECT_TRUE(DocumentFileStore::thumbnail(png).isNull());
    EXPECT_FALSE(cache.contains(png->fileName())) << "a failure is not cached";

    Document* pdf = storedDocument(QStringLiteral("page.pdf"), pdfBytes(1));
    const QImage page = DocumentFileStore::thumbnail(pdf);
    ASSERT_FALSE(page.isNull());
    EXPECT_NEAR(page.height(), 512, 2) << "A4 is taller than wide";
    EXPECT_TRUE(DocumentFileStore::thumbnail(storedDocument(QStringLiteral("a.txt"), "x")).isNull());
}

TEST_F(DocumentFileStoreTest, PhotosTooLargeToDecodeWholeAreShownScaledDownAndTurned)
{
    // The reader's allocation limit lowered so that a small test photo plays a 100-megapixel one.
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(8);
    QImage photo(3000, 2000, QImage::Format_RGB32);
    photo.fill(Qt::red);
    QPainter(&photo).fillRect(0, 0, 1500, 2000, Qt::blue);
    for (const bool turned : {false, true}) {
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        if (turned)
            writer.setTransformation(QImageIOHandler::TransformationRotate90);
        ASSERT_TRUE(writer.write(photo));
        Document* d = storedDocument(QStringLiteral("big.jpg"), jpeg);
        const QImage image = DocumentFileStore::readImage(inFolder(d->fileName()));
        ASSERT_FALSE(image.isNull());
        EXPECT_LE(qint64(image.width()) * image.height() * 4, qint64(8) * 1024 * 1024);
        EXPECT_GT(image.width() * image.height(), 400'000);
        const QSize expected = turned ? QSize(2, 3) : QSize(3, 2);
        EXPECT_NEAR(double(image.width()) / image.height(), double(expected.width()) / expected.height(), 0.01);
        // Blue on the left, or on top once turned a quarter clockwise.
        const QPoint blueAt = turned ? QPoint(image.width() / 2, image.height() / 4) : QPoint(image.width() / 4, image.height() / 2);
        const QPoint redAt = turned ? QPoint(image.width() / 2, image.height() * 3 / 4) : QPoint(image.width() * 3 / 4, image.height() / 2);
        EXPECT_GT(image.pixelColor(blueAt).blue(), 200);
        EXPECT_GT(image.pixelColor(redAt).red(), 200);
        // The viewer's document and the thumbnail come from it too.
        const auto pdf = DocumentFileStore::loadPDFDocument(d);
        ASSERT_TRUE(pdf);
        EXPECT_EQ(pdf->page(0)->pageSizeF().toSize(), image.size());
        EXPECT_FALSE(DocumentFileStore::thumbnail(d).isNull());
    }
    // A format that decodes every pixel is scaled as it is read too, up to what decodes quickly.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(photo.save(&buffer, "PNG"));
    const QString pngPath = inFolder(storedDocument(QStringLiteral("big.png"), png)->fileName());
    EXPECT_FALSE(DocumentFileStore::imageTooLargeToShow(pngPath));
    EXPECT_LE(qint64(DocumentFileStore::readImage(pngPath).sizeInBytes()), qint64(8) * 1024 * 1024);
    QImageReader::setAllocationLimit(limit);
}

TEST_F(DocumentFileStoreTest, TheLibraryMarkupJoinsTheThumbnailThroughTheMarkupHooks)
{
    QStringList overlays;
    DocumentFileStore::setThumbnailMarkupHooks({
        [&](Poppler::Document& pdf, const QString& key) {
            EXPECT_GE(pdf.numPages(), 1);
            overlays << key;
        },
    });
    Document* plain = storedDocument(QStringLiteral("plain.png"), pngBytes({10, 10}, Qt::white));
    Document* marked = storedDocument(QStringLiteral("marked.png"), pngBytes({10, 10}, Qt::white));
    const QString key = marked->ensureLibraryMarkupFileName();
    ctx().insert(new ProjectDocument(plain, ctx().insert(new Project(QStringLiteral("P"), {}, {}))));
    EXPECT_FALSE(DocumentFileStore::thumbnail(plain).isNull());
    EXPECT_FALSE(DocumentFileStore::thumbnail(marked).isNull());
    DocumentFileStore::setThumbnailMarkupHooks({});
    EXPECT_THAT(overlays, ElementsAre(key)) << "project markups never show in thumbnails";
}

// --- a deletion killed half way -------------------------------------------------------

// Deleting a document from the library, killed before or after its commit (this same test
// program as a child, killed by SIGKILL), then the next launch: a document whose deletion
// reached the store leaves none of its files behind; one whose deletion didn't keeps them all.

const char* const kDeletePoint = "CORVALLEN_DOCUMENT_DELETE_POINT";
const char* const kDeleteStore = "CORVALLEN_DOCUMENT_DELETE_STORE";
const char* const kDeleteDataHome = "CORVALLEN_DOCUMENT_DELETE_DATA_HOME";

// The child's side; only runs when the test below starts it.
TEST(DocumentDeleteCrashChild, DeletesUntilKilled)
{
    if (!qEnvironmentVariableIsSet(kDeletePoint))
        GTEST_SKIP() << "started by the DocumentDeleteCrash tests";
    qputenv("XDG_DATA_HOME", qgetenv(kDeleteDataHome));
    auto container = reopenTestStore(qEnvironmentVariable(kDeleteStore));
    ModelContext& context = container->mainContext();
    if (qgetenv(kDeletePoint) == "before-commit")
        sqlite3_commit_hook(container->handle(), [](void*) -> int { return ::raise(SIGKILL); }, nullptr);
    else  // committed to the store, the files not yet removed
        sqlite3_wal_hook(container->handle(), [](void*, sqlite3*, const char*, int) -> int { return ::raise(SIGKILL); }, nullptr);
    DocumentFileStore::deleteFromLibrary(context.fetch<Document>().first(), context);
    FAIL() << "the deletion was not interrupted";
}

class DocumentDeleteCrash : public DocumentFileStoreTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(DocumentDeleteCrash, TheNextLaunchKeepsAllOrNoneOfTheDocumentsFiles)
{
    const bool committed = QByteArray(GetParam()) == "after-commit";
    Document* doc = storedDocument(QStringLiteral("manual.pdf"), "%PDF-1.4 manual");
    doc->setLibraryMarkupFileName(QStringLiteral("library-key"));
    markup(QStringLiteral("library-key"));
    ASSERT_TRUE(ctx().save());
    const QStringList files = {doc->fileName(), doc->fileName() + QStringLiteral(".markup.pdf"),
                               QStringLiteral("library-key.markup.pdf")};
    store.reset();

    QProcess child;
    startSelf(child, QStringLiteral("DocumentDeleteCrashChild.*"),
              {{QString::fromLatin1(kDeletePoint), QString::fromLatin1(GetParam())},
               {QString::fromLatin1(kDeleteStore), path},
               {QString::fromLatin1(kDeleteDataHome), qEnvironmentVariable("XDG_DATA_HOME")}});
    ASSERT_TRUE(child.waitForFinished(60000));
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAllStandardOutput().toStdString();
    for (const QString& f : files)  // killed before any file was removed
        ASSERT_TRUE(exists(f)) << f.toStdString();

    // The next launch.
    store = reopenTestStore(path);
    DocumentFileStore::finishInterruptedDeletion(ctx());
    EXPECT_EQ(ctx().fetchCount<Document>(), committed ? 0 : 1);
    for (const QString& f : files)
        EXPECT_EQ(exists(f), !committed) << f.toStdString();
    // Nothing is left for a later launch to act on: a file that takes a name later stays.
    writeFile(inFolder(QStringLiteral("library-key.markup.pdf")), "markup made later");
    DocumentFileStore::finishInterruptedDeletion(ctx());
    EXPECT_TRUE(exists(QStringLiteral("library-key.markup.pdf")));
}

INSTANTIATE_TEST_SUITE_P(Documents, DocumentDeleteCrash, ::testing::Values("before-commit", "after-commit"));

}  // namespace
