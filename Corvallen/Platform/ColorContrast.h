#pragma once

#include <QColor>

// Contrast between colours as the web accessibility guidelines measure it, and text colours
// adjusted until they read on a given background. Used wherever a coloured text (a status badge,
// a red action) sits on a background that the theme or a selection decides.
namespace ColorContrast {

// Relative luminance of an opaque colour (sRGB), 0 for black to 1 for white.
qreal luminance(const QColor& color);
// The contrast ratio of two opaque colours, from 1 (the same) to 21 (black on white).
qreal ratio(const QColor& a, const QColor& b);
// `over` painted at its alpha onto an opaque `under`.
QColor composite(const QColor& over, const QColor& under);
// `text` made lighter or darker, keeping its hue, until it has at least `minimum` contrast on
// `background` (at most black or white). A text that already reads is returned unchanged.
QColor readableOn(const QColor& text, const QColor& background, qreal minimum = 4.5);

}  // namespace ColorContrast
