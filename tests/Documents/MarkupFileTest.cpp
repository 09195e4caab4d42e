#include "Corvallen/Documents/MarkupFile.h"
#include "Corvallen/Documents/NoteAnnotations.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/DocumentFileStore.h"
#include "DocumentsTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <poppler/qt6/poppler-annotation.h>
#include <poppler/qt6/poppler-qt6.h>

#include <gtest/gtest.h>

using namespace documents_test;

namespace {

QString freshKey()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".markup.pdf");
}

MarkupDocument openDocument(const QByteArray& pdf)
{
    auto doc = Poppler::Document::loadFromData(pdf);
    EXPECT_TRUE(doc);
    return doc ? MarkupFile::pagesOf(*doc) : MarkupDocument();
}

MarkupAnnotationRef stroke(const QList<QPointF>& points, QColor color = Qt::red, double width = 3)
{
    auto a = std::make_shared<MarkupAnnotation>();
    a->kind = MarkupKind::ink;
    a->bounds = QRectF(0, 0, 612, 792);
    a->color = color;
    a->borderWidth = width;
    a->paths.append(QPolygonF(points));
    return a;
}

bool near(QPointF a, QPointF b, double tolerance = 0.5)
{
    return std::abs(a.x() - b.x()) < tolerance && std::abs(a.y() - b.y()) < tolerance;
}

TEST(MarkupFile, FileNameCarriesTheSuffixTwiceAndRejectsUnsafeKeys)
{
    const QString key = freshKey();
    EXPECT_EQ(QFileInfo(MarkupFile::path(key)).fileName(), key + QStringLiteral(".markup.pdf"));
    EXPECT_EQ(QFileInfo(MarkupFile::path(key)).absolutePath(), QDir(DocumentFileStore::documentsFolder()).absolutePath());
    EXPECT_TRUE(MarkupFile::path(QStringLiteral("../escape")).isEmpty());
    EXPECT_TRUE(MarkupFile::path(QString()).isEmpty());
    MarkupDocument doc = openDocument(makePdf(1));
    EXPECT_FALSE(MarkupFile::writeMarkupOverlay(doc, QStringLiteral("a/b")));
}

TEST(MarkupFile, RoundTripKeepsEachKindOnItsPageAndLeavesTheDocumentAlone)
{
    const QByteArray original = makePdf(3);
    const QString docPath = storeDocument(QStringLiteral("roundtrip.pdf"), original);
    MarkupDocument doc = openDocument(original);
    ASSERT_EQ(doc.pageCount(), 3);

    doc.pages[1]->add(stroke({{100, 100}, {150, 120}, {200, 180}}, QColor(0x33, 0x66, 0xFF), 4));
    auto hl = std::make_shared<MarkupAnnotation>();
    hl->kind = MarkupKind::highlight;
    hl->bounds = QRectF(72, 700, 200, 14);
    hl->color = QColor(0xFF, 0xCC, 0x00);
    doc.pages[1]->add(hl);
    MarkupAnnotationRef note = NoteAnnotations::makeNoteAnnotation(QStringLiteral("Check C12"), {306, 396}, *doc.pages[2]);
    doc.pages[2]->add(note);
    doc.pages[2]->add(NoteAnnotations::makeLeader(*note, *doc.pages[2], {500, 600}));

    const QString key = freshKey();
    ASSERT_TRUE(MarkupFile::writeMarkupOverlay(doc, key));
    EXPECT_EQ(readFile(docPath), original);
    // The shown document keeps its markup after the save.
    EXPECT_EQ(doc.pages[1]->annotations.size(), 2);

    auto file = Poppler::Document::load(MarkupFile::path(key));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->numPages(), 3);
    EXPECT_TRUE(file->page(0)->text(QRectF()).trimmed().isEmpty());

    MarkupDocument reopened = openDocument(original);
    MarkupFile::loadMarkupOverlay(reopened, key);
    EXPECT_TRUE(reopened.pages[0]->annotations.isEmpty());
    ASSERT_EQ(reopened.pages[1]->annotations.size(), 2);
    ASSERT_EQ(reopened.pages[2]->annotations.size(), 2);

    const MarkupAnnotation& ink = *reopened.pages[1]->annotations[0];
    EXPECT_EQ(ink.kind, MarkupKind::ink);
    ASSERT_EQ(ink.paths.size(), 1);
    ASSERT_EQ(ink.paths[0].size(), 3);
    EXPECT_TRUE(near(ink.paths[0][0], {100, 100}));
    EXPECT_TRUE(near(ink.paths[0][2], {200, 180}));
    EXPECT_EQ(ink.color->rgb(), QColor(0x33, 0x66, 0xFF).rgb());
    EXPECT_NEAR(*ink.borderWidth, 4, 0.01);

    const MarkupAnnotation& highlight = *reopened.pages[1]->annotations[1];
    EXPECT_EQ(highlight.kind, MarkupKind::highlight);
    EXPECT_TRUE(near(highlight.bounds.topLeft(), {72, 700}, 1));

    const MarkupAnnotation& readNote = *reopened.pages[2]->annotations[0];
    EXPECT_EQ(readNote.kind, MarkupKind::freeText);
    EXPECT_EQ(readNote.contents, QStringLiteral("Check C12"));
    EXPECT_TRUE(near(readNote.bounds.topLeft(), note->bounds.topLeft(), 1));
    EXPECT_EQ(readNote.fontColor->rgb(), QColor(Qt::black).rgb());

    const MarkupAnnotation& leader = *reopened.pages[2]->annotations[1];
    EXPECT_EQ(leader.kind, MarkupKind::line);
    EXPECT_EQ(leader.endLineEnd, MarkupLineEnd::closedArrow);
    EXPECT_TRUE(near(leader.endPoint, {500, 600}));

    // The leader is found again from the geometry alone.
    NoteAnnotations::NoteLeaders leaders;
    leaders.rebuild(reopened);
    EXPECT_TRUE(leaders.hasLeader(reopened.pages[2]->annotations[0].get()));
    EXPECT_TRUE(near(leaders.leaderEnds.value(reopened.pages[2]->annotations[0].get()), {500, 600}));
}

