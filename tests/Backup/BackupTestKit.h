#pragma once

#include "Corvallen/Backup/BackupSelection.h"
#include "Corvallen/Backup/RestoreSummary.h"
#include "Corvallen/Store/ModelContainer.h"
#include "support/CraftedZip.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

// Shared ground for the backup tests: every test gets its own data folder and temporary folder
// (both read from the environment on each use) and a real store opened at the data folder's
// store location.
namespace backuptest {

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ModelContext& context() { return container->mainContext(); }
    QString data() const;                  // the data folder
    QString data(const QString& name) const;  // an entry of it
    // Closes the store, points the data folder at a fresh empty folder and opens a new store there.
    void switchToFreshDataFolder();
    void closeStore() { container.reset(); }
    void reopenStore();

    std::unique_ptr<ModelContainer> container;
    QString tmp;  // this test's temporary folder
};

void writeBytes(const QString& path, const QByteArray& bytes);
QByteArray readBytes(const QString& path);
// Every file below a folder by its relative path, with its bytes; folders end in "/".
QMap<QString, QByteArray> folderContents(const QString& folder);
// Entries of the temporary folder whose names start with "Corvallen".
QStringList temporaryLeftovers(const QString& tmp);
// Entries of the data folder other than the store files, "backups" and the three data folders.
QStringList dataFolderLeftovers(const QString& data);

// Pseudo-random bytes, the same for one seed.
QByteArray noise(int size, quint32 seed);

// A sorted, complete text description of every record of the store with its links (by names,
// not identities), dates to the second: two stores with the same data describe alike.
QStringList describeStore(ModelContext& context);

// Fills the store with a bit of everything (every field of every type, links of every kind)
// and the three data folders with files; saves. Returns nothing; describeStore tells what it is.
void populate(ModelContext& context, const QString& dataFolder);

using corvallen::test::RawEntry;
using corvallen::test::rawZip;

// A fresh folder with the given files (relative path -> bytes; a path ending in "/" is a
// folder), zipped with the archive writer; returns the archive's path.
QString zipFiles(const QMap<QString, QByteArray>& files);

// Runs a shell command; true when it exits with 0. `output` receives stdout and stderr.
bool run(const QString& program, const QStringList& args, QString* output = nullptr);

// A selective restore the way the application's backup controller runs it (restoreAsync: the
// archive work in the thread pool, the records on this thread), waited for with the event loop
// running. Returns its summary or throws its error.
RestoreSummary restoreAsTheApplicationDoes(const QString& archive, const BackupSelection& selection, ModelContext& context);

}  // namespace backuptest
