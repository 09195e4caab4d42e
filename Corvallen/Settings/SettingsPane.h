#pragma once

#include <QColor>
#include <QList>
#include <QString>

#include <optional>

// The four panes of the Settings window, in list order; the raw values are the case names.
enum class SettingsPane { general, business, storage, about };

namespace SettingsPanes {

const QList<SettingsPane>& all();
QString rawValue(SettingsPane pane);
std::optional<SettingsPane> fromRaw(const QString& raw);
QString title(SettingsPane pane);
// The symbol drawn on the pane's tile and the tile's colour.
QString symbol(SettingsPane pane);
QColor tileColor(SettingsPane pane);

}  // namespace SettingsPanes
