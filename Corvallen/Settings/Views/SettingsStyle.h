#pragma once

#include "Corvallen/Settings/SettingsPane.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QFont>
#include <QIcon>
#include <QString>

class QGroupBox;
class QLabel;
class QWidget;

// Text styles, graded colours and small building blocks shared by the Settings, Help and
// release-notes windows. Colours follow the current palette, so a theme change restyles them.
namespace SettingsStyle {

// The shell's text styles and graded colours.
using ViewStyle::TextStyle;
using ViewStyle::font;
using ViewStyle::setGrade;

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
