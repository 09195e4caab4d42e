#pragma once

#include "Corvallen/Exports/SheetProject.h"
#include "Corvallen/Exports/SheetRenderer.h"

#include <QDateTime>
#include <QString>

#include <functional>

// Saving the project sheet and quote PDFs where the user chose: the builder writes a temporary
// file, which then replaces whatever is at the destination.
namespace ProjectExport {

// Builds a PDF in the temporary folder and returns its path, reporting how far it has come;
// throws DomainError on failure, and when the progress answers false.
using Builder = std::function<QString(const SheetProgress& progress)>;

// The builders of the branded exports of a project, from its copy (SheetProjectReader). They
// read the business profile when they are made, on the main thread; the builder itself touches
// neither the store nor the settings, so a long project is built on a worker.
Builder projectSheetBuilder(SheetProjectPtr project);
Builder quoteBuilder(SheetProjectPtr project, const QDateTime& date);

// Moves the built file to the destination, replacing a file there. Safe to run on a worker
// thread. Returns an empty string on success, else the reason; on failure the temporary file is
// removed and the destination is left as it was.
QString placeFile(const QString& builtFile, const QString& destination);

}  // namespace ProjectExport
