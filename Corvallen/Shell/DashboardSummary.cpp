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

    // Only the ten newest are needed: a partial sort, ties kept in store order as a stable sort
    // of the whole list would keep them.
    const QList<Capture*> captures = context.fetch<Capture>();
    s.captureCount = captures.size();
    struct Entry {
        qint64 importedAt;
        qsizetype index;
        Capture* capture;
    };
    std::vector<Entry> entries;
    entries.reserve(size_t(captures.size()));
    for (qsizetype i = 0; i < captures.size(); ++i) {
        const QDateTime d = captures.at(i)->importedAt();
        entries.push_back({d.isValid() ? d.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min(), i, captures.at(i)});
    }
    const size_t keep = std::min(entries.size(), size_t(recentLimit));
    std::partial_sort(entries.begin(), entries.begin() + keep, entries.end(), [](const Entry& a, const Entry& b) {
        return a.importedAt != b.importedAt ? a.importedAt > b.importedAt : a.index < b.index;
    });
    for (size_t i = 0; i < keep; ++i)
        s.recentCaptures << entries[i].capture;

    for (const Component* c : context.fetch<Component>()) {
        const StockStatus status = c->status();
        if (status == StockStatus::low)
            ++s.lowCount;
        else if (status == StockStatus::out)
            ++s.outCount;
    }
    return s;
}
