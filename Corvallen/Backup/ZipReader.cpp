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

// ---- The layout of the archive's bytes

quint16 u16(const uchar* p) { return quint16(p[0] | (p[1] << 8)); }
quint32 u32(const uchar* p) { return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24); }
quint64 u64(const uchar* p) { return quint64(u32(p)) | (quint64(u32(p + 4)) << 32); }

BackupError damaged(const QString& why) { return refuse(QStringLiteral("The backup archive is damaged (%1).").arg(why)); }

// Reads exactly `n` bytes at `offset`, or fails.
QByteArray readAt(QFile& file, quint64 offset, qint64 n)
{
    if (offset > quint64(file.size()) || n > file.size() - qint64(offset) || !file.seek(qint64(offset)))
        throw damaged(QStringLiteral("it ends early"));
    QByteArray bytes = file.read(n);
    if (bytes.size() != n)
        throw damaged(QStringLiteral("it ends early"));
    return bytes;
}

// One entry as the central directory places it: where its local header begins and its
// compressed data ends, and the sizes the library must agree on.
struct Placed {
    quint64 begin = 0;
    quint64 end = 0;
    quint64 compressed = 0;
    quint64 size = 0;
    quint64 nameAt = 0;  // in the central directory
    quint64 nameLength = 0;
};

