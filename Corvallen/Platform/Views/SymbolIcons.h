#pragma once

#include <QColor>
#include <QIcon>
#include <QString>
#include <QStringList>

// Icons for the symbol names the views use ("folder", "gearshape", "square.grid.2x2", ...):
// the desktop icon theme's icon where the theme has one (freedesktop names), else a glyph of our
// own drawn in the current text colour. An unknown name gives a null icon.
QIcon symbolIcon(const QString& symbolName);
// Our own glyph in a given colour (accent-tinted images), whatever the icon theme.
QIcon symbolIcon(const QString& symbolName, const QColor& tint);

namespace SymbolIcons {
// The freedesktop theme names tried for a symbol, best first.
QStringList themeNames(const QString& symbolName);
// Whether we draw a glyph of our own for the symbol.
bool hasGlyph(const QString& symbolName);
// Every symbol name known here.
QStringList knownSymbols();
}  // namespace SymbolIcons
