#pragma once

#include "Corvallen/Platform/ModelContainer.h"
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

// The file names directly in the captures folder, sorted.
QStringList captureFiles();
// Empties the captures folder (it is shared by every test of the process).
void clearCaptures();

// A store, a settings file, a folder standing in for a removable-media root, and a mount table
// file that the tests rewrite; everything fresh per test.
struct Bench {
    Bench();
    std::unique_ptr<ModelContainer> container;
    std::unique_ptr<SettingsStore> settings;
    QString root;  // a fresh folder for the test's own files
    QString mediaRoot;  // plays /media
    QString mountInfo;  // plays /proc/self/mountinfo

    ModelContext& context() { return container->mainContext(); }
    // A monitor over the mount table and the media root.
    VolumeMonitor* newMonitor() const;
    // Writes the mount table: "/" plus one removable volume per (label, device).
    void mount(const QList<std::pair<QString, QString>>& volumes) const;
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
