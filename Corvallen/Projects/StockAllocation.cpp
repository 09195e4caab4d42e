#include "Corvallen/Projects/StockAllocation.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Store/ModelContext.h"

#include <QDateTime>
#include <QDebug>

#include <algorithm>
#include <limits>

namespace StockAllocation {

namespace {

qint64 saturatingAdd(qint64 a, qint64 b)
{
    qint64 out = 0;
    if (!__builtin_add_overflow(a, b, &out))
        return out;
    return b > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
}

qint64 saturatingSub(qint64 a, qint64 b)
{
    qint64 out = 0;
    if (!__builtin_sub_overflow(a, b, &out))
        return out;
    return b < 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
}

void saveIgnoringFailure(ModelContext& context)
{
    QString error;
    if (!context.save(&error))
        qWarning() << "Parts list change kept pending; saving failed:" << error;
}

}  // namespace

qint64 clampedQuantity(qint64 quantity) { return std::clamp<qint64>(quantity, 1, maxLineQuantity); }

void adjustStock(Component* component, qint64 delta)
{
    if (!component || delta == 0)
        return;
    component->setQty(saturatingAdd(component->qty(), delta));
    component->setUpdatedAt(QDateTime::currentDateTimeUtc());
}

ProjectComponent* lineFor(const Component* component, const Project* project)
{
    if (!component || !project)
        return nullptr;
    for (ProjectComponent* line : component->projectUses()) {
        if (line && !line->isDeleted() && line->project() == project)
            return line;
    }
    return nullptr;
}

ProjectComponent* setPartUnsaved(Component* component, Project* project, qint64 quantity, ModelContext& context)
{
    if (!component || !project || component->isDeleted() || project->isDeleted())
        return nullptr;
    const qint64 q = clampedQuantity(quantity);
    if (ProjectComponent* line = lineFor(component, project)) {
        adjustStock(component, saturatingSub(line->quantity(), q));
        line->setQuantity(q);
        return line;
    }
    ProjectComponent* line = context.insert(new ProjectComponent(component, project, q));
    adjustStock(component, -q);
    return line;
}

ProjectComponent* setPart(Component* component, Project* project, qint64 quantity, ModelContext& context)
{
    ProjectComponent* line = setPartUnsaved(component, project, quantity, context);
    if (line)
        saveIgnoringFailure(context);
    return line;
}

void setQuantity(ProjectComponent* line, qint64 quantity, ModelContext& context)
{
    if (!line || line->isDeleted())
        return;
    const qint64 q = clampedQuantity(quantity);
    if (Component* component = line->component())
        adjustStock(component, saturatingSub(line->quantity(), q));
    line->setQuantity(q);
    saveIgnoringFailure(context);
}

void removePart(ProjectComponent* line, ModelContext& context)
{
    if (!line || line->isDeleted())
        return;
    if (Component* component = line->component())
        adjustStock(component, line->quantity());
    context.deleteObject(line);
    saveIgnoringFailure(context);
}

}  // namespace StockAllocation
