#pragma once

#include <QList>
#include <QString>

#include <optional>

// The colour theme the user picks in the General pane, stored under "appTheme" by its raw value.
enum class AppTheme { system, light, dark };

namespace AppThemes {

inline const QString& settingKey()
{
    static const QString key = QStringLiteral("appTheme");
    return key;
}
// In picker order.
const QList<AppTheme>& all();
QString rawValue(AppTheme theme);
// The theme of a raw value; nothing for any other text.
std::optional<AppTheme> fromRaw(const QString& raw);
// The picker's title ("System", "Light", "Dark").
QString title(AppTheme theme);

}  // namespace AppThemes
