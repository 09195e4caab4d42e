#pragma once

#include "Corvallen/Model/StockStatus.h"

class QWidget;

// The stock badge drawn beside a part in the project views: the inventory's own status capsule.
QWidget* makePartStatusBadge(StockStatus status, QWidget* parent);
void setPartStatusBadge(QWidget* badge, StockStatus status);
