#include "Corvallen/Library/Views/LibraryViewKit.h"

#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace LibraryViewKit {

QToolButton* symbolButton(const QString& symbol, const QString& fallbackText, const QString& tooltip, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    const QIcon icon = symbolIcon(symbol);
    if (icon.isNull())
        b->setText(fallbackText);
    else
        b->setIcon(icon);
    b->setToolTip(tooltip);
    b->setAccessibleName(tooltip.isEmpty() ? fallbackText : tooltip);
    b->setAutoRaise(false);
    return b;
}

QPushButton* textButton(const QString& text, const QString& symbol, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    const QIcon icon = symbolIcon(symbol);
    if (!icon.isNull())
        b->setIcon(icon);
    return b;
}

QLabel* sectionTitle(const QString& text, QWidget* parent)
{
    return ViewStyle::label(text.toUpper(), ViewStyle::TextStyle::caption2, QFont::Normal, true, parent);
}

QWidget* emptyState(const QString& title, const QString& symbol, const QString& message, QWidget* parent)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(QStringLiteral("EmptyState"));
    auto* layout = new QVBoxLayout(panel);
    layout->addStretch();
    auto* icon = new QLabel(panel);
    icon->setAlignment(Qt::AlignCenter);
    const QIcon i = symbolIcon(symbol);
    if (!i.isNull())
        icon->setPixmap(i.pixmap(40, 40));
    layout->addWidget(icon);
    auto* t = ViewStyle::label(title, ViewStyle::TextStyle::title3, QFont::Bold, false, panel);
    t->setObjectName(QStringLiteral("EmptyStateTitle"));
    t->setAlignment(Qt::AlignCenter);
    layout->addWidget(t);
    auto* m = ViewStyle::label(message, ViewStyle::TextStyle::body, QFont::Normal, true, panel);
    m->setObjectName(QStringLiteral("EmptyStateMessage"));
    m->setAlignment(Qt::AlignCenter);
    m->setWordWrap(true);
    layout->addWidget(m);
    layout->addStretch();
    return panel;
}

void setEmptyStateTexts(QWidget* panel, const QString& title, const QString& message)
{
    if (auto* t = panel->findChild<QLabel*>(QStringLiteral("EmptyStateTitle")))
        t->setText(title);
    if (auto* m = panel->findChild<QLabel*>(QStringLiteral("EmptyStateMessage")))
        m->setText(message);
}

QRectF thumbRect(double width)
{
    return QRectF(0, 0, width, width / kThumbAspect);
}

void drawThumbnail(QPainter& p, const QImage& image, const QRectF& rect, double radius, const QWidget* widget)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath clip;
    clip.addRoundedRect(rect, radius, radius);
    p.setClipPath(clip);
    if (image.isNull()) {
        p.fillRect(rect, ViewStyle::quaternary(widget->palette()));
    } else {
        // The picture fills the whole 30:17 frame, stretched whatever its own shape (an
        // instrument's screen is close to that shape anyway); hard pixel edges.
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.drawImage(rect, image);
    }
    p.restore();
}

}  // namespace LibraryViewKit
