#pragma once

#include <QVariant>
#include <QWidget>

// The About pane: the application's name, version and build, its developer, and links to the
// maker's site, e-mail and support page.
class AboutSettings : public QWidget {
    Q_OBJECT
public:
    explicit AboutSettings(QWidget* parent = nullptr);

    // "<short version> (<build>)", each "?" when it is missing or is no text.
    static QString versionString(const QVariant& shortVersion, const QVariant& build);
    // The version text of the running application.
    static QString versionString();
};
