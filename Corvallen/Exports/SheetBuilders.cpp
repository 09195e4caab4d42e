#include "Corvallen/Exports/SheetBuilders.h"

#include "Corvallen/Exports/ProjectSheetBlocks.h"
#include "Corvallen/Exports/QuoteBlocks.h"
#include "Corvallen/Model/TextCompare.h"

#include <algorithm>

namespace SheetBuilders {

QList<SheetPart> sortedParts(const SheetProject& project)
{
    // Each name is turned into a collation key once: a parts list may hold hundreds of thousands.
    QList<QString> names;
    names.reserve(project.parts.size());
    for (const SheetPart& part : project.parts)
        names.append(part.hasComponent ? part.name : QString());
    QList<SheetPart> parts;
    parts.reserve(project.parts.size());
    for (qsizetype i : TextCompare::caseInsensitiveOrder(names))
        parts.append(project.parts[i]);
    return parts;
}

QList<SheetCapture> sortedCaptures(const SheetProject& project)
{
    QList<SheetCapture> captures = project.captures;
    std::stable_sort(captures.begin(), captures.end(),
                     [](const SheetCapture& a, const SheetCapture& b) { return a.importedAt > b.importedAt; });
    return captures;
}

QList<QList<SheetPart>> chunkParts(const QList<SheetPart>& parts, int first, int rest)
{
    QList<QList<SheetPart>> chunks;
    if (parts.isEmpty())
        return chunks;
    first = std::max(1, first);
    rest = std::max(1, rest);
    qsizetype taken = std::min<qsizetype>(first, parts.size());
    chunks.append(parts.mid(0, taken));
    while (taken < parts.size()) {
        const qsizetype n = std::min<qsizetype>(rest, parts.size() - taken);
        chunks.append(parts.mid(taken, n));
        taken += n;
    }
    return chunks;
}

namespace {

constexpr double contentWidth = SheetRenderer::contentWidth;

// The most of `items` from `start`, at most `cap`, whose page content still fits `room` when
// built by `make`; never fewer than `atLeast`, so that every item lands on some page (the
// blocks cap every entry, so a single item always fits a page of its own).
template <typename T, typename Make>
qsizetype fittingCount(const QList<T>& items, qsizetype start, qsizetype cap, double room, QPaintDevice* device,
                       const Make& make, qsizetype atLeast = 1)
{
    const qsizetype most = std::min<qsizetype>(cap, items.size() - start);
    qsizetype n = most;
    while (n > atLeast && make(items.mid(start, n))->height(contentWidth, device) > room)
        --n;
    return n;
}

// The pieces of a block whose description may run on over pages (the overview, the quote's
// head). `make(description, opens, closes)` builds one piece. Every piece but the last fills a
// page of its own; the last is left for the caller to place with what follows it. Each page
// takes as many whole lines of the description as fit, so nothing is cut at the footer and no
// text is lost.
template <typename Make>
QList<SheetBlockPtr> flowingPieces(const QString& description, const Make& make, double firstRoom, double laterRoom,
                                   QPaintDevice* dev)
{
    QList<SheetBlockPtr> pieces;
    QString rest = description;
    bool opens = true;
    for (;;) {
        const double room = opens ? firstRoom : laterRoom;
        auto whole = make(rest, opens, true);
        if (whole->height(contentWidth, dev) <= room || rest.isEmpty()) {
            pieces.append(whole);
            return pieces;
        }
        // The most lines that fit this page without the block's end; the search is by halves,
        // since the height grows with every line taken.
        const QList<qsizetype> ends = whole->descriptionLineEnds(contentWidth, dev);
        qsizetype lo = 0, hi = ends.size();
        while (lo < hi) {
            const qsizetype mid = (lo + hi + 1) / 2;
            if (make(SheetText::before(rest, ends[mid - 1]), opens, false)->height(contentWidth, dev) <= room)
                lo = mid;
            else
                hi = mid - 1;
        }
        // A page that holds the name and date and no line of the description starts it on the
        // next page; a later page always takes at least one line, so the text moves on.
        const qsizetype lines = opens ? lo : std::max<qsizetype>(1, lo);
        const qsizetype cut = lines == 0 ? 0 : ends[lines - 1];
        pieces.append(make(SheetText::before(rest, cut), opens, false));
        rest = SheetText::from(rest, cut);
        opens = false;
    }
}

}  // namespace

QList<SheetPageEntry> projectSheetPages(const SheetProjectPtr& project, const BusinessProfile& profile,
                                        const SheetProgress& progress)
{
    const QList<SheetPart> parts = sortedParts(*project);
    const QList<SheetCapture> captures = sortedCaptures(*project);
    QList<SheetPageEntry> pages;
    const SheetRenderer::MeasureDevice measure;
    QPaintDevice* dev = measure.device();
    const double firstRoom = SheetRenderer::contentHeight(profile, true, dev);
    const double laterRoom = SheetRenderer::contentHeight(profile, false, dev);

    // The overview, its description running on over as many pages as it needs.
    const QList<SheetBlockPtr> overview = flowingPieces(
        project->details,
        [&](const QString& text, bool opens, bool closes) {
            return std::make_shared<SheetOverview>(project, text, opens, closes);
        },
        firstRoom, laterRoom, dev);
    for (qsizetype i = 0; i + 1 < overview.size(); ++i)
        pages.append({pages.isEmpty(), overview[i]});

    // Below the overview, as many rows as fit (none when the overview fills its page; the table
    // then starts on the next page): up to 12 on the first page, 22 on a later one.
    const bool onFirstPage = pages.isEmpty();
    auto overviewPage = [&](const QList<SheetPart>& rows) {
        auto stack = std::make_shared<SheetStack>(12);
        stack->add(overview.last());
        if (!rows.isEmpty())
            stack->add(std::make_shared<SheetBOMTable>(rows, 1, true));
        return stack;
    };
    const double overviewRoom = onFirstPage ? firstRoom : laterRoom;
    const qsizetype underOverview =
        parts.isEmpty() ? 0 : fittingCount(parts, 0, onFirstPage ? 12 : 22, overviewRoom, dev, overviewPage, 0);
    pages.append({onFirstPage, overviewPage(parts.mid(0, underOverview))});

    // Further pages: up to 22 rows each, as many as their measured heights allow.
    for (qsizetype start = underOverview; start < parts.size();) {
        auto table = [&](const QList<SheetPart>& rows) {
            return std::make_shared<SheetBOMTable>(rows, int(start + 1), true);
        };
        const qsizetype n = fittingCount(parts, start, 22, laterRoom, dev, table);
        pages.append({false, table(parts.mid(start, n))});
        start += n;
        SheetRenderer::report(progress, double(start) / double(parts.size() + captures.size()));
    }
    bool firstCaptures = true;
    for (qsizetype start = 0; start < captures.size();) {
        auto grid = [&](const QList<SheetCapture>& slice) { return std::make_shared<SheetCaptures>(slice, firstCaptures, 2); };
        const qsizetype n = fittingCount(captures, start, 6, laterRoom, dev, grid);
        pages.append({false, grid(captures.mid(start, n))});
        firstCaptures = false;
        start += n;
        SheetRenderer::report(progress, double(parts.size() + start) / double(parts.size() + captures.size()));
    }
    return pages;
}

QList<SheetPageEntry> projectSheetPages(const Project* project)
{
    return projectSheetPages(SheetProject::of(project), BusinessProfile::load());
}

QList<SheetPageEntry> quotePages(const Project* project, const QDate& date, const BusinessProfile& profile)
{
    return quotePages(SheetProject::of(project), date, profile);
}

QList<SheetPageEntry> quotePages(const SheetProjectPtr& project, const QDate& date, const BusinessProfile& profile,
                                 const SheetProgress& progress)
{
    const QList<SheetPart> parts = sortedParts(*project);
    const bool combined = project->quoteCombined;
    QList<SheetPageEntry> pages;
    const SheetRenderer::MeasureDevice measure;
    QPaintDevice* dev = measure.device();
    auto roomOf = [&](bool fullHeader) { return SheetRenderer::contentHeight(profile, fullHeader, dev); };

    // What the table lists, one entry per printed line: each part when itemised, all of them
    // together when combined (a project without parts has no table).
    QList<QList<SheetPart>> lines;
    if (combined && !parts.isEmpty())
        lines.append(parts);
    else if (!combined)
        for (const SheetPart& part : parts)
            lines.append({part});

    // The head, its description running on over as many pages as it needs.
    auto flowHead = [&](double keepFree) {
        return flowingPieces(
            project->details,
            [&](const QString& text, bool opens, bool) { return std::make_shared<SheetQuoteHeader>(project, date, text, opens); },
            roomOf(true) - keepFree, roomOf(false) - keepFree, dev);
    };
    QList<SheetBlockPtr> head = flowHead(0);
    if (lines.isEmpty()) {
        // Without lines the totals follow the head's last piece directly. Where they don't fit
        // beside it, the description flows again leaving room for them on every page, so the
        // totals never stand alone on a page of their own.
        auto withTotals = std::make_shared<SheetStack>(14);
        withTotals->add(head.last());
        withTotals->add(std::make_shared<SheetQuoteTotals>(project, profile));
        const double extra = withTotals->height(contentWidth, dev) - head.last()->height(contentWidth, dev);
        if (withTotals->height(contentWidth, dev) > roomOf(head.size() == 1))
            head = flowHead(extra);
    }
    for (qsizetype i = 0; i + 1 < head.size(); ++i)
        pages.append({pages.isEmpty(), head[i]});

    // Lines follow the end of the head: up to 16 on the first page and 24 on later ones, as many
    // as fit. The totals go below the last line; when they don't fit there, the last line moves
    // on to a page of its own with the totals.
    auto page = [&](bool withHead, bool withTotals) {
        return [&, withHead, withTotals](const QList<QList<SheetPart>>& slice) {
            auto stack = std::make_shared<SheetStack>(14);
            if (withHead)
                stack->add(head.last());
            if (!slice.isEmpty()) {
                QList<SheetPart> rows;
                for (const auto& l : slice)
                    rows += l;
                stack->add(std::make_shared<SheetQuoteTable>(rows, combined, project->money));
            }
            if (withTotals)
                stack->add(std::make_shared<SheetQuoteTotals>(project, profile));
            return stack;
        };
    };
    bool withHead = true;
    bool totalsPlaced = false;
    qsizetype start = 0;
    do {
        const bool fullHeader = pages.isEmpty();
        const double room = roomOf(fullHeader);
        const qsizetype atLeast = withHead ? 0 : 1;
        qsizetype n = fittingCount(lines, start, fullHeader ? 16 : 24, room, dev, page(withHead, false), atLeast);
        bool withTotals = false;
        if (start + n == lines.size()) {
            if (page(withHead, true)(lines.mid(start, n))->height(contentWidth, dev) <= room)
                withTotals = true;
            else if (n > atLeast)
                --n;  // the last line goes on with the totals
        }
        pages.append({fullHeader, page(withHead, withTotals)(lines.mid(start, n))});
        totalsPlaced = withTotals;
        withHead = false;
        start += n;
        if (!lines.isEmpty())
            SheetRenderer::report(progress, double(start) / double(lines.size()));
    } while (start < lines.size());
    if (!totalsPlaced)
        pages.append({false, page(false, true)({})});
    return pages;
}

QString makeProjectSheetPDF(const SheetProjectPtr& project, const BusinessProfile& profile, const SheetProgress& progress)
{
    return SheetRenderer::renderSheetPDF(projectSheetPages(project, profile, SheetRenderer::share(progress, 0, 0.5)), profile,
                                         QStringLiteral("ProjectSheet"), SheetRenderer::share(progress, 0.5, 1));
}

QString makeQuotePDF(const SheetProjectPtr& project, const QDateTime& date, const BusinessProfile& profile,
                     const SheetProgress& progress)
{
    return SheetRenderer::renderSheetPDF(quotePages(project, date.date(), profile, SheetRenderer::share(progress, 0, 0.5)),
                                         profile, QStringLiteral("Quote"), SheetRenderer::share(progress, 0.5, 1));
}

QString makeProjectSheetPDF(const Project* project)
{
    return makeProjectSheetPDF(SheetProject::of(project), BusinessProfile::load());
}

QString makeQuotePDF(const Project* project, const QDateTime& date)
{
    return makeQuotePDF(SheetProject::of(project), date, BusinessProfile::load());
}

}  // namespace SheetBuilders
