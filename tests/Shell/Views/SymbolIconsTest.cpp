// Symbol icons: every symbol the shell asks for gives a drawable icon, from the icon theme or
// from our own glyphs, and tinted glyphs take the tint.
#include "Corvallen/Platform/Views/SymbolIcons.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

int inkedPixels(const QImage& image, QColor* sample = nullptr)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() > 128) {
                if (sample && count == 0)
                    *sample = image.pixelColor(x, y);
                ++count;
            }
    return count;
}

TEST(SymbolIcons, EveryShellSymbolDraws)
{
    const QStringList shell = {"square.grid.2x2", "photo.stack", "shippingbox", "cpu", "externaldrive",
                               "externaldrive.badge.checkmark", "folder", "folder.badge.plus", "gearshape",
                               "plus", "sidebar.left", "trash", "doc", "tag", "xmark.circle.fill",
                               "chevron.left", "chevron.right", "waveform.path.ecg", "exclamationmark.triangle",
                               "exclamationmark.octagon", "arrow.triangle.2.circlepath", "eject", "brain",
                               "sparkles", "photo.on.rectangle"};
    for (const QString& name : shell) {
        EXPECT_TRUE(SymbolIcons::hasGlyph(name)) << name.toStdString();
        const QIcon icon = symbolIcon(name);
        ASSERT_FALSE(icon.isNull()) << name.toStdString();
        EXPECT_GT(inkedPixels(icon.pixmap(QSize(32, 32)).toImage()), 10) << name.toStdString();
    }
    // Every known symbol draws something even where the icon theme has nothing for it: our own
    // glyph, or the style's icon for the few device symbols without one.
    for (const QString& name : SymbolIcons::knownSymbols())
        EXPECT_GT(inkedPixels(symbolIcon(name).pixmap(QSize(32, 32)).toImage()), 10) << name.toStdString();
}

TEST(SymbolIcons, UnknownNameIsNull)
{
    EXPECT_TRUE(symbolIcon(QStringLiteral("no.such.symbol")).isNull());
    EXPECT_TRUE(SymbolIcons::themeNames(QStringLiteral("no.such.symbol")).isEmpty());
    EXPECT_EQ(SymbolIcons::themeNames(QStringLiteral("folder")).value(0), QStringLiteral("folder"));
}

TEST(SymbolIcons, TintedGlyphTakesTheTint)
{
    QColor sample;
    const QImage image = symbolIcon(QStringLiteral("folder"), QColor(200, 30, 40)).pixmap(QSize(48, 48)).toImage();
    ASSERT_GT(inkedPixels(image, &sample), 10);
    EXPECT_EQ(sample.rgb(), QColor(200, 30, 40).rgb());
}

}  // namespace
