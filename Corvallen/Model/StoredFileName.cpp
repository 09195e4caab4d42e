#include "Corvallen/Model/StoredFileName.h"

#include "Corvallen/Model/DomainError.h"
#include "Corvallen/Model/UuidText.h"
#include "Corvallen/Platform/AppPaths.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace StoredFileName {

QString pathExtension(const QString& fileName)
{
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    const QString last = slash < 0 ? fileName : fileName.mid(slash + 1);
    const qsizetype dot = last.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return {};
    return last.mid(dot + 1);
}

QString make(const QString& extension)
{
    if (extension.isEmpty())
        return newUuidText();
    return newUuidText() + QLatin1Char('.') + extension;
}

QString markupFileName(const QString& key)
{
    if (!AppPaths::isPlainFileName(key))
        return {};
    return key + QStringLiteral(".markup.pdf");
}

QString copyIntoFolder(const QString& sourcePath, const QString& folder)
{
    const QString name = make(pathExtension(QFileInfo(sourcePath).fileName()).toLower());
    copyWhole(sourcePath, folder + QLatin1Char('/') + name);
    return name;
}

void copyWhole(const QString& sourcePath, const QString& targetPath)
{
    // Written nameless and flushed, then given its name whole: a copy stopped half way (a crash,
    // a full disk) leaves neither a half file under a stored name nor a stray one beside it.
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        throw DomainError(QStringLiteral("QFileDevice"), int(source.error()), source.errorString());
    QSaveFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly))
        throw DomainError(QStringLiteral("QFileDevice"), int(target.error()), target.errorString());
    QByteArray chunk(1 << 16, Qt::Uninitialized);
    for (;;) {
        const qint64 n = source.read(chunk.data(), chunk.size());
        if (n < 0)
            throw DomainError(QStringLiteral("QFileDevice"), int(source.error()), source.errorString());
        if (n == 0)
            break;
        if (target.write(chunk.constData(), n) != n)
            break;  // the save file keeps the error; commit below reports it
    }
    if (!target.commit())
        throw DomainError(QStringLiteral("QFileDevice"), int(target.error()), target.errorString());
}

}  // namespace StoredFileName
