#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

class QToolButton;

// The symbols of the inventory views: the shared symbol icon (see symbolIcon), tinted when a
// tint is given.
QIcon inventoryIcon(const QString& symbolName, const QColor& tint = QColor());
// Gives a tool button the symbol, or the text when no icon fits, so it is never blank.
void setSymbolOrText(QToolButton* button, const QString& symbolName, const QString& text);
