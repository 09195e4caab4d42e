#include "Corvallen/Projects/BomFileReader.h"

#include <QFile>
#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

namespace BomFileReader {

Result readNow(const QString& path, BomImport::Matcher matcher, const std::function<bool(int)>& progress)
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
    if (bytes.size() > BomImport::maxFileBytes) {  // the file grew while it was read
        result.error = BomImport::ImportError(BomImport::ImportError::Kind::tooLarge).description();
        return result;
    }
    file.close();
    try {
        BomImport::LeftOut leftOut;
        const bool finished = BomImport::readRows(
            bytes, [&matcher](BomImport::Row&& row) { matcher.add(row); },
            [&progress](qsizetype done, qsizetype total) {
                return !progress || progress(int(double(done) / double(std::max<qsizetype>(total, 1)) * progressRange));
            },
            &leftOut);
        if (!finished) {
            result.cancelled = true;
            return result;
        }
        result.matches = matcher.takeMatches();
        result.matches.leftOut = leftOut;
    } catch (const BomImport::ImportError& e) {
        result.error = e.description();
    }
    return result;
}

QFuture<Result> read(const QString& path, BomImport::Matcher matcher)
{
    return QtConcurrent::run([path, matcher = std::move(matcher)](QPromise<Result>& promise) mutable {
        promise.setProgressRange(0, progressRange);
        Result result = readNow(path, std::move(matcher), [&promise](int done) {
            promise.setProgressValue(done);
            return !promise.isCanceled();
        });
        promise.addResult(std::move(result));
    });
}

}  // namespace BomFileReader
