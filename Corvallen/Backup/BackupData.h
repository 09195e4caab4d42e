#pragma once

#include <QString>
#include <QStringList>

// The live data a backup covers, by name: the store file with its companions and the three data
// folders, all in the data folder. The records written for them are in BackupRecords.h.
namespace BackupData {

// The names of the three data folders, in their fixed order.
inline const QStringList& dataFolderNames()
{
    static const QStringList names{QStringLiteral("captures"), QStringLiteral("components"), QStringLiteral("documents")};
    return names;
}

// "Corvallen.store".
inline QString storeFileName() { return QStringLiteral("Corvallen.store"); }
// The store file and its "-wal" and "-shm" companions, in that order.
inline QStringList storeFileNames()
{
    return {storeFileName(), storeFileName() + QStringLiteral("-wal"), storeFileName() + QStringLiteral("-shm")};
}

}  // namespace BackupData
