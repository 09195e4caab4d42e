// The Library's views, offscreen, against a real store and real image files.
#include "Corvallen/Library/CaptureSelection.h"
#include "Corvallen/Library/Views/BulkInspector.h"
#include "Corvallen/Library/Views/CaptureBrowser.h"
#include "Corvallen/Library/Views/CaptureCard.h"
#include "Corvallen/Library/Views/CaptureGrid.h"
#include "Corvallen/Library/Views/CaptureInspector.h"
#include "Corvallen/Library/Views/CompareChart.h"
#include "Corvallen/Library/Views/CompareView.h"
#include "Corvallen/Library/Views/ImageViewerWindow.h"
#include "Corvallen/Library/Views/LibraryView.h"
#include "Corvallen/Library/Views/SingleCaptureInspector.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/DragString.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Sync/CaptureThumbnails.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"
#include "support/TestStore.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QDrag>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QWindow>

#include <QWheelEvent>
#include <QScrollArea>
#include <gtest/gtest.h>

namespace {

QString capturePath(const QString& name)
{
    return QDir(DeviceStorage::capturesFolder()).filePath(name);
}

void writeImage(const QString& name, int w = 480, int h = 272)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    image.save(capturePath(name), "PNG");
    DeviceStorage::clearImageCache();
}

void press(QWidget* w, QPointF at, Qt::KeyboardModifiers modifiers = {}, Qt::MouseButtons buttons = Qt::LeftButton)
{
    QMouseEvent e(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, buttons, modifiers);
    QApplication::sendEvent(w, &e);
}

void move(QWidget* w, QPointF at)
{
    QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(w, &e);
}

void release(QWidget* w, QPointF at)
{
    QMouseEvent e(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(w, &e);
}

// The captures folder is one for the whole process: each test starts with it empty, and with
// nothing remembered of pictures an earlier test left there under the same names.
void emptyCaptures()
{
    CaptureThumbnails::shared().waitForIdle();
    QDir dir(DeviceStorage::capturesFolder());
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        dir.remove(name);
    DeviceStorage::clearImageCache();
    CaptureThumbnails::shared().clearMemory();
}

struct Store {
    Store() { emptyCaptures(); }

    QString path;
    std::unique_ptr<ModelContainer> container = corvallen::test::openTestStore(&path);
    ModelContext& context = container->mainContext();

    Capture* capture(const QString& fileName, const QString& title, bool withImage = true)
    {
        auto* c = context.insert(new Capture(fileName));
        c->setTitle(title);
        if (withImage)
            writeImage(fileName);
        return c;
    }
};

QString labelText(QWidget* panel, const QString& objectName)
{
    auto* l = panel->findChild<QLabel*>(objectName);
    return l ? l->text() : QString();
}

}  // namespace

TEST(LibraryViews, PageShowsEmptyStatesKeepsItsModeAndSearches)
{
    Store s;
    SettingsStore settings(QDir(corvallen::test::freshFolder()).filePath(QStringLiteral("settings.json")));
    {
        LibraryView page(s.context, settings);
        page.resize(1000, 700);
        CaptureBrowser* browser = page.captureBrowser();
        EXPECT_TRUE(browser->isShowingEmptyState());
        EXPECT_EQ(labelText(browser->emptyState(), QStringLiteral("EmptyStateTitle")), QStringLiteral("No captures"));
        EXPECT_EQ(labelText(browser->emptyState(), QStringLiteral("EmptyStateMessage")),
                  QStringLiteral("Add a storage device in Devices to sync captures."));
        page.scopeControl()->button(1)->click();
        EXPECT_EQ(labelText(browser->emptyState(), QStringLiteral("EmptyStateMessage")),
                  QStringLiteral("No unfiled captures — everything is filed to a project."));
        page.modeControl()->button(1)->click();
        EXPECT_EQ(settings.textValue(QStringLiteral("libraryMode")), QStringLiteral("Documents"));
    }
    LibraryView again(s.context, settings);
    EXPECT_EQ(again.mode(), LibraryFilter::Mode::documents);
    EXPECT_EQ(again.scope(), LibraryFilter::Scope::all);
    EXPECT_TRUE(again.search().isEmpty());
    again.setMode(LibraryFilter::Mode::captures);

    // New captures appear through the store's change notifications, newest first.
    Capture* older = s.capture(QStringLiteral("old.png"), QStringLiteral("Ripple"));
    older->setImportedAt(QDateTime::currentDateTime().addDays(-1));
    Capture* newer = s.capture(QStringLiteral("new.png"), QStringLiteral("Noise"));
    ASSERT_TRUE(corvallen::test::waitUntil([&] { return again.shownCaptures().size() == 2; }));
    EXPECT_EQ(again.shownCaptures(), QList<Capture*>({newer, older}));
    again.searchField()->setText(QStringLiteral("  RIPP "));
    EXPECT_EQ(again.shownCaptures(), QList<Capture*>({older}));
}

