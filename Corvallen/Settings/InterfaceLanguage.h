#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QCoreApplication;
class SettingsStore;

// The interface language. The General pane stores the choice under "appLanguage" ("system",
// "en" or "pl") and the language list that is read at the next launch under "AppleLanguages"
// (absent for "system"); the running application keeps the language it started with.
namespace InterfaceLanguage {

struct Choice {
    QString code;   // the value stored in "appLanguage"
    QString title;  // the picker's text
};
// In picker order: "System", "English", "Polski".
const QList<Choice>& choices();

QString settingKey();    // "appLanguage"
QString languagesKey();  // "AppleLanguages"

// Writes the language list for a new "appLanguage" value: removed for "system", otherwise the
// one-element list holding the code.
void applyLanguage(SettingsStore& settings, const QString& code);

// The language to start in: the first entry of the stored list, or empty for the desktop's own.
QString launchLanguage(const SettingsStore& settings);

// At launch, before the first window: installs the Qt translators of the launch language (our
// own table where there is one, and Qt's own for the standard dialogs). Returns the number of
// translators installed.
int installTranslators(QCoreApplication& app, const SettingsStore& settings);

}  // namespace InterfaceLanguage
