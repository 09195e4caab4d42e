#include "Corvallen/Platform/AppInfo.h"

#include <QCoreApplication>
#include <QVariant>

// Written at build time (cmake/BuildNumber.cmake).
extern const char corvallenBuildNumber[];

namespace AppInfo {

namespace {

QString orDash(const QString& s) { return s.isEmpty() ? QString(QChar(0x2014)) : s; }

}  // namespace

QString version()
{
    // main() sets the application version from the build; anything without it (a tool that
    // links the libraries) shows the dash.
    return orDash(QCoreApplication::applicationVersion());
}

QString build() { return orDash(QString::fromLatin1(corvallenBuildNumber)); }

QUrl websiteURL()
{
    static const QUrl url(QStringLiteral("https://corvallen.app/"));
    return url;
}

QUrl supportURL()
{
    static const QUrl url(QStringLiteral("https://corvallen.app/support/"));
    return url;
}

QUrl mailURL()
{
    static const QUrl url(QStringLiteral("mailto:support@corvallen.app"));
    return url;
}

}  // namespace AppInfo
