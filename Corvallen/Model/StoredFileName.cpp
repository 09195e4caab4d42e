#include "Corvallen/Model/StoredFileName.h"

#include "Corvallen/Model/UuidText.h"
#include "Corvallen/Platform/AppPaths.h"

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

}  // namespace StoredFileName
