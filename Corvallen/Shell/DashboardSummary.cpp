#include "Corvallen/Shell/DashboardSummary.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Platform/ModelContext.h"


DashboardSummary DashboardSummary::compute(ModelContext& context)
{
    DashboardSummary s;

    s.projects = context.fetch<Project>({}, [](const Project* a, const Project* b) { return a->createdAt() > b->createdAt(); });
    s.projectCount = s.projects.size();

    // The dashboard is the first screen: it asks the store only for counts, the ten newest
    // captures and three columns of the components, which it answers without reading whole
    // tables while they are still coming in.
    s.captureCount = context.liveCount(Capture::descriptor().name);
    s.recentCaptures = context.fetchTop<Capture>(Capture::ImportedAt, recentLimit);

    const QList<QVariantList> stock =
        context.attributeValues(Component::descriptor().name, {Component::A_qty, Component::A_minQty, Component::A_statusOverride});
    for (const QVariantList& row : stock) {
        const StockStatus status = Component::status(row[0].toLongLong(), row[1].toLongLong(),
                                                     row[2].isValid() ? std::optional<QString>(row[2].toString()) : std::nullopt);
        if (status == StockStatus::low)
            ++s.lowCount;
        else if (status == StockStatus::out)
            ++s.outCount;
    }
    return s;
}
