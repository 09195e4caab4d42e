#include "Corvallen/Documents/MarkupFile.h"
#include "Corvallen/Documents/NoteAnnotations.h"
#include "Corvallen/Documents/PDFMarkupController.h"
#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Model/ThumbnailCache.h"
#include "DocumentsTestSupport.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <poppler/qt6/poppler-qt6.h>

#include <gtest/gtest.h>

using namespace documents_test;
using Choice = PDFMarkupController::CloseChoice;

namespace {

class PDFMarkupControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        original = makePdf(3);
        docPath = storeDocument(QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".pdf"), original);
        auto pdf = Poppler::Document::loadFromData(original);
        controller.markupFileName = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".markup.pdf");
        controller.attach(std::make_shared<MarkupDocument>(MarkupFile::pagesOf(*pdf)));
    }
    MarkupPageRef page(int i) const { return controller.document()->pages[i]; }
    void strokeOn(int i) { controller.addInk(page(i), {{10, 10}, {100, 100}}); }

    QByteArray original;
    QString docPath;
    PDFMarkupController controller;
};

TEST(PDFMarkupControllerDefaults, StartsInPanWithYellowAndNothingPending)
{
    PDFMarkupController c;
    EXPECT_EQ(c.mode(), MarkupMode::pan);
    EXPECT_EQ(c.colorHex(), QStringLiteral("#FFCC00"));
    EXPECT_EQ(c.penWidth(), 3);
    EXPECT_FALSE(c.dirty());
    EXPECT_FALSE(c.canUndo());
    EXPECT_TRUE(c.statusNote().isEmpty());
    // Without a document, save and reset do nothing.
    c.save();
    c.resetAll();
    EXPECT_TRUE(c.statusNote().isEmpty());
    EXPECT_FALSE(c.hasMarkup());
}

TEST_F(PDFMarkupControllerTest, InkUsesTheCurrentColourAndWidthAndUndoRemovesIt)
{
    controller.setColor(QStringLiteral("#3366FF"));
    controller.setPenWidth(5);
    strokeOn(1);
    ASSERT_EQ(page(1)->annotations.size(), 1);
    const MarkupAnnotation& ink = *page(1)->annotations[0];
    EXPECT_EQ(ink.color->name(QColor::HexRgb).toUpper(), QStringLiteral("#3366FF"));
    EXPECT_EQ(*ink.borderWidth, 5);
    EXPECT_TRUE(controller.dirty());
    EXPECT_TRUE(controller.canUndo());
    controller.undo();
    EXPECT_TRUE(page(1)->annotations.isEmpty());
    EXPECT_FALSE(controller.canUndo());
    EXPECT_TRUE(controller.dirty());
}

TEST_F(PDFMarkupControllerTest, SaveWritesTheFileEmptiesThumbnailsAndReportsSaved)
{
    DocumentFileStore::thumbnailCache().insert(QStringLiteral("x.pdf"), QImage(4, 4, QImage::Format_RGB32));
    strokeOn(1);
    controller.save();
    EXPECT_EQ(controller.statusNote(), QStringLiteral("Saved"));
    EXPECT_FALSE(controller.dirty());
    EXPECT_TRUE(controller.canUndo());  // saving keeps the undo history
    EXPECT_FALSE(DocumentFileStore::thumbnailCache().contains(QStringLiteral("x.pdf")));
    EXPECT_EQ(readFile(docPath), original);

    const auto pages = MarkupFile::readMarkupFile(MarkupFile::path(controller.markupFileName));
    ASSERT_EQ(pages.size(), 3);
    EXPECT_TRUE(pages[0].isEmpty());
    EXPECT_EQ(pages[1].size(), 1);
    EXPECT_TRUE(pages[2].isEmpty());

    // Undo after a save still removes the stroke and makes the document dirty again.
    controller.undo();
    EXPECT_TRUE(controller.dirty());
    EXPECT_FALSE(controller.hasMarkup());
}

