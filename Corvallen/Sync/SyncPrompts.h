#pragma once

#include <QString>

#include <functional>
#include <optional>

// The few questions the sync engine has to ask the user. The engine itself has no windows: the
// views install the real dialogs when they are linked in, and tests install stand-ins. Main
// thread only.
namespace SyncPrompts {

// The folder picker of a grant request: the picked folder's path, or nothing when cancelled.
using FolderChooser = std::function<std::optional<QString>(const QString& startFolder)>;
// The warning before a whole system volume is granted: true to go on ("Sync Anyway").
using WholeVolumeQuestion = std::function<bool(const QString& folderName)>;
// The question before a large batch: true to import.
using LargeBatchQuestion = std::function<bool(qint64 count, const QString& locationName)>;

void setFolderChooser(FolderChooser chooser);
void setWholeVolumeQuestion(WholeVolumeQuestion question);
void setLargeBatchQuestion(LargeBatchQuestion question);

// Without an installed chooser nothing can be picked.
std::optional<QString> chooseFolder(const QString& startFolder);
// Without an installed question the careful answer: don't.
bool confirmWholeVolume(const QString& folderName);
// Without an installed question the batch is imported; the status bar can still stop it.
bool confirmLargeBatch(qint64 count, const QString& locationName);

}  // namespace SyncPrompts