TEST(LibraryViews, BrowserToolbarSelectionInspectorAndDeletion)
{
    Store s;
    QList<Capture*> list;
    for (int i = 1; i <= 5; ++i)
        list.append(s.capture(QStringLiteral("sel%1.png").arg(i), QStringLiteral("Capture %1").arg(i), i != 2));
    ASSERT_TRUE(s.context.save());
    CaptureBrowser browser(s.context);
    browser.resize(1200, 800);
    browser.show();
    browser.setCaptures(list, QStringLiteral("No captures"), QStringLiteral("msg"));
    EXPECT_FALSE(browser.isShowingEmptyState());
    EXPECT_FALSE(browser.trashButton()->isVisibleTo(&browser));
    EXPECT_FALSE(browser.compareButton()->isVisibleTo(&browser));

    // A plain click on a card image selects it alone and brings the hidden inspector back.
    browser.setInspectorShown(false);
    CaptureCard* first = browser.grid()->cardFor(list.at(0));
    ASSERT_TRUE(first);
    press(first->thumbnail(), {10, 10});
    EXPECT_TRUE(browser.isInspectorShown());
    EXPECT_EQ(browser.selectedCaptures(), QList<Capture*>({list.at(0)}));
    EXPECT_EQ(browser.inspector()->state(), CaptureInspector::State::single);
    EXPECT_TRUE(browser.trashButton()->isVisibleTo(&browser));
    EXPECT_FALSE(browser.compareButton()->isVisibleTo(&browser));

    // Shift-click extends from the anchor; checkboxes add without touching the inspector column.
    press(browser.grid()->cardFor(list.at(2))->thumbnail(), {10, 10}, Qt::ShiftModifier);
    EXPECT_EQ(browser.selectedCaptures().size(), 3);
    EXPECT_TRUE(browser.compareButton()->isVisibleTo(&browser));
    EXPECT_EQ(browser.inspector()->state(), CaptureInspector::State::bulk);
    EXPECT_TRUE(browser.grid()->cardFor(list.at(1))->isSelected());
    browser.setInspectorShown(false);
    browser.grid()->cardFor(list.at(3))->checkbox()->click();
    EXPECT_EQ(browser.selectedCaptures().size(), 4);
    EXPECT_FALSE(browser.isInspectorShown());
    EXPECT_FALSE(browser.compareButton()->isVisibleTo(&browser));
    BulkInspector* bulk = browser.inspector()->bulk();
    EXPECT_EQ(bulk->header()->text(), QStringLiteral("4 selected"));
    EXPECT_EQ(bulk->deleteButton()->text(), QStringLiteral("Delete 4 Captures"));
    EXPECT_FALSE(bulk->compareButton()->isVisibleTo(bulk));
    EXPECT_EQ(bulk->thumbnailCount(), 3);  // sel2.png has no image file
    EXPECT_EQ(browser.deleteQuestion(), QStringLiteral("Delete 4 capture(s)?"));

    browser.toggleSelectAll();
    EXPECT_EQ(browser.selectedCaptures().size(), 5);
    browser.toggleSelectAll();
    EXPECT_TRUE(browser.selectedCaptures().isEmpty());
    EXPECT_EQ(browser.inspector()->state(), CaptureInspector::State::none);

    // Deleting two: records and files go, the selection empties, the store is saved.
    browser.grid()->cardFor(list.at(0))->checkbox()->click();
    browser.grid()->cardFor(list.at(1))->checkbox()->click();
    browser.deleteSelected();
    EXPECT_TRUE(list.at(0)->isDeleted());
    EXPECT_TRUE(list.at(1)->isDeleted());
    EXPECT_FALSE(QFile::exists(capturePath(QStringLiteral("sel1.png"))));
    EXPECT_TRUE(QFile::exists(capturePath(QStringLiteral("sel3.png"))));
    EXPECT_TRUE(browser.selectedCaptures().isEmpty());
    EXPECT_EQ(browser.inspector()->state(), CaptureInspector::State::none);
    EXPECT_FALSE(s.context.hasChanges());
    EXPECT_EQ(browser.grid()->cards().size(), 3);
}

