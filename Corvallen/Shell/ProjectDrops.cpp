#include "Corvallen/Shell/ProjectDrops.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Model/DragString.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Store/ModelContext.h"

namespace ProjectDrops {

namespace {

bool usable(const Project* project) { return project && !project->isDeleted(); }

template <class T>
T* decodeEntity(const QString& text, const QString& prefix, ModelContext& context)
{
    const auto id = DragString::decode(text, prefix);
    if (!id)
        return nullptr;
    T* object = context.model<T>(*id);
    if (!object || object->isDeleted())
        return nullptr;
    return object;
}

}  // namespace

Component* componentForPartDrop(const QString& text, ModelContext& context)
{
    return decodeEntity<Component>(text, DragString::partPrefix(), context);
}

bool fileCaptureDrop(const QString& text, Project* project, ModelContext& context)
{
    if (!usable(project))
        return false;
    Capture* capture = decodeEntity<Capture>(text, DragString::capturePrefix(), context);
    if (!capture)
        return false;
    capture->setProject(project);
    context.save();  // a failed save keeps the change pending for the next one
    return true;
}

bool attachDocumentDrop(const QString& text, Project* project, ModelContext& context)
{
    if (!usable(project))
        return false;
    const QList<Document*> matches = context.fetch<Document>([&](const Document* d) { return d->fileName() == text; });
    if (matches.isEmpty())
        return false;
    DocumentFileStore::attach(matches.first(), project, context);
    return true;
}

}  // namespace ProjectDrops
