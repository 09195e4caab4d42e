#pragma once

#include <QString>
#include <QStringList>

// How many tags of a one-line tag row fit a width. The widths of the pills are estimated from
// their names (characters as the user sees them × 6.5 + 20 points), so the fit needs no layout
// pass; when not all fit, 30 points stay free for the "+N" overflow pill.
struct TagRowFit {
    int visibleCount = 0;  // the first visibleCount tags are shown
    int hiddenCount = 0;   // the rest, summed up in the overflow pill
    friend bool operator==(const TagRowFit&, const TagRowFit&) = default;
};

namespace TagRowFitting {

// Estimated pill width of a tag name, in points.
qreal estimatedPillWidth(const QString& name);

// The fit of the names (in order) in `width` points.
TagRowFit fit(const QStringList& names, qreal width);

}  // namespace TagRowFitting
