#include "Corvallen/Platform/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace AppPaths {

QString userDataRoot()
{
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return QDir::cleanPath(xdg);
    return QDir::homePath() + QStringLiteral("/.local/share");
}

QString dataFolder() { return userDataRoot() + QStringLiteral("/Corvallen"); }

QString configFolder()
{
    QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (xdg.isEmpty() || !QDir::isAbsolutePath(xdg))
        xdg = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(xdg) + QStringLiteral("/Corvallen");
}

QString runtimeFolder()
{
    // Qt checks that the folder is the user's and private (and mends its mode), else gives none.
    const QString standard = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!standard.isEmpty())
        return standard;
    const QString own = QDir::tempPath() + QStringLiteral("/corvallen-runtime-") + QString::number(::getuid());
    const QByteArray path = QFile::encodeName(own);
    ::mkdir(path.constData(), 0700);
    struct stat st = {};
    // Not followed if a link: someone else may have put it there.
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & 077) != 0)
        return {};
    return own;
}

QString cacheFolder()
{
    QString xdg = qEnvironmentVariable("XDG_CACHE_HOME");
    if (xdg.isEmpty() || !QDir::isAbsolutePath(xdg))
        xdg = QDir::homePath() + QStringLiteral("/.cache");
    return QDir::cleanPath(xdg) + QStringLiteral("/Corvallen");
}

bool ensureFolder(const QString& path)
{
    QDir().mkpath(path);
    return QFileInfo(path).isDir();
}

bool isPlainFileName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    return !name.contains(QLatin1Char('/')) && !name.contains(QChar(u'\0'));
}

QString safeFileName(const QString& text, const QString& fallback)
{
    static const QString unsafe = QStringLiteral("/\\:*?\"<>|");
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        out += (c.unicode() < 0x20 || c.unicode() == 0x7F || unsafe.contains(c)) ? QChar(u'-') : c;
    while (!out.isEmpty() && out.front() == u'.')
        out.remove(0, 1);
    out = clippedToBytes(out, 200);
    return out.isEmpty() ? fallback : out;
}

QString clippedToBytes(QString text, qsizetype maxBytes)
{
    while (text.toUtf8().size() > maxBytes)
        text.chop(text.size() >= 2 && text.at(text.size() - 1).isLowSurrogate() ? 2 : 1);
    return text;
}

QString saveFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString withSuffix(const QString& path, const QString& suffix)
{
    if (path.isEmpty() || path.endsWith(suffix, Qt::CaseInsensitive))
        return path;
    return path + suffix;
}

bool isBelow(const QString& path, const QString& folder)
{
    if (folder == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

}  // namespace AppPaths