TEST(LibraryViews, SelectionActsOnlyOnWhatIsShown)
{
    Store s;
    QList<Capture*> list;
    for (int i = 1; i <= 4; ++i)
        list.append(s.capture(QStringLiteral("shown%1.png").arg(i), QStringLiteral("Capture %1").arg(i)));
    ASSERT_TRUE(s.context.save());
    CaptureBrowser browser(s.context);
    browser.resize(1200, 800);
    browser.show();
    browser.setCaptures(list, QStringLiteral("No captures"), QStringLiteral("msg"));
    browser.grid()->cardFor(list.at(0))->checkbox()->click();
    browser.grid()->cardFor(list.at(2))->checkbox()->click();
    EXPECT_TRUE(browser.compareButton()->isVisibleTo(&browser));

    // A search hides capture 1: it stays selected, but compare, delete and the inspector take
    // only capture 3.
    const QList<Capture*> searched{list.at(1), list.at(2), list.at(3)};
    browser.setCaptures(searched, QStringLiteral("No captures"), QStringLiteral("msg"));
    EXPECT_EQ(browser.selectedCaptures(), QList<Capture*>({list.at(2)}));
    EXPECT_FALSE(browser.compareButton()->isVisibleTo(&browser));
    EXPECT_TRUE(browser.trashButton()->isVisibleTo(&browser));
    EXPECT_EQ(browser.deleteQuestion(), QStringLiteral("Delete 1 capture(s)?"));
    EXPECT_EQ(browser.inspector()->state(), CaptureInspector::State::single);
    browser.grid()->cardFor(list.at(3))->checkbox()->click();
    EXPECT_EQ(browser.inspector()->bulk()->header()->text(), QStringLiteral("2 selected"));
    EXPECT_EQ(browser.deleteQuestion(), QStringLiteral("Delete 2 capture(s)?"));
    browser.deleteSelected();
    EXPECT_TRUE(list.at(2)->isDeleted());
    EXPECT_TRUE(list.at(3)->isDeleted());
    EXPECT_FALSE(list.at(0)->isDeleted());  // hidden: never deleted unseen
    EXPECT_TRUE(QFile::exists(capturePath(QStringLiteral("shown1.png"))));

    // Select all selects exactly what is shown; a capture hidden meanwhile drops out.
    browser.setCaptures({list.at(0), list.at(1)}, QStringLiteral("No captures"), QStringLiteral("msg"));
    browser.grid()->cardFor(list.at(0))->checkbox()->click();
    browser.setCaptures({list.at(1)}, QStringLiteral("No captures"), QStringLiteral("msg"));
    browser.toggleSelectAll();
    EXPECT_EQ(browser.selectedCaptures(), QList<Capture*>({list.at(1)}));
    browser.setCaptures({list.at(0), list.at(1)}, QStringLiteral("No captures"), QStringLiteral("msg"));
    EXPECT_EQ(browser.selectedCaptures(), QList<Capture*>({list.at(1)}));
    browser.setCaptures({list.at(1)}, QStringLiteral("No captures"), QStringLiteral("msg"));
    browser.toggleSelectAll();  // all shown were selected: none now
    EXPECT_TRUE(browser.selection().selectedIDs().isEmpty());
}

TEST(LibraryViews, ACardStretchesAPictureOfAnyShapeIntoItsFrame)
{
    Store s;
    Capture* square = s.capture(QStringLiteral("square.png"), QStringLiteral("Square"));
    writeImage(QStringLiteral("square.png"), 200, 200);
    CaptureThumbnails::shared().forget(QStringLiteral("square.png"));
    CaptureSelection selection;
    CaptureGrid grid(&selection);
    grid.resize(600, 500);
    grid.show();
    grid.setCaptures({square});
    QWidget* thumb = grid.cardFor(square)->thumbnail();
    // Near the frame's left and right edges, half way down: the picture, not bars beside it.
    ASSERT_TRUE(corvallen::test::waitUntil([&] {
        corvallen::test::processEvents();
        const QImage shot = thumb->grab().toImage();
        return shot.pixelColor(shot.width() / 2, shot.height() / 2) == QColor(Qt::darkGreen);
    }));
    const QImage shot = thumb->grab().toImage();
    EXPECT_EQ(shot.pixelColor(6, shot.height() / 2), QColor(Qt::darkGreen));
    EXPECT_EQ(shot.pixelColor(shot.width() - 7, shot.height() / 2), QColor(Qt::darkGreen));
}

