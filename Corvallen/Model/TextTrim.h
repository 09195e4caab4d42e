#pragma once

#include <QChar>
#include <QString>

// The two senses of "blank" the stored texts are trimmed by. Every field, search and list cell
// that trims goes through these, so a non-breaking space counts the same everywhere.

// A tab or a Unicode space separator (a plain, non-breaking or em space): blank within a line.
bool isHorizontalSpace(QChar c);
// A horizontal space or a line break (LF, VT, FF, CR, NEL, line and paragraph separators).
bool isSpaceOrNewline(QChar c);

// Trims horizontal white space at both ends; line breaks stay.
QString trimHorizontalSpace(const QString& s);
// Trims white space and line breaks at both ends.
QString trimWhitespaceAndNewlines(const QString& s);
