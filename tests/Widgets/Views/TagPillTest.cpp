// Tag pills: colour by tag or palette, only the remove mark reacts, and a stored tag's pill
// follows renames and colour changes.
#include "Corvallen/Model/HexColor.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Model/TagPalette.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Widgets/Views/TagPill.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace {

void click(QWidget* w, QPoint at)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(w, &release);
}

QColor colourAt(QWidget* w, QPoint at) { return w->grab().toImage().pixelColor(at); }

TEST(StringTagPill, PaletteColourAndNoMarkWithoutAction)
{
    StringTagPill pill(QStringLiteral("abc"));
    pill.resize(pill.sizeHint());
    EXPECT_FALSE(pill.hasRemove());
    EXPECT_TRUE(pill.removeRect().isEmpty());
    // The capsule's middle row, left of the text, shows the palette colour of "abc".
    EXPECT_EQ(colourAt(&pill, QPoint(4, pill.height() / 2)), paletteColor(QStringLiteral("abc")));
    EXPECT_GT(pill.sizeHint().width(), 16);
}

// A pill at the size it asks for shows its whole name: the width it asks for is never a fraction
// of a pixel short of the text, which would cut "tag 0" to "tag…".
TEST(StringTagPill, APillAtItsOwnSizeShowsItsWholeName)
{
    const QStringList names = {QStringLiteral("tag 0"), QStringLiteral("tag 17"), QStringLiteral("hum"),
                               QStringLiteral("Ripple check"), QStringLiteral("Ωmega µ"), QStringLiteral("Größe"),
                               QStringLiteral("ll1i"), QStringLiteral("WWMM")};
    for (const qreal points : {7.5, 9.0, 10.5, 13.0}) {
        for (const QString& name : names) {
            QFont base = QApplication::font();
            base.setPointSizeF(points);
            StringTagPill pill(name);
            pill.setFont(StringTagPill::pillFont(base));
            StringTagPill wide(name);
            wide.setFont(StringTagPill::pillFont(base));
            pill.resize(pill.sizeHint());
            wide.resize(pill.sizeHint() + QSize(60, 0));
            const QImage a = pill.grab().toImage();
            const QImage b = wide.grab().toImage();
            // The text starts at the same place in both; compare the text's rows left of the
            // narrow pill's rounded end.
            const QRect text(0, 3, pill.width() - pill.height() / 2 - 1, pill.height() - 6);
            EXPECT_EQ(a.copy(text), b.copy(text)) << name.toStdString() << " at " << points << " pt";
        }
    }
}

TEST(StringTagPill, OnlyTheRemoveMarkRunsTheAction)
{
    int removed = 0;
    StringTagPill pill(QStringLiteral("resistor"), [&removed] { ++removed; });
    pill.resize(pill.sizeHint());
    ASSERT_TRUE(pill.hasRemove());
    const QRect mark = pill.removeRect();
    ASSERT_FALSE(mark.isEmpty());
    EXPECT_TRUE(pill.rect().contains(mark));

    click(&pill, QPoint(10, pill.height() / 2));  // on the name
    EXPECT_EQ(removed, 0);
    click(&pill, mark.center());
    EXPECT_EQ(removed, 1);
    click(&pill, mark.center());
    EXPECT_EQ(removed, 2);
}

TEST(StringTagPill, RemoveActionMayDeleteThePill)
{
    auto* pill = new StringTagPill(QStringLiteral("x"), {});
    bool ran = false;
    delete pill;
    pill = new StringTagPill(QStringLiteral("x"), [&] { ran = true; pill->deleteLater(); });
    pill->resize(pill->sizeHint());
    click(pill, pill->removeRect().center());
    EXPECT_TRUE(ran);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(TagPill, FollowsItsTag)
{
    QString error;
    auto container = ModelContainer::open(corvallen::test::freshFolder(QStringLiteral("pill"))
                                              + QStringLiteral("/Corvallen.store"),
                                          corvallenSchema(), &error);
    ASSERT_TRUE(container) << error.toStdString();
    ModelContext& context = container->mainContext();
    Tag* tag = findOrCreateTag(QStringLiteral("probe"), context);
    tag->setColorHex(QStringLiteral("#102030"));

    TagPill pill(tag);
    pill.resize(pill.sizeHint());
    EXPECT_EQ(pill.name(), QStringLiteral("probe"));
    EXPECT_EQ(colourAt(&pill, QPoint(4, pill.height() / 2)), QColor(0x10, 0x20, 0x30));

    const int shortWidth = pill.sizeHint().width();
    tag->setName(QStringLiteral("oscilloscope probe"));
    tag->setColorHex(QStringLiteral("#C00000"));
    context.flushNotifications();
    EXPECT_EQ(pill.name(), QStringLiteral("oscilloscope probe"));
    EXPECT_GT(pill.sizeHint().width(), shortWidth);
    pill.resize(pill.sizeHint());
    EXPECT_EQ(colourAt(&pill, QPoint(4, pill.height() / 2)), colorFromHex(QStringLiteral("#C00000")));

    // The store going away leaves the pill showing what it showed.
    container.reset();
    EXPECT_EQ(pill.name(), QStringLiteral("oscilloscope probe"));
    pill.grab();
}

}  // namespace