TEST(LibraryViews, CardNamesRenamesAndDragStrings)
{
    Store s;
    Capture* c = s.capture(QStringLiteral("card.png"), QString());
    Capture* other = s.capture(QStringLiteral("card2.png"), QStringLiteral("Other"));
    CaptureSelection selection;
    CaptureGrid grid(&selection);
    grid.resize(900, 600);
    grid.show();
    grid.setCaptures({c, other});
    EXPECT_EQ(grid.columnCount(), CaptureGrid::columnsFor(grid.viewport()->width()));
    EXPECT_EQ(CaptureGrid::columnsFor(2 * 16 + 210), 1);
    EXPECT_EQ(CaptureGrid::columnsFor(2 * 16 + 210 * 2 + 14), 2);
    CaptureCard* card = grid.cardFor(c);
    EXPECT_EQ(card->nameLabel()->text(), QStringLiteral("unnamed"));

    const auto id = DragString::decode(card->dragText(), DragString::capturePrefix());
    ASSERT_TRUE(id);
    EXPECT_EQ(*id, c->persistentModelID());
    // A press on the grip and a move start the drag, with the capture string and its preview.
    // The events go to the window, which finds the widget under the pointer as for a real mouse.
    QWindow* window = grid.window()->windowHandle();
    ASSERT_TRUE(window);
    const QPointF grip = card->dragHandle()->mapTo(grid.window(), QPointF(8, 12));
    auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, at, window->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(window, &e);
    };
    send(QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, grip + QPointF(30, 4), Qt::NoButton, Qt::LeftButton);
    auto* drag = card->findChild<QDrag*>();
    ASSERT_TRUE(drag);
    EXPECT_EQ(drag->mimeData()->text(), card->dragText());
    EXPECT_EQ(drag->pixmap().width(), 220);
    send(QEvent::MouseButtonRelease, grip + QPointF(30, 4), Qt::LeftButton, Qt::NoButton);
    corvallen::test::processEvents();
    ASSERT_FALSE(card->findChild<QDrag*>());  // done with
    // Only the grip drags: the same gesture on the thumbnail selects.
    const QPointF thumb = card->thumbnail()->mapTo(grid.window(), QPointF(20, 20));
    send(QEvent::MouseButtonPress, thumb, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, thumb + QPointF(30, 4), Qt::NoButton, Qt::LeftButton);
    EXPECT_FALSE(card->findChild<QDrag*>());
    send(QEvent::MouseButtonRelease, thumb + QPointF(30, 4), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(selection.isSelected(c->persistentModelID()));
    selection.clear();
    grid.syncSelection();

    press(card->nameLabel(), {2, 2});
    EXPECT_TRUE(card->isEditing());
    card->nameField()->setText(QString());
    card->nameField()->insert(QStringLiteral("Scope"));  // typed: every keystroke reaches the title
    EXPECT_EQ(c->title(), QStringLiteral("Scope"));
    // Starting a rename on another card ends this one.
    press(grid.cardFor(other)->nameLabel(), {2, 2});
    EXPECT_FALSE(card->isEditing());
    EXPECT_TRUE(grid.cardFor(other)->isEditing());
    EXPECT_EQ(card->nameLabel()->text(), QStringLiteral("Scope"));
    // A click between the cards ends it and leaves the selection alone.
    selection.toggleSelection(c->persistentModelID());
    press(grid.widget(), {grid.widget()->width() - 2.0, grid.widget()->height() - 2.0});
    EXPECT_FALSE(grid.cardFor(other)->isEditing());
    EXPECT_TRUE(selection.isSelected(c->persistentModelID()));
}

