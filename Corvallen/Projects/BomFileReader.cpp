#include "Corvallen/Projects/BomFileReader.h"

#include <QFile>
#include <QtConcurrent/QtConcurrentRun>

namespace BomFileReader {

Result readNow(const QString& path)
{
    Result result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    // Checked before reading, so a huge file is refused without being loaded.
    if (file.size() > BomImport::maxFileBytes) {
        result.error = BomImport::ImportError(BomImport::ImportError::Kind::tooLarge).description();
        return result;
    }
    const QByteArray bytes = file.read(BomImport::maxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        result.error = file.errorString();
        return result;
    }
    try {
        result.rows = BomImport::parse(bytes);
    } catch (const BomImport::ImportError& e) {
        result.error = e.description();
    }
    return result;
}

QFuture<Result> read(const QString& path) { return QtConcurrent::run([path] { return readNow(path); }); }

}  // namespace BomFileReader
