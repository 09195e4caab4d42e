#pragma once

#include <QString>

#include <functional>

// Writes a standard ZIP archive of a folder with libzip. Entry names are relative to the folder
// (no top-level folder of its own), folders get entries of their own so that empty ones
// survive, files that are compressed already (PNG, PDF, JPEG, ...) are stored and everything
// else (the JSON records) is deflated. Sizes past 4 GiB are written in ZIP64 form.
namespace ZipWriter {

// fraction in [0, 1]; may be called from the thread that writes.
using Progress = std::function<void(double fraction)>;

// Throws BackupError; on failure no archive is left at zipPath.
void writeFolder(const QString& folder, const QString& zipPath, const Progress& progress = {});

// True for the file types that are stored without compression.
bool storesUncompressed(const QString& fileName);

}  // namespace ZipWriter