// Reads the central directory the way the library finds it (the end record at the very end of
// the file, or else the last one) and the local header of every entry, so that entries whose
// bytes overlap each other or the directory are seen: such entries let a small archive unpack
// the same compressed data again and again. Throws for a layout no writer makes.
std::vector<Placed> placeEntries(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw refuse(QStringLiteral("The backup archive could not be read (%1).").arg(file.errorString()));
    const quint64 size = quint64(file.size());
    const qint64 tailSize = qint64(std::min<quint64>(size, 22 + 0xFFFF));
    const QByteArray tail = readAt(file, size - quint64(tailSize), tailSize);
    const auto* t = reinterpret_cast<const uchar*>(tail.constData());
    qint64 found = -1;
    int atTheEnd = 0;
    for (qint64 p = tailSize - 22; p >= 0; --p) {
        if (t[p] != 'P' || t[p + 1] != 'K' || t[p + 2] != 5 || t[p + 3] != 6)
            continue;
        if (p + 22 + u16(t + p + 20) == tailSize) {
            if (atTheEnd++ == 0)
                found = p;
        } else if (found < 0 && atTheEnd == 0) {
            found = p;
        }
    }
    if (found < 0)
        throw refuse(QStringLiteral("That file is not a ZIP archive, or it is incomplete."));
    if (atTheEnd > 1)
        throw damaged(QStringLiteral("it holds more than one directory"));
    const uchar* e = t + found;
    const quint64 eocdAt = size - quint64(tailSize) + quint64(found);
    quint64 count = u16(e + 10);
    quint64 cdSize = u32(e + 12);
    quint64 cdOffset = u32(e + 16);
    bool zip64 = false;
    if (count == 0xFFFF || cdSize == 0xFFFFFFFFu || cdOffset == 0xFFFFFFFFu) {
        zip64 = true;
        if (eocdAt < 20)
            throw damaged(QStringLiteral("its directory cannot be found"));
        const QByteArray locator = readAt(file, eocdAt - 20, 20);
        const auto* l = reinterpret_cast<const uchar*>(locator.constData());
        if (u32(l) != 0x07064b50u)
            throw damaged(QStringLiteral("its directory cannot be found"));
        const QByteArray end64 = readAt(file, u64(l + 8), 56);
        const auto* z = reinterpret_cast<const uchar*>(end64.constData());
        if (u32(z) != 0x06064b50u)
            throw damaged(QStringLiteral("its directory cannot be found"));
        count = u64(z + 32);
        cdSize = u64(z + 40);
        cdOffset = u64(z + 48);
    }
    if (cdOffset > size || cdSize > size - cdOffset || count > cdSize / 46)
        throw damaged(QStringLiteral("its directory lies outside the file"));
    const QByteArray cd = readAt(file, cdOffset, qint64(cdSize));
    const auto* c = reinterpret_cast<const uchar*>(cd.constData());
    std::vector<Placed> placed;
    placed.reserve(size_t(count));
    quint64 at = 0;
    // Some writers count more than 65,535 entries modulo 65,536 rather than write a ZIP64 end
    // record; like the library, go on reading records while the directory holds more.
    for (quint64 i = 0; i < count || (!zip64 && cdSize - at >= 46); ++i) {
        if (cdSize - at < 46 || u32(c + at) != 0x02014b50u)
            throw damaged(QStringLiteral("its directory is cut short"));
        const uchar* h = c + at;
        Placed entry;
        entry.compressed = u32(h + 20);
        entry.size = u32(h + 24);
        const quint64 nameLength = u16(h + 28);
        const quint64 extraLength = u16(h + 30);
        const quint64 commentLength = u16(h + 32);
        quint64 offset = u32(h + 42);
        if (cdSize - at < 46 + nameLength + extraLength + commentLength)
            throw damaged(QStringLiteral("its directory is cut short"));
        entry.nameAt = at + 46;
        entry.nameLength = nameLength;
        // The ZIP64 fields stand in the extra field, in this order, for each value that is full.
        for (quint64 x = 0; x + 4 <= extraLength;) {
            const uchar* f = h + 46 + nameLength + x;
            const quint64 id = u16(f);
            const quint64 length = u16(f + 2);
            if (x + 4 + length > extraLength)
                break;
            if (id == 0x0001) {
                quint64 k = 4;
                auto take = [&](quint64& value) {
                    if (value != 0xFFFFFFFFu)
                        return;
                    if (k + 8 > 4 + length)
                        throw damaged(QStringLiteral("an entry's sizes are missing"));
                    value = u64(f + k);
                    k += 8;
                };
                take(entry.size);
                take(entry.compressed);
                take(offset);
            }
            x += 4 + length;
        }
        at += 46 + nameLength + extraLength + commentLength;
        const QByteArray local = readAt(file, offset, 30);
        const auto* lh = reinterpret_cast<const uchar*>(local.constData());
        if (u32(lh) != 0x04034b50u)
            throw damaged(QStringLiteral("an entry's header is missing"));
        entry.begin = offset;
        const quint64 dataBegin = offset + 30 + u16(lh + 26) + u16(lh + 28);
        if (entry.compressed > cdOffset || dataBegin > cdOffset - entry.compressed)
            throw damaged(QStringLiteral("an entry's data runs into the directory"));
        entry.end = dataBegin + entry.compressed;
        placed.push_back(std::move(entry));
    }
    const auto nameOf = [&](const Placed& p) {
        return shown(QString::fromUtf8(cd.constData() + p.nameAt, qsizetype(p.nameLength)));
    };
    std::vector<const Placed*> order;
    order.reserve(placed.size());
    for (const Placed& p : placed)
        order.push_back(&p);
    std::stable_sort(order.begin(), order.end(), [](const Placed* a, const Placed* b) { return a->begin < b->begin; });
    for (size_t i = 1; i < order.size(); ++i)
        if (order[i]->begin < order[i - 1]->end)
            throw refuse(QStringLiteral("The backup archive holds entries that share their data (“%1” and “%2”). The archive was not used.")
                             .arg(nameOf(*order[i - 1]), nameOf(*order[i])));
    return placed;
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

ZipReader::ZipReader(const QString& path, Limits limits) : m_path(path), m_limits(limits)
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
    const std::vector<Placed> placed = placeEntries(path);
    if (qint64(placed.size()) != count)
        throw damaged(QStringLiteral("its directory cannot be read the same way twice"));

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
        const Placed& at = placed[size_t(i)];
        if (!(st.valid & ZIP_STAT_COMP_SIZE) || st.comp_size != at.compressed || quint64(e.size) != at.size)
            throw damaged(QStringLiteral("its directory cannot be read the same way twice"));
        e.compressedSize = qint64(std::min<quint64>(at.compressed, quint64(INT64_MAX)));
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
    qint64 compressed = 0;
    for (const Entry& e : m_entries)
        if (!wanted || wanted(e)) {
            chosen.push_back(&e);
            total += e.size;
            compressed += e.compressedSize;
        }

    // Entries never share their data (see the constructor), so what they hold compressed is at
    // most the archive's size. Our own archives deflate only the records and other text, and
    // store pictures and documents as they are; what unpacks to many times more is a bomb.
    const qint64 allowed = m_limits.unpackAllowance + std::min(compressed, qint64(INT64_MAX) / m_limits.maxExpansion) * m_limits.maxExpansion;
    if (total > allowed)
        throw refuse(QStringLiteral("The backup archive unpacks to %1 from %2 of compressed data, far more than a backup does. "
                                    "The archive was not used.")
                         .arg(sizeText(total), sizeText(compressed)));

    // The restore needs as much again for the snapshot of the data it replaces; an extraction
    // may take at most half of what is free, so that a restore never fills the disk (or, where
    // the temporary folder lives in memory, the memory).
    struct statvfs vfs {};
    if (::statvfs(QFile::encodeName(folder).constData(), &vfs) == 0) {
        const qint64 available = qint64(vfs.f_bavail) * qint64(vfs.f_frsize);
        const qint64 margin = qint64(64) << 20;
        if (total > (available - margin) / 2)
            throw refuse(QStringLiteral("There is not enough free space to unpack the backup archive (it needs %1, %2 is free).")
                             .arg(sizeText(total), sizeText(std::max<qint64>(available, 0))));
    }

    std::vector<char> buffer(size_t(1) << 20);
    qint64 done = 0;
    QSet<QString> madeFolders;
    for (const Entry* e : chosen) {
        const QString target = folder + QLatin1Char('/') + e->name;
        if (e->folder) {
            BackupFiles::makeFolder(target);
            continue;
        }
        checkEmptyEntry(*e);
        const qsizetype slash = e->name.lastIndexOf(QLatin1Char('/'));
        if (slash > 0 && !madeFolders.contains(e->name.left(slash))) {  // a look at the disk per folder, not per file
            BackupFiles::makeFolder(folder + QLatin1Char('/') + e->name.left(slash));
            madeFolders.insert(e->name.left(slash));
        }
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
