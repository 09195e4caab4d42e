#pragma once

#include <QDateTime>
#include <QString>

class ModelContext;

// Changes that could not be saved when the run ended are never dropped without a word. A run
// the system ends (SIGTERM at logout or shutdown, `kill`) can ask nobody: when a last save of the
// pending changes fails too, it leaves a note in the data folder ("unsaved-changes.json": when,
// and why the saves failed), and the next launch tells the user that those changes were lost
// and why, then drops the note. (Where the disk is full even the note may not fit; the same
// line goes to the standard error stream.) Main thread.
namespace UnsavedChangesNote {

QString filePath();

// At the end of a run, once its event loop is over: saves what is still pending; when that
// fails, writes the note. `discarded`: the user chose to quit without saving (nothing is noted
// then). True when nothing was left unsaved.
bool saveOrNote(ModelContext& context, bool discarded);

// At launch: what the user must be told about changes an earlier run couldn't save, or "" when
// it saved everything. The note goes once it is read.
QString takeNotice();

// The notice's text for a run that ended at `when` with saves failing for `reason`.
QString noticeText(const QDateTime& when, const QString& reason);

}  // namespace UnsavedChangesNote
