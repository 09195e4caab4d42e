#include "Corvallen/Projects/AddFromInventory.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/TextTrim.h"
#include "Corvallen/Projects/StockAllocation.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Model/TextCompare.h"

#include <QDebug>

namespace AddFromInventory {

QSet<PersistentIdentifier> existingIDs(const Project* project)
{
    QSet<PersistentIdentifier> ids;
    if (!project)
        return ids;
    for (const ProjectComponent* line : project->parts()) {
        if (line && !line->isDeleted() && line->component())
            ids.insert(line->component()->persistentModelID());
    }
    return ids;
}

QString preparedQuery(const QString& search) { return trimHorizontalSpace(TextCompare::searchLowered(search)); }

bool matches(const Component* component, const QString& query, const QSet<PersistentIdentifier>& existing)
{
    if (!component || existing.contains(component->persistentModelID()))
        return false;
    if (query.isEmpty())
        return true;
    if (TextCompare::searchLowered(component->name()).contains(query))
        return true;
    if (const auto pn = component->partNumber(); pn && TextCompare::searchLowered(*pn).contains(query))
        return true;
    if (const auto cat = component->category(); cat && TextCompare::searchLowered(*cat).contains(query))
        return true;
    for (const QString& tag : component->tagList()) {
        if (TextCompare::searchLowered(tag).contains(query))
            return true;
    }
    return false;
}

QList<Component*> candidates(const QList<Component*>& all, const QString& search, const Project* project)
{
    const QSet<PersistentIdentifier> existing = existingIDs(project);
    const QString query = preparedQuery(search);
    QList<Component*> out;
    for (Component* c : all) {
        if (c && !c->isDeleted() && matches(c, query, existing))
            out.append(c);
    }
    return out;
}

bool nothingToAdd(const QList<Component*>& all, const Project* project)
{
    const QSet<PersistentIdentifier> existing = existingIDs(project);
    for (const Component* c : all) {
        if (c && !c->isDeleted() && !existing.contains(c->persistentModelID()))
            return false;
    }
    return true;
}

int addAll(const QList<Component*>& components, Project* project, ModelContext& context)
{
    int added = 0;
    for (Component* c : components) {
        if (StockAllocation::setPartUnsaved(c, project, 1, context))
            ++added;
    }
    if (added > 0) {
        QString error;
        if (!context.save(&error))
            qWarning() << "Parts added from the inventory kept pending; saving failed:" << error;
    }
    return added;
}

int addSelected(const QList<Component*>& all, const QString& search, const QSet<PersistentIdentifier>& selected,
                Project* project, ModelContext& context)
{
    QList<Component*> chosen;
    for (Component* c : candidates(all, search, project)) {
        if (selected.contains(c->persistentModelID()))
            chosen.append(c);
    }
    return addAll(chosen, project, context);
}

}  // namespace AddFromInventory
