#include "Corvallen/Backup/ZipWriter.h"

#include "Corvallen/Backup/BackupError.h"

#include <QFile>
#include <QSet>

#include <algorithm>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <zip.h>

namespace ZipWriter {

namespace {

struct Item {
    QByteArray path;  // on disk
    QByteArray name;  // inside the archive, UTF-8
    bool folder = false;
    time_t mtime = 0;
};

// Depth-first, names sorted so that two archives of one folder list their entries alike.
void collect(const QByteArray& dir, const QByteArray& prefix, std::vector<Item>& out)
{
    DIR* d = ::opendir(dir.constData());
    if (!d)
        throw BackupError::fileSystem(QStringLiteral("Could not read the folder “%1”").arg(QFile::decodeName(dir)), errno);
    std::vector<QByteArray> names;
    while (dirent* e = ::readdir(d)) {
        const QByteArray n(e->d_name);
        if (n != "." && n != "..")
            names.push_back(n);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    for (const QByteArray& n : names) {
        const QByteArray path = dir + '/' + n;
        struct stat st {};
        if (::stat(path.constData(), &st) != 0)
            continue;  // a dangling link: nothing to archive
        struct stat lst {};
        ::lstat(path.constData(), &lst);
        const QByteArray name = prefix + QFile::decodeName(n).toUtf8();
        if (S_ISDIR(st.st_mode)) {
            if (S_ISLNK(lst.st_mode))
                continue;  // never follow a folder link out of the tree
            out.push_back({path, name + '/', true, st.st_mtime});
            collect(path, name + '/', out);
        } else if (S_ISREG(st.st_mode)) {
            out.push_back({path, name, false, st.st_mtime});
        }
    }
}

BackupError zipError(zip_error_t* error, const QString& action)
{
    if (zip_error_system_type(error) == ZIP_ET_SYS && zip_error_code_system(error) != 0)
        return BackupError::fileSystem(action, zip_error_code_system(error));
    return BackupError::backup(action + QStringLiteral(": ") + QString::fromUtf8(zip_error_strerror(error)));
}

void progressCallback(zip_t*, double fraction, void* ud)
{
    const Progress* p = static_cast<const Progress*>(ud);
    (*p)(fraction);
}

}  // namespace

bool storesUncompressed(const QString& fileName)
{
    static const QSet<QString> compressed{
        QStringLiteral("png"), QStringLiteral("pdf"),  QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("gif"),
        QStringLiteral("webp"), QStringLiteral("heic"), QStringLiteral("zip"), QStringLiteral("gz"),   QStringLiteral("xz"),
        QStringLiteral("bz2"), QStringLiteral("zst"),  QStringLiteral("7z"),  QStringLiteral("mp4"),  QStringLiteral("mov"),
    };
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    return compressed.contains(fileName.mid(dot + 1).toLower());
}

void writeFolder(const QString& folder, const QString& zipPath, const Progress& progress)
{
    std::vector<Item> items;
    collect(QFile::encodeName(folder), QByteArray(), items);
    if (items.empty()) {
        // libzip writes no file for an archive without entries; an empty folder still makes a
        // valid (empty) archive: the end-of-central-directory record alone.
        QFile out(zipPath);
        const QByteArray eocd = QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0');
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(eocd) != eocd.size() || !out.flush())
            throw BackupError::fileSystem(QStringLiteral("Could not write the archive “%1”").arg(zipPath), errno ? errno : EIO);
        out.close();
        if (progress)
            progress(1.0);
        return;
    }

    int openError = 0;
    zip_t* za = zip_open(QFile::encodeName(zipPath).constData(), ZIP_CREATE | ZIP_TRUNCATE, &openError);
    if (!za) {
        zip_error_t e;
        zip_error_init_with_code(&e, openError);
        const BackupError err = zipError(&e, QStringLiteral("Could not create the archive “%1”").arg(zipPath));
        zip_error_fini(&e);
        throw err;
    }
    auto abandon = [&](const BackupError& err) {
        zip_discard(za);
        QFile::remove(zipPath);
        throw err;
    };

    for (const Item& item : items) {
        zip_int64_t index = -1;
        if (item.folder) {
            index = zip_dir_add(za, item.name.constData(), ZIP_FL_ENC_UTF_8);
        } else {
            zip_error_t e;
            zip_error_init(&e);
            zip_source_t* src = zip_source_file_create(item.path.constData(), 0, -1, &e);
            if (!src) {
                const BackupError err = zipError(&e, QStringLiteral("Could not read “%1”").arg(QFile::decodeName(item.path)));
                zip_error_fini(&e);
                abandon(err);
            }
            zip_error_fini(&e);
            index = zip_file_add(za, item.name.constData(), src, ZIP_FL_ENC_UTF_8);
            if (index < 0) {
                zip_source_free(src);
            } else {
                const bool store = storesUncompressed(QString::fromUtf8(item.name));
                zip_set_file_compression(za, zip_uint64_t(index), store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
            }
        }
        if (index < 0)
            abandon(zipError(zip_get_error(za), QStringLiteral("Could not add “%1” to the archive").arg(QString::fromUtf8(item.name))));
        // Unix modes make unzip create plain, readable files and folders.
        const zip_uint32_t mode = item.folder ? (040755u << 16) | 0x10u : (0100644u << 16);
        zip_file_set_external_attributes(za, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, mode);
        zip_file_set_mtime(za, zip_uint64_t(index), item.mtime, 0);
    }

    if (progress)
        zip_register_progress_callback_with_state(za, 0.002, progressCallback, nullptr, const_cast<Progress*>(&progress));
    if (zip_close(za) != 0)
        abandon(zipError(zip_get_error(za), QStringLiteral("Could not write the archive “%1”").arg(zipPath)));
    if (progress)
        progress(1.0);
}

}  // namespace ZipWriter
