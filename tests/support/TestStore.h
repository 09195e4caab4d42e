#pragma once

#include "Corvallen/Store/ModelContainer.h"

#include <QString>

#include <memory>

namespace corvallen::test {

// A fresh store file with the application's schema, in its own temporary folder. Autosave is
// off, so a test decides when to save; `path` receives the store file's path.
std::unique_ptr<ModelContainer> openTestStore(QString* path = nullptr);

// Opens the store file at `path` again (after the first container was destroyed).
std::unique_ptr<ModelContainer> reopenTestStore(const QString& path);

// The store at this process's own data location, with its launch snapshots, is one for the
// whole test program: a test that opens it there (as a launch does) holds one of these, so that
// it starts without that store and leaves none behind.
struct FreshProcessStore {
    FreshProcessStore() { remove(); }
    ~FreshProcessStore() { remove(); }
    FreshProcessStore(const FreshProcessStore&) = delete;
    FreshProcessStore& operator=(const FreshProcessStore&) = delete;
    static void remove();
};

// Runs SQL on a closed store file over a connection of its own, as another program would.
bool execOnStoreFile(const QString& path, const char* sql);
// Overwrites the first page of a table with junk, as a bad sector or a torn write would: the
// file still opens, the table can't be read.
bool damageTable(const QString& path, const QString& table);

}  // namespace corvallen::test