TEST_F(PDFMarkupControllerTest, AFailedSaveSaysSoAndStaysDirty)
{
    strokeOn(0);
    QDir().mkpath(MarkupFile::path(controller.markupFileName));
    EXPECT_FALSE(controller.save());
    EXPECT_EQ(controller.statusNote(), QStringLiteral("Save failed"));
    EXPECT_FALSE(controller.lastSaveError().isEmpty());
    EXPECT_TRUE(controller.dirty());
    EXPECT_EQ(page(0)->annotations.size(), 1);
    // Choosing Save in the close question keeps the window when the save fails.
    EXPECT_FALSE(controller.confirmClose([] { return Choice::save; }));
    EXPECT_TRUE(controller.dirty());

    // A scope that is gone writes nothing, and says why.
    QDir().rmdir(MarkupFile::path(controller.markupFileName));
    controller.staleReason = [] { return QStringLiteral("This document was deleted from the Library."); };
    EXPECT_FALSE(controller.save());
    EXPECT_EQ(controller.lastSaveError(), QStringLiteral("This document was deleted from the Library."));
    EXPECT_FALSE(QFile::exists(MarkupFile::path(controller.markupFileName)));
}

TEST_F(PDFMarkupControllerTest, EraseAndUndoPutsTheSameObjectBack)
{
    strokeOn(2);
    const MarkupAnnotationRef ink = page(2)->annotations[0];
    controller.save();
    controller.erase(ink, page(2));
    EXPECT_TRUE(page(2)->annotations.isEmpty());
    EXPECT_TRUE(controller.dirty());
    EXPECT_TRUE(controller.statusNote().isEmpty());
    controller.undo();
    ASSERT_EQ(page(2)->annotations.size(), 1);
    EXPECT_EQ(page(2)->annotations[0], ink);
}

TEST_F(PDFMarkupControllerTest, UndoKeepsEachNoteAndItsArrowTogether)
{
    controller.addNote(QStringLiteral("Bias"), page(0), {300, 400});
    const MarkupAnnotationRef note = page(0)->annotations[0];
    controller.leaders.setLeader(note, *page(0), {500, 600});
    controller.markDirty();

    // Undoing a move puts the arrow back at the note's corner, still pointing at its spot.
    const QRectF before = note->bounds;
    note->bounds.translate(-150, -200);
    controller.leaders.refreshLeader(note, *page(0));
    controller.noteMoved(note, before);
    controller.undo();
    EXPECT_EQ(note->bounds, before);
    const MarkupAnnotationRef arrow = controller.leaders.leaders.value(note.get());
    ASSERT_TRUE(arrow);
    EXPECT_TRUE(page(0)->contains(arrow.get()));
    EXPECT_EQ(arrow->startPoint, NoteAnnotations::nearestCorner(before, {500, 600}));
    EXPECT_EQ(arrow->endPoint, QPointF(500, 600));
    EXPECT_EQ(page(0)->annotations.size(), 2);

    // Undoing the note takes its arrow along.
    controller.undo();
    EXPECT_TRUE(page(0)->annotations.isEmpty());
    EXPECT_FALSE(controller.leaders.hasLeader(note.get()));
}

