#pragma once

#include "Corvallen/Store/PersistentIdentifier.h"

#include <QList>
#include <QSet>
#include <QString>

class Component;
class ModelContext;
class Project;

// Picking inventory components that are not yet on a project and adding them with quantity 1.
namespace AddFromInventory {

// The identifiers of the components already on the project.
QSet<PersistentIdentifier> existingIDs(const Project* project);

// The search text as it is matched: lower-cased, spaces and tabs trimmed at both ends.
QString preparedQuery(const QString& search);

// Not on the project, and the query (already prepared) is found in the lower-cased name, part
// number, category or one of the tags; an empty query finds everything.
bool matches(const Component* component, const QString& query, const QSet<PersistentIdentifier>& existing);

// The members of `all` (in their order) that match the search text.
QList<Component*> candidates(const QList<Component*>& all, const QString& search, const Project* project);

// True when every component is on the project already (also for an empty inventory).
bool nothingToAdd(const QList<Component*>& all, const Project* project);

// Puts each component on the project with quantity 1, in their order, and saves once; returns how
// many were added.
int addAll(const QList<Component*>& components, Project* project, ModelContext& context);

// Adds, in candidate order, the selected candidates that the search still shows, each with
// quantity 1; returns how many were added.
int addSelected(const QList<Component*>& all, const QString& search, const QSet<PersistentIdentifier>& selected,
                Project* project, ModelContext& context);

}  // namespace AddFromInventory