TEST(MarkupFile, SavingWithoutMarkupWritesBlankPagesAndMissingFilesLoadNothing)
{
    MarkupDocument doc = openDocument(makePdf(2));
    const QString key = freshKey();
    MarkupFile::loadMarkupOverlay(doc, key);  // no file yet: nothing, no failure
    EXPECT_FALSE(doc.hasAnnotations());
    ASSERT_TRUE(MarkupFile::writeMarkupOverlay(doc, key));
    auto file = Poppler::Document::load(MarkupFile::path(key));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->numPages(), 2);
    EXPECT_TRUE(file->page(0)->annotations().empty());

    // Garbage in the file is treated like no file.
    QFile f(MarkupFile::path(key));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("not a pdf");
    f.close();
    MarkupFile::loadMarkupOverlay(doc, key);
    EXPECT_FALSE(doc.hasAnnotations());
}

TEST(MarkupFile, OnlyTheCommonLeadingPagesAreMerged)
{
    MarkupDocument five = openDocument(makePdf(5));
    for (int i = 0; i < 5; ++i)
        five.pages[i]->add(stroke({{10.0 + i, 10}, {50, 50}}));
    const QString key = freshKey();
    ASSERT_TRUE(MarkupFile::writeMarkupOverlay(five, key));

    MarkupDocument three = openDocument(makePdf(3));
    MarkupFile::loadMarkupOverlay(three, key);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(three.pages[i]->annotations.size(), 1);

    // Saved from the shorter version, the markup of the pages it lacks is kept for a longer one.
    three.pages[0]->add(stroke({{20, 20}, {60, 60}}));
    ASSERT_TRUE(MarkupFile::writeMarkupOverlay(three, key));
    const auto pages = MarkupFile::readMarkupFile(MarkupFile::path(key));
    ASSERT_EQ(pages.size(), 5);
    EXPECT_EQ(pages[0].size(), 2);
    for (int i = 1; i < 5; ++i) {
        ASSERT_EQ(pages[i].size(), 1) << i;
        EXPECT_TRUE(near(pages[i][0]->paths.value(0).value(0), QPointF(10.0 + i, 10))) << i;
    }
}

