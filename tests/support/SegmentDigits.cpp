#include "support/SegmentDigits.h"

#include <QRectF>

namespace corvallen::test {

double segmentPitch(int height)
{
    return height * 0.55 * 1.35;
}

void paintSegments(QPainter& p, const QString& text, QPointF at, int height, SegmentStyle style, double pointDrop)
{
    static const int table[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const double w = height * 0.55, pitch = segmentPitch(height);
    const double t = height * (style == SegmentStyle::Blocky ? 0.15 : style == SegmentStyle::Apart ? 0.07 : 0.12);
    const double gap = style == SegmentStyle::Blocky ? t : style == SegmentStyle::Apart ? t * 1.6 : t * 0.3;
    const double join = style == SegmentStyle::Blocky ? -t / 2 : gap;  // how far the vertical bars stop short of the corners
    double x = at.x();
    const double y = at.y();
    for (const QChar ch : text) {
        if (ch == QLatin1Char('.')) {
            p.drawRect(QRectF(x - (pitch - w) / 2 - t / 2, y + height - t + pointDrop * height, t, t));
            continue;
        }
        if (ch == QLatin1Char('~')) {
            p.drawRect(QRectF(x + w - 1.5 * t, y + height / 2.0 - t / 2, 1.3 * t, t));
            x += pitch;
            continue;
        }
        const int bits = ch == QLatin1Char('-') ? 0x40 : ch == QLatin1Char('L') ? 0x38 : table[ch.digitValue()];
        const double v = height / 2.0 - 1.5 * t - 2 * join;  // a vertical bar's length
        const QRectF seg[7] = {
            {x + gap, y, w - 2 * gap, t},
            {x + w - t, y + t + join, t, v},
            {x + w - t, y + height / 2.0 + t / 2 + join, t, v},
            {x + gap, y + height - t, w - 2 * gap, t},
            {x, y + height / 2.0 + t / 2 + join, t, v},
            {x, y + t + join, t, v},
            {x + gap, y + height / 2.0 - t / 2, w - 2 * gap, t},
        };
        for (int s = 0; s < 7; ++s)
            if (bits & (1 << s))
                p.drawRect(seg[s]);
        x += pitch;
    }
}

}  // namespace corvallen::test
