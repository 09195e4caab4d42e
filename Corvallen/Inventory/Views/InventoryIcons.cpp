#include "Corvallen/Inventory/Views/InventoryIcons.h"

#include "Corvallen/Platform/Views/SymbolIcons.h"

#include <QHash>
#include <QStringList>
#include <QToolButton>

QIcon inventoryIcon(const QString& symbolName, const QColor& tint)
{
    QIcon icon = tint.isValid() ? symbolIcon(symbolName, tint) : symbolIcon(symbolName);
    if (!icon.isNull())
        return icon;
    struct Fallback {
        QStringList themeNames;
        QString symbol;
    };
    static const QHash<QString, Fallback> fallbacks{
        {QStringLiteral("folder.badge.gearshape"), {{QStringLiteral("folder-templates")}, QStringLiteral("folder")}},
        {QStringLiteral("mappin.and.ellipse"), {{QStringLiteral("mark-location"), QStringLiteral("find-location")}, QStringLiteral("globe")}},
        {QStringLiteral("tray.2"), {{QStringLiteral("archive-manager"), QStringLiteral("package-x-generic")}, QStringLiteral("shippingbox")}},
        {QStringLiteral("chevron.down"), {{QStringLiteral("go-down"), QStringLiteral("arrow-down")}, QString()}},
        {QStringLiteral("ellipsis.circle"), {{QStringLiteral("view-more-symbolic"), QStringLiteral("application-menu")}, QString()}},
        {QStringLiteral("cart"), {{QStringLiteral("emblem-shopping"), QStringLiteral("shopping-cart")}, QStringLiteral("globe")}},
    };
    const auto it = fallbacks.constFind(symbolName);
    if (it == fallbacks.constEnd())
        return icon;
    for (const QString& name : it->themeNames)
        if (QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    if (it->symbol.isEmpty())
        return icon;
    return tint.isValid() ? symbolIcon(it->symbol, tint) : symbolIcon(it->symbol);
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
