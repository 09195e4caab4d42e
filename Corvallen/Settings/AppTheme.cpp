#include "Corvallen/Settings/AppTheme.h"

#include <QCoreApplication>

namespace AppThemes {

const QList<AppTheme>& all()
{
    static const QList<AppTheme> themes{AppTheme::system, AppTheme::light, AppTheme::dark};
    return themes;
}

QString rawValue(AppTheme theme)
{
    switch (theme) {
    case AppTheme::system: return QStringLiteral("system");
    case AppTheme::light: return QStringLiteral("light");
    case AppTheme::dark: return QStringLiteral("dark");
    }
    return QStringLiteral("system");
}

std::optional<AppTheme> fromRaw(const QString& raw)
{
    for (AppTheme t : all()) {
        if (rawValue(t) == raw)
            return t;
    }
    return std::nullopt;
}

QString title(AppTheme theme)
{
    switch (theme) {
    case AppTheme::system: return QCoreApplication::translate("AppTheme", "System");
    case AppTheme::light: return QCoreApplication::translate("AppTheme", "Light");
    case AppTheme::dark: return QCoreApplication::translate("AppTheme", "Dark");
    }
    return {};
}

}  // namespace AppThemes
