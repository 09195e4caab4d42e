#include "Corvallen/Documents/MarkupFile.h"
#include "Corvallen/Documents/Views/DocumentViewerWindow.h"
#include "Corvallen/Documents/Views/MarkupCanvas.h"
#include "Corvallen/Documents/Views/PDFMarkupContainer.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Store/ModelContext.h"
#include "Documents/DocumentsTestSupport.h"
#include "support/EventLoop.h"
#include "support/TestStore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QKeyEvent>
#include <QSlider>
#include <QTimer>
#include <QUuid>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

QString writeDocument(const QString& name, const std::function<void(QIODevice&)>& write)
{
    const QString path = QDir(DocumentFileStore::documentsFolder()).filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    write(f);
    return path;
}

QString writePdf(const QString& name, int pages)
{
    return writeDocument(name, [pages](QIODevice& out) {
        QPdfWriter writer(&out);
        writer.setResolution(72);
        writer.setPageLayout(QPageLayout(QPageSize(QSizeF(612, 792), QPageSize::Point), QPageLayout::Portrait, QMarginsF()));
        QPainter painter(&writer);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPointSize(14);
        painter.setFont(f);
        for (int i = 0; i < pages; ++i) {
            if (i > 0)
                writer.newPage();
            painter.drawText(QPointF(72, 100), QStringLiteral("Output stage bias adjustment, page %1").arg(i + 1));
        }
    });
}

QString freshKey()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".markup.pdf");
}

// The viewer content inside a window, as the shell hosts it.
struct HostedViewer {
    explicit HostedViewer(DocumentViewerWindow* content)
    {
        window.setAttribute(Qt::WA_DontShowOnScreen);
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(content);
        viewer = content;
        window.resize(900, 640);
        window.show();
        QApplication::processEvents();
        // The document is read off the main thread.
        EXPECT_TRUE(corvallen::test::waitUntil([content] { return !content->isLoading(); }));
        QApplication::processEvents();
    }
    QWidget window;
    DocumentViewerWindow* viewer = nullptr;
};

class DocumentViewerWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        container = corvallen::test::openTestStore();
        ctx = &container->mainContext();
    }
    std::unique_ptr<ModelContainer> container;
    ModelContext* ctx = nullptr;
};

TEST_F(DocumentViewerWindowTest, TitleIsTheDocumentTitleAndTheScope)
{
    writePdf(QStringLiteral("pinout.pdf"), 1);
    auto* doc = ctx->insert(new Document(QStringLiteral("pinout.pdf"), QStringLiteral("Pinout")));
    HostedViewer project(new DocumentViewerWindow({QStringLiteral("pinout.pdf"), freshKey(), QStringLiteral("Amp")}, *ctx));
    EXPECT_EQ(project.window.windowTitle(), QStringLiteral("Pinout — Amp"));
    HostedViewer library(new DocumentViewerWindow({QStringLiteral("pinout.pdf"), freshKey(), QString()}, *ctx));
    EXPECT_EQ(library.window.windowTitle(), QStringLiteral("Pinout"));
    doc->setTitle(QString());
    HostedViewer untitled(new DocumentViewerWindow({QStringLiteral("pinout.pdf"), freshKey(), QString()}, *ctx));
    EXPECT_EQ(untitled.viewer->displayTitle(), QStringLiteral("pinout.pdf"));
}

