// Symbol icons: every symbol the interface names draws from the drawings that ship with the
// program (no icon theme on the test machine), in the text colour or a tint, and the symbols a
// user chooses between are told apart.
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Platform/Views/ThemeManager.h"
#include "Corvallen/Sync/Views/AddSyncLocationSheet.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QSet>

#include <gtest/gtest.h>

namespace {

int inkedPixels(const QImage& image, QColor* sample = nullptr)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (const QColor c = image.pixelColor(x, y); c.alpha() > 128) {
                if (sample && c.alpha() == 255)
                    *sample = c;  // a fully covered pixel shows the colour unblended
                ++count;
            }
    return count;
}

QImage drawn(const QString& name, int side = 32) { return symbolIcon(name).pixmap(QSize(side, side)).toImage(); }

TEST(SymbolIcons, EverySymbolInTheTableDraws)
{
    ASSERT_GT(SymbolIcons::knownSymbols().size(), 50);
    for (const QString& name : SymbolIcons::knownSymbols()) {
        const QIcon icon = symbolIcon(name);
        ASSERT_FALSE(icon.isNull()) << name.toStdString();
        EXPECT_GT(inkedPixels(drawn(name)), 10) << name.toStdString();
    }
}

TEST(SymbolIcons, VariantsFallBackToTheirBaseAndUnknownNamesAreRecorded)
{
    EXPECT_EQ(SymbolIcons::resolve(QStringLiteral("cpu.fill")), QStringLiteral("cpu"));
    EXPECT_EQ(SymbolIcons::resolve(QStringLiteral("gearshape.fill")), QStringLiteral("gearshape"));
    EXPECT_EQ(SymbolIcons::resolve(QStringLiteral("building.2.fill")), QStringLiteral("building.2"));
    EXPECT_EQ(drawn(QStringLiteral("info.circle.fill")), drawn(QStringLiteral("info.circle")));
    // A badge makes a different drawing from the plain drive.
    EXPECT_NE(drawn(QStringLiteral("externaldrive.badge.checkmark")), drawn(QStringLiteral("externaldrive")));

    EXPECT_TRUE(symbolIcon(QStringLiteral("no.such.symbol")).isNull());
    EXPECT_TRUE(SymbolIcons::missing().contains(QStringLiteral("no.such.symbol")));
    EXPECT_FALSE(SymbolIcons::missing().contains(QStringLiteral("cpu.fill")));
}

TEST(SymbolIcons, TheTenLocationSymbolsAreTenDifferentDrawings)
{
    const QStringList choices = AddSyncLocationSheet::symbolChoices();
    ASSERT_EQ(choices.size(), 10);
    QSet<QString> drawings;
    QList<QImage> images;
    for (const QString& name : choices) {
        const QImage image = drawn(name, 24);
        EXPECT_GT(inkedPixels(image), 10) << name.toStdString();
        for (const QImage& other : images)
            EXPECT_NE(image, other) << name.toStdString();
        images << image;
        drawings.insert(SymbolIcons::resolve(name));
    }
    EXPECT_EQ(drawings.size(), 10);
}

TEST(SymbolIcons, DrawnInTheTextColourOrTheTint)
{
    QColor sample;
    ASSERT_GT(inkedPixels(symbolIcon(QStringLiteral("folder"), QColor(200, 30, 40)).pixmap(QSize(48, 48)).toImage(), &sample), 10);
    EXPECT_EQ(sample.rgb(), QColor(200, 30, 40).rgb());

    // Untinted symbols follow the palette of the moment, so a theme change redraws them.
    const QPalette before = QApplication::palette();
    const QIcon folder = symbolIcon(QStringLiteral("folder"));
    for (const QPalette& palette : {ThemeManager::lightPalette(), ThemeManager::darkPalette()}) {
        QApplication::setPalette(palette);
        ASSERT_GT(inkedPixels(folder.pixmap(QSize(48, 48)).toImage(), &sample), 10);
        EXPECT_EQ(sample.rgb(), palette.color(QPalette::WindowText).rgb());
    }
    QApplication::setPalette(before);
}

TEST(SymbolIcons, LabelPixmapsFollowAThemeChange)
{
    SymbolIcons::followPalette(*qApp);
    ThemeManager::applyPalette(ThemeManager::lightPalette());
    QLabel label;
    label.setPixmap(symbolIcon(QStringLiteral("folder")).pixmap(40, 40));
    label.show();
    for (const QPalette& palette : {ThemeManager::darkPalette(), ThemeManager::lightPalette()}) {
        ThemeManager::applyPalette(palette);
        QCoreApplication::processEvents();
        QColor sample;
        ASSERT_GT(inkedPixels(label.pixmap().toImage(), &sample), 10);
        EXPECT_EQ(sample.rgb(), palette.color(QPalette::WindowText).rgb());
    }
}

}  // namespace
