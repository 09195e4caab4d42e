#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

class QWidget;

// Looks over a shown window the way a person would and lists what reads badly: a label, button,
// check box or segment given less width than its text needs, a drop-down whose arrow covers its
// text, a widget pushed outside the widget that holds it, a form column that scrolls sideways, a
// window held larger than the size asked for, and a symbol button with nothing drawn in it.
namespace LayoutAudit {

// Every problem found in `window`, one line each, named by the path of object names.
QStringList problems(QWidget* window);

// Resizes the window, lets the layouts settle, and reports when the window could not take
// that size (its content needs more).
QStringList resizeTo(QWidget* window, QSize size);

// Writes a picture of the window for a person to look at: into the folder named by
// CORVALLEN_LAYOUT_SHOTS, else "layout-screenshots" beside the test program.
void screenshot(QWidget* window, const QString& name);

// Processes pending events (layouts, deferred rebuilds) a few times.
void settle();

}  // namespace LayoutAudit
