#pragma once

#include <QDateTime>
#include <QString>

class Project;

// Where the project workspace meets the branded PDF renderer of the exports. Each returns the
// path of a PDF written to the temporary folder or throws DomainError ("Corvallen.PDF", 1).
namespace ProjectExportBuilders {
QString makeProjectSheetPDF(Project* project);
QString makeQuotePDF(Project* project, const QDateTime& date);
}  // namespace ProjectExportBuilders
