#include "Corvallen/Projects/Views/PartStatusBadge.h"

#include <QLabel>

// Seam: drawn as a plain coloured label until the inventory's status capsule is part of the
// build.
namespace {
QString colourOf(StockStatus s)
{
    switch (s) {
    case StockStatus::inStock: return QStringLiteral("#2E9D48");
    case StockStatus::low: return QStringLiteral("#E08A00");
    case StockStatus::out: return QStringLiteral("#D0342C");
    case StockStatus::ordered: return QStringLiteral("#2F6FD6");
    }
    return QStringLiteral("#808080");
}
}  // namespace

QWidget* makePartStatusBadge(StockStatus status, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("StatusBadge"));
    setPartStatusBadge(label, status);
    return label;
}

void setPartStatusBadge(QWidget* badge, StockStatus status)
{
    auto* label = qobject_cast<QLabel*>(badge);
    if (!label)
        return;
    label->setText(StockStatuses::label(status));
    label->setStyleSheet(QStringLiteral("QLabel { color: %1; border: 1px solid %1; border-radius: 8px; padding: 0 6px; }")
                             .arg(colourOf(status)));
}