TEST(MarkupFile, OtherKindsAreWrittenButNeverReadBack)
{
    // A file carrying a square and a linked (pop-up) text note besides one ink stroke.
    const QString key = freshKey();
    MarkupDocument doc = openDocument(makePdf(1));
    doc.pages[0]->add(stroke({{10, 10}, {60, 60}}));
    ASSERT_TRUE(MarkupFile::writeMarkupOverlay(doc, key));
    {
        auto pdf = Poppler::Document::load(MarkupFile::path(key));
        ASSERT_TRUE(pdf);
        auto page = pdf->page(0);
        Poppler::GeomAnnotation square;
        square.setBoundary(QRectF(0.1, 0.1, 0.2, 0.2));
        page->addAnnotation(&square);
        Poppler::TextAnnotation popup(Poppler::TextAnnotation::Linked);
        popup.setBoundary(QRectF(0.5, 0.5, 0.05, 0.05));
        popup.setContents(QStringLiteral("sticky"));
        page->addAnnotation(&popup);
        auto converter = pdf->pdfConverter();
        const QString other = MarkupFile::path(key) + QStringLiteral(".tmp");
        converter->setOutputFileName(other);
        converter->setPDFOptions(Poppler::PDFConverter::WithChanges);
        ASSERT_TRUE(converter->convert());
        QFile::remove(MarkupFile::path(key));
        QFile::rename(other, MarkupFile::path(key));
    }
    const auto pages = MarkupFile::readMarkupFile(MarkupFile::path(key));
    ASSERT_EQ(pages.size(), 1);
    ASSERT_EQ(pages[0].size(), 1);
    EXPECT_EQ(pages[0][0]->kind, MarkupKind::ink);
}

TEST(MarkupFile, NotesReferToAStandardFaceSoTheFileStaysSmall)
{
    MarkupDocument doc = openDocument(makePdf(2));
    doc.pages[0]->add(stroke({{10, 10}, {60, 60}, {120, 40}}));
    MarkupAnnotationRef note = NoteAnnotations::makeNoteAnnotation(QStringLiteral("Replace C12 — 470 µF"), {300, 400}, *doc.pages[1]);
    note->font->setPointSizeF(14);
    doc.pages[1]->add(note);
    const QString key = freshKey();
    ASSERT_TRUE(MarkupFile::writeMarkupOverlay(doc, key));
    EXPECT_LT(QFileInfo(MarkupFile::path(key)).size(), 50 * 1024);
    EXPECT_FALSE(readFile(MarkupFile::path(key)).contains("/FontFile"));

    MarkupDocument reopened = openDocument(makePdf(2));
    MarkupFile::loadMarkupOverlay(reopened, key);
    ASSERT_EQ(reopened.pages[1]->annotations.size(), 1);
    const MarkupAnnotation& read = *reopened.pages[1]->annotations[0];
    EXPECT_EQ(read.contents, QStringLiteral("Replace C12 — 470 µF"));
    ASSERT_TRUE(read.font);
    EXPECT_NEAR(read.font->pointSizeF(), 14, 0.01);
    EXPECT_EQ(read.font->family(), NoteAnnotations::noteFont().family());
}

TEST(MarkupFile, TurnedPagesGetNotesOfTheirShownSizeAndThumbnailsDrawThemAsTheViewerDoes)
{
    for (int rotation : {90, 270}) {
        SCOPED_TRACE(rotation);
        const QByteArray original = makeRotatedPdf(rotation);
        MarkupDocument doc = openDocument(original);
        ASSERT_EQ(doc.pageCount(), 1);
        // The page is measured as it is shown: turned, so wider than high.
        EXPECT_EQ(doc.pages[0]->size, QSizeF(792, 612));
        MarkupAnnotationRef note = NoteAnnotations::makeNoteAnnotation(QStringLiteral("Bias"), {600, 150}, *doc.pages[0]);
        EXPECT_EQ(note->bounds.size(), QSizeF(180, 64));
        doc.pages[0]->add(note);
        const QString key = freshKey();
        ASSERT_TRUE(MarkupFile::writeMarkupOverlay(doc, key));

        // The thumbnail is the turned page with the card where the viewer shows it: yellow at
        // the note's centre, the page's own white just outside it.
        const QString fileName = QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".pdf");
        storeDocument(fileName, original);
        MarkupFile::installThumbnailHooks();
        Document record(fileName, QStringLiteral("Turned"));
        record.setLibraryMarkupFileName(key);
        const QImage thumb = DocumentFileStore::thumbnail(&record);
        ASSERT_GT(thumb.width(), thumb.height());
        const double scale = thumb.width() / 792.0;
        const QColor centre = thumb.pixelColor(QPointF(600 * scale, (612 - 150) * scale).toPoint());
        EXPECT_GT(centre.red(), 200);
        EXPECT_GT(centre.green(), 150);
        EXPECT_LT(centre.blue(), 80);
        // 70 points right of the centre is still on a card 180 wide.
        const QColor wide = thumb.pixelColor(QPointF((600 + 70) * scale, (612 - 150) * scale).toPoint());
        EXPECT_LT(wide.blue(), 80);
        const QColor outside = thumb.pixelColor(QPointF((600 + 100) * scale, (612 - 150) * scale).toPoint());
        EXPECT_GT(outside.blue(), 200);
    }
}

