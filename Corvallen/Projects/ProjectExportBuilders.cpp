#include "Corvallen/Projects/ProjectExportBuilders.h"

#include "Corvallen/Model/DomainError.h"

#include <QCoreApplication>

// Seam: the page renderer of the exports is not part of this build yet, so both exports report
// that the PDF could not be made (shown to the user in the export's alert) instead of writing an
// empty or fake file.
namespace ProjectExportBuilders {

namespace {
[[noreturn]] void cannotCreate()
{
    throw DomainError(QStringLiteral("Corvallen.PDF"), 1, QCoreApplication::translate("ProjectExport", "Couldn't create the PDF."));
}
}  // namespace

QString makeProjectSheetPDF(Project*) { cannotCreate(); }

QString makeQuotePDF(Project*, const QDateTime&) { cannotCreate(); }

}  // namespace ProjectExportBuilders
