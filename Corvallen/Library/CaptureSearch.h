#pragma once

#include "Corvallen/Library/LibraryFilter.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

class Capture;
class ModelContext;

// The Library's list of captures for a scope and a search, fast enough to follow every
// keystroke over a hundred thousand captures. It is always exactly what
// LibraryFilter::filterCaptures(LibraryFilter::allCapturesNewestFirst(...)) gives; what is kept
// between keystrokes is the work: the newest-first order, and the lower-cased search text of
// every capture (title, notes, mode and tag names) laid end to end in one UTF-8 text, searched
// in one pass. Both are brought up to date when a capture or a tag has changed since, each
// capture's text only when that capture changed. Main thread only.
class CaptureSearch {
public:
    explicit CaptureSearch(const ModelContext& context);

    QList<Capture*> results(LibraryFilter::Scope scope, const QString& search);

private:
    void update();

    const ModelContext& m_context;
    quint64 m_captureGeneration = 0;
    quint64 m_tagGeneration = 0;
    bool m_built = false;
    QList<Capture*> m_order;        // newest first
    std::vector<quint32> m_changes;  // each capture's change count when its text was made
    std::vector<qsizetype> m_starts; // where each capture's text begins in m_text
    QByteArray m_text;
};