TEST_F(DocumentViewerWindowTest, OtherFilesGetTheNoticeAndImagesTheRecognitionButton)
{
    writeDocument(QStringLiteral("letter.docx"), [](QIODevice& out) { out.write("PK"); });
    HostedViewer other(new DocumentViewerWindow({QStringLiteral("letter.docx"), freshKey(), QString()}, *ctx));
    EXPECT_EQ(other.viewer->markupContainer(), nullptr);
    bool notice = false;
    for (QLabel* l : other.window.findChildren<QLabel*>())
        notice |= l->text() == QStringLiteral("No built-in viewer for this file type.");
    EXPECT_TRUE(notice);

    writeDocument(QStringLiteral("SCOPE.HEIC.png"), [](QIODevice& out) {
        QImage image(320, 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        image.save(&out, "PNG");
    });
    HostedViewer image(new DocumentViewerWindow({QStringLiteral("SCOPE.HEIC.png"), freshKey(), QString()}, *ctx));
    ASSERT_TRUE(image.viewer->markupContainer());
    EXPECT_TRUE(image.viewer->markupContainer()->ocrButton());
    EXPECT_EQ(image.viewer->markupContainer()->controller()->document()->pageCount(), 1);

    writePdf(QStringLiteral("plain.pdf"), 1);
    HostedViewer pdf(new DocumentViewerWindow({QStringLiteral("plain.pdf"), freshKey(), QString()}, *ctx));
    EXPECT_FALSE(pdf.viewer->markupContainer()->ocrButton());
}

TEST_F(DocumentViewerWindowTest, DocumentsThatCantBeShownSayWhyAndOfferTheDefaultApp)
{
    // A page under the standard security handler whose password isn't the empty one.
    QByteArray locked = documents_test::makeOnePagePdf("/MediaBox [0 0 612 792]", "0 0 0 rg 0 0 10 10 re f\n");
    const QByteArray key32 = "<" + QByteArray(64, '7') + ">";
    locked.replace("/Root 1 0 R >>", "/Root 1 0 R /Encrypt << /Filter /Standard /V 1 /R 2 /Length 40 /P -4 /O " + key32 + " /U "
                                         + key32 + " >> /ID [<0123456789ABCDEF0123456789ABCDEF> <0123456789ABCDEF0123456789ABCDEF>] >>");
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::red);
        image.save(&buffer, "JPEG");
    }
    const QList<std::pair<QString, QByteArray>> files = {
        {QStringLiteral("locked.pdf"), locked},
        {QStringLiteral("photo-really.pdf"), jpeg},
        {QStringLiteral("empty.pdf"), "%PDF-1.4\n1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n2 0 obj\n<< /Type /Pages /Kids [] "
                                      "/Count 0 >>\nendobj\ntrailer\n<< /Root 1 0 R >>\n%%EOF\n"},
        {QStringLiteral("cut.png"), QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(40, 'x')},
        // Told by its header alone, before seconds of decoding.
        {QStringLiteral("huge.png"), documents_test::pngClaiming(QSize(16384, 16384))},
    };
    const QStringList reasons = {
        QStringLiteral("This PDF is protected by a password, so it can't be shown here."),
        QStringLiteral("This file couldn't be read as a PDF."),
        QStringLiteral("This PDF has no pages."),
        QStringLiteral("This picture couldn't be read."),
        QStringLiteral("This picture is too large to be shown here."),
        QStringLiteral("The file of this document is missing from the documents folder."),
    };
    for (int i = 0; i < reasons.size(); ++i) {
        const QString name = i < files.size() ? files[i].first : QStringLiteral("gone.pdf");
        if (i < files.size())
            documents_test::storeDocument(name, files[i].second);
        auto* content = new DocumentViewerWindow({name, freshKey(), QString()}, *ctx);
        // The window is there at once; the file is read, and found wanting, off the main thread.
        EXPECT_TRUE(content->isLoading()) << name.toStdString();
        HostedViewer viewer(content);
        EXPECT_EQ(viewer.viewer->markupContainer(), nullptr) << name.toStdString();
        QStringList texts;
        for (QLabel* l : viewer.window.findChildren<QLabel*>())
            texts << l->text();
        EXPECT_TRUE(texts.contains(reasons[i])) << name.toStdString() << ": " << texts.join(u'|').toStdString();
        bool offered = false;
        for (QPushButton* b : viewer.window.findChildren<QPushButton*>())
            offered |= b->text() == QStringLiteral("Open in Default App");
        EXPECT_TRUE(offered);
    }
}

