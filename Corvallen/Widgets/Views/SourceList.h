#pragma once

class QListWidget;

// Lists that choose what a window shows beside them (the settings panes, the help topics).
namespace SourceList {

// The row of the page that is shown stays marked: a click on the empty space under the rows, or
// a Ctrl-click on the marked row, would otherwise clear the mark while the page stays.
void keepCurrentSelected(QListWidget* list);

}  // namespace SourceList
