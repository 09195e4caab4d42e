#pragma once

#include "Corvallen/Sync/SyncLocation.h"
#include "Corvallen/Sync/SyncProgress.h"

#include <QList>
#include <QString>

#include <optional>

// The texts of the status bar and of the menu-bar panel, from the application model's state.
namespace StatusTexts {

// "No location connected": the status bar with nothing connected.
QString noLocationConnected();
// "No sync location connected.": the panel with nothing connected.
QString noSyncLocationConnected();

// The status bar's menu label: "<name> connected" ("Location connected" for an empty name) for
// one location, "<n> locations connected" for several; empty for none.
QString connectedText(const QList<SyncLocation>& connected);
// The header of a location's menu section: its name, or "Location".
QString sectionTitle(const SyncLocation& location);
// One row of the panel: "<name> connected", or "Location connected".
QString panelRowText(const SyncLocation& location);

// "Scanning <location>…"
QString scanningText(const SyncProgress& progress);
// "Importing <processed>/<total>"
QString importingText(const SyncProgress& progress);
// The import bar's value in 0…1: processed / total, full at or beyond the total, empty when
// the total is below 1.
double importFraction(const SyncProgress& progress);

// What stands at the right of the status bar: the progress while a sync runs (the summary
// waits), else the summary when there is one, else nothing.
enum class SyncItem { nothing, progress, summary };
SyncItem syncItem(const std::optional<SyncProgress>& progress, const QString& summary);

}  // namespace StatusTexts
