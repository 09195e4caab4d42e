#include "Corvallen/Model/StoredFileName.h"

#include "Corvallen/Model/DomainError.h"
#include "Corvallen/Model/UuidText.h"
#include "Corvallen/Platform/AppPaths.h"

#include <QFile>
#include <QFileInfo>

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
    QFile source(sourcePath);
    if (!source.copy(folder + QLatin1Char('/') + name))
        throw DomainError(QStringLiteral("QFileDevice"), int(source.error()), source.errorString());
    return name;
}

}  // namespace StoredFileName