TEST(LibraryViews, SingleInspectorTagsReadingAndProjects)
{
    Store s;
    Capture* c = s.capture(QStringLiteral("insp.png"), QStringLiteral("Inspect"));
    s.context.insert(new Project(QStringLiteral("Zeta"), {}, {}));
    s.context.insert(new Project(QStringLiteral("Alpha"), {}, {}));
    ASSERT_TRUE(s.context.save());
    SingleCaptureInspector panel(s.context, {});
    panel.setCapture(c);  // set before the panel has its size, as when a selection opens it
    panel.resize(320, 900);
    panel.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(panel.previewLabel()->isVisibleTo(&panel));
    // The preview takes the column's whole width (less its margins) from the first showing.
    EXPECT_EQ(panel.previewLabel()->pixmap().width(), panel.viewport()->width() - 32);
    EXPECT_FALSE(panel.readingBox()->isVisibleTo(&panel));
    ASSERT_EQ(panel.projectMenu()->count(), 3);
    EXPECT_EQ(panel.projectMenu()->itemText(0), QStringLiteral("Unfiled"));
    EXPECT_EQ(panel.projectMenu()->itemText(1), QStringLiteral("Alpha"));

    EXPECT_FALSE(panel.addButton()->isEnabled());
    panel.tagField()->setText(QStringLiteral("  Probe Noise "));
    EXPECT_TRUE(panel.addButton()->isEnabled());
    Q_EMIT panel.tagField()->returnPressed();
    ASSERT_EQ(c->tags().size(), 1);
    EXPECT_EQ(c->tags().first()->name(), QStringLiteral("probe noise"));
    EXPECT_TRUE(panel.tagField()->text().isEmpty());
    EXPECT_FALSE(s.context.hasChanges());
    panel.tagField()->setText(QStringLiteral("probe"));
    EXPECT_FALSE(panel.suggestionBox()->isVisibleTo(&panel));  // already attached

    c->setMode(QStringLiteral("DC"));
    c->setValue(5.02);
    panel.refresh();
    EXPECT_FALSE(panel.readingBox()->isVisibleTo(&panel));  // no unit yet
    c->setUnit(QStringLiteral("V"));
    c->setSummary(QStringLiteral("Five volts."));
    panel.refresh();
    EXPECT_TRUE(panel.readingBox()->isVisibleTo(&panel));
    EXPECT_TRUE(panel.readingBox()->findChildren<QLabel*>().first()->text().startsWith(QStringLiteral("DC: 5")));

    // An overload has no value, only its mode and a summary saying so: the box still shows them.
    c->setMode(QStringLiteral("Resistance"));
    c->setValue(std::nullopt);
    c->setUnit(QStringLiteral("k\u03A9"));
    c->setSummary(QStringLiteral("A Resistance reading showing overload (OL)."));
    panel.refresh();
    ASSERT_TRUE(panel.readingBox()->isVisibleTo(&panel));
    QStringList shown;
    for (const QLabel* l : panel.readingBox()->findChildren<QLabel*>())
        if (l->isVisibleTo(&panel))
            shown << l->text();
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Resistance"), QStringLiteral("A Resistance reading showing overload (OL).")}));
    c->setSummary(std::nullopt);  // neither value nor summary: nothing to show
    panel.refresh();
    EXPECT_FALSE(panel.readingBox()->isVisibleTo(&panel));

    // A failed analysis shows its text and leaves the capture as it was.
    Capture* missing = s.capture(QStringLiteral("gone.png"), QStringLiteral("Gone"), false);
    panel.setCapture(missing);
    panel.analyze();
    EXPECT_TRUE(panel.isAnalyzing());
    EXPECT_FALSE(panel.analyzeButton()->isEnabled());
    EXPECT_EQ(panel.analyzeButton()->text(), QStringLiteral("Analyzing…"));
    ASSERT_TRUE(corvallen::test::waitUntil([&] { return !panel.isAnalyzing(); }));
    EXPECT_EQ(panel.errorLabel()->text(), QStringLiteral("Couldn't load the image."));
    EXPECT_FALSE(missing->mode());
    EXPECT_FALSE(panel.previewLabel()->isVisibleTo(&panel));
}

