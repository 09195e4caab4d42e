#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class QSocketNotifier;

// One line of the kernel's mount table (/proc/self/mountinfo).
struct MountEntry {
    QString mountPoint;  // unescaped ("\040" becomes a blank)
    QString fsType;
    QString source;  // the mounted device, such as /dev/sdb1
    friend bool operator==(const MountEntry& a, const MountEntry& b)
    {
        return a.mountPoint == b.mountPoint && a.fsType == b.fsType && a.source == b.source;
    }
};

// A mounted removable volume: a file system mounted below one of the removable roots
// (/media, /run/media, /mnt), named by its mount folder as file managers show it.
struct MountedVolume {
    QString mountPoint;
    QString label;  // the mount folder's name
    QString device;  // the mount source
    friend bool operator==(const MountedVolume& a, const MountedVolume& b)
    {
        return a.mountPoint == b.mountPoint && a.label == b.label && a.device == b.device;
    }
};

// Watches the mount table and tells when removable volumes are mounted, unmounted or moved to
// another mount point (a renamed volume comes back under its new name). The kernel flags the
// table's file as exceptional (POLLPRI) whenever it changes, so no polling timer is involved.
class VolumeMonitor : public QObject {
    Q_OBJECT
public:
    static QStringList defaultRemovableRoots();

    // Watches /proc/self/mountinfo.
    explicit VolumeMonitor(QObject* parent = nullptr);
    // Reads another mount table and other removable roots (tests use a file of sample text).
    VolumeMonitor(const QString& mountInfoPath, const QStringList& removableRoots, QObject* parent = nullptr);
    ~VolumeMonitor() override;

    // Every mount, as last read.
    QList<MountEntry> mounts() const { return m_mounts; }
    // The removable volumes among them, in table order.
    QList<MountedVolume> volumes() const;
    QStringList removableRoots() const { return m_roots; }

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
    static QList<MountedVolume> removableVolumes(const QList<MountEntry>& mounts, const QStringList& roots);

Q_SIGNALS:
    void volumeMounted(const MountedVolume& volume);
    void volumeUnmounted(const MountedVolume& volume);
    // After any mount or unmount of a removable volume (once per recheck).
    void volumesChanged();

private:
    void read();

    QString m_path;
    QStringList m_roots;
    QList<MountEntry> m_mounts;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};
