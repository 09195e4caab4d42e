// How the text of a screenshot falls into glyphs and runs before anything is read.
#include "Corvallen/Library/Reading/ScreenSegmenter.h"

#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// `text` as a desktop program on a light window draws it with subpixel smoothing: drawn at
// three times the width, each pixel's red, green and blue taken from its three thirds, then
// smeared across neighbouring thirds as the smoothing filter does, which gives strokes their
// orange and blue fringes. `gridX` >= 0 draws a table's grid line there.
QImage subpixelPrint(const QString& text, int pixelSize, int gridX)
{
    const QSize size(200, 24);
    QImage wide(size.width() * 3, size.height(), QImage::Format_Grayscale8);
    wide.fill(0);
    {
        QPainter p(&wide);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(pixelSize);
        p.setFont(f);
        p.setPen(Qt::white);
        p.scale(3, 1);
        p.drawText(QPointF(10, 16), text);
    }
    QImage out(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            int channel[3];
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int k = -2; k <= 2; ++k) {
                    const int sub = std::clamp(x * 3 + c + k, 0, int(wide.width()) - 1);
                    sum += wide.constScanLine(y)[sub] * (3 - std::abs(k));
                }
                channel[c] = 255 - sum / 9;
            }
            out.setPixel(x, y, gridX == x ? qRgb(0, 0, 0) : qRgb(channel[0], channel[1], channel[2]));
        }
    return out;
}

}  // namespace

TEST(ScreenSegmenter, SubpixelSmoothedPrintKeepsItsCharactersApart)
{
    // The colour fringes of neighbouring characters touch in small print, so that a whole
    // figure is one piece of ink; a figure must still be several glyphs (a lone glyph is read
    // as an icon, last), and a unit touching a table's grid line is no part of the line.
    if (!QFontDatabase::families().contains(QStringLiteral("DejaVu Sans")))
        GTEST_SKIP() << "DejaVu Sans is not installed";
    struct Row {
        const char* name;
        int pixelSize;
        int gridX;   // a grid line just before the unit, or -1
        int glyphs;  // at least this many glyphs in the line's runs together
    };
    const QList<Row> rows = {
        {"figure in small print", 12, -1, 9},
        {"figure in smaller print", 11, -1, 9},
        {"figure in larger print", 13, -1, 9},
        {"figure and unit either side of a table's grid line", 12, 64, 9},
    };
    for (const Row& row : rows) {
        const QImage image = subpixelPrint(QStringLiteral("-0.59749 VDC"), row.pixelSize, row.gridX);
        const ScreenSegmenter::Scan scan = ScreenSegmenter::scan(image);
        int glyphs = 0, widest = 0;
        for (const ScreenSegmenter::Run& run : scan.runs) {
            glyphs += int(run.glyphs.size());
            for (const QRect& g : run.glyphs)
                widest = std::max(widest, g.width());
        }
        EXPECT_GE(glyphs, row.glyphs) << row.name;
        EXPECT_LT(widest, 2 * row.pixelSize) << row.name;
    }
}