TEST(LibraryViews, CompareSheetWidthPlaceholderChartAndReorder)
{
    Store s;
    CompareView empty({}, s.context);
    empty.show();
    EXPECT_EQ(empty.width(), 340);
    EXPECT_EQ(empty.placeholderLabel()->text(), QStringLiteral("No readings to plot."));
    EXPECT_TRUE(empty.headingLabel()->text().startsWith(QStringLiteral("Value")));
    empty.close();

    QList<Capture*> three;
    for (int i = 1; i <= 3; ++i) {
        Capture* c = s.capture(QStringLiteral("cmp%1.png").arg(i), QStringLiteral("Step %1").arg(i));
        c->setMode(QStringLiteral("DC Voltage"));
        c->setUnit(QStringLiteral("V"));
        c->setValue(i * 1.5);
        three.append(c);
    }
    CompareView view(three, s.context);
    view.show();
    EXPECT_EQ(view.width(), 1020);
    EXPECT_FALSE(view.isAnalyzing());
    EXPECT_FALSE(view.progressRow()->isVisibleTo(&view));
    EXPECT_EQ(view.headingLabel()->text(), QStringLiteral("DC Voltage across sequence"));
    EXPECT_EQ(view.chart()->points().size(), 3);
    EXPECT_EQ(view.chart()->ticks().at(0).label, QStringLiteral("Step 1"));
    EXPECT_TRUE(view.handleDrop({QStringLiteral("cmp1.png")}, three.at(2)));
    corvallen::test::processEvents();
    EXPECT_EQ(view.order(), QList<Capture*>({three.at(1), three.at(2), three.at(0)}));
    EXPECT_EQ(view.chart()->ticks().at(0).label, QStringLiteral("Step 2"));
    EXPECT_EQ(view.columns().size(), 3);
}

TEST(LibraryViews, ImageViewerDrawsCropsAndSavesACopy)
{
    Store s;
    Capture* source = s.capture(QStringLiteral("viewer.png"), QStringLiteral("Bench"));
    ASSERT_TRUE(s.context.save());
    ImageViewerWindow window(QStringLiteral("viewer.png"), s.context);
    window.resize(820, 560);
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("viewer.png"));
    EXPECT_EQ(window.zoomLabel()->text(), QStringLiteral("100%"));
    window.zoomOutButton()->click();
    window.zoomOutButton()->click();
    EXPECT_EQ(window.zoomLabel()->text(), QStringLiteral("50%"));
    EXPECT_FALSE(window.zoomOutButton()->isEnabled());
    // Ctrl+wheel over the image zooms a step per notch; the plain wheel does not.
    QWidget* viewport = window.findChild<QScrollArea*>()->viewport();
    const auto wheel = [viewport](int delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent e(QPointF(20, 20), viewport->mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &e);
    };
    wheel(120, Qt::ControlModifier);
    EXPECT_EQ(window.zoomLabel()->text(), QStringLiteral("75%"));
    wheel(120, Qt::NoModifier);
    EXPECT_EQ(window.zoomLabel()->text(), QStringLiteral("75%"));
    wheel(-120, Qt::ControlModifier);
    EXPECT_EQ(window.zoomLabel()->text(), QStringLiteral("50%"));

    window.toolControl()->button(1)->click();
    QWidget* canvas = window.canvas();
    ASSERT_GT(canvas->width(), 0);
    const QSizeF fitted = window.session().fittedSize(QSizeF(canvas->parentWidget()->size()));
    EXPECT_NEAR(canvas->width(), fitted.width(), 1);
    press(canvas, {10, 10});
    move(canvas, {canvas->width() / 2.0, canvas->height() / 2.0});
    release(canvas, {canvas->width() / 2.0, canvas->height() / 2.0});
    ASSERT_EQ(window.session().strokes().size(), 1);
    EXPECT_EQ(window.session().strokes().first().pts.size(), 2);

    window.toolControl()->button(2)->click();
    EXPECT_FALSE(window.applyCropButton()->isEnabled());
    press(canvas, {0, 0});
    move(canvas, {canvas->width() / 2.0, canvas->height() / 2.0});
    release(canvas, {canvas->width() / 2.0, canvas->height() / 2.0});
    EXPECT_TRUE(window.applyCropButton()->isEnabled());
    window.applyCropButton()->click();
    EXPECT_EQ(window.session().base().size(), QSize(240, 136));
    EXPECT_TRUE(window.session().strokes().isEmpty());
    EXPECT_EQ(window.session().tool(), ImageEditSession::Tool::view);

    window.saveButton()->click();
    EXPECT_EQ(window.savedNoteLabel()->text(), QStringLiteral("Saved as viewer_edit.png"));
    EXPECT_EQ(QImage(capturePath(QStringLiteral("viewer_edit.png"))).size(), QSize(240, 136));
    EXPECT_EQ(QImage(capturePath(QStringLiteral("viewer.png"))).size(), QSize(480, 272));
    const auto copies = s.context.fetch<Capture>([](const Capture* c) { return c->fileName() == QLatin1String("viewer_edit.png"); });
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(copies.first()->title(), QStringLiteral("Bench edit"));
    (void)source;

    ImageViewerWindow nothing(QStringLiteral("absent.png"), s.context);
    nothing.show();
    nothing.saveButton()->click();
    EXPECT_EQ(nothing.savedNoteLabel()->text(), QStringLiteral("Nothing to save"));
}

