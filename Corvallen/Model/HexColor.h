#pragma once

#include <QColor>
#include <QString>

// Reads a colour text of six hexadecimal digits with an optional leading "#" ("#FF6B6B",
// "ff6b6b") as an opaque sRGB colour. The reading is deliberately lenient, because colour texts
// come from stored records and older markup files: leading blanks and an optional "0x" are
// skipped, digits are read up to the first non-digit, and only the low 24 bits count (red, green,
// blue; no alpha, no three-digit shorthand). A number too long for 64 bits reads as all bits set
// (white). Text without digits gives opaque black. Never fails.
QColor colorFromHex(const QString& hex);

// The colour written back as "#RRGGBB" in upper case.
QString hexFromColor(const QColor& color);
