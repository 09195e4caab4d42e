#pragma once

#include "Corvallen/Settings/SettingsPane.h"

#include <QFont>
#include <QIcon>
#include <QString>

class QGroupBox;
class QLabel;
class QWidget;

// Text styles, graded colours and small building blocks shared by the Settings, Help and
// release-notes windows. Colours follow the current palette, so a theme change restyles them.
namespace SettingsStyle {

enum class TextStyle { largeTitle, title2, title3, headline, body, callout, caption };
QFont font(TextStyle style, QFont::Weight weight = QFont::Normal);

// Keeps a label's text at a foreground grade (1 primary, 2 secondary, 3 tertiary) of whatever
// palette it has, now and after every palette change.
void setGrade(QLabel* label, int grade);

// A plain-text label (never read as markup) in a style and grade.
QLabel* label(const QString& text, TextStyle style, int grade = 1, QFont::Weight weight = QFont::Normal,
              QWidget* parent = nullptr);
// A wrapping caption in the secondary grade.
QLabel* caption(const QString& text, QWidget* parent = nullptr);

// A titled group of a grouped form; an empty title makes a group without a header.
QGroupBox* section(const QString& title, QWidget* parent = nullptr);

// The 20-point tile of a pane: its symbol in white on a rounded square of its colour.
QIcon paneTile(SettingsPane pane, int size = 20);

}  // namespace SettingsStyle
