#include "Corvallen/Backup/ZipReader.h"

#include "Corvallen/Backup/BackupError.h"
#include "Corvallen/Backup/BackupFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <zip.h>

namespace {

BackupError refuse(const QString& message) { return BackupError::backup(message); }

QString zipMessage(int code)
{
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&e));
    zip_error_fini(&e);
    return text;
}

// A name as a message shows it: a long one shortened in its middle, so that a hostile name
// can't fill the message. (The library already refuses names with control characters.)
QString shown(const QString& name)
{
    constexpr qsizetype keep = 60;
    if (name.size() > 2 * keep + 1)
        return name.left(keep) + QChar(0x2026) + name.right(keep);
    return name;
}

// In the user's own number form ("1,5 GB" in German), binary units.
QString sizeText(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

// The library hands out an empty entry without reading it, so its CRC is never compared; the
// CRC-32 of no bytes is 0, and anything else is a damaged entry like any other.
void checkEmptyEntry(const ZipReader::Entry& entry)
{
    if (entry.size == 0 && entry.crc && *entry.crc != 0)
        throw refuse(QStringLiteral("“%1” in the backup archive is damaged (%2).").arg(shown(entry.name), zipMessage(ZIP_ER_CRC)));
}

// A file entry whose name is also the folder part of another entry's name. Found by looking up
// "<file>/" in the sorted names rather than by listing every folder each path implies: that
// list grows with the square of a name's depth, and one deep name would take gigabytes.
void refuseFileUsedAsFolder(const QList<ZipReader::Entry>& entries)
{
    std::vector<QString> names;
    names.reserve(size_t(entries.size()));
    for (const ZipReader::Entry& e : entries)
        names.push_back(e.name);
    std::sort(names.begin(), names.end());
    for (const ZipReader::Entry& e : entries) {
        if (e.folder)
            continue;
        const QString below = e.name + QLatin1Char('/');
        const auto it = std::lower_bound(names.cbegin(), names.cend(), below);
        if (it != names.cend() && it->startsWith(below))
            throw refuse(QStringLiteral("The backup archive uses “%1” both as a file and as a folder.").arg(shown(e.name)));
    }
}

struct ZipFile {
    zip_file_t* f = nullptr;
    ~ZipFile()
    {
        if (f)
            zip_fclose(f);
    }
};

}  // namespace

QString ZipReader::unsafeNameReason(const QString& rawName)
{
    if (rawName.isEmpty())
        return QStringLiteral("it has no name");
    if (rawName.startsWith(QLatin1Char('/')))
        return QStringLiteral("it has an absolute path");
    if (rawName.size() >= 2 && rawName[1] == QLatin1Char(':'))
        return QStringLiteral("it has an absolute path");
    if (rawName.contains(QLatin1Char('\\')))
        return QStringLiteral("its path uses backslashes");
    if (rawName.contains(QChar(u'\0')))
        return QStringLiteral("its name holds a NUL character");
    if (rawName.toUtf8().size() > ZipLimits::maxNameBytes)
        return QStringLiteral("its path is too long");
    QString name = rawName;
    if (name.endsWith(QLatin1Char('/')))
        name.chop(1);
    for (const QString& part : name.split(QLatin1Char('/'))) {
        if (part.isEmpty() || part == QLatin1String("."))
            return QStringLiteral("its path has an empty component");
        if (part == QLatin1String(".."))
            return QStringLiteral("its path leads out of the folder (\"..\")");
        if (part.toUtf8().size() > 255)
            return QStringLiteral("a name in its path is too long");
    }
    return {};
}

