#include "Corvallen/Exports/SheetBuilders.h"

#include "Corvallen/Exports/ProjectSheetBlocks.h"
#include "Corvallen/Exports/QuoteBlocks.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/TextCompare.h"

#include <algorithm>

namespace SheetBuilders {

namespace {
QString partName(const ProjectComponent* line)
{
    return line->component() ? line->component()->name() : QString();
}
}  // namespace

QList<ProjectComponent*> sortedParts(const Project* project)
{
    QList<ProjectComponent*> parts = project->parts();
    std::stable_sort(parts.begin(), parts.end(), [](const ProjectComponent* a, const ProjectComponent* b) {
        return TextCompare::localizedCaseInsensitiveCompare(partName(a), partName(b)) < 0;
    });
    return parts;
}

QList<Capture*> sortedCaptures(const Project* project)
{
    QList<Capture*> captures = project->captures();
    std::stable_sort(captures.begin(), captures.end(),
                     [](const Capture* a, const Capture* b) { return a->importedAt() > b->importedAt(); });
    return captures;
}

QList<QList<ProjectComponent*>> chunkParts(const QList<ProjectComponent*>& parts, int first, int rest)
{
    QList<QList<ProjectComponent*>> chunks;
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

// The most of `items` from `start`, at most `cap`, whose page content still fits `room` when
// built by `make`; at least one, so that every item lands on some page.
template <typename T, typename Make>
qsizetype fittingCount(const QList<T>& items, qsizetype start, qsizetype cap, double room, QPaintDevice* device,
                       const Make& make, qsizetype atLeast = 1)
{
    const qsizetype most = std::min<qsizetype>(cap, items.size() - start);
    qsizetype n = most;
    while (n > atLeast && make(items.mid(start, n))->height(SheetRenderer::contentWidth, device) > room)
        --n;
    return n;
}

}  // namespace

QList<SheetPageEntry> projectSheetPages(const Project* project, const BusinessProfile& profile)
{
    const QList<ProjectComponent*> parts = sortedParts(project);
    const QList<Capture*> captures = sortedCaptures(project);
    QList<SheetPageEntry> pages;
    const SheetRenderer::MeasureDevice measure;
    QPaintDevice* dev = measure.device();
    const double firstRoom = SheetRenderer::contentHeight(profile, true, dev);
    const double laterRoom = SheetRenderer::contentHeight(profile, false, dev);

    // Page 1: the overview and as many of the first 12 rows as fit below it (none when the
    // overview alone fills the page; the table then starts on the next page).
    auto firstPage = [&](const QList<ProjectComponent*>& rows) {
        auto stack = std::make_shared<SheetStack>(12);
        stack->add(std::make_shared<SheetOverview>(project));
        if (!rows.isEmpty())
            stack->add(std::make_shared<SheetBOMTable>(rows, 1, true));
        return stack;
    };
    const qsizetype onFirst = parts.isEmpty() ? 0 : fittingCount(parts, 0, 12, firstRoom, dev, firstPage, 0);
    pages.append({true, firstPage(parts.mid(0, onFirst))});

    // Further pages: up to 22 rows each, as many as their measured heights allow.
    for (qsizetype start = onFirst; start < parts.size();) {
        auto table = [&](const QList<ProjectComponent*>& rows) {
            return std::make_shared<SheetBOMTable>(rows, int(start + 1), true);
        };
        const qsizetype n = fittingCount(parts, start, 22, laterRoom, dev, table);
        pages.append({false, table(parts.mid(start, n))});
        start += n;
    }
    bool firstCaptures = true;
    for (qsizetype start = 0; start < captures.size();) {
        auto grid = [&](const QList<Capture*>& slice) { return std::make_shared<SheetCaptures>(slice, firstCaptures, 2); };
        const qsizetype n = fittingCount(captures, start, 6, laterRoom, dev, grid);
        pages.append({false, grid(captures.mid(start, n))});
        firstCaptures = false;
        start += n;
    }
    return pages;
}

QList<SheetPageEntry> projectSheetPages(const Project* project)
{
    return projectSheetPages(project, BusinessProfile::load());
}

QList<SheetPageEntry> quotePages(const Project* project, const QDate& date, const BusinessProfile& profile)
{
    const QList<ProjectComponent*> parts = sortedParts(project);
    QList<SheetPageEntry> pages;
    if (!project->quoteCombined() && !parts.isEmpty()) {
        const SheetRenderer::MeasureDevice measure;
        QPaintDevice* dev = measure.device();
        // Head and up to 16 lines on the first page, up to 24 on later ones, as many as fit; the
        // totals go below the last line, and when they don't fit there, the last lines move on
        // to a page of their own with the totals.
        auto page = [&](bool first, bool last) {
            return [&, first, last](const QList<ProjectComponent*>& rows) {
                auto stack = std::make_shared<SheetStack>(14);
                if (first)
                    stack->add(std::make_shared<SheetQuoteHeader>(project, date));
                stack->add(std::make_shared<SheetQuoteTable>(rows, false));
                if (last)
                    stack->add(std::make_shared<SheetQuoteTotals>(project, profile));
                return stack;
            };
        };
        bool totalsPlaced = false;
        for (qsizetype start = 0; start < parts.size();) {
            const bool first = pages.isEmpty();
            const double room = SheetRenderer::contentHeight(profile, first, dev);
            qsizetype n = fittingCount(parts, start, first ? 16 : 24, room, dev, page(first, false));
            bool last = false;
            if (n == parts.size() - start) {
                if (page(first, true)(parts.mid(start, n))->height(SheetRenderer::contentWidth, dev) <= room)
                    last = true;
                else if (n > 1)
                    --n;  // the last line goes on with the totals
            }
            pages.append({first, page(first, last)(parts.mid(start, n))});
            totalsPlaced = last;
            start += n;
        }
        if (!totalsPlaced) {
            auto stack = std::make_shared<SheetStack>(14);
            stack->add(std::make_shared<SheetQuoteTotals>(project, profile));
            pages.append({false, stack});
        }
        return pages;
    }
    auto stack = std::make_shared<SheetStack>(14);
    stack->add(std::make_shared<SheetQuoteHeader>(project, date));
    if (!parts.isEmpty())
        stack->add(std::make_shared<SheetQuoteTable>(parts, true));
    stack->add(std::make_shared<SheetQuoteTotals>(project, profile));
    pages.append({true, stack});
    return pages;
}

QString makeProjectSheetPDF(const Project* project)
{
    const BusinessProfile profile = BusinessProfile::load();
    return SheetRenderer::renderSheetPDF(projectSheetPages(project, profile), profile, QStringLiteral("ProjectSheet"));
}

QString makeQuotePDF(const Project* project, const QDateTime& date)
{
    const BusinessProfile profile = BusinessProfile::load();
    return SheetRenderer::renderSheetPDF(quotePages(project, date.date(), profile), profile, QStringLiteral("Quote"));
}

}  // namespace SheetBuilders
