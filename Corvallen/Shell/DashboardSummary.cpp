#include "Corvallen/Shell/DashboardSummary.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Platform/ModelContext.h"

#include <algorithm>
#include <limits>
#include <vector>

DashboardSummary DashboardSummary::compute(ModelContext& context)
{
    DashboardSummary s;

    s.projects = context.fetch<Project>({}, [](const Project* a, const Project* b) { return a->createdAt() > b->createdAt(); });
    s.projectCount = s.projects.size();

    // Only the ten newest are needed: one pass keeping a short sorted list, ties kept in store
    // order as a stable sort of the whole list would keep them.
    const QList<PersistentModel*> captures = context.fetchAll(Capture::descriptor().name);
    s.captureCount = captures.size();
    struct Entry {
        qint64 importedAt;
        Capture* capture;
    };
    std::vector<Entry> newest;
    newest.reserve(recentLimit + 1);
    for (PersistentModel* m : captures) {
        auto* c = static_cast<Capture*>(m);
        const QDateTime d = c->importedAt();
        const qint64 when = d.isValid() ? d.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
        if (newest.size() == size_t(recentLimit) && when <= newest.back().importedAt)
            continue;
        // After every entry that is as new or newer: equal dates keep their store order.
        auto at = std::upper_bound(newest.begin(), newest.end(), when,
                                   [](qint64 value, const Entry& e) { return value > e.importedAt; });
        newest.insert(at, Entry{when, c});
        if (newest.size() > size_t(recentLimit))
            newest.pop_back();
    }
    for (const Entry& e : newest)
        s.recentCaptures << e.capture;

    for (PersistentModel* m : context.fetchAll(Component::descriptor().name)) {
        const auto* c = static_cast<const Component*>(m);
        const StockStatus status = c->status();
        if (status == StockStatus::low)
            ++s.lowCount;
        else if (status == StockStatus::out)
            ++s.outCount;
    }
    return s;
}
