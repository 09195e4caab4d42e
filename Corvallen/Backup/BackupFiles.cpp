#include "Corvallen/Backup/BackupFiles.h"

#include "Corvallen/Backup/BackupError.h"
#include "Corvallen/Model/UuidText.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <filesystem>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace BackupFiles {

namespace {

QByteArray native(const QString& path) { return QFile::encodeName(path); }

[[noreturn]] void fail(const QString& action, int errnum) { throw BackupError::fileSystem(action, errnum); }

struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int release() { return std::exchange(fd, -1); }
};

bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

struct Counter {
    const ByteProgress* progress = nullptr;
    qint64 done = 0;
    qint64 total = 0;
    void add(qint64 n)
    {
        done += n;
        if (progress && *progress)
            (*progress)(done, total);
    }
};

// Names of a folder's entries (without "." and ".."), as raw bytes.
std::vector<QByteArray> entries(const QByteArray& folder, int* error)
{
    std::vector<QByteArray> out;
    DIR* dir = ::opendir(folder.constData());
    if (!dir) {
        *error = errno;
        return out;
    }
    errno = 0;
    while (dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name != "." && name != "..")
            out.push_back(name);
    }
    *error = errno;
    ::closedir(dir);
    return out;
}

void copyFileBytes(const QByteArray& src, const QByteArray& dst, Counter* counter)
{
    const QString srcName = QFile::decodeName(src);
    Fd in(::open(src.constData(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0)
        fail(QStringLiteral("Could not read “%1”").arg(srcName), errno);
    struct stat st {};
    if (::fstat(in.fd, &st) != 0)
        fail(QStringLiteral("Could not read “%1”").arg(srcName), errno);
    Fd out(::open(dst.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
    if (out.fd < 0)
        fail(QStringLiteral("Could not create “%1”").arg(QFile::decodeName(dst)), errno);
    auto abort = [&](const QString& action, int err) {
        ::close(out.release());
        ::unlink(dst.constData());
        fail(action, err);
    };
    bool useRange = true;
    std::vector<char> buffer;
    for (;;) {
        ssize_t n = -1;
        if (useRange) {
            n = ::copy_file_range(in.fd, nullptr, out.fd, nullptr, 1 << 30, 0);
            if (n < 0 && (errno == EINVAL || errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EPERM)) {
                useRange = false;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                abort(QStringLiteral("Could not copy “%1”").arg(srcName), errno);
        } else {
            if (buffer.empty())
                buffer.resize(1 << 20);
            n = ::read(in.fd, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                abort(QStringLiteral("Could not read “%1”").arg(srcName), errno);
            if (n > 0 && !writeAll(out.fd, buffer.data(), size_t(n)))
                abort(QStringLiteral("Could not write “%1”").arg(QFile::decodeName(dst)), errno);
        }
        if (n == 0)
            break;
        if (counter)
            counter->add(n);
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out.fd, times);
    if (::close(out.release()) != 0) {
        const int err = errno;
        ::unlink(dst.constData());
        fail(QStringLiteral("Could not write “%1”").arg(QFile::decodeName(dst)), err);
    }
}

void copyTreeBytes(const QByteArray& src, const QByteArray& dst, bool& hardLinks, Counter* counter, Links links, qint64& leftOut)
{
    if (::mkdir(dst.constData(), 0755) != 0)
        fail(QStringLiteral("Could not create the folder “%1”").arg(QFile::decodeName(dst)), errno);
    int err = 0;
    const std::vector<QByteArray> names = entries(src, &err);
    if (err != 0)
        fail(QStringLiteral("Could not read the folder “%1”").arg(QFile::decodeName(src)), err);
    for (const QByteArray& name : names) {
        const QByteArray from = src + '/' + name;
        const QByteArray to = dst + '/' + name;
        struct stat st {};
        if (::lstat(from.constData(), &st) != 0)
            fail(QStringLiteral("Could not read “%1”").arg(QFile::decodeName(from)), errno);
        if (S_ISLNK(st.st_mode)) {
            // A link to a regular file is copied as that file where asked; any other link is
            // left out so that a copy never reaches outside its tree.
            struct stat target {};
            if (links == Links::leaveOut || ::stat(from.constData(), &target) != 0 || !S_ISREG(target.st_mode)) {
                ++leftOut;
                continue;
            }
            copyFileBytes(from, to, counter);
        } else if (S_ISDIR(st.st_mode)) {
            copyTreeBytes(from, to, hardLinks, counter, links, leftOut);
        } else if (S_ISREG(st.st_mode)) {
            if (hardLinks) {
                if (::link(from.constData(), to.constData()) == 0) {
                    if (counter)
                        counter->add(st.st_size);
                    continue;
                }
                hardLinks = false;  // another file system, or links not allowed: copy from now on
            }
            copyFileBytes(from, to, counter);
        }
    }
}

qint64 bytesOf(const QByteArray& folder)
{
    int err = 0;
    qint64 total = 0;
    for (const QByteArray& name : entries(folder, &err)) {
        const QByteArray path = folder + '/' + name;
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            total += bytesOf(path);
        else if (S_ISREG(st.st_mode))
            total += st.st_size;
    }
    return total;
}

}  // namespace

QString temporaryFolder() { return QDir::tempPath(); }

QString uniquePath(const QString& folder, const QString& prefix, const QString& suffix)
{
    return folder + QLatin1Char('/') + prefix + newUuidText() + suffix;
}

void makeFolder(const QString& path)
{
    std::error_code ec;
    fs::create_directories(fs::path(native(path).toStdString()), ec);
    if (!isFolder(path))
        fail(QStringLiteral("Could not create the folder “%1”").arg(path), ec ? ec.value() : ENOTDIR);
}

bool exists(const QString& path)
{
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0;
}

bool isFolder(const QString& path)
{
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const QString& path)
{
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

void copyFile(const QString& source, const QString& destination)
{
    copyFileBytes(native(source), native(destination), nullptr);
}

qint64 copyTree(const QString& source, const QString& destination, bool hardLinks, const ByteProgress& progress, Links links)
{
    Counter counter;
    counter.progress = &progress;
    if (progress)
        counter.total = bytesOf(native(source));
    qint64 leftOut = 0;
    copyTreeBytes(native(source), native(destination), hardLinks, &counter, links, leftOut);
    return leftOut;
}

qint64 treeBytes(const QString& folder) { return bytesOf(native(folder)); }

void writeFile(const QString& path, const QByteArray& bytes)
{
    const QByteArray name = native(path);
    Fd out(::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644));
    if (out.fd < 0)
        fail(QStringLiteral("Could not create “%1”").arg(path), errno);
    if (!writeAll(out.fd, bytes.constData(), size_t(bytes.size())))
        fail(QStringLiteral("Could not write “%1”").arg(path), errno);
    if (::close(out.release()) != 0)
        fail(QStringLiteral("Could not write “%1”").arg(path), errno);
}

void writeFileDurably(const QString& path, const QByteArray& bytes)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = path.left(slash);
    const QString partial = uniquePath(folder, QStringLiteral(".") + path.mid(slash + 1) + QStringLiteral(".partial-"));
    try {
        Fd out(::open(native(partial).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
        if (out.fd < 0)
            fail(QStringLiteral("Could not create “%1”").arg(partial), errno);
        if (!writeAll(out.fd, bytes.constData(), size_t(bytes.size())) || ::fsync(out.fd) != 0)
            fail(QStringLiteral("Could not write “%1”").arg(partial), errno);
        if (::close(out.release()) != 0)
            fail(QStringLiteral("Could not write “%1”").arg(partial), errno);
        rename(partial, path);
    } catch (...) {
        removeQuietly(partial);
        throw;
    }
    const Fd dir(::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd >= 0)
        ::fsync(dir.fd);
}

void placeFile(const QString& source, const QString& destination)
{
    if (::rename(native(source).constData(), native(destination).constData()) == 0)
        return;
    if (errno != EXDEV)
        fail(QStringLiteral("Could not move “%1” to “%2”").arg(source, destination), errno);
    const qsizetype slash = destination.lastIndexOf(QLatin1Char('/'));
    const QString partial = uniquePath(destination.left(slash), QStringLiteral(".") + destination.mid(slash + 1) + QStringLiteral(".partial-"));
    try {
        copyFile(source, partial);
        rename(partial, destination);
    } catch (...) {
        removeQuietly(partial);
        throw;
    }
    removeQuietly(source);
}

void rename(const QString& source, const QString& destination)
{
    if (::rename(native(source).constData(), native(destination).constData()) != 0)
        fail(QStringLiteral("Could not move “%1” to “%2”").arg(source, destination), errno);
}

QStringList swapIn(const QList<SwapItem>& items)
{
    QList<const SwapItem*> movedAside;
    QList<const SwapItem*> placed;
    try {
        for (const SwapItem& item : items)
            if (exists(item.live)) {
                rename(item.live, item.aside);
                movedAside << &item;
            }
        for (const SwapItem& item : items)
            if (!item.incoming.isEmpty()) {
                rename(item.incoming, item.live);
                placed << &item;
            }
    } catch (...) {
        // Best effort: an item that can't be moved back stays where it is, found by name.
        for (auto it = placed.crbegin(); it != placed.crend(); ++it)
            ::rename(native((*it)->live).constData(), native((*it)->incoming).constData());
        for (auto it = movedAside.crbegin(); it != movedAside.crend(); ++it)
            ::rename(native((*it)->aside).constData(), native((*it)->live).constData());
        throw;
    }
    QStringList aside;
    for (const SwapItem* item : std::as_const(movedAside))
        aside << item->aside;
    return aside;
}

void moveTree(const QString& source, const QString& destination, const ByteProgress& progress)
{
    if (::rename(native(source).constData(), native(destination).constData()) == 0)
        return;
    if (errno != EXDEV)
        fail(QStringLiteral("Could not move “%1” to “%2”").arg(source, destination), errno);
    if (isFolder(source)) {
        try {
            copyTree(source, destination, false, progress);
        } catch (...) {
            removeQuietly(destination);
            throw;
        }
    } else {
        copyFile(source, destination);
    }
    removeQuietly(source);
}

void removeQuietly(const QString& path)
{
    std::error_code ec;
    fs::remove_all(fs::path(native(path).toStdString()), ec);
}

}  // namespace BackupFiles
