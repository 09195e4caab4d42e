#pragma once

#include "Corvallen/Projects/BomImport.h"

#include <QFuture>
#include <QList>
#include <QString>

// Reading and parsing a chosen bill-of-materials file on a worker thread: the file may sit on a
// slow drive or be large, and parsing touches nothing shared. Matching against the inventory
// happens afterwards on the main thread, where the store lives.
namespace BomFileReader {

struct Result {
    QList<BomImport::Row> rows;
    QString error;  // empty on success: the sentence for the "Import failed" alert
};

// Synchronous form, run by read() on the worker.
Result readNow(const QString& path);

QFuture<Result> read(const QString& path);

}  // namespace BomFileReader