TEST(LibraryViews, GridBuildsCardsOnlyNearTheVisibleRows)
{
    Store s;
    QList<Capture*> many;
    for (int i = 0; i < 400; ++i)
        many.append(s.context.insert(new Capture(QStringLiteral("many%1.png").arg(i))));
    CaptureSelection selection;
    CaptureGrid grid(&selection);
    grid.resize(900, 600);
    grid.show();
    grid.setCaptures(many);
    EXPECT_LT(grid.cards().size(), 100);
    EXPECT_TRUE(grid.cardFor(many.first()));
    EXPECT_FALSE(grid.cardFor(many.last()));
    const qsizetype built = grid.findChildren<CaptureCard*>().size();
    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
    EXPECT_TRUE(grid.cardFor(many.last()));
    EXPECT_LT(grid.cards().size(), 100);
    // The cards that left the screen show the captures that came in: at most a row's worth of
    // new ones is made, where more rows are near the screen at the end.
    EXPECT_LE(grid.findChildren<CaptureCard*>().size(), built + grid.columnCount());
    EXPECT_EQ(grid.cardFor(many.last())->capture(), many.last());
    EXPECT_EQ(grid.cardFor(many.last())->nameLabel()->text(), many.last()->title());
    // Selection marks reach cards built later too.
    selection.toggleSelection(many.at(1)->persistentModelID());
    grid.syncSelection();
    grid.verticalScrollBar()->setValue(0);
    ASSERT_TRUE(grid.cardFor(many.at(1)));
    EXPECT_TRUE(grid.cardFor(many.at(1))->isSelected());
    EXPECT_FALSE(grid.cardFor(many.at(2))->isSelected());
    // A card's clicks act on the capture it shows now.
    grid.cardFor(many.at(2))->checkbox()->click();
    EXPECT_TRUE(selection.isSelected(many.at(2)->persistentModelID()));
}

TEST(LibraryViews, BulkInspectorFilesAndTagsEverySelectedCapture)
{
    Store s;
    Project* beta = s.context.insert(new Project(QStringLiteral("Beta"), {}, {}));
    s.context.insert(new Project(QStringLiteral("Alpha"), {}, {}));
    Capture* a = s.capture(QStringLiteral("bulk-a.png"), QStringLiteral("A"));
    Capture* b = s.capture(QStringLiteral("bulk-b.png"), QStringLiteral("B"));
    ASSERT_TRUE(s.context.save());
    int compares = 0;
    BulkInspector bulk(s.context, [&] { ++compares; }, {});
    bulk.setCaptures({a, b});
    EXPECT_EQ(bulk.header()->text(), QStringLiteral("2 selected"));
    EXPECT_EQ(bulk.thumbnailCount(), 2);
    EXPECT_TRUE(bulk.moreThumbnails()->isHidden());
    bulk.compareButton()->click();
    EXPECT_EQ(compares, 1);

    QMenu* menu = bulk.projectMenu()->menu();
    Q_EMIT menu->aboutToShow();
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions.at(0)->text(), QStringLiteral("Unfiled"));
    EXPECT_TRUE(actions.at(1)->isSeparator());
    EXPECT_EQ(actions.at(2)->text(), QStringLiteral("Alpha"));
    actions.at(3)->trigger();
    EXPECT_EQ(a->project(), beta);
    EXPECT_EQ(b->project(), beta);
    EXPECT_FALSE(s.context.hasChanges());
    Q_EMIT menu->aboutToShow();
    menu->actions().at(0)->trigger();
    EXPECT_EQ(a->project(), nullptr);

    bulk.tagField()->setText(QStringLiteral("   "));
    EXPECT_FALSE(bulk.addButton()->isEnabled());
    bulk.tagField()->setText(QStringLiteral("Hum"));
    bulk.addButton()->click();
    EXPECT_EQ(a->tags().value(0)->name(), QStringLiteral("hum"));
    EXPECT_EQ(a->tags().value(0), b->tags().value(0));
    EXPECT_TRUE(bulk.tagField()->text().isEmpty());
}

