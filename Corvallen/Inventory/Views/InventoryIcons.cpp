#include "Corvallen/Inventory/Views/InventoryIcons.h"

#include "Corvallen/Platform/Views/SymbolIcons.h"

#include <QToolButton>

QIcon inventoryIcon(const QString& symbolName, const QColor& tint)
{
    return tint.isValid() ? symbolIcon(symbolName, tint) : symbolIcon(symbolName);
}

void setSymbolOrText(QToolButton* button, const QString& symbolName, const QString& text)
{
    const QIcon icon = inventoryIcon(symbolName);
    if (icon.isNull()) {
        button->setText(text);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    } else {
        button->setIcon(icon);
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
}
