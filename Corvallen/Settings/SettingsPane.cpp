#include "Corvallen/Settings/SettingsPane.h"

#include <QCoreApplication>

namespace SettingsPanes {

const QList<SettingsPane>& all()
{
    static const QList<SettingsPane> panes{SettingsPane::general, SettingsPane::business, SettingsPane::storage,
                                           SettingsPane::about};
    return panes;
}

QString rawValue(SettingsPane pane)
{
    switch (pane) {
    case SettingsPane::general: return QStringLiteral("general");
    case SettingsPane::business: return QStringLiteral("business");
    case SettingsPane::storage: return QStringLiteral("storage");
    case SettingsPane::about: return QStringLiteral("about");
    }
    return {};
}

std::optional<SettingsPane> fromRaw(const QString& raw)
{
    for (SettingsPane p : all()) {
        if (rawValue(p) == raw)
            return p;
    }
    return std::nullopt;
}

QString title(SettingsPane pane)
{
    switch (pane) {
    case SettingsPane::general: return QCoreApplication::translate("SettingsPane", "General");
    case SettingsPane::business: return QCoreApplication::translate("SettingsPane", "Business");
    case SettingsPane::storage: return QCoreApplication::translate("SettingsPane", "Storage");
    case SettingsPane::about: return QCoreApplication::translate("SettingsPane", "About");
    }
    return {};
}

QString symbol(SettingsPane pane)
{
    switch (pane) {
    case SettingsPane::general: return QStringLiteral("gearshape.fill");
    case SettingsPane::business: return QStringLiteral("building.2.fill");
    case SettingsPane::storage: return QStringLiteral("externaldrive.fill");
    case SettingsPane::about: return QStringLiteral("info.circle.fill");
    }
    return {};
}

QColor tileColor(SettingsPane pane)
{
    switch (pane) {
    case SettingsPane::general: return QColor(142, 142, 147);   // gray
    case SettingsPane::business: return QColor(88, 86, 214);    // indigo
    case SettingsPane::storage: return QColor(0, 122, 255);     // blue
    case SettingsPane::about: return QColor::fromRgbF(0.55f, 0.55f, 0.6f);
    }
    return {};
}

}  // namespace SettingsPanes