ZipReader::ZipReader(const QString& path, Limits limits) : m_path(path)
{
    if (!QFileInfo(path).isFile())
        throw BackupError::fileSystem(QStringLiteral("Could not open “%1”").arg(path), ENOENT);
    int code = 0;
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!m_zip) {
        if (code == ZIP_ER_NOZIP)
            throw refuse(QStringLiteral("That file is not a ZIP archive, or it is incomplete."));
        if (code == ZIP_ER_OPEN || code == ZIP_ER_READ)
            throw refuse(QStringLiteral("The backup archive could not be read (%1).").arg(zipMessage(code)));
        throw refuse(QStringLiteral("The backup archive is damaged (%1).").arg(zipMessage(code)));
    }
    std::unique_ptr<zip_t, void (*)(zip_t*)> guard(m_zip, [](zip_t* z) { zip_discard(z); });

    const zip_int64_t count = zip_get_num_entries(m_zip, 0);
    if (count < 0)
        throw refuse(QStringLiteral("The backup archive is damaged."));
    if (count > limits.maxEntries)
        throw refuse(QStringLiteral("The backup archive holds too many entries (%1; at most %2 are accepted).")
                         .arg(count)
                         .arg(limits.maxEntries));

    QSet<QString> seen;
    m_entries.reserve(qsizetype(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(m_zip, zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
            throw refuse(QStringLiteral("The backup archive is damaged (entry %1 cannot be read).").arg(i));
        const QString raw = QString::fromUtf8(st.name);
        const QString reason = unsafeNameReason(raw);
        if (!reason.isEmpty())
            throw refuse(QStringLiteral("The backup archive holds an unsafe entry “%1”: %2. The archive was not used.").arg(shown(raw), reason));
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
            throw refuse(QStringLiteral("The backup archive holds an encrypted entry “%1”; encrypted archives are not supported.").arg(shown(raw)));
        zip_uint8_t opsys = 0;
        zip_uint32_t attributes = 0;
        zip_file_get_external_attributes(m_zip, zip_uint64_t(i), 0, &opsys, &attributes);
        const bool nameIsFolder = raw.endsWith(QLatin1Char('/'));
        if (opsys == ZIP_OPSYS_UNIX) {
            const mode_t type = (attributes >> 16) & S_IFMT;
            if (type == S_IFLNK)
                throw refuse(QStringLiteral("The backup archive holds a symbolic link “%1”. The archive was not used.").arg(shown(raw)));
            if (type != 0 && type != S_IFREG && type != S_IFDIR)
                throw refuse(QStringLiteral("The backup archive holds a special file “%1”. The archive was not used.").arg(shown(raw)));
            if (type == S_IFDIR && !nameIsFolder)
                throw refuse(QStringLiteral("The backup archive holds an unsafe entry “%1”: it is a folder without a folder name.").arg(shown(raw)));
        }
        Entry e;
        e.folder = nameIsFolder;
        e.name = nameIsFolder ? raw.chopped(1) : raw;
        e.index = i;
        e.size = (st.valid & ZIP_STAT_SIZE) ? qint64(std::min<zip_uint64_t>(st.size, zip_uint64_t(INT64_MAX))) : 0;
        if (st.valid & ZIP_STAT_CRC)
            e.crc = quint32(st.crc);
        if (e.folder && e.size != 0)
            throw refuse(QStringLiteral("The backup archive holds an unsafe entry “%1”: a folder with content.").arg(shown(raw)));
        if (seen.contains(e.name))
            throw refuse(QStringLiteral("The backup archive names “%1” twice. The archive was not used.").arg(shown(e.name)));
        seen.insert(e.name);
        if (e.size > limits.maxTotalBytes - m_total)
            throw refuse(QStringLiteral("The backup archive claims to unpack to more than %1, which is more than is accepted.")
                             .arg(sizeText(limits.maxTotalBytes)));
        m_total += e.size;
        m_entries.append(e);
    }
    refuseFileUsedAsFolder(m_entries);
    guard.release();
}

ZipReader::~ZipReader()
{
    if (m_zip)
        zip_discard(m_zip);
}

const ZipReader::Entry* ZipReader::findShallowest(const QString& fileName) const
{
    const Entry* best = nullptr;
    qsizetype bestDepth = 0;
    for (const Entry& e : m_entries) {
        if (e.folder)
            continue;
        const qsizetype slash = e.name.lastIndexOf(QLatin1Char('/'));
        if (e.name.mid(slash + 1) != fileName)
            continue;
        const qsizetype depth = e.name.count(QLatin1Char('/'));
        if (!best || depth < bestDepth) {
            best = &e;
            bestDepth = depth;
        }
    }
    return best;
}

QByteArray ZipReader::read(const Entry& entry, qint64 maxBytes) const
{
    if (entry.size > maxBytes)
        throw refuse(QStringLiteral("“%1” in the backup archive is too large to read.").arg(shown(entry.name)));
    checkEmptyEntry(entry);
    ZipFile file;
    file.f = zip_fopen_index(m_zip, zip_uint64_t(entry.index), 0);
    if (!file.f)
        throw refuse(QStringLiteral("“%1” in the backup archive cannot be read (%2).")
                         .arg(shown(entry.name), QString::fromUtf8(zip_error_strerror(zip_get_error(m_zip)))));
    QByteArray out(qsizetype(entry.size), Qt::Uninitialized);
    qint64 got = 0;
    char extra;
    for (;;) {
        const zip_int64_t room = entry.size - got;
        const zip_int64_t n = room > 0 ? zip_fread(file.f, out.data() + got, zip_uint64_t(room)) : zip_fread(file.f, &extra, 1);
        if (n < 0)
            throw refuse(QStringLiteral("“%1” in the backup archive is damaged (%2).")
                             .arg(shown(entry.name), QString::fromUtf8(zip_error_strerror(zip_file_get_error(file.f)))));
        if (n == 0)
            break;
        if (room <= 0)
            throw refuse(QStringLiteral("“%1” in the backup archive is larger than it claims.").arg(shown(entry.name)));
        got += n;
    }
    if (got != entry.size)
        throw refuse(QStringLiteral("“%1” in the backup archive is incomplete.").arg(shown(entry.name)));
    return out;
}

void ZipReader::extract(const QString& folder, const std::function<bool(const Entry&)>& wanted, const Progress& progress) const
{
    std::vector<const Entry*> chosen;
    qint64 total = 0;
    for (const Entry& e : m_entries)
        if (!wanted || wanted(e)) {
            chosen.push_back(&e);
            total += e.size;
        }

    struct statvfs vfs {};
    if (::statvfs(QFile::encodeName(folder).constData(), &vfs) == 0) {
        const qint64 available = qint64(vfs.f_bavail) * qint64(vfs.f_frsize);
        const qint64 margin = qint64(64) << 20;
        if (total > available - margin)
            throw refuse(QStringLiteral("There is not enough free space to unpack the backup archive (it needs %1, %2 is free).")
                             .arg(sizeText(total), sizeText(std::max<qint64>(available, 0))));
    }

    std::vector<char> buffer(size_t(1) << 20);
    qint64 done = 0;
    for (const Entry* e : chosen) {
        const QString target = folder + QLatin1Char('/') + e->name;
        if (e->folder) {
            BackupFiles::makeFolder(target);
            continue;
        }
        checkEmptyEntry(*e);
        const qsizetype slash = e->name.lastIndexOf(QLatin1Char('/'));
        if (slash > 0)
            BackupFiles::makeFolder(folder + QLatin1Char('/') + e->name.left(slash));
        const QByteArray path = QFile::encodeName(target);
        // O_EXCL with O_NOFOLLOW: never write through anything that is already there.
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0)
            throw BackupError::fileSystem(QStringLiteral("Could not create “%1”").arg(target), errno);
        struct Closer {
            int fd;
            ~Closer() { ::close(fd); }
        } closer{fd};
        ZipFile file;
        file.f = zip_fopen_index(m_zip, zip_uint64_t(e->index), 0);
        if (!file.f)
            throw refuse(QStringLiteral("“%1” in the backup archive cannot be read (%2).")
                             .arg(shown(e->name), QString::fromUtf8(zip_error_strerror(zip_get_error(m_zip)))));
        qint64 written = 0;
        for (;;) {
            const zip_int64_t n = zip_fread(file.f, buffer.data(), buffer.size());
            if (n < 0)
                throw refuse(QStringLiteral("“%1” in the backup archive is damaged (%2).")
                                 .arg(shown(e->name), QString::fromUtf8(zip_error_strerror(zip_file_get_error(file.f)))));
            if (n == 0)
                break;
            written += n;
            if (written > e->size)
                throw refuse(QStringLiteral("“%1” in the backup archive is larger than it claims.").arg(shown(e->name)));
            const char* p = buffer.data();
            size_t left = size_t(n);
            while (left > 0) {
                const ssize_t w = ::write(fd, p, left);
                if (w < 0 && errno == EINTR)
                    continue;
                if (w < 0)
                    throw BackupError::fileSystem(QStringLiteral("Could not write “%1”").arg(target), errno);
                p += w;
                left -= size_t(w);
            }
            done += n;
            if (progress && total > 0)
                progress(double(done) / double(total));
        }
        if (written != e->size)
            throw refuse(QStringLiteral("“%1” in the backup archive is incomplete.").arg(shown(e->name)));
    }
    if (progress)
        progress(1.0);
}
