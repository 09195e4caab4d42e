#include "Corvallen/Devices/Views/DeviceIcons.h"

#include <QApplication>
#include <QStyle>
#include <QWidget>

#include <utility>

QIcon deviceIcon(const QString& symbolName, const QWidget* widget)
{
    struct Mapping {
        const char* symbol;
        const char* themeName;
        QStyle::StandardPixmap fallback;
    };
    static constexpr Mapping mappings[] = {
        {"cpu", "cpu", QStyle::SP_ComputerIcon},
        {"cpu.fill", "cpu", QStyle::SP_ComputerIcon},
        {"slider.horizontal.3", "configure", QStyle::SP_FileDialogDetailedView},
        {"arrow.clockwise", "view-refresh", QStyle::SP_BrowserReload},
        {"doc", "document-open", QStyle::SP_FileIcon},
        {"bolt.fill", "system-software-update", QStyle::SP_ArrowUp},
        {"cable.connector.slash", "network-offline", QStyle::SP_MessageBoxWarning},
        {"building.2", "go-home", QStyle::SP_DirHomeIcon},
        {"arrow.up.right.square", "document-open-remote", QStyle::SP_ArrowForward},
    };
    QStyle* style = widget ? widget->style() : QApplication::style();
    for (const Mapping& m : mappings) {
        if (symbolName == QLatin1String(m.symbol)) {
            const QString themeName = QString::fromLatin1(m.themeName);
            if (QIcon::hasThemeIcon(themeName))
                return QIcon::fromTheme(themeName);
            return style->standardIcon(m.fallback, nullptr, widget);
        }
    }
    return style->standardIcon(QStyle::SP_ComputerIcon, nullptr, widget);
}
