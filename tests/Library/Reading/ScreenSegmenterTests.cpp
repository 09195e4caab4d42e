// How the text of a screenshot falls into glyphs and runs before anything is read.
#include "Corvallen/Library/Reading/ScreenSegmenter.h"

#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// `text` as a desktop program on a light window draws it with subpixel smoothing: drawn at
// three times the width, each pixel's red, green and blue taken from its three thirds, then
// smeared across neighbouring thirds as the smoothing filter does, which gives strokes their
// orange and blue fringes. `gridX` >= 0 draws the text in a table's cell, its grid line there.
QImage subpixelPrint(const QString& text, int pixelSize, int gridX)
{
    const QSize size(200, 60);
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
            out.setPixel(x, y, gridX >= 0 && (gridX == x || y == 1 || y == 22) ? qRgb(0, 0, 0) : qRgb(channel[0], channel[1], channel[2]));
        }
    return out;
}

}  // namespace

TEST(ScreenSegmenter, SubpixelSmoothedPrintKeepsItsCharactersApart)
{
    // The colour fringes of neighbouring characters touch, so that a whole figure is one piece
    // of ink; it must still be several glyphs (a lone glyph is read as an icon, last).
    if (!QFontDatabase::families().contains(QStringLiteral("DejaVu Sans")))
        GTEST_SKIP() << "DejaVu Sans is not installed";
    const QList<std::pair<int, int>> rows = {{11, -1}, {12, -1}, {13, -1}, {12, 64}, {12, 66}};  // text height, grid line
    for (const auto& [pixelSize, gridX] : rows) {
        int glyphs = 0;
        for (const ScreenSegmenter::Run& run : ScreenSegmenter::scan(subpixelPrint(QStringLiteral("-0.59749 VDC"), pixelSize, gridX)).runs)
            glyphs += int(run.glyphs.size());
        EXPECT_GE(glyphs, 9) << pixelSize << " px, grid line at " << gridX;
    }
}
