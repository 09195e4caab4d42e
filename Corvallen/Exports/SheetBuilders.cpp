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

QList<SheetPageEntry> projectSheetPages(const Project* project)
{
    const QList<ProjectComponent*> parts = sortedParts(project);
    const QList<Capture*> captures = sortedCaptures(project);
    QList<SheetPageEntry> pages;

    auto first = std::make_shared<SheetStack>(12);
    first->add(std::make_shared<SheetOverview>(project));
    if (!parts.isEmpty())
        first->add(std::make_shared<SheetBOMTable>(parts.mid(0, std::min<qsizetype>(12, parts.size())), 1, true));
    pages.append({true, first});

    for (qsizetype start = 12; start < parts.size(); start += 22) {
        const qsizetype end = std::min<qsizetype>(start + 22, parts.size());
        pages.append({false, std::make_shared<SheetBOMTable>(parts.mid(start, end - start), int(start + 1), true)});
    }
    for (qsizetype start = 0; start < captures.size(); start += 6) {
        const qsizetype end = std::min<qsizetype>(start + 6, captures.size());
        pages.append({false, std::make_shared<SheetCaptures>(captures.mid(start, end - start), start == 0, 2)});
    }
    return pages;
}

QList<SheetPageEntry> quotePages(const Project* project, const QDate& date, const BusinessProfile& profile)
{
    const QList<ProjectComponent*> parts = sortedParts(project);
    QList<SheetPageEntry> pages;
    if (!project->quoteCombined() && !parts.isEmpty()) {
        const auto chunks = chunkParts(parts, 16, 24);
        for (int i = 0; i < chunks.size(); ++i) {
            auto stack = std::make_shared<SheetStack>(14);
            if (i == 0)
                stack->add(std::make_shared<SheetQuoteHeader>(project, date));
            stack->add(std::make_shared<SheetQuoteTable>(chunks[i], false));
            if (i == chunks.size() - 1)
                stack->add(std::make_shared<SheetQuoteTotals>(project, profile));
            pages.append({i == 0, stack});
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
    return SheetRenderer::renderSheetPDF(projectSheetPages(project), profile, QStringLiteral("ProjectSheet"));
}

QString makeQuotePDF(const Project* project, const QDateTime& date)
{
    const BusinessProfile profile = BusinessProfile::load();
    return SheetRenderer::renderSheetPDF(quotePages(project, date.date(), profile), profile, QStringLiteral("Quote"));
}

}  // namespace SheetBuilders