TEST_F(DocumentViewerWindowTest, ToolRowFollowsTheControllerAndSavedMarkupComesBack)
{
    writePdf(QStringLiteral("manual.pdf"), 3);
    const QString key = freshKey();
    ctx->insert(new Document(QStringLiteral("manual.pdf"), QStringLiteral("Manual")))->setLibraryMarkupFileName(key);
    {
        HostedViewer host(new DocumentViewerWindow({QStringLiteral("manual.pdf"), key, QString()}, *ctx));
        PDFMarkupContainer* m = host.viewer->markupContainer();
        PDFMarkupController* c = m->controller();
        ASSERT_TRUE(c->document());
        EXPECT_EQ(c->document()->pageCount(), 3);
        EXPECT_FALSE(m->saveButton()->isEnabled());
        EXPECT_FALSE(m->undoButton()->isEnabled());
        EXPECT_FALSE(m->resetButton()->isEnabled());
        EXPECT_FALSE(m->highlightButton()->isEnabled());
        EXPECT_TRUE(m->penWidthSlider()->isHidden());
        c->setMode(MarkupMode::pen);
        EXPECT_FALSE(m->penWidthSlider()->isHidden());

        c->addInk(c->document()->pages[1], {{100, 100}, {200, 200}});
        EXPECT_TRUE(m->saveButton()->isEnabled());
        EXPECT_TRUE(m->undoButton()->isEnabled());
        EXPECT_TRUE(m->resetButton()->isEnabled());

        // Selecting the first line of text enables highlighting; highlighting clears it again.
        c->setMode(MarkupMode::select);
        MarkupCanvas* canvas = m->canvas();
        const QRectF page = canvas->pageRect(0);
        canvas->selectText(QRectF(page.left(), page.top(), page.width(), 140 * canvas->scale()));
        EXPECT_TRUE(m->highlightButton()->isEnabled());
        m->highlightButton()->click();
        EXPECT_FALSE(m->highlightButton()->isEnabled());
        ASSERT_EQ(c->document()->pages[0]->annotations.size(), 1);
        EXPECT_EQ(c->document()->pages[0]->annotations[0]->kind, MarkupKind::highlight);

        // A blank note answer makes no note.
        c->promptNewNote(c->document()->pages[2], {300, 300});
        m->finishNotePrompt(QStringLiteral("   \n"));
        EXPECT_FALSE(c->notePrompt());
        EXPECT_TRUE(c->document()->pages[2]->annotations.isEmpty());
        c->promptNewNote(c->document()->pages[2], {300, 300});
        m->finishNotePrompt(QStringLiteral("  Check bias  "));
        ASSERT_EQ(c->document()->pages[2]->annotations.size(), 1);
        EXPECT_EQ(c->document()->pages[2]->annotations[0]->contents, QStringLiteral("Check bias"));

        m->saveButton()->click();
        EXPECT_EQ(m->statusLabel()->text(), QStringLiteral("Saved"));
        EXPECT_FALSE(m->saveButton()->isEnabled());

        // A clean viewer closes without asking.
        QCloseEvent close;
        QApplication::sendEvent(&host.window, &close);
        EXPECT_TRUE(close.isAccepted());
    }
    HostedViewer again(new DocumentViewerWindow({QStringLiteral("manual.pdf"), key, QString()}, *ctx));
    const auto doc = again.viewer->markupContainer()->controller()->document();
    EXPECT_EQ(doc->pages[0]->annotations.size(), 1);
    EXPECT_EQ(doc->pages[1]->annotations.size(), 1);
    ASSERT_EQ(doc->pages[2]->annotations.size(), 1);
    EXPECT_EQ(doc->pages[2]->annotations[0]->kind, MarkupKind::freeText);
}

// Answers the next message box with the button of that text, once it is up.
void answerNextQuestion(const QString& button)
{
    QTimer::singleShot(0, [button] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible())
                continue;
            for (QAbstractButton* b : box->buttons())
                if (b->text() == button) {
                    b->click();
                    return;
                }
        }
        answerNextQuestion(button);
    });
}

