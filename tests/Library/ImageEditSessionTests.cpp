// The image viewer's zoom, pen and crop rules, and "Save Copy" with real files and a real store.
#include "Corvallen/Library/ImageEditSession.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "support/TestStore.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

using Tool = ImageEditSession::Tool;

namespace {

QString capturePath(const QString& name)
{
    return QDir(DeviceStorage::capturesFolder()).filePath(name);
}

void writeImage(const QString& name, int w = 480, int h = 272, QColor fill = Qt::black)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    ASSERT_TRUE(image.save(capturePath(name), "PNG"));
}

void removeCopies(const QString& stem)
{
    QDir dir(DeviceStorage::capturesFolder());
    for (const QString& f : dir.entryList({stem + QStringLiteral("_edit*")}))
        dir.remove(f);
}

}  // namespace

TEST(ImageEditSession, ZoomStepsPinchesAndLabel)
{
    ImageEditSession s(QStringLiteral("z.png"));
    s.zoomOut();
    EXPECT_DOUBLE_EQ(s.zoom(), 0.75);
    s.zoomOut();
    EXPECT_DOUBLE_EQ(s.zoom(), 0.5);
    EXPECT_FALSE(s.canZoomOut());
    EXPECT_EQ(s.zoomText(), QStringLiteral("50%"));
    s.zoomToFit();
    s.zoomIn();
    s.zoomIn();
    s.magnifyChanged(2);  // from 1.5
    EXPECT_DOUBLE_EQ(s.zoom(), 2.0);
    s.magnifyEnded();
    EXPECT_FALSE(s.canZoomIn());
    EXPECT_EQ(s.zoomText(), QStringLiteral("200%"));
    s.zoomToFit();
    s.magnifyChanged(1.3);
    s.magnifyEnded();
    s.zoomIn();
    EXPECT_DOUBLE_EQ(s.zoom(), 1.55);
    EXPECT_EQ(s.zoomText(), QStringLiteral("155%"));
    s.magnifyChanged(1.234 / 1.55);
    EXPECT_EQ(s.zoomText(), QStringLiteral("123%"));
}

TEST(ImageEditSession, FittingStrokesAndCropRectangles)
{
    ImageEditSession s(QStringLiteral("f.png"));
    s.setBase(QImage(480, 272, QImage::Format_RGB32));
    EXPECT_NEAR(s.fittedSize({800, 500}).height(), 453.333, 0.001);
    EXPECT_EQ(s.fittedSize({600, 400}), QSizeF(600, 340));
    s.setBase(QImage(272, 480, QImage::Format_RGB32));
    EXPECT_NEAR(s.fittedSize({800, 500}).width(), 283.333, 0.001);
    EXPECT_EQ(s.fittedSize({0, 400}), QSizeF(0, 400));

    s.setTool(Tool::pen);
    s.dragChanged({300, 100}, {600, 340});
    s.dragChanged({900, 400}, {600, 340});  // beyond the right and bottom edges
    ASSERT_TRUE(s.live());
    EXPECT_DOUBLE_EQ(s.live()->width, 0.005);
    EXPECT_EQ(s.live()->pts.last(), QPointF(1, 1));
    s.dragEnded();
    s.selectPenColor(QStringLiteral("#0A84FF"));
    s.dragChanged({10, 10}, {600, 340});  // a click: one point
    s.dragEnded();
    ASSERT_EQ(s.strokes().size(), 2);
    EXPECT_EQ(s.strokes().first().colorHex, QStringLiteral("#FF3B30"));
    EXPECT_EQ(s.strokes().last().colorHex, QStringLiteral("#0A84FF"));
    s.undoLastStroke();
    EXPECT_EQ(s.strokes().size(), 1);

    EXPECT_EQ(ImageEditSession::normalizedCropRect({0.8, 0.9}, {0.2, 0.1}), QRectF(0.2, 0.1, 0.6, 0.8));
    EXPECT_EQ(ImageEditSession::normalizedCropRect({0.5, 0.5}, {1.4, 1.2}), QRectF(0.5, 0.5, 0.5, 0.5));
    s.setTool(Tool::crop);
    s.dragChanged({60, 34}, {600, 340});
    s.dragEnded();
    ASSERT_TRUE(s.cropRect());  // a click still gives a pending rectangle
    EXPECT_EQ(s.cropRect()->size(), QSizeF(0, 0));
    EXPECT_FALSE(s.applyCrop());  // under one pixel: nothing happens
    EXPECT_TRUE(s.cropRect());
    s.setTool(Tool::view);
    s.dragChanged({1, 1}, {600, 340});  // the view tool ignores drags
    EXPECT_EQ(s.strokes().size(), 1);
}

