#include "support/TestStore.h"

#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/StoreLocation.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace corvallen::test {

std::unique_ptr<ModelContainer> openTestStore(QString* path)
{
    const QString file = freshFolder(QStringLiteral("store")) + QStringLiteral("/Corvallen.store");
    if (path)
        *path = file;
    return reopenTestStore(file);
}

std::unique_ptr<ModelContainer> reopenTestStore(const QString& path)
{
    QString error;
    auto container = ModelContainer::open(path, corvallenSchema(), &error);
    EXPECT_TRUE(container) << error.toStdString();
    if (container)
        container->mainContext().setAutosaveEnabled(false);
    return container;
}

void FreshProcessStore::remove()
{
    for (const char* companion : {"", "-wal", "-shm"})
        QFile::remove(StoreLocation::storeURL() + QLatin1String(companion));
    QDir(StoreLocation::snapshotFolder()).removeRecursively();
}

bool execOnStoreFile(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    const bool ok = sqlite3_open(path.toUtf8().constData(), &db) == SQLITE_OK && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

bool damageTable(const QString& path, const QString& table)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    qint64 root = 0;
    qint64 pageSize = 0;
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = "SELECT rootpage, (SELECT page_size FROM pragma_page_size) FROM sqlite_schema WHERE name = '" + table.toUtf8() + "'";
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) {
        root = sqlite3_column_int64(st, 0);
        pageSize = sqlite3_column_int64(st, 1);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    QFile file(path);
    if (root < 2 || pageSize <= 0 || !file.open(QIODevice::ReadWrite) || !file.seek((root - 1) * pageSize))
        return false;
    return file.write(QByteArray(int(pageSize), '\xff')) == pageSize;
}

}  // namespace corvallen::test
