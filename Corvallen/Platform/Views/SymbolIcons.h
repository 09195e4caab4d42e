#pragma once

#include <QColor>
#include <QIcon>
#include <QString>
#include <QStringList>

class QApplication;
class QToolButton;

// Icons for the symbol names the views use ("folder", "gearshape", "square.grid.2x2", ...). The
// drawings ship with the program (SVG resources under ":/symbols/"), so every symbol draws the
// same on every desktop, with or without an icon theme. They are drawn in the current text
// colour at paint time, so they follow a theme change.
//
// This is the one table of symbols: a name that is not in it falls back to its nearest known
// name by dropping trailing parts ("cpu.fill" draws "cpu", "gearshape.fill" draws "gearshape").
// A name with no fallback gives a null icon and is remembered (see missing()).
QIcon symbolIcon(const QString& symbolName);
// The same drawing in a given colour (accent-tinted images, white on coloured tiles).
QIcon symbolIcon(const QString& symbolName, const QColor& tint);

// Gives a tool button the symbol, or the text when no drawing fits, so it is never blank.
void setSymbolOrText(QToolButton* button, const QString& symbolName, const QString& text);

namespace SymbolIcons {
// The table name a symbol draws as after the fallbacks; empty when none fits.
QString resolve(const QString& symbolName);
// Every name in the table, sorted.
QStringList knownSymbols();
// Names asked for since the start that had no drawing, sorted.
QStringList missing();
// From now on a label showing a symbol pixmap in the text colour gets it drawn again in the
// new colour when the palette changes (a theme switch), as icons painted live already do.
void followPalette(QApplication& app);
}  // namespace SymbolIcons
