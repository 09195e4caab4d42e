#include "Corvallen/Model/ComponentFileStore.h"

#include "Corvallen/Model/ComponentFileDownload.h"
#include "Corvallen/Model/StoredFileName.h"
#include "Corvallen/Model/TextTrim.h"
#include "Corvallen/Platform/AppPaths.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QMutex>
#include <QSet>
#include <QUrl>

namespace ComponentFileStore {

namespace {
QMutex g_limitsMutex;
DownloadLimits g_limits;
}  // namespace

DomainError componentFileError(const QString& message) { return DomainError(errorDomain, errorCode, message); }

QString componentsFolderURL()
{
    static const QString folder = [] {
        const QString path = AppPaths::dataFolder() + QStringLiteral("/components");
        AppPaths::ensureFolder(path);
        return path;
    }();
    return folder;
}

QString importComponentFile(const QString& sourcePath)
{
    return StoredFileName::copyIntoFolder(sourcePath, componentsFolderURL());
}

ComponentFileDownload* downloadComponentFile(const QString& link, QObject* parent)
{
    return new ComponentFileDownload(link, downloadLimits(), parent);
}

DownloadLimits downloadLimits()
{
    QMutexLocker lock(&g_limitsMutex);
    return g_limits;
}

void setDownloadLimits(const DownloadLimits& limits)
{
    QMutexLocker lock(&g_limitsMutex);
    g_limits = limits;
}

QString storedFilePath(const QString& name)
{
    if (!AppPaths::isPlainFileName(name))
        return {};
    return componentsFolderURL() + QLatin1Char('/') + name;
}

void deleteComponentFile(const QString& name)
{
    if (const QString path = storedFilePath(name); !path.isEmpty())
        QFile::remove(path);
}

bool openWebLink(const QString& link)
{
    const QString text = trimHorizontalSpace(link);
    if (text.isEmpty())
        return false;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    // Only web links are handed to the desktop: a "file:" or custom-scheme link in a
    // component's field must not open local files or start other programs.
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return false;
    return QDesktopServices::openUrl(url);
}

QString fileExtension(const std::optional<QString>& contentType)
{
    if (!contentType)
        return {};
    static const std::pair<const char*, const char*> table[] = {
        {"pdf", "pdf"}, {"png", "png"}, {"jpeg", "jpg"}, {"jpg", "jpg"}, {"gif", "gif"}, {"webp", "webp"},
    };
    for (const auto& [needle, ext] : table)
        if (contentType->contains(QLatin1String(needle), Qt::CaseSensitive))
            return QLatin1String(ext);
    return {};
}

bool isProgramExtension(const QString& extension)
{
    static const QSet<QString> programs = {
        // desktop entries and links
        QStringLiteral("desktop"), QStringLiteral("directory"), QStringLiteral("kdelnk"), QStringLiteral("lnk"),
        QStringLiteral("url"),
        // Linux programs, scripts and packages
        QStringLiteral("sh"), QStringLiteral("bash"), QStringLiteral("zsh"), QStringLiteral("ksh"), QStringLiteral("csh"),
        QStringLiteral("fish"), QStringLiteral("run"), QStringLiteral("bin"), QStringLiteral("elf"), QStringLiteral("so"),
        QStringLiteral("appimage"), QStringLiteral("flatpakref"), QStringLiteral("flatpak"), QStringLiteral("snap"),
        QStringLiteral("deb"), QStringLiteral("rpm"), QStringLiteral("py"), QStringLiteral("pyw"), QStringLiteral("pl"),
        QStringLiteral("rb"), QStringLiteral("jar"), QStringLiteral("command"),
        // other systems' programs and installers
        QStringLiteral("exe"), QStringLiteral("com"), QStringLiteral("bat"), QStringLiteral("cmd"), QStringLiteral("msi"),
        QStringLiteral("scr"), QStringLiteral("pif"), QStringLiteral("cpl"), QStringLiteral("ps1"), QStringLiteral("vbs"),
        QStringLiteral("vbe"), QStringLiteral("js"), QStringLiteral("jse"), QStringLiteral("wsf"), QStringLiteral("wsh"),
        QStringLiteral("hta"), QStringLiteral("reg"), QStringLiteral("app"), QStringLiteral("apk"),
    };
    return programs.contains(extension.toLower());
}

bool isProgramFile(const QString& path)
{
    if (isProgramExtension(StoredFileName::pathExtension(QFileInfo(path).fileName())))
        return true;
    static const char* const runnable[] = {
        "application/x-executable", "application/x-pie-executable", "application/x-sharedlib",
        "application/x-shellscript", "application/x-desktop", "application/x-ms-dos-executable",
        "application/x-msdownload", "application/x-msi", "application/vnd.appimage", "application/x-java-archive",
        "application/x-perl", "text/x-python", "text/x-python3", "application/x-ruby",
    };
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    for (const char* name : runnable) {
        if (type.inherits(QLatin1String(name)))
            return true;
    }
    return false;
}

QString linkExtension(const QString& urlPath)
{
    const QString ext = StoredFileName::pathExtension(urlPath).toLower();
    if (ext.isEmpty() || ext.size() > 10 || isProgramExtension(ext))
        return {};
    for (QChar c : ext)
        if (!((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))))
            return {};
    return ext;
}

}  // namespace ComponentFileStore
