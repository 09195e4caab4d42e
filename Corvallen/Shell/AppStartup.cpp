#include "Corvallen/Shell/AppStartup.h"

#include "Corvallen/Backup/StagedRestore.h"
#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Store/ModelContainer.h"

#include <QCoreApplication>

namespace AppStartup {

QString storeFailurePrefix() { return QStringLiteral("Failed to create ModelContainer: "); }

namespace {

// The launch snapshot of this run, pruned around once the store has opened.
QString g_launchSnapshot;
// What the main window tells the user at launch about a restore that was undone or not finished.
QString g_restoreNotice;

}  // namespace

void applyStagedRestore()
{
    // The user asked for this restore and relaunched for it: a swap that couldn't be made is
    // said, not left for the user to find out from the data.
    if (const QString why = StagedRestore::applyPendingRestoreIfNeeded(); !why.isEmpty())
        g_restoreNotice = QCoreApplication::translate("AppStartup",
                                                      "The restore from the older full backup couldn't be finished (%1). Corvallen "
                                                      "started with your data as it was before; restore the backup again to try once "
                                                      "more.")
                              .arg(why);
}

std::unique_ptr<ModelContainer::PendingOpen> beginOpenStore()
{
    applyStagedRestore();
    // After the restore, so a staged restore is what the snapshot keeps. The store file is
    // copied while it opens and its tables are read; nothing writes to it before the copy is
    // whole.
    const StoreLocation::PendingSnapshot snapshot = StoreLocation::snapshotStoreWhileOpening();
    g_launchSnapshot = snapshot.name;
    return ModelContainer::beginOpen(StoreLocation::storeURL(), corvallenSchema(), snapshot.done);
}

QString restoreNotice() { return g_restoreNotice; }

std::unique_ptr<ModelContainer> finishOpenStore(std::unique_ptr<ModelContainer::PendingOpen> pending, QString* error)
{
    QString why;
    std::unique_ptr<ModelContainer> container = ModelContainer::finishOpen(std::move(pending), &why);
    // Records normally come in after the first paint, and a table that can't be read is found
    // then. A store a restore has just put in place is read whole before it is accepted, so a
    // damaged one is still undone below instead of stopping the program later.
    if (container && StagedRestore::restoredStoreAwaitsAcceptance()) {
        container->mainContext().loadAll();
        if (const QString failed = container->mainContext().loadError(); !failed.isEmpty()) {
            why = failed;
            container.reset();
        }
    }
    // A restore never stops the program: a store that a restore put in place and that won't
    // open gives way to the data from before the restore.
    QString snapshot;
    if (!container && StagedRestore::revertRestoredStore(&snapshot)) {
        const QString reason = why.isEmpty() ? QStringLiteral("unknown error") : why;
        g_restoreNotice = snapshot.isEmpty()
            ? QCoreApplication::translate("AppStartup",
                                          "The restore from the older full backup was undone: its data store couldn't be "
                                          "opened (%1). Corvallen started with your data as it was just before the restore, "
                                          "with all your changes since you chose it.")
                  .arg(reason)
            : QCoreApplication::translate("AppStartup",
                                          "The restore from the older full backup was undone: its data store couldn't be "
                                          "opened (%1). Corvallen started with your data as it was before the restore "
                                          "(kept in the “%2” snapshot in the “backups” folder).")
                  .arg(reason, snapshot);
        why.clear();
        container = ModelContainer::open(StoreLocation::storeURL(), corvallenSchema(), &why);
    }
    if (container)
        StagedRestore::acceptRestoredStore();
    if (!container) {
        if (error)
            *error = storeFailurePrefix() + (why.isEmpty() ? QStringLiteral("unknown error") : why);
        return nullptr;
    }
    // Only a store that opened proves its snapshot good: after launches that fail, the older
    // snapshots are all still there.
    StoreLocation::pruneSnapshots(StoreLocation::snapshotFolder(), 8, g_launchSnapshot);
    DocumentFileStore::migrateDocumentAttachments(container->mainContext());
    DocumentFileStore::finishInterruptedDeletion(container->mainContext());
    DocumentFileStore::finishInterruptedImport(container->mainContext());
    return container;
}

std::unique_ptr<ModelContainer> openStore(QString* error)
{
    return finishOpenStore(beginOpenStore(), error);
}

}  // namespace AppStartup