TEST(LibraryViews, BulkInspectorOfALargeSelectionReadsOnlyTheThumbnailsOnScreen)
{
    Store s;
    writeImage(QStringLiteral("many-0.png"));
    QList<Capture*> selected;
    for (int i = 0; i < BulkInspector::kMostThumbnails + 100; ++i) {
        const QString name = QStringLiteral("many-%1.png").arg(i);
        if (i > 0)
            ASSERT_TRUE(QFile::copy(capturePath(QStringLiteral("many-0.png")), capturePath(name)));
        selected.append(s.capture(name, name, false));
    }
    selected.insert(3, s.capture(QStringLiteral("gone.png"), QStringLiteral("Gone"), false));
    // A file that is there but no picture gets no cell either.
    for (const QByteArray& content : {QByteArray("not a picture"), QByteArray()}) {
        const QString name = QStringLiteral("text-%1.png").arg(content.size());
        QFile text(capturePath(name));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write(content);
        selected.insert(5, s.capture(name, name, false));
    }
    ASSERT_TRUE(s.context.save());
    CaptureThumbnails::shared().clearMemory();
    DeviceStorage::clearImageCache();

    BulkInspector bulk(s.context, {}, {});
    bulk.resize(260, 420);
    bulk.show();
    const qsizetype widgetsBefore = bulk.findChildren<QWidget*>().size();
    bulk.setCaptures(selected);
    EXPECT_EQ(bulk.header()->text(), QStringLiteral("1103 selected"));
    // No cell for the captures whose file is gone or no picture; a thousand cells, the rest counted.
    EXPECT_EQ(bulk.thumbnailCount(), BulkInspector::kMostThumbnails);
    EXPECT_FALSE(bulk.moreThumbnails()->isHidden());
    EXPECT_EQ(bulk.moreThumbnails()->text(), QStringLiteral("and %1 more").arg(QLocale().toString(100)));
    EXPECT_EQ(bulk.findChildren<QWidget*>().size(), widgetsBefore);

    // The cells on screen get their pictures...
    auto* grid = bulk.findChild<QWidget*>(QStringLiteral("bulkThumbnails"));
    ASSERT_NE(grid, nullptr);
    corvallen::test::processEvents();
    EXPECT_GT(grid->height(), 100 * 40);  // room for every cell, so the panel scrolls through them
    EXPECT_GT(bulk.moreThumbnails()->y(), grid->geometry().bottom());
    ASSERT_TRUE(corvallen::test::waitUntil([&] {
        corvallen::test::processEvents();
        const QImage shot = grid->grab(QRect(0, 0, grid->width(), 60)).toImage();
        return shot.pixelColor(shot.width() / 4, 20) == QColor(Qt::darkGreen);
    }));
    // ...and only those: the rest of the selection was never decoded.
    CaptureThumbnails::shared().waitForIdle();
    const qint64 oneThumbnail = qint64(480) * 272 * 4;
    EXPECT_LE(CaptureThumbnails::shared().memoryInUse(), 40 * oneThumbnail);
}

TEST(LibraryViews, DocumentsModeListsUnfiledDocumentsWithItsOwnEmptyTexts)
{
    Store s;
    SettingsStore settings(QDir(corvallen::test::freshFolder()).filePath(QStringLiteral("settings.json")));
    QList<Document*> handed;
    QStringList texts;
    auto pane = [&](ModelContext&, QWidget* parent) {
        LibraryView::DocumentsPane p;
        p.widget = new QWidget(parent);
        p.setDocuments = [&](const QList<Document*>& docs, const QString& title, const QString& message) {
            handed = docs;
            texts = {title, message};
        };
        return p;
    };
    LibraryView page(s.context, settings, pane);
    page.setMode(LibraryFilter::Mode::documents);
    EXPECT_TRUE(handed.isEmpty());
    EXPECT_EQ(texts, QStringList({QStringLiteral("No documents"),
                                  QStringLiteral("Add schematics, service manuals, datasheets and other reference files — drag "
                                                 "them in or use Add.")}));
    page.setScope(LibraryFilter::Scope::unfiled);
    EXPECT_EQ(texts.value(1), QStringLiteral("No unfiled documents — everything is filed to a project."));
    Document* d = s.context.insert(new Document(QStringLiteral("d.pdf"), QStringLiteral("Manual")));
    ASSERT_TRUE(corvallen::test::waitUntil([&] { return handed.size() == 1; }));
    EXPECT_EQ(handed.first(), d);
}
