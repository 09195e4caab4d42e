#pragma once

#include <QString>

// A busy bench's workshop written straight into a store file, for the benchmarks: the schema is
// made by the store itself, then every row goes in through plain SQLite in one transaction, so
// that a store of a hundred thousand records takes a second or two to make instead of the
// minutes the object store would spend inserting it record by record.
namespace corvallen::bench {

struct LargeStoreShape {
    int captures = 100000;
    int components = 20000;
    int projects = 40;
    int tags = 30;
    int documents = 60;
    // Capture image files: every capture gets one, each a hard link to one of a few small
    // pictures (a quarter of them large photos), so the folder costs almost no disk.
    bool captureFiles = true;
};

// Creates the store at `storePath` (the file must not exist yet) and, when asked, the capture
// files in `capturesFolder`. Stops the program when anything fails.
void writeLargeStore(const QString& storePath, const QString& capturesFolder, const LargeStoreShape& shape = {});

// First thing in a benchmark's main(): isolated XDG folders and the offscreen platform.
void isolateOffscreen();
// Once the application object exists: the settings say this version has been launched before,
// so no welcome window gets in the way (programs started from here share the settings).
void skipWelcome();

// The resident memory of this process, in bytes, after handing freed heap back to the system
// (so that what is measured is memory in use, not what the allocator keeps around).
qint64 residentBytes();

}  // namespace corvallen::bench
