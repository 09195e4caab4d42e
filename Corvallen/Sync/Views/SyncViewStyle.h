#pragma once

#include <QFont>
#include <QIcon>
#include <QString>

class QFrame;
class QLabel;
class QWidget;

// Helpers the sync pages share: location icons, caption and headline fonts, dividers
// and form sections.
namespace SyncViewStyle {

// The icon of a location's symbol name; a name without a drawing (an older or hand-edited
// list) shows the drive.
QIcon locationIcon(const QString& symbol);

QFont captionFont(QFont base);
QFont headlineFont(QFont base);
QLabel* caption(const QString& text, QWidget* parent, bool secondary = true);
QFrame* divider(QWidget* parent);
// A rounded, lightly filled panel holding rows, as in a grouped form.
QFrame* section(QWidget* parent);

// A name for display: the name, or "Untitled location" when it is empty.
QString shownName(const QString& name);

}  // namespace SyncViewStyle
