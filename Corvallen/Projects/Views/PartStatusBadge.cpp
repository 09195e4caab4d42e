#include "Corvallen/Projects/Views/PartStatusBadge.h"

#include "Corvallen/Inventory/Views/StatusBadge.h"

QWidget* makePartStatusBadge(StockStatus status, QWidget* parent) { return new StatusBadge(status, parent); }

void setPartStatusBadge(QWidget* badge, StockStatus status)
{
    if (auto* b = qobject_cast<StatusBadge*>(badge))
        b->setStatus(status);
}
