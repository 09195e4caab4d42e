#pragma once

#include <QString>

// What a selective restore did: how many projects, components, captures and documents it
// restored, whether it restored the settings, and how many parts-list lines and document
// attachments it left out because their target was not restored with them.
struct RestoreSummary {
    int projects = 0;
    int components = 0;
    int captures = 0;
    int files = 0;
    bool settings = false;
    int skippedLinks = 0;

    // The one line the Storage pane shows, e.g. "Restored 2 projects, 14 components, settings."
    QString description() const;

    friend bool operator==(const RestoreSummary&, const RestoreSummary&) = default;
};
