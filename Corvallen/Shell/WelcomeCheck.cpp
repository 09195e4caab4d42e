#include "Corvallen/Shell/WelcomeCheck.h"

#include "Corvallen/Platform/SettingsStore.h"

namespace WelcomeCheck {

QString settingsKey() { return QStringLiteral("lastWelcomeVersion"); }

bool run(SettingsStore& settings, const QString& version)
{
    const QString previous = settings.textValue(settingsKey(), QString());
    settings.setText(settingsKey(), version);
    return previous.isEmpty();
}

}  // namespace WelcomeCheck