TEST(MarkupFile, AFailedWriteReportsFalseAndKeepsTheShownMarkup)
{
    MarkupDocument doc = openDocument(makePdf(1));
    doc.pages[0]->add(stroke({{10, 10}, {60, 60}}));
    const QString key = freshKey();
    // Something that is not a file already stands where the markup file would go.
    ASSERT_TRUE(QDir().mkpath(MarkupFile::path(key)));
    EXPECT_FALSE(MarkupFile::writeMarkupOverlay(doc, key));
    EXPECT_EQ(doc.pages[0]->annotations.size(), 1);
    EXPECT_TRUE(QFileInfo(MarkupFile::path(key)).isDir());
}

TEST(MarkupFile, SavingOverAMarkupFileThatCantBeReadKeepsItAside)
{
    // Markup saved earlier, then cut short (a disk error, a half-restored copy): opening shows
    // none of it, and the next save must not wipe what is left.
    MarkupDocument earlier = openDocument(makePdf(2));
    earlier.pages[1]->add(stroke({{10, 10}, {60, 60}}));
    const QString key = freshKey();
    ASSERT_TRUE(MarkupFile::writeMarkupOverlay(earlier, key));
    const QByteArray damaged = readFile(MarkupFile::path(key)).left(300);
    {
        QFile f(MarkupFile::path(key));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(damaged);
    }
    MarkupDocument shown = openDocument(makePdf(2));
    MarkupFile::loadMarkupOverlay(shown, key);
    EXPECT_FALSE(shown.hasAnnotations());

    const QDir folder = QFileInfo(MarkupFile::path(key)).dir();
    const QString asidePattern = QFileInfo(MarkupFile::path(key)).fileName() + QStringLiteral(".unreadable-*.pdf");
    shown.pages[0]->add(stroke({{100, 100}, {200, 200}}, Qt::blue));
    ASSERT_TRUE(MarkupFile::writeMarkupOverlay(shown, key));
    const QStringList aside = folder.entryList({asidePattern}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readFile(folder.filePath(aside.first())), damaged);
    const auto pages = MarkupFile::readMarkupFile(MarkupFile::path(key));
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(pages[0].size(), 1);

    // A file that reads is simply replaced.
    shown.pages[1]->add(stroke({{300, 300}, {400, 400}}));
    ASSERT_TRUE(MarkupFile::writeMarkupOverlay(shown, key));
    EXPECT_EQ(folder.entryList({asidePattern}, QDir::Files).size(), 1);
    EXPECT_EQ(MarkupFile::readMarkupFile(MarkupFile::path(key))[1].size(), 1);
}

TEST(MarkupFile, ThumbnailOverlayAddsTheMarkupToAPopplerDocument)
{
    const QByteArray original = makePdf(1);
    MarkupDocument doc = openDocument(original);
    doc.pages[0]->add(stroke({{10, 10}, {300, 300}}, Qt::blue, 8));
    doc.pages[0]->add(NoteAnnotations::makeNoteAnnotation(QStringLiteral("n"), {300, 400}, *doc.pages[0]));
    const QString key = freshKey();
    ASSERT_TRUE(MarkupFile::writeMarkupOverlay(doc, key));
    auto pdf = Poppler::Document::loadFromData(original);
    MarkupFile::loadMarkupOverlay(*pdf, key);
    EXPECT_EQ(pdf->page(0)->annotations().size(), 2u);
}

}  // namespace
