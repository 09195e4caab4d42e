#pragma once

#include "Corvallen/Store/ModelContainer.h"

#include <QString>

#include <memory>

// What runs at launch before any window: a restore staged by the previous run is put in place,
// the store is copied into a launch snapshot, the store is opened with the eight entity types
// (then the newest eight launch snapshots are kept, this one among them), and the one-time
// document-link migration runs. Main thread.
namespace AppStartup {

// The fixed start-up message when the store can't be opened; the error text follows it.
QString storeFailurePrefix();  // "Failed to create ModelContainer: "

// Swaps a restore staged during the previous run into place. Never fails towards its caller: a
// swap that couldn't be made leaves the data as it was and a notice for restoreNotice().
void applyStagedRestore();

// The whole sequence. Returns the open store, or nothing with `error` set to the full message
// ("Failed to create ModelContainer: " and the reason); then the application must stop.
std::unique_ptr<ModelContainer> openStore(QString* error);

// The same sequence in two halves, so the store's records are read on worker threads while the
// application object and the theme come up: beginOpenStore() puts a staged restore in place,
// takes the launch snapshot and starts reading; finishOpenStore() (main thread, application
// object present) completes the opening and runs the migration.
std::unique_ptr<ModelContainer::PendingOpen> beginOpenStore();
std::unique_ptr<ModelContainer> finishOpenStore(std::unique_ptr<ModelContainer::PendingOpen> pending, QString* error);

// What the user must be told once the window is up about this launch's start-up, or "": set
// when a restore put in place at this launch had to be undone because its store won't open.
QString restoreNotice();

}  // namespace AppStartup
