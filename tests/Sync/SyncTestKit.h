#pragma once

#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Sync/SyncLocation.h"

#include <QColor>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

class VolumeMonitor;

namespace synctest {

// Writes a real image file (format "PNG", "JPG", "BMP", ...) of one colour.
void writeImage(const QString& path, const QColor& color, const char* format = "PNG", QSize size = QSize(32, 20));
// Writes a file with the given bytes.
void writeFile(const QString& path, const QByteArray& bytes);
// Makes `count` empty files in folder, named by `pattern` with %1 the number (scans of
// thousands of files).
void touchFiles(const QString& folder, const QString& pattern, int count);

// The file names directly in the captures folder, sorted.
QStringList captureFiles();
// Empties the captures folder (it is shared by every test of the process).
void clearCaptures();

// A drive as the mount table and the device folder tell of it.
struct Drive {
    QString folder;  // its mount folder's name below the media root
    QString device;
    QString uuid;  // none when empty
    QString label;  // none when empty
};

// A store, a settings file, a folder standing in for a removable-media root, a mount table
// file that the tests rewrite and a folder of device links standing in for /dev/disk;
// everything fresh per test.
struct Bench {
    Bench();
    std::unique_ptr<ModelContainer> container;
    std::unique_ptr<SettingsStore> settings;
    QString root;  // a fresh folder for the test's own files
    QString mediaRoot;  // plays /media
    QString mountInfo;  // plays /proc/self/mountinfo
    QString diskFolder;  // plays /dev/disk

    ModelContext& context() { return container->mainContext(); }
    // A monitor over the mount table, the media root and the device folder.
    VolumeMonitor* newMonitor() const;
    // Writes the mount table: "/" plus one removable volume per (label, device).
    void mount(const QList<std::pair<QString, QString>>& volumes) const;
    // The same with drives named by UUID and label, which the device folder then lists.
    void mountDrives(const QList<Drive>& drives) const;
    // A saved location whose grant points at folder.
    SyncLocation savedLocation(const QString& name, const QString& folder);
};

// A stand-in for udisksctl: answers "unmount" with the outcomes in `plan`, one per call
// ("ok", "busy", "denied", "notmounted", "odd"), and logs every call's arguments.
struct FakeUdisks {
    explicit FakeUdisks(const QStringList& plan);
    QString program;
    QString callLog;
    QStringList calls() const;
};

}  // namespace synctest
