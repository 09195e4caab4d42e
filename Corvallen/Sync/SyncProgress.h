#pragma once

#include <QString>
#include <QtGlobal>

// What the running sync is doing, for the status bar and the menu-bar panel: first scanning
// the location, then importing with counts.
struct SyncProgress {
    enum class Phase { scanning, importing };

    QString location;  // the location's display name
    Phase phase = Phase::scanning;
    qint64 processed = 0;
    qint64 total = 0;

    friend bool operator==(const SyncProgress& a, const SyncProgress& b)
    {
        return a.location == b.location && a.phase == b.phase && a.processed == b.processed && a.total == b.total;
    }
    friend bool operator!=(const SyncProgress& a, const SyncProgress& b) { return !(a == b); }
};