TEST(ImageEditSession, CropRoundsOutwardAndDropsStrokes)
{
    ImageEditSession s(QStringLiteral("c.png"));
    QImage image(480, 272, QImage::Format_RGB32);
    image.fill(Qt::black);
    image.setPixel(48, 27, qRgb(255, 0, 0));
    image.setPixel(287, 163, qRgb(0, 255, 0));
    s.setBase(image);
    s.setTool(Tool::pen);
    s.dragChanged({1, 1}, {480, 272});
    s.dragChanged({100, 100}, {480, 272});
    s.dragEnded();
    s.setTool(Tool::crop);
    s.dragChanged({48, 27.2}, {480, 272});
    s.dragChanged({288, 163.2}, {480, 272});
    s.dragEnded();
    ASSERT_TRUE(s.applyCrop());
    EXPECT_EQ(s.base().size(), QSize(240, 137));
    EXPECT_EQ(s.base().pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(s.base().pixel(239, 136), qRgb(0, 255, 0));
    EXPECT_TRUE(s.strokes().isEmpty());
    EXPECT_FALSE(s.cropRect());
    EXPECT_EQ(s.tool(), Tool::view);
}

TEST(ImageEditSession, RenderDrawsStrokesAtTheirRelativeWidthInImagePixels)
{
    ImageEditSession s(QStringLiteral("r.png"));
    QImage image(480, 272, QImage::Format_RGB32);
    image.fill(Qt::black);
    s.setBase(image);
    s.setTool(Tool::pen);
    s.selectPenColor(QStringLiteral("#FFFFFF"));
    s.setPenPts(10);
    // Drawn on a canvas half the image's size: 10 points there are 20 pixels in the image.
    s.dragChanged({0, 34}, {240, 136});
    s.dragChanged({240, 34}, {240, 136});
    s.dragEnded();
    s.dragChanged({120, 120}, {240, 136});  // one point: never drawn
    s.dragEnded();
    // A pending crop leaves no trace.
    s.setTool(Tool::crop);
    s.dragChanged({0, 0}, {240, 136});
    s.dragChanged({240, 136}, {240, 136});

    const QByteArray png = s.renderEditedImage();
    ASSERT_FALSE(png.isEmpty());
    const QImage out = QImage::fromData(png, "PNG");
    EXPECT_EQ(out.size(), QSize(480, 272));
    EXPECT_TRUE(out.hasAlphaChannel());
    EXPECT_EQ(out.pixelColor(240, 68), QColor(Qt::white));  // on the line (y = 0.25 × 272)
    EXPECT_EQ(out.pixelColor(240, 68 + 8), QColor(Qt::white));
    EXPECT_EQ(out.pixelColor(240, 68 + 14), QColor(Qt::black));  // beyond half the 20-pixel width
    EXPECT_EQ(out.pixelColor(240, 240), QColor(Qt::black));  // the one-point stroke

    ImageEditSession empty(QStringLiteral("none.png"));
    EXPECT_TRUE(empty.renderEditedImage().isEmpty());
}

TEST(ImageEditSession, SaveCopyWritesNewFilesAndCapturesBesideTheSource)
{
    QString path;
    auto container = corvallen::test::openTestStore(&path);
    ModelContext& context = container->mainContext();
    removeCopies(QStringLiteral("scope"));
    writeImage(QStringLiteral("scope.png"));
    const QByteArray sourceBytes = [] {
        QFile f(capturePath(QStringLiteral("scope.png")));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    Project* project = context.insert(new Project(QStringLiteral("P"), {}, {}));
    Capture* source = context.insert(new Capture(QStringLiteral("scope.png")));
    source->setTitle(QStringLiteral("Probe test"));
    source->setProject(project);
    source->setNotes(QStringLiteral("keep me here"));
    source->setTags({context.insert(new Tag(QStringLiteral("t"), QStringLiteral("#FF6B6B")))});
    source->setValue(4.5);
    ASSERT_TRUE(context.save());

    ImageEditSession s(QStringLiteral("scope.png"));
    s.loadBaseImage();
    ASSERT_TRUE(s.hasBase());
    s.saveCopy(context);
    EXPECT_EQ(s.savedNote(), QStringLiteral("Saved as scope_edit.png"));
    s.saveCopy(context);
    EXPECT_EQ(s.savedNote(), QStringLiteral("Saved as scope_edit2.png"));
    s.saveCopy(context);
    EXPECT_EQ(s.savedNote(), QStringLiteral("Saved as scope_edit3.png"));
    // A copy whose image file went missing keeps its name and its record: the next copy takes
    // a name no record holds, and the record's notes stay.
    Capture* first = context.fetch<Capture>([](const Capture* c) { return c->fileName() == QLatin1String("scope_edit.png"); }).value(0);
    ASSERT_TRUE(first);
    first->setNotes(QStringLiteral("first try"));
    QFile::remove(capturePath(QStringLiteral("scope_edit.png")));
    s.saveCopy(context);
    EXPECT_EQ(s.savedNote(), QStringLiteral("Saved as scope_edit4.png"));
    EXPECT_EQ(first->notes(), QStringLiteral("first try"));
    EXPECT_FALSE(context.hasChanges());

    container.reset();
    auto reopened = corvallen::test::reopenTestStore(path);
    const auto copies = reopened->mainContext().fetch<Capture>([](const Capture* c) { return c->fileName() != QLatin1String("scope.png"); });
    ASSERT_EQ(copies.size(), 4);
    for (const Capture* c : copies) {
        EXPECT_EQ(c->title(), QStringLiteral("Probe test edit"));
        ASSERT_TRUE(c->project());
        EXPECT_EQ(c->project()->name(), QStringLiteral("P"));
        EXPECT_EQ(c->notes(), c->fileName() == QLatin1String("scope_edit.png") ? QStringLiteral("first try") : QString());
        EXPECT_TRUE(c->tags().isEmpty());
        EXPECT_FALSE(c->value());
        if (c->fileName() != QLatin1String("scope_edit.png"))
            EXPECT_EQ(QImage(capturePath(c->fileName())).size(), QSize(480, 272));
    }
    QFile f(capturePath(QStringLiteral("scope.png")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), sourceBytes);  // the source is never touched
}

TEST(ImageEditSession, CopiesOfCopiesDottedNamesMissingSourcesAndNothingToSave)
{
    auto container = corvallen::test::openTestStore();
    ModelContext& context = container->mainContext();
    removeCopies(QStringLiteral("bench.run"));
    EXPECT_EQ(ImageEditSession::copyName(QStringLiteral("bench.run.png"), DeviceStorage::capturesFolder()),
              QStringLiteral("bench.run_edit.png"));
    EXPECT_EQ(ImageEditSession::copyName(QStringLiteral("noext"), DeviceStorage::capturesFolder()),
              QStringLiteral("noext_edit.png"));
    EXPECT_EQ(ImageEditSession::copyName(QStringLiteral("noext"), DeviceStorage::capturesFolder(),
                                         {QStringLiteral("noext_edit.png"), QStringLiteral("noext_edit3.png")}),
              QStringLiteral("noext_edit2.png"));
    const QString longName = ImageEditSession::copyName(QString(250, u'z') + QStringLiteral(".png"), DeviceStorage::capturesFolder());
    EXPECT_LE(QFile::encodeName(longName).size(), 255) << "a copy of a long name still fits a file name";
    EXPECT_TRUE(longName.endsWith(QStringLiteral("_edit.png")));

    removeCopies(QStringLiteral("orphan"));
    writeImage(QStringLiteral("orphan.png"), 64, 32);
    ImageEditSession orphan(QStringLiteral("orphan.png"));
    orphan.loadBaseImage();
    orphan.saveCopy(context);
    EXPECT_EQ(orphan.savedNote(), QStringLiteral("Saved as orphan_edit.png"));
    const auto made = context.fetch<Capture>([](const Capture* c) { return c->fileName() == QLatin1String("orphan_edit.png"); });
    ASSERT_EQ(made.size(), 1);
    EXPECT_EQ(made.first()->title(), QStringLiteral("orphan edit"));
    EXPECT_EQ(made.first()->project(), nullptr);

    ImageEditSession again(QStringLiteral("orphan_edit.png"));
    again.loadBaseImage();
    again.saveCopy(context);
    EXPECT_EQ(again.savedNote(), QStringLiteral("Saved as orphan_edit_edit.png"));
    EXPECT_EQ(context.fetch<Capture>([](const Capture* c) { return c->fileName() == QLatin1String("orphan_edit_edit.png"); })
                  .value(0)
                  ->title(),
              QStringLiteral("orphan edit edit"));

    const qsizetype before = context.fetchCount<Capture>();
    ImageEditSession missing(QStringLiteral("not-there.png"));
    missing.loadBaseImage();
    EXPECT_FALSE(missing.hasBase());
    missing.saveCopy(context);
    EXPECT_EQ(missing.savedNote(), QStringLiteral("Nothing to save"));
    EXPECT_EQ(context.fetchCount<Capture>(), before);
    EXPECT_FALSE(QFile::exists(capturePath(QStringLiteral("not-there_edit.png"))));
}

TEST(ImageEditSession, ACopyNeverLeavesTheCapturesFolder)
{
    auto container = corvallen::test::openTestStore();
    ModelContext& context = container->mainContext();
    ImageEditSession s(QStringLiteral("../escape.png"));
    s.loadBaseImage();  // not a plain name: nothing is read from outside the folder
    EXPECT_FALSE(s.hasBase());
    s.setBase(QImage(8, 8, QImage::Format_RGB32));
    s.saveCopy(context);
    EXPECT_EQ(s.savedNote(), QStringLiteral("Save failed"));
    EXPECT_FALSE(QFile::exists(QDir(DeviceStorage::capturesFolder()).filePath(QStringLiteral("../escape_edit.png"))));
    EXPECT_EQ(context.fetchCount<Capture>(), 0);
}
