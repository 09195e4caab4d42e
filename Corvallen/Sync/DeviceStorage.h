#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

// The captures folder, where every capture image lives, and the shared in-memory cache through
// which views show capture images. Main thread only.
namespace DeviceStorage {

// dataFolder()/captures. On first use in a process it moves an older product's captures folder
// ($XDG_DATA_HOME/Halvorine/captures) into place when there is none yet, then creates the
// folder; failures are ignored.
QString capturesFolder();

// The image stored under that capture file name, from the cache or else read from the captures
// folder (and then cached). A missing or unreadable file, or a name that is not a plain file
// name, gives a null image and is not cached, so the next call tries the disk again.
QImage captureImage(const QString& fileName);

// The PNG files (extension "png" in any letter case) directly in the captures folder, by name.
QStringList captureFileNames();

// Forgets the cached images (tests, and a folder replaced by a restore).
void clearImageCache();

}  // namespace DeviceStorage
