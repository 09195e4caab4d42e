// The compare sheet's series, texts, sequence and its fill-in of missing readings.
#include "Corvallen/Library/CompareSeries.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "support/EventLoop.h"
#include "support/TestStore.h"

#include <QDir>
#include <QFont>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace CompareSeries;

namespace {

struct Three {
    std::unique_ptr<ModelContainer> container = corvallen::test::openTestStore();
    QList<Capture*> order;
    Three()
    {
        for (const char* t : {"one", "two", "three"}) {
            auto* c = container->mainContext().insert(new Capture(QStringLiteral("%1.png").arg(QLatin1String(t))));
            c->setTitle(QLatin1String(t));
            order.append(c);
        }
    }
    QStringList titles() const
    {
        QStringList out;
        for (const Capture* c : order)
            out << c->title();
        return out;
    }
};

}  // namespace

TEST(CompareSeries, WidthTitleUnitAndAnnotations)
{
    EXPECT_EQ(sheetWidth(0), 340);
    EXPECT_EQ(sheetWidth(1), 340);
    EXPECT_EQ(sheetWidth(3), 1020);
    EXPECT_EQ(sheetWidth(7), 1080);

    const QLocale c(QLocale::C);
    EXPECT_EQ(fourSignificantDigits(4.552, c), QStringLiteral("4.552"));
    EXPECT_EQ(fourSignificantDigits(12, c), QStringLiteral("12.00"));
    EXPECT_EQ(fourSignificantDigits(0.5, c), QStringLiteral("0.5000"));
    EXPECT_EQ(fourSignificantDigits(-0.0012345, c), QStringLiteral("-0.001235"));
    EXPECT_EQ(fourSignificantDigits(9.99996, c), QStringLiteral("10.00"));
    EXPECT_EQ(fourSignificantDigits(4.552, QLocale(QLocale::German)), QStringLiteral("4,552"));

    Three t;
    EXPECT_EQ(heading(t.order), QStringLiteral("Value across sequence"));
    EXPECT_EQ(seriesUnit(t.order), QString());
    EXPECT_FALSE(hasAnyValue(t.order));
    t.order.at(1)->setMode(QStringLiteral("DC Voltage"));
    t.order.at(1)->setUnit(QStringLiteral("V"));
    t.order.at(2)->setMode(QStringLiteral("Resistance"));
    t.order.at(2)->setUnit(QStringLiteral("Ohm"));
    EXPECT_EQ(seriesTitle(t.order), QStringLiteral("DC Voltage"));
    EXPECT_EQ(seriesUnit(t.order), QStringLiteral("V"));
}

TEST(CompareSeries, PointsLeaveGapsAndTicksKeepEveryTitle)
{
    Three t;
    t.order.at(0)->setValue(1.5);
    t.order.at(2)->setValue(12);
    const auto pts = points(t.order, QLocale(QLocale::C));
    ASSERT_EQ(pts.size(), 2);
    EXPECT_EQ(pts.at(0).step, 1);
    EXPECT_EQ(pts.at(1).step, 3);
    EXPECT_EQ(pts.at(1).annotation, QStringLiteral("12.00"));
    const auto tk = ticks(t.order);
    ASSERT_EQ(tk.size(), 3);
    EXPECT_EQ(tk.at(1).label, QStringLiteral("two"));
    EXPECT_EQ(ticks({}).size(), 1);
    EXPECT_EQ(ticks({}).first().label, QString());

    // A value without a unit plots but gives no reading line.
    EXPECT_EQ(readingLine(*t.order.at(0)), QString());
    t.order.at(0)->setMode(QStringLiteral("DC Voltage"));
    t.order.at(0)->setValue(4.552);
    t.order.at(0)->setUnit(QStringLiteral("V"));
    EXPECT_EQ(readingLine(*t.order.at(0), QLocale(QLocale::C)), QStringLiteral("DC Voltage: 4.552 V"));
}

TEST(CompareSeries, DropsReorderTheSequence)
{
    {
        Three t;
        EXPECT_TRUE(handleDrop(t.order, {QStringLiteral("one.png")}, t.order.at(2)));
        EXPECT_EQ(t.titles(), QStringList({"two", "three", "one"}));
    }
    {
        Three t;
        EXPECT_TRUE(handleDrop(t.order, {QStringLiteral("three.png")}, t.order.at(0)));
        EXPECT_EQ(t.titles(), QStringList({"three", "one", "two"}));
    }
    {
        Three t;
        EXPECT_TRUE(handleDrop(t.order, {QStringLiteral("one.png")}, t.order.at(1)));
        EXPECT_EQ(t.titles(), QStringList({"two", "one", "three"}));
        EXPECT_FALSE(handleDrop(t.order, {QStringLiteral("one.png")}, t.order.at(1)));  // onto itself
        EXPECT_FALSE(handleDrop(t.order, {QStringLiteral("other.png")}, t.order.at(0)));
        EXPECT_FALSE(handleDrop(t.order, {}, t.order.at(0)));
        EXPECT_EQ(t.titles(), QStringList({"two", "one", "three"}));
    }
}

TEST(CompareSeries, FillInAnalysesOnlyMissingValuesSkipsFailuresAndSavesOnce)
{
    Three t;
    ModelContext& context = t.container->mainContext();
    t.order.at(0)->setValue(3.0);
    ASSERT_TRUE(context.save());
    // "two" has a readable screen; "three" has no image file at all.
    QImage image(640, 200, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter p(&image);
        p.setPen(Qt::white);
        QFont font(QStringLiteral("DejaVu Sans Mono"));
        font.setPixelSize(56);
        p.setFont(font);
        p.drawText(QPoint(40, 120), QStringLiteral("12.34 V"));
    }
    image.save(QDir(DeviceStorage::capturesFolder()).filePath(QStringLiteral("two.png")), "PNG");

    ReadingFillIn fill(context);
    bool finished = false;
    QObject::connect(&fill, &ReadingFillIn::finished, [&] { finished = true; });
    ASSERT_TRUE(fill.start(t.order));
    EXPECT_TRUE(fill.isRunning());
    EXPECT_FALSE(fill.start(t.order));
    ASSERT_TRUE(corvallen::test::waitUntil([&] { return finished; }));
    EXPECT_FALSE(fill.isRunning());
    EXPECT_EQ(t.order.at(0)->value(), 3.0);
    EXPECT_FALSE(t.order.at(2)->value());
    EXPECT_FALSE(context.hasChanges());
    // The recogniser may be missing on a machine; when it is there, the value is read.
    if (t.order.at(1)->value())
        EXPECT_DOUBLE_EQ(*t.order.at(1)->value(), 12.34);

    t.order.at(1)->setValue(1.0);
    t.order.at(2)->setValue(2.0);
    EXPECT_FALSE(fill.start(t.order));  // everything has a value: nothing starts
}
