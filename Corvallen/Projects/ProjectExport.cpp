#include "Corvallen/Projects/ProjectExport.h"

#include "Corvallen/Model/DomainError.h"
#include "Corvallen/Exports/SheetBuilders.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace ProjectExport {

Builder projectSheetBuilder(SheetProjectPtr project)
{
    return [project = std::move(project), profile = BusinessProfile::load()](const SheetProgress& progress) {
        return SheetBuilders::makeProjectSheetPDF(project, profile, progress);
    };
}

Builder quoteBuilder(SheetProjectPtr project, const QDateTime& date)
{
    return [project = std::move(project), profile = BusinessProfile::load(), date](const SheetProgress& progress) {
        return SheetBuilders::makeQuotePDF(project, date, profile, progress);
    };
}

namespace {

QString copyOver(const QString& builtFile, const QString& destination)
{
    QFile source(builtFile);
    if (!source.open(QIODevice::ReadOnly))
        return source.errorString();
    // Written through a save file, so a failure half-way keeps the file that was there, and the
    // temporary folder and the destination may be on different file systems.
    QSaveFile target(destination);
    if (!target.open(QIODevice::WriteOnly))
        return target.errorString();
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(1 << 20);
        if (chunk.isEmpty() && source.error() != QFileDevice::NoError) {
            target.cancelWriting();
            return source.errorString();
        }
        if (target.write(chunk) != chunk.size()) {
            const QString reason = target.errorString();
            target.cancelWriting();
            return reason;
        }
    }
    if (!target.commit()) {
        const QString reason = target.errorString();
        return reason.isEmpty() ? QCoreApplication::translate("ProjectExport", "The file could not be saved.") : reason;
    }
    return {};
}

}  // namespace

QString placeFile(const QString& builtFile, const QString& destination)
{
    const QString error = copyOver(builtFile, destination);
    // The temporary file is of no use either way.
    QFile::remove(builtFile);
    return error;
}

}  // namespace ProjectExport
