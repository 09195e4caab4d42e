#include "Corvallen/Projects/ProjectContents.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/TextCompare.h"

#include <algorithm>

namespace ProjectContents {

QList<Capture*> sortedCaptures(const Project* project)
{
    QList<Capture*> out;
    if (!project)
        return out;
    for (Capture* c : project->captures()) {
        if (c && !c->isDeleted())
            out.append(c);
    }
    std::stable_sort(out.begin(), out.end(), [](const Capture* a, const Capture* b) { return a->importedAt() > b->importedAt(); });
    return out;
}

QList<Document*> projectDocuments(const Project* project)
{
    QList<Document*> out;
    if (!project)
        return out;
    for (const ProjectDocument* link : project->attachments()) {
        if (!link || link->isDeleted())
            continue;
        Document* d = link->document();
        if (d && !d->isDeleted())
            out.append(d);
    }
    std::stable_sort(out.begin(), out.end(), [](const Document* a, const Document* b) { return a->addedAt() > b->addedAt(); });
    return out;
}

QList<ProjectComponent*> partLines(const Project* project)
{
    QList<ProjectComponent*> out;
    if (!project)
        return out;
    for (ProjectComponent* line : project->parts()) {
        if (line && !line->isDeleted() && line->component() && !line->component()->isDeleted())
            out.append(line);
    }
    std::stable_sort(out.begin(), out.end(), [](const ProjectComponent* a, const ProjectComponent* b) {
        return TextCompare::localizedCaseInsensitiveCompare(a->component()->name(), b->component()->name()) < 0;
    });
    return out;
}

}  // namespace ProjectContents
