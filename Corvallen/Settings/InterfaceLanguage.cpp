#include "Corvallen/Settings/InterfaceLanguage.h"

#include "Corvallen/Platform/SettingsStore.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace InterfaceLanguage {

const QList<Choice>& choices()
{
    // The language names are written in their own language, as language pickers usually are.
    static const QList<Choice> list{
        {QStringLiteral("system"), QCoreApplication::translate("InterfaceLanguage", "System")},
        {QStringLiteral("en"), QStringLiteral("English")},
        {QStringLiteral("pl"), QStringLiteral("Polski")},
    };
    return list;
}

QString settingKey() { return QStringLiteral("appLanguage"); }
QString languagesKey() { return QStringLiteral("AppleLanguages"); }

void applyLanguage(SettingsStore& settings, const QString& code)
{
    if (code == QLatin1String("system"))
        settings.remove(languagesKey());
    else
        settings.setTextList(languagesKey(), {code});
}

QString launchLanguage(const SettingsStore& settings)
{
    const QStringList list = settings.textListValue(languagesKey());
    return list.isEmpty() ? QString() : list.first();
}

int installTranslators(QCoreApplication& app, const SettingsStore& settings)
{
    const QString code = launchLanguage(settings);
    const QLocale locale = code.isEmpty() ? QLocale::system() : QLocale(code);
    int installed = 0;
    auto* own = new QTranslator(&app);
    if (own->load(locale, QStringLiteral("corvallen"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
        app.installTranslator(own);
        ++installed;
    } else {
        delete own;
    }
    auto* qt = new QTranslator(&app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        app.installTranslator(qt);
        ++installed;
    } else {
        delete qt;
    }
    return installed;
}

}  // namespace InterfaceLanguage