TEST_F(DocumentViewerWindowTest, AFailedSaveInTheCloseQuestionKeepsTheWindowAndItsMarkup)
{
    writePdf(QStringLiteral("closing.pdf"), 1);
    const QString key = freshKey();
    ctx->insert(new Document(QStringLiteral("closing.pdf"), QStringLiteral("Closing")))->setLibraryMarkupFileName(key);
    HostedViewer host(new DocumentViewerWindow({QStringLiteral("closing.pdf"), key, QString()}, *ctx));
    PDFMarkupController* c = host.viewer->markupContainer()->controller();
    c->addInk(c->document()->pages[0], {{10, 10}, {90, 90}});
    // Something that is not a file stands where the markup file goes.
    ASSERT_TRUE(QDir().mkpath(MarkupFile::path(key)));

    answerNextQuestion(QStringLiteral("Save"));
    QCloseEvent close;
    QApplication::sendEvent(&host.window, &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_TRUE(c->dirty());
    EXPECT_EQ(c->document()->pages[0]->annotations.size(), 1);
    auto* error = host.window.findChild<QMessageBox*>(QStringLiteral("markupSaveError"));
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->text().isEmpty());
    error->close();

    // Once the file can be written, Save in the same question closes the window.
    QDir().rmdir(MarkupFile::path(key));
    answerNextQuestion(QStringLiteral("Save"));
    QCloseEvent again;
    QApplication::sendEvent(&host.window, &again);
    EXPECT_TRUE(again.isAccepted());
    EXPECT_TRUE(QFileInfo(MarkupFile::path(key)).isFile());
}

TEST_F(DocumentViewerWindowTest, AViewerOfADeletedOrDetachedDocumentWritesNothing)
{
    writePdf(QStringLiteral("stale.pdf"), 1);
    auto* doc = ctx->insert(new Document(QStringLiteral("stale.pdf"), QStringLiteral("Stale")));
    auto* project = ctx->insert(new Project(QStringLiteral("Amp"), QString(), {}));
    ProjectDocument* link = DocumentFileStore::attach(doc, project, *ctx);
    const QString projectKey = link->markupFileName();
    HostedViewer inProject(new DocumentViewerWindow({QStringLiteral("stale.pdf"), projectKey, QStringLiteral("Amp")}, *ctx));
    PDFMarkupContainer* m = inProject.viewer->markupContainer();
    m->controller()->addInk(m->controller()->document()->pages[0], {{10, 10}, {90, 90}});

    DocumentFileStore::detach(doc, project, *ctx);
    m->saveButton()->click();
    EXPECT_EQ(m->statusLabel()->text(), QStringLiteral("Save failed"));
    EXPECT_TRUE(m->statusLabel()->toolTip().contains(QStringLiteral("removed from the project")));
    EXPECT_FALSE(QFile::exists(MarkupFile::path(projectKey)));
    EXPECT_TRUE(m->controller()->dirty());

    const QString libraryKey = freshKey();
    doc->setLibraryMarkupFileName(libraryKey);
    HostedViewer inLibrary(new DocumentViewerWindow({QStringLiteral("stale.pdf"), libraryKey, QString()}, *ctx));
    PDFMarkupContainer* l = inLibrary.viewer->markupContainer();
    l->controller()->addInk(l->controller()->document()->pages[0], {{10, 10}, {90, 90}});
    DocumentFileStore::deleteFromLibrary(doc, *ctx);
    l->saveButton()->click();
    EXPECT_EQ(l->statusLabel()->text(), QStringLiteral("Save failed"));
    EXPECT_TRUE(l->statusLabel()->toolTip().contains(QStringLiteral("deleted")));
    EXPECT_FALSE(QFile::exists(MarkupFile::path(libraryKey)));
    // Nothing to keep any more: close without saving.
    answerNextQuestion(QStringLiteral("Don't Save"));
    QCloseEvent close;
    QApplication::sendEvent(&inLibrary.window, &close);
    EXPECT_TRUE(close.isAccepted());
    answerNextQuestion(QStringLiteral("Don't Save"));
    QCloseEvent closeProject;
    QApplication::sendEvent(&inProject.window, &closeProject);
    EXPECT_TRUE(closeProject.isAccepted());
}

