#pragma once

#include <QColor>
#include <QFont>

// The four colours and the type face every exported page is drawn with. Pages are always drawn
// light, on white, whatever the desktop theme.
namespace SheetPalette {
inline QColor ink() { return QColor::fromRgbF(0.10f, 0.10f, 0.10f); }
inline QColor secondary() { return QColor::fromRgbF(0.45f, 0.45f, 0.45f); }
inline QColor rule() { return QColor::fromRgbF(0.85f, 0.85f, 0.85f); }
inline QColor accent() { return QColor::fromRgbF(0.13f, 0.63f, 0.45f); }

// A sans-serif face at a size in points (the PDF device works at 72 dots per inch, so a point
// is one unit) and weight.
QFont font(double pointSize, QFont::Weight weight = QFont::Normal);
}  // namespace SheetPalette
