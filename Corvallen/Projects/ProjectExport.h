#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

class Project;

// Saving the project sheet and quote PDFs where the user chose: the builder writes a temporary
// file, which then replaces whatever is at the destination.
namespace ProjectExport {

// Builds a PDF in the temporary folder and returns its path; throws DomainError on failure.
using Builder = std::function<QString()>;

// The builders of the branded exports for this project.
Builder projectSheetBuilder(Project* project);
Builder quoteBuilder(Project* project, const QDateTime& date);

// Moves the built file to the destination, replacing a file there. Safe to run on a worker
// thread. Returns an empty string on success, else the reason; on failure the temporary file is
// removed and the destination is left as it was.
QString placeFile(const QString& builtFile, const QString& destination);

}  // namespace ProjectExport
