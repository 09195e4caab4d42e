#pragma once

#include <QString>

#include <functional>
#include <optional>

// Ejecting the drive that holds a sync location: up to six unmount attempts, half a second
// apart while the drive is busy, ending in one outcome line. Runs off the main thread.
namespace DriveEject {

QString ejectedText();  // "Ejected — safe to disconnect"
QString busyText();
// What an unmount status means for the user, in plain words (no status codes).
QString failureText(quint32 status);
// Said when the eject tool is not installed.
QString noToolText();

// The udisksctl found on PATH.
QString defaultProgram();

// Nothing on success (or when the volume was no longer mounted), else the failure line.
// `pause` waits between attempts (half a second unless given); `stop` ends the retries early
// when the application is going away.
std::optional<QString> run(const QString& device, const QString& program, const std::function<void()>& pause = {},
                           const std::function<bool()>& stop = {});

}  // namespace DriveEject
