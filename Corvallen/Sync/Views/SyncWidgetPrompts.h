#pragma once

// The sync engine's questions as dialogs: the folder picker of a grant request, the warning
// before a whole system volume, and the large-batch question. Installed once when the sync
// views are linked into the program.
namespace SyncWidgetPrompts {

void install();

}  // namespace SyncWidgetPrompts
