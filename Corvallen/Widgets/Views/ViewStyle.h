#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QWidget;

// The text styles and graded colours the views of every page share, taken from the current
// palette and application font so that the theme and the desktop's font size carry through.

namespace ViewStyle {

enum class TextStyle { largeTitle, title2, title3, headline, body, callout, caption, caption2 };
QFont font(TextStyle style, QFont::Weight weight = QFont::Normal);

QColor accent(const QPalette& palette);
// The foreground for secondary, tertiary and quaternary content: the text colour, fainter.
QColor secondary(const QPalette& palette);
QColor tertiary(const QPalette& palette);
QColor quaternary(const QPalette& palette);
QColor withAlpha(QColor color, double alpha);
// The faint fill of cards and tiles (the quaternary grade at 40 %).
QColor cardFill(const QPalette& palette);

// A label in a style and colour role that follows palette changes.
QLabel* label(const QString& text, TextStyle style, QFont::Weight weight = QFont::Normal, bool secondaryColor = false,
              QWidget* parent = nullptr);
// The same as an ElidedLabel: one line, cut with "…" when the room is short.
QLabel* elidedLabel(const QString& text, TextStyle style, QFont::Weight weight = QFont::Normal, bool secondaryColor = false,
                    QWidget* parent = nullptr);
// Makes a checkable button one segment of a segmented control: drawn by the application style
// (the chosen segment filled with the accent colour in both themes) and never narrower than its
// text.
void makeSegment(QAbstractButton* button);
// Makes a push button the prominent one of its window or page (filled with the accent colour).
void makeProminent(QAbstractButton* button);
// Keeps a label's text at a foreground grade (1 primary, 2 secondary, 3 tertiary) of whatever
// palette it has, now and after every palette change.
void setGrade(QLabel* label, int grade);
// The secondary grade.
void makeSecondary(QLabel* label);
// A field whose text may be longer than the field: whenever it does not have the focus (after
// typing, or when its text is set from the record) it shows the text from its beginning rather
// than its end.
void showStartAtRest(QLineEdit* field);

}  // namespace ViewStyle