void mouse(QWidget* w, QEvent::Type type, QPointF pos)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), Qt::LeftButton, type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

TEST_F(DocumentViewerWindowTest, CanvasGesturesDrawEraseAndPlaceNotes)
{
    writePdf(QStringLiteral("gestures.pdf"), 1);
    HostedViewer host(new DocumentViewerWindow({QStringLiteral("gestures.pdf"), freshKey(), QString()}, *ctx));
    PDFMarkupContainer* m = host.viewer->markupContainer();
    PDFMarkupController* c = m->controller();
    MarkupCanvas* canvas = m->canvas();
    const MarkupPageRef page = c->document()->pages[0];

    c->setMode(MarkupMode::pen);
    const QPointF a = canvas->toView(0, {100, 500});
    const QPointF b = canvas->toView(0, {200, 400});
    mouse(canvas, QEvent::MouseButtonPress, a);
    mouse(canvas, QEvent::MouseMove, (a + b) / 2);
    mouse(canvas, QEvent::MouseMove, b);
    mouse(canvas, QEvent::MouseButtonRelease, b);
    ASSERT_EQ(page->annotations.size(), 1);
    const MarkupAnnotation& ink = *page->annotations[0];
    ASSERT_EQ(ink.paths.size(), 1);
    EXPECT_NEAR(ink.paths[0].first().x(), 100, 0.5);
    EXPECT_NEAR(ink.paths[0].last().y(), 400, 0.5);

    // A single click draws nothing.
    mouse(canvas, QEvent::MouseButtonPress, a);
    mouse(canvas, QEvent::MouseButtonRelease, a);
    EXPECT_EQ(page->annotations.size(), 1);

    c->setMode(MarkupMode::eraser);
    mouse(canvas, QEvent::MouseButtonPress, (a + b) / 2);
    mouse(canvas, QEvent::MouseButtonRelease, (a + b) / 2);
    EXPECT_TRUE(page->annotations.isEmpty());

    c->setMode(MarkupMode::note);
    const QPointF spot = canvas->toView(0, {300, 300});
    mouse(canvas, QEvent::MouseButtonPress, spot);
    mouse(canvas, QEvent::MouseButtonRelease, spot);
    ASSERT_TRUE(c->notePrompt());
    m->finishNotePrompt(QStringLiteral("Bias pot"));
    ASSERT_EQ(page->annotations.size(), 1);
    const MarkupAnnotationRef note = page->annotations[0];

    // Dragging the note moves it and records the move for undo.
    const QRectF before = note->bounds;
    const QPointF grab = canvas->toView(0, note->bounds.center());
    mouse(canvas, QEvent::MouseButtonPress, grab);
    mouse(canvas, QEvent::MouseMove, grab + QPointF(40, 0));
    mouse(canvas, QEvent::MouseButtonRelease, grab + QPointF(40, 0));
    EXPECT_GT(note->bounds.left(), before.left());
    c->undo();
    EXPECT_EQ(note->bounds, before);
}

