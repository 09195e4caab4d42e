#pragma once

#include <QIcon>
#include <QString>

class QWidget;

// The icon for one of the symbol names the device pages use ("cpu", "arrow.clockwise", ...):
// the matching freedesktop icon-theme icon where the theme has one, else a style icon.
QIcon deviceIcon(const QString& symbolName, const QWidget* widget = nullptr);
