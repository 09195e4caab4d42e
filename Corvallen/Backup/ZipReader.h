#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

typedef struct zip zip_t;

// Reads a ZIP archive that came from outside and may be hostile. Opening reads only the
// central directory and refuses the whole archive, before anything is written, when any entry
// is unsafe: an absolute path, a ".." or empty path component, a backslash, a path too long, a
// symbolic link or other special file, an encrypted entry, a name given twice or used both as a
// file and as a folder, entries whose bytes overlap; or when the entry count or the declared
// total size passes its cap. Extraction then refuses entries that unpack to many times what
// they hold compressed, or to more than half the free space; it writes only inside the folder
// it is given, never more bytes than an entry declares, and checks every entry's CRC. Every refusal is a "Corvallen.Backup" error.
// The caps an archive must stay under before anything of it is extracted.
struct ZipLimits {
    // No file system takes a longer path (PATH_MAX), and our own archives' names are far shorter.
    static constexpr qsizetype maxNameBytes = 2048;
    // About twice the files of the scale benchmark's store (100,000 captures, 20,000
    // components); each entry becomes a file, and 200,000 tiny ones take some 15 s to unpack.
    qint64 maxEntries = 250'000;
    qint64 maxTotalBytes = qint64(256) << 30;  // 256 GiB
    // What the entries one extraction writes may declare: this many times what they hold
    // compressed, and this much more. Deflate packs zeros a thousand to one; records and text
    // pack about ten to one, pictures and PDFs hardly at all.
    qint64 maxExpansion = 64;
    qint64 unpackAllowance = qint64(64) << 20;
};

class ZipReader {
public:
    using Limits = ZipLimits;
    struct Entry {
        QString name;       // without a trailing "/" for folders
        bool folder = false;
        qint64 size = 0;    // declared uncompressed size
        qint64 compressedSize = 0;
        qint64 index = 0;
        std::optional<quint32> crc;  // declared CRC-32, when the directory gives one
    };
    using Progress = std::function<void(double fraction)>;

    explicit ZipReader(const QString& path, Limits limits = Limits());  // throws BackupError
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    const QList<Entry>& entries() const { return m_entries; }
    qint64 totalSize() const { return m_total; }

    // The shallowest file entry whose last path component is exactly `fileName`, or nullptr.
    const Entry* findShallowest(const QString& fileName) const;

    // The whole content of one file entry; throws when it is larger than maxBytes or damaged.
    QByteArray read(const Entry& entry, qint64 maxBytes) const;

    // Extracts the entries that `wanted` accepts (every entry when it is empty) into `folder`,
    // which must exist and should be empty. Refuses before writing when the declared size of
    // those entries is far more than they hold compressed, or more than half the free space there. Throws on the first failure; the caller
    // removes the folder.
    void extract(const QString& folder, const std::function<bool(const Entry&)>& wanted = {},
                 const Progress& progress = {}) const;

    // Why a name is not safe to extract, or an empty text when it is.
    static QString unsafeNameReason(const QString& name);

private:
    QString m_path;
    zip_t* m_zip = nullptr;
    Limits m_limits;
    QList<Entry> m_entries;
    qint64 m_total = 0;
};