TEST_F(DocumentViewerWindowTest, EveryPageOfAVeryLongDocumentCanBeScrolledToAtAnyZoom)
{
    // 1,500 pages 200 inches tall: at the scale that fits the window, far taller than a widget
    // may be. All pages share one content stream, so the file stays small.
    const int pages = 1500;
    QList<QByteArray> objects = {"<< /Type /Catalog /Pages 2 0 R >>", QByteArray(), "<< /Length 0 >>\nstream\nendstream"};
    QByteArray kids;
    for (int i = 0; i < pages; ++i) {
        kids += QByteArray::number(4 + i) + " 0 R ";
        objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 14400] /Contents 3 0 R /Resources << >> >>";
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages) + " >>";
    documents_test::storeDocument(QStringLiteral("long.pdf"), documents_test::pdfOfObjects(objects));

    HostedViewer host(new DocumentViewerWindow({QStringLiteral("long.pdf"), freshKey(), QString()}, *ctx));
    ASSERT_TRUE(host.viewer->markupContainer());
    MarkupCanvas* canvas = host.viewer->markupContainer()->canvas();
    ASSERT_EQ(host.viewer->markupContainer()->controller()->document()->pageCount(), pages);
    for (const double zoom : {1.0, 8.0, canvas->scale() * 1.25}) {
        canvas->setScale(zoom);
        EXPECT_LE(canvas->height(), QWIDGETSIZE_MAX);
        EXPECT_LE(canvas->pageRect(pages - 1).bottom(), canvas->height()) << "the last page lies inside the canvas";
        EXPECT_GT(canvas->pageRect(pages - 1).height(), 0);
    }
    // Zooming in stops where the whole document still fits.
    canvas->setScale(8);
    EXPECT_NEAR(canvas->scale(), canvas->largestScale(), 1e-9);
    EXPECT_LT(canvas->scale(), 1.0);
}

TEST_F(DocumentViewerWindowTest, HomeAndEndGoToTheFirstAndLastPageAndEachToolNamesItself)
{
    writePdf(QStringLiteral("long-manual.pdf"), 40);
    HostedViewer host(new DocumentViewerWindow({QStringLiteral("long-manual.pdf"), freshKey(), QString()}, *ctx));
    PDFMarkupContainer* m = host.viewer->markupContainer();
    ASSERT_TRUE(m);
    MarkupCanvas* canvas = m->canvas();
    auto* scroll = m->findChild<QScrollArea*>();
    ASSERT_TRUE(scroll);
    QScrollBar* bar = scroll->verticalScrollBar();
    const auto key = [&](QWidget* to, int k, Qt::KeyboardModifiers mods) {
        QKeyEvent press(QEvent::KeyPress, k, mods);
        QApplication::sendEvent(to, &press);
    };
    // From the scroll area and from a tool button, as the focus may be on either.
    for (QWidget* focus : {static_cast<QWidget*>(scroll), static_cast<QWidget*>(m->undoButton())})
        for (const Qt::KeyboardModifiers mods : {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::ControlModifier)}) {
            key(focus, Qt::Key_End, mods);
            EXPECT_GT(bar->value(), bar->maximum() / 2);
            const QRectF last = canvas->pageRect(39);
            EXPECT_LT(last.top(), bar->value() + scroll->viewport()->height()) << "the last page is on screen";
            EXPECT_GT(last.bottom(), bar->value());
            key(focus, Qt::Key_Home, mods);
            EXPECT_EQ(bar->value(), 0);
        }

    QSet<QString> tips;
    host.window.resize(600, 460);  // the window's smallest size
    QApplication::processEvents();
    for (QAbstractButton* b : m->findChildren<QAbstractButton*>())
        if (!b->toolTip().isEmpty() && b->group()) {
            tips.insert(b->toolTip());
            EXPECT_GE(b->width(), b->sizeHint().width()) << "a squeezed tool: " << b->toolTip().toStdString();
        }
    EXPECT_EQ(tips, (QSet<QString>{QStringLiteral("Pan"), QStringLiteral("Select text & move notes"), QStringLiteral("Pen"),
                                  QStringLiteral("Eraser"), QStringLiteral("Note")}));
}

