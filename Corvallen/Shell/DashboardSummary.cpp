#include "Corvallen/Shell/DashboardSummary.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Store/ModelContext.h"


DashboardSummary DashboardSummary::compute(ModelContext& context)
{
    DashboardSummary s;

    s.projects = context.fetch<Project>({}, [](const Project* a, const Project* b) { return a->createdAt() > b->createdAt(); });
    s.projectCount = s.projects.size();

    // The dashboard is the first screen: it asks the store only for counts, the ten newest
    // captures and how many components share each stock state's three values, which the
    // store answers without reading whole tables while they are still coming in.
    s.captureCount = context.liveCount(Capture::descriptor().name);
    s.recentCaptures = context.fetchTop<Capture>(Capture::ImportedAt, recentLimit);

    const QList<ModelContext::ValueCount> stock = context.attributeValueCounts(
        Component::descriptor().name, {Component::A_qty, Component::A_minQty, Component::A_statusOverride});
    for (const ModelContext::ValueCount& kind : stock) {
        const QVariantList& v = kind.values;
        const StockStatus status = Component::status(v[0].toLongLong(), v[1].toLongLong(),
                                                     v[2].isValid() ? std::optional<QString>(v[2].toString()) : std::nullopt);
        if (status == StockStatus::low)
            s.lowCount += kind.count;
        else if (status == StockStatus::out)
            s.outCount += kind.count;
    }
    return s;
}
