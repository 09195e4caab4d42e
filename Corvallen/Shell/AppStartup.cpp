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

std::unique_ptr<ModelContainer> openStore(QString* error)
{
    applyStagedRestore();
    // After the restore, so a staged restore is what the snapshot keeps.
    StoreLocation::snapshotStore(8);
    QString why;
    std::unique_ptr<ModelContainer> container = ModelContainer::open(StoreLocation::storeURL(), corvallenSchema(), &why);
    if (!container) {
        if (error)
            *error = storeFailurePrefix() + (why.isEmpty() ? QStringLiteral("unknown error") : why);
        return nullptr;
    }
    DocumentFileStore::migrateDocumentAttachments(container->mainContext());
    return container;
}

}  // namespace AppStartup
