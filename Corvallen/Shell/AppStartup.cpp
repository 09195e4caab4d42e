#include "Corvallen/Shell/AppStartup.h"

#include "Corvallen/Backup/BackupBundle.h"
#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Platform/ModelContainer.h"

namespace AppStartup {

QString storeFailurePrefix() { return QStringLiteral("Failed to create ModelContainer: "); }

void applyStagedRestore()
{
    BackupBundle::applyPendingRestoreIfNeeded();
}

namespace {

// The launch snapshot of this run, pruned around once the store has opened.
QString g_launchSnapshot;

}  // namespace

std::unique_ptr<ModelContainer::PendingOpen> beginOpenStore()
{
    applyStagedRestore();
    // After the restore, so a staged restore is what the snapshot keeps.
    g_launchSnapshot = StoreLocation::snapshotStore();
    return ModelContainer::beginOpen(StoreLocation::storeURL(), corvallenSchema());
}

std::unique_ptr<ModelContainer> finishOpenStore(std::unique_ptr<ModelContainer::PendingOpen> pending, QString* error)
{
    QString why;
    std::unique_ptr<ModelContainer> container = ModelContainer::finishOpen(std::move(pending), &why);
    if (!container) {
        if (error)
            *error = storeFailurePrefix() + (why.isEmpty() ? QStringLiteral("unknown error") : why);
        return nullptr;
    }
    // Only a store that opened proves its snapshot good: after launches that fail, the older
    // snapshots are all still there.
    StoreLocation::pruneSnapshots(StoreLocation::snapshotFolder(), 8, g_launchSnapshot);
    DocumentFileStore::migrateDocumentAttachments(container->mainContext());
    return container;
}

std::unique_ptr<ModelContainer> openStore(QString* error)
{
    return finishOpenStore(beginOpenStore(), error);
}

}  // namespace AppStartup
