#include "Corvallen/Widgets/TagRowFitting.h"

#include <QList>
#include <QTextBoundaryFinder>

namespace {

int graphemeCount(const QString& s)
{
    if (s.isEmpty())
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, s);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

constexpr qreal kGap = 4;               // between two pills
constexpr qreal kOverflowReserve = 30;  // room kept for the "+N" pill

}  // namespace

namespace TagRowFitting {

qreal estimatedPillWidth(const QString& name) { return graphemeCount(name) * 6.5 + 20; }

TagRowFit fit(const QStringList& names, qreal width)
{
    const int n = int(names.size());
    if (!(width > 0))
        return {0, n};
    if (n == 0)
        return {0, 0};
    QList<qreal> widths;
    widths.reserve(n);
    qreal total = 0;
    for (const QString& name : names) {
        widths.append(estimatedPillWidth(name));
        total += widths.last() + kGap;
    }
    if (!(total > width))
        return {n, 0};
    qreal used = 0;
    int visible = 0;
    for (qreal w : widths) {
        if (used + w + kOverflowReserve > width)
            break;
        ++visible;
        used += w + kGap;
    }
    return {visible, n - visible};
}

}  // namespace TagRowFitting
