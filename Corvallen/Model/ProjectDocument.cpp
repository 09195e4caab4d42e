#include "Corvallen/Model/ProjectDocument.h"

#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/UuidText.h"

const EntityDescriptor& ProjectDocument::descriptor()
{
    static const EntityDescriptor d = [] {
        EntityDescriptor e;
        e.name = QStringLiteral("ProjectDocument");
        e.attributes = {{QStringLiteral("id"), AttributeType::Uuid},
                        {QStringLiteral("addedAt"), AttributeType::Date},
                        {QStringLiteral("markupFileName"), AttributeType::Text}};
        e.toOne = {{QStringLiteral("document"), QStringLiteral("Document"), QStringLiteral("attachments")},
                   {QStringLiteral("project"), QStringLiteral("Project"), QStringLiteral("attachments")}};
        e.make = [] { return new ProjectDocument; };
        return e;
    }();
    return d;
}

ProjectDocument::ProjectDocument() : PersistentModel(descriptor()) {}

ProjectDocument::ProjectDocument(Document* document, Project* project) : PersistentModel(descriptor())
{
    setAttributeValue(Id, QUuid::createUuid());
    setAttributeValue(AddedAt, QDateTime::currentDateTimeUtc());
    setAttributeValue(MarkupFileName, newUuidText() + QStringLiteral(".markup.pdf"));
    setDocument(document);
    setProject(project);
}

Document* ProjectDocument::document() const { return toOne<Document>(DocumentLink); }
void ProjectDocument::setDocument(Document* d) { setToOneValue(DocumentLink, d); }
Project* ProjectDocument::project() const { return toOne<Project>(ProjectLink); }
void ProjectDocument::setProject(Project* p) { setToOneValue(ProjectLink, p); }
