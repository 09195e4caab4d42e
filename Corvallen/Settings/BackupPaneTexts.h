#pragma once

#include "Corvallen/Backup/BackupManifest.h"
#include "Corvallen/Backup/RestoreSummary.h"

#include <QDateTime>
#include <QString>

// The texts of the Storage pane that are made from data: the suggested archive name and the two
// lines about an archive in the restore sheet.
namespace BackupPaneTexts {

// "Corvallen-backup-<yyyyMMdd-HHmmss>.zip" for a local time.
QString suggestedFileName(const QDateTime& localTime);
// "Backup from <date> · 2 projects, 0 components, settings" ("empty" when nothing is counted).
QString manifestSummaryText(const BackupManifest& manifest);
// "Exported with Corvallen 1.0 (build 7, beta) on Linux 6.1".
QString manifestOriginText(const BackupManifest& manifest);

}  // namespace BackupPaneTexts
