#pragma once

#include "Corvallen/Projects/BomImport.h"

#include <QFuture>
#include <QList>
#include <QString>

#include <functional>

// Reading, parsing and matching a chosen bill-of-materials file on a worker thread: the file may
// sit on a slow drive or run to tens of megabytes. The matcher has read the inventory on the
// main thread beforehand; the worker only merges rows into matches, one row at a time, so memory
// stays a small multiple of the file's size.
namespace BomFileReader {

struct Result {
    BomImport::MatchList matches;
    QString error;  // empty on success: the sentence for the "Import failed" alert
    bool cancelled = false;
};

// Progress runs from 0 to this.
constexpr int progressRange = 1000;

// Synchronous form, run by read() on the worker. `progress` hears the share done now and then
// and stops the work by answering false (the result then says cancelled).
Result readNow(const QString& path, BomImport::Matcher matcher, const std::function<bool(int)>& progress = {});

// The future reports progress (0 to progressRange) and stops early when it is cancelled.
QFuture<Result> read(const QString& path, BomImport::Matcher matcher);

}  // namespace BomFileReader
