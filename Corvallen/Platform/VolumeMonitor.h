#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class QSocketNotifier;

// One line of the kernel's mount table (/proc/self/mountinfo), with the identity of the file
// system when the device folder names it.
struct MountEntry {
    QString mountPoint;  // unescaped ("\040" becomes a blank)
    QString fsType;
    QString source;  // the mounted device, such as /dev/sdb1
    QString root = QStringLiteral("/");  // the folder of the file system mounted there ("/" for all of it)
    QString uuid;  // the file system's UUID, when known
    QString label;  // the file system's label, when known
    friend bool operator==(const MountEntry& a, const MountEntry& b)
    {
        return a.mountPoint == b.mountPoint && a.fsType == b.fsType && a.source == b.source && a.root == b.root
            && a.uuid == b.uuid && a.label == b.label;
    }
};

// A mounted removable volume: a file system mounted below one of the removable roots
// (/media, /run/media). Its label is the file system's own label, or else the mount folder's
// name as file managers show it. A second drive with the same label is mounted at another
// folder ("SCOPE1"); its label is still "SCOPE", and its UUID tells the two apart.
struct MountedVolume {
    QString mountPoint;
    QString label;
    QString device;  // the mount source
    QString uuid;  // the file system's UUID, when known
    friend bool operator==(const MountedVolume& a, const MountedVolume& b)
    {
        return a.mountPoint == b.mountPoint && a.label == b.label && a.device == b.device && a.uuid == b.uuid;
    }
};

// Watches the mount table and tells when removable volumes are mounted, unmounted or moved to
// another mount point (a renamed volume comes back under its new name). The kernel flags the
// table's file as exceptional (POLLPRI) whenever it changes, so no polling timer is involved.
class VolumeMonitor : public QObject {
    Q_OBJECT
public:
    // Where the mount table and the file systems' names are read. Plain paths, so a worker
    // thread can read the table again with readTable().
    struct Source {
        QString mountInfoPath;
        QStringList removableRoots;
        QString diskFolder;  // holds by-uuid/ and by-label/ links to devices; empty: none
    };

    // /media and /run/media, where desktops mount drives as they are plugged in. Disks
    // mounted under /mnt are the machine's own.
    static QStringList defaultRemovableRoots();

    // Watches /proc/self/mountinfo and names file systems through /dev/disk.
    explicit VolumeMonitor(QObject* parent = nullptr);
    // Reads another mount table and other removable roots, and no device folder unless given
    // (tests use files of sample text and a folder of sample links).
    VolumeMonitor(const QString& mountInfoPath, const QStringList& removableRoots, QObject* parent = nullptr);
    VolumeMonitor(const Source& source, QObject* parent = nullptr);
    ~VolumeMonitor() override;

    Source source() const { return m_source; }
    // The mount table with the file systems' identities, read now; safe on any thread.
    static QList<MountEntry> readTable(const Source& source);

    // Every mount, as last read.
    QList<MountEntry> mounts() const { return m_mounts; }
    // The removable volumes among them, in table order.
    QList<MountedVolume> volumes() const;
    QStringList removableRoots() const { return m_source.removableRoots; }

    // The removable volume holding a path (the deepest mount point above it), if any.
    std::optional<MountedVolume> volumeHolding(const QString& path) const;
    // Whether path is the mount point of a volume that is not removable ("/" included).
    bool isFixedVolumeRoot(const QString& path) const;

    // Reads the table again and announces a change of the removable volumes. Called by the
    // watcher; tests call it after rewriting their sample file.
    void recheck();

    // Pure helpers.
    static QList<MountEntry> parseMountInfo(const QByteArray& text);
    static QString unescapeMountField(const QString& field);
    // The "\x20"-style escapes of the names in /dev/disk/by-label.
    static QString unescapeDeviceName(const QString& name);
    // Fills in each entry's UUID and label from the links of a device folder.
    static void nameFileSystems(QList<MountEntry>& mounts, const QString& diskFolder);
    static QList<MountedVolume> removableVolumes(const QList<MountEntry>& mounts, const QStringList& roots);

Q_SIGNALS:
    void volumeMounted(const MountedVolume& volume);
    void volumeUnmounted(const MountedVolume& volume);
    // After any mount or unmount of a removable volume (once per recheck).
    void volumesChanged();

private:
    void read();

    Source m_source;
    QList<MountEntry> m_mounts;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};