TEST_F(DocumentViewerWindowTest, CanvasKeepsNotesOnTheirPageErasesAlongTheDragAndZoomsAboutThePointer)
{
    writePdf(QStringLiteral("canvas.pdf"), 2);
    HostedViewer host(new DocumentViewerWindow({QStringLiteral("canvas.pdf"), freshKey(), QString()}, *ctx));
    PDFMarkupContainer* m = host.viewer->markupContainer();
    PDFMarkupController* c = m->controller();
    MarkupCanvas* canvas = m->canvas();
    const MarkupPageRef page = c->document()->pages[0];

    // A note dragged far beyond the page's corner stops at the page's edges.
    c->addNote(QStringLiteral("Edge"), page, {306, 396});
    const MarkupAnnotationRef note = page->annotations.last();
    const QPointF grab = canvas->toView(0, note->bounds.center());
    mouse(canvas, QEvent::MouseButtonPress, grab);
    mouse(canvas, QEvent::MouseMove, grab + QPointF(-3000, -3000));
    mouse(canvas, QEvent::MouseButtonRelease, grab + QPointF(-3000, -3000));
    EXPECT_EQ(note->bounds.left(), 0);
    EXPECT_EQ(note->bounds.bottom(), page->size.height());
    EXPECT_EQ(note->bounds.size(), QSizeF(180, 64));

    // One quick drag across two strokes takes both, though no event lands on either.
    c->addInk(page, {{100, 100}, {100, 300}});
    c->addInk(page, {{200, 100}, {200, 300}});
    c->setMode(MarkupMode::eraser);
    mouse(canvas, QEvent::MouseButtonPress, canvas->toView(0, {50, 200}));
    mouse(canvas, QEvent::MouseMove, canvas->toView(0, {250, 200}));
    mouse(canvas, QEvent::MouseButtonRelease, canvas->toView(0, {250, 200}));
    EXPECT_EQ(page->annotations.size(), 1);  // the note stays

    // Zooming keeps the page point under the pointer where it was on screen.
    QScrollArea* area = nullptr;
    for (QWidget* w = canvas->parentWidget(); w && !area; w = w->parentWidget())
        area = qobject_cast<QScrollArea*>(w);
    ASSERT_TRUE(area);
    const QPointF pagePoint(400, 300);
    const QPointF before = canvas->toView(0, pagePoint);
    const QPointF onScreen = canvas->mapTo(area->viewport(), before);
    canvas->zoomAbout(1.5, before);
    canvas->zoomAbout(1.25, canvas->toView(0, pagePoint));
    const QPointF after = canvas->mapTo(area->viewport(), canvas->toView(0, pagePoint));
    EXPECT_NEAR(after.x(), onScreen.x(), 1.5);
    EXPECT_NEAR(after.y(), onScreen.y(), 1.5);
}

TEST_F(DocumentViewerWindowTest, TurnedPagesShowTurnedWithNotesOfTheirUsualSize)
{
    writeDocument(QStringLiteral("turned.pdf"), [](QIODevice& out) { out.write(documents_test::makeRotatedPdf(90)); });
    HostedViewer host(new DocumentViewerWindow({QStringLiteral("turned.pdf"), freshKey(), QString()}, *ctx));
    PDFMarkupContainer* m = host.viewer->markupContainer();
    MarkupCanvas* canvas = m->canvas();
    const QRectF shown = canvas->pageRect(0);
    EXPECT_GT(shown.width(), shown.height());

    m->controller()->setMode(MarkupMode::note);
    const QPointF spot = canvas->toView(0, {400, 300});
    mouse(canvas, QEvent::MouseButtonPress, spot);
    mouse(canvas, QEvent::MouseButtonRelease, spot);
    m->finishNotePrompt(QStringLiteral("Turned"));
    const MarkupAnnotationRef note = m->controller()->document()->pages[0]->annotations.last();
    EXPECT_NEAR(canvas->toView(0, note->bounds.topRight()).x() - canvas->toView(0, note->bounds.topLeft()).x(),
                180 * canvas->scale(), 0.01);

    // The page picture arrives from the renderer turned: the black square of the unturned
    // page's top-left corner is now at the shown page's top-right.
    ASSERT_TRUE(corvallen::test::waitUntil([&] { return canvas->renderer()->pendingCount() == 0; }));
    QApplication::processEvents();
    const QImage grab = canvas->grab(shown.toAlignedRect()).toImage();
    EXPECT_LT(qGray(grab.pixel(grab.width() - 5, 5)), 60);
    EXPECT_GT(qGray(grab.pixel(5, 5)), 200);
}

}  // namespace
