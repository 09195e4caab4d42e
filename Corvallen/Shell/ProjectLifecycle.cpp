#include "Corvallen/Shell/ProjectLifecycle.h"

#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Store/ModelContext.h"

#include <QCoreApplication>
#include <QStringList>

namespace ProjectLifecycle {

Project* createProject(ModelContext& context)
{
    Project* project = context.insert(new Project(QCoreApplication::translate("AppShell", "New Project"), QString(), QString()));
    context.save();
    return project;
}

void deleteProject(Project* project, ModelContext& context)
{
    if (!project || project->isDeleted())
        return;
    QStringList markupNames;
    for (const ProjectDocument* link : project->attachments())
        if (link && !link->markupFileName().isEmpty())
            markupNames << link->markupFileName();
    context.deleteObject(project);
    // The files go only once the delete is in the store: a save that fails keeps the record
    // and its markup together, and the next successful save removes both.
    context.afterDeletionSaved(project, [markupNames] {
        for (const QString& name : markupNames)
            DocumentFileStore::removeMarkupFile(name);
    });
    context.save();
}

}  // namespace ProjectLifecycle
