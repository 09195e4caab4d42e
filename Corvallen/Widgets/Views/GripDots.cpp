#include "Corvallen/Widgets/Views/GripDots.h"

#include "Corvallen/Platform/Views/ThemeManager.h"

#include <QPainter>

namespace {
constexpr qreal kDot = 3.2;
constexpr qreal kGap = 5;
constexpr qreal kWidth = 2 * kDot + kGap;   // 11.4
constexpr qreal kHeight = 3 * kDot + 2 * kGap;  // 19.6
}  // namespace

GripDots::GripDots(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize GripDots::sizeHint() const { return QSize(int(std::ceil(kWidth)), int(std::ceil(kHeight))); }

QList<QRectF> GripDots::dotRects() const
{
    QList<QRectF> out;
    const qreal x0 = (width() - kWidth) / 2.0;
    const qreal y0 = (height() - kHeight) / 2.0;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 2; ++col)
            out.append(QRectF(x0 + col * (kDot + kGap), y0 + row * (kDot + kGap), kDot, kDot));
    return out;
}

void GripDots::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(ThemeManager::foreground(palette(), 3));
    for (const QRectF& r : dotRects())
        p.drawEllipse(r);
}