TEST_F(PDFMarkupControllerTest, NoteEditsRecordOnlyRealChanges)
{
    controller.promptNewNote(page(0), {300, 400});
    ASSERT_TRUE(controller.notePrompt());
    EXPECT_FALSE(controller.notePrompt()->isEdit);
    EXPECT_TRUE(controller.notePrompt()->initial.isEmpty());
    controller.notePrompt()->apply(QStringLiteral("Check R5"));
    controller.clearNotePrompt();
    ASSERT_EQ(page(0)->annotations.size(), 1);
    const MarkupAnnotationRef note = page(0)->annotations[0];
    EXPECT_EQ(note->contents, QStringLiteral("Check R5"));
    EXPECT_EQ(note->bounds.size(), QSizeF(180, 64));
    EXPECT_EQ(note->bounds.center(), QPointF(300, 400));

    controller.save();
    controller.promptEditNote(note);
    EXPECT_TRUE(controller.notePrompt()->isEdit);
    EXPECT_EQ(controller.notePrompt()->initial, QStringLiteral("Check R5"));
    controller.notePrompt()->apply(QStringLiteral("Check R5"));
    EXPECT_FALSE(controller.dirty());

    controller.applyNoteEdit(QStringLiteral("Replace R5"), note);
    EXPECT_EQ(note->contents, QStringLiteral("Replace R5"));
    EXPECT_TRUE(controller.dirty());
    controller.undo();
    EXPECT_EQ(note->contents, QStringLiteral("Check R5"));

    const QRectF before = note->bounds;
    note->bounds.translate(20, 0);
    controller.noteMoved(note, before);
    controller.undo();
    EXPECT_EQ(note->bounds, before);
}

TEST_F(PDFMarkupControllerTest, ResetClearsEverythingAsOneUndoableStep)
{
    controller.resetAll();  // nothing there: no status, nothing to undo
    EXPECT_TRUE(controller.statusNote().isEmpty());
    EXPECT_FALSE(controller.canUndo());

    strokeOn(0);
    controller.addNote(QStringLiteral("n"), page(1), {200, 200});
    const MarkupAnnotationRef note = page(1)->annotations[0];
    controller.leaders.setLeader(note, *page(1), {400, 500});
    controller.resetAll();
    EXPECT_EQ(controller.statusNote(), QStringLiteral("Cleared"));
    EXPECT_FALSE(controller.hasMarkup());
    EXPECT_FALSE(controller.leaders.hasLeader(note.get()));
    controller.undo();
    EXPECT_EQ(page(0)->annotations.size(), 1);
    EXPECT_EQ(page(1)->annotations.size(), 2);
    EXPECT_TRUE(controller.leaders.hasLeader(note.get()));
}

TEST_F(PDFMarkupControllerTest, HighlightsSkipHairlineSelections)
{
    controller.addHighlight({{page(0), QRectF(72, 700, 1, 20)}, {page(0), QRectF(72, 680, 120, 12)}});
    ASSERT_EQ(page(0)->annotations.size(), 1);
    EXPECT_EQ(page(0)->annotations[0]->kind, MarkupKind::highlight);
    EXPECT_FALSE(controller.hasSelection());
}

TEST_F(PDFMarkupControllerTest, CloseGuardAsksOnlyWhenDirtyAndActsOnTheAnswer)
{
    int asked = 0;
    auto answer = [&](Choice c) {
        return [&asked, c] {
            ++asked;
            return c;
        };
    };
    EXPECT_TRUE(controller.confirmClose(answer(Choice::cancel)));
    EXPECT_EQ(asked, 0);

    strokeOn(0);
    EXPECT_FALSE(controller.confirmClose(answer(Choice::cancel)));
    EXPECT_TRUE(controller.dirty());
    EXPECT_TRUE(controller.confirmClose(answer(Choice::dontSave)));
    EXPECT_FALSE(QFile::exists(MarkupFile::path(controller.markupFileName)));
    EXPECT_TRUE(controller.confirmClose(answer(Choice::save)));
    EXPECT_TRUE(QFile::exists(MarkupFile::path(controller.markupFileName)));
    EXPECT_EQ(asked, 3);
}

TEST(PDFMarkupControllerText, RecognitionOutcomesReachTheStatus)
{
    PDFMarkupController c;
    c.copyTextFromImage();
    EXPECT_EQ(c.statusNote(), QStringLiteral("No image"));
    c.finishTextCopy(QString());
    EXPECT_EQ(c.statusNote(), QStringLiteral("No text found"));
    c.finishTextCopy(QStringLiteral("10.02 V"));
    EXPECT_EQ(c.statusNote(), QStringLiteral("Text copied"));
}

}  // namespace
