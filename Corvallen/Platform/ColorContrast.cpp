#include "Corvallen/Platform/ColorContrast.h"

#include <cmath>

namespace ColorContrast {

namespace {

qreal channel(qreal c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }

QColor mix(const QColor& a, const QColor& b, qreal t)
{
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

}  // namespace

qreal luminance(const QColor& color)
{
    const QColor c = color.toRgb();
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

qreal ratio(const QColor& a, const QColor& b)
{
    const qreal la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor composite(const QColor& over, const QColor& under)
{
    const QColor o = over.toRgb(), u = under.toRgb();
    const qreal a = o.alphaF();
    return QColor::fromRgbF(float(o.redF() * a + u.redF() * (1 - a)), float(o.greenF() * a + u.greenF() * (1 - a)),
                            float(o.blueF() * a + u.blueF() * (1 - a)));
}

QColor readableOn(const QColor& text, const QColor& background, qreal minimum)
{
    const QColor opaque = composite(text, background);
    if (ratio(opaque, background) >= minimum)
        return opaque;
    // Towards black on light backgrounds, towards white on dark ones; the least change that reads.
    const QColor target = luminance(background) > 0.18 ? QColor(Qt::black) : QColor(Qt::white);
    qreal lo = 0, hi = 1;
    for (int i = 0; i < 20; ++i) {
        const qreal mid = (lo + hi) / 2;
        if (ratio(mix(opaque, target, mid), background) >= minimum)
            hi = mid;
        else
            lo = mid;
    }
    return mix(opaque, target, hi);
}

}  // namespace ColorContrast
