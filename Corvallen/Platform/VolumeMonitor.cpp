#include "Corvallen/Platform/VolumeMonitor.h"

#include "Corvallen/Platform/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

QStringList VolumeMonitor::defaultRemovableRoots()
{
    return {QStringLiteral("/media"), QStringLiteral("/run/media")};
}

VolumeMonitor::VolumeMonitor(QObject* parent)
    : VolumeMonitor(Source{QStringLiteral("/proc/self/mountinfo"), defaultRemovableRoots(), QStringLiteral("/dev/disk")},
                    parent)
{
}

VolumeMonitor::VolumeMonitor(const QString& mountInfoPath, const QStringList& removableRoots, QObject* parent)
    : VolumeMonitor(Source{mountInfoPath, removableRoots, {}}, parent)
{
}

VolumeMonitor::VolumeMonitor(const Source& source, QObject* parent)
    : QObject(parent), m_source(source)
{
    read();
    // The mount table wakes poll() with POLLPRI when it changes; an ordinary file never does.
    m_fd = ::open(QFile::encodeName(m_source.mountInfoPath).constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd >= 0) {
        m_notifier = new QSocketNotifier(qintptr(m_fd), QSocketNotifier::Exception, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &VolumeMonitor::recheck);
    }
}

VolumeMonitor::~VolumeMonitor()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

QList<MountedVolume> VolumeMonitor::volumes() const { return removableVolumes(m_mounts, m_source.removableRoots); }

std::optional<MountedVolume> VolumeMonitor::volumeHolding(const QString& path) const
{
    const QString clean = QDir::cleanPath(path);
    std::optional<MountedVolume> best;
    for (const MountedVolume& v : volumes())
        if (AppPaths::isBelow(clean, v.mountPoint) && (!best || v.mountPoint.size() > best->mountPoint.size()))
            best = v;
    return best;
}

bool VolumeMonitor::isFixedVolumeRoot(const QString& path) const
{
    const QString clean = QDir::cleanPath(path);
    bool mountPoint = false;
    for (const MountEntry& m : m_mounts)
        if (m.mountPoint == clean)
            mountPoint = true;
    if (!mountPoint)
        return false;
    for (const MountedVolume& v : volumes())
        if (v.mountPoint == clean)
            return false;
    return true;
}

void VolumeMonitor::recheck()
{
    const QList<MountedVolume> before = volumes();
    read();
    const QList<MountedVolume> after = volumes();
    bool any = false;
    for (const MountedVolume& v : before)
        if (!after.contains(v)) {
            any = true;
            Q_EMIT volumeUnmounted(v);
        }
    for (const MountedVolume& v : after)
        if (!before.contains(v)) {
            any = true;
            Q_EMIT volumeMounted(v);
        }
    if (any)
        Q_EMIT volumesChanged();
}

void VolumeMonitor::read() { m_mounts = readTable(m_source); }

QList<MountEntry> VolumeMonitor::readTable(const Source& source)
{
    QFile file(source.mountInfoPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // Files under /proc report no size, so read until the end rather than by size.
    QList<MountEntry> mounts = parseMountInfo(file.readAll());
    nameFileSystems(mounts, source.diskFolder);
    return mounts;
}

QString VolumeMonitor::unescapeDeviceName(const QString& name)
{
    // udev writes unsafe characters of a label as "\x" and two hex digits ("\x20" for a blank).
    QByteArray out;
    const QByteArray in = name.toUtf8();
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 3 < in.size() && in[i + 1] == 'x') {
            bool ok = false;
            const int value = in.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out += char(value);
                i += 3;
                continue;
            }
        }
        out += in[i];
    }
    return QString::fromUtf8(out);
}

namespace {

// The device a path names, links followed; a link to a device that isn't there (sample
// folders) names its target as written.
QString deviceKey(const QFileInfo& info)
{
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    if (info.isSymLink())
        return QDir::cleanPath(info.symLinkTarget());
    return QDir::cleanPath(info.absoluteFilePath());
}

// Name (unescaped) -> device, for every link in one by-* folder.
QHash<QString, QString> linksIn(const QString& folder)
{
    QHash<QString, QString> out;
    const QFileInfoList links = QDir(folder).entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& link : links)
        out.insert(deviceKey(link), VolumeMonitor::unescapeDeviceName(link.fileName()));
    return out;
}

}  // namespace

void VolumeMonitor::nameFileSystems(QList<MountEntry>& mounts, const QString& diskFolder)
{
    if (diskFolder.isEmpty())
        return;
    const QHash<QString, QString> uuids = linksIn(diskFolder + QStringLiteral("/by-uuid"));
    const QHash<QString, QString> labels = linksIn(diskFolder + QStringLiteral("/by-label"));
    if (uuids.isEmpty() && labels.isEmpty())
        return;
    for (MountEntry& m : mounts) {
        if (!m.source.startsWith(QLatin1Char('/')))
            continue;  // proc, tmpfs, overlay...: no device behind them
        const QString key = deviceKey(QFileInfo(m.source));
        m.uuid = uuids.value(key);
        m.label = labels.value(key);
    }
}

QString VolumeMonitor::unescapeMountField(const QString& field)
{
    // The kernel writes blank, tab, newline and backslash in paths as three octal digits.
    QByteArray out;
    const QByteArray in = field.toUtf8();
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 3 < in.size()) {
            const QByteArray digits = in.mid(i + 1, 3);
            bool ok = digits.size() == 3;
            for (char c : digits)
                ok = ok && c >= '0' && c <= '7';
            if (ok) {
                out += char(digits.toInt(nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += in[i];
    }
    return QString::fromUtf8(out);
}

QList<MountEntry> VolumeMonitor::parseMountInfo(const QByteArray& text)
{
    // id parent major:minor root mount-point options [optional fields...] - fstype source super-options
    QList<MountEntry> out;
    for (const QByteArray& rawLine : text.split('\n')) {
        const QList<QByteArray> fields = rawLine.trimmed().split(' ');
        if (fields.size() < 7)
            continue;
        qsizetype separator = -1;
        for (qsizetype i = 6; i < fields.size(); ++i)
            if (fields[i] == "-") {
                separator = i;
                break;
            }
        if (separator < 0 || separator + 2 >= fields.size())
            continue;
        MountEntry entry;
        entry.root = unescapeMountField(QString::fromUtf8(fields[3]));
        entry.mountPoint = unescapeMountField(QString::fromUtf8(fields[4]));
        entry.fsType = QString::fromUtf8(fields[separator + 1]);
        entry.source = unescapeMountField(QString::fromUtf8(fields[separator + 2]));
        if (!entry.mountPoint.startsWith(QLatin1Char('/')))
            continue;
        out << entry;
    }
    return out;
}

QList<MountedVolume> VolumeMonitor::removableVolumes(const QList<MountEntry>& mounts, const QStringList& roots)
{
    QList<MountedVolume> out;
    for (const MountEntry& m : mounts) {
        bool removable = false;
        for (const QString& root : roots)
            if (m.mountPoint.startsWith(QDir::cleanPath(root) + QLatin1Char('/')))
                removable = true;
        if (!removable)
            continue;
        const QString label = m.label.isEmpty() ? QFileInfo(m.mountPoint).fileName() : m.label;
        MountedVolume v{m.mountPoint, label, m.source, m.uuid};
        // A later mount over the same point hides the earlier one.
        out.removeIf([&](const MountedVolume& o) { return o.mountPoint == v.mountPoint; });
        out << v;
    }
    return out;
}
