#pragma once

#include <QString>
#include <QUrl>

// The application's own facts: version, build and the maker's links.
namespace AppInfo {

// The marketing version ("1.0.0"), read from the application on every call; "—" when it has
// none.
QString version();
// The build number given when the program was built: the commit count, or the build date
// where the sources had no repository; "—" when the build gave none.
QString build();

QUrl websiteURL();
QUrl supportURL();
QUrl mailURL();

}  // namespace AppInfo
