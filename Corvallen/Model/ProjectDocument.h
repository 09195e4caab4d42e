#pragma once

#include "Corvallen/Store/PersistentModel.h"

class Document;
class Project;

// The attachment of a library document to one project, with that project's own markup name.
class ProjectDocument : public PersistentModel {
public:
    enum Attribute { Id, AddedAt, MarkupFileName };
    enum ToOne { DocumentLink, ProjectLink };

    static const EntityDescriptor& descriptor();
    const EntityDescriptor& entity() const override { return descriptor(); }

    ProjectDocument(Document* document, Project* project);
    ProjectDocument();

    QUuid id() const { return uuid(Id); }
    void setId(const QUuid& v) { setAttributeValue(Id, v); }
    QDateTime addedAt() const { return date(AddedAt); }
    void setAddedAt(const QDateTime& v) { setAttributeValue(AddedAt, v); }
    QString markupFileName() const { return text(MarkupFileName); }
    void setMarkupFileName(const QString& v) { setAttributeValue(MarkupFileName, v); }

    Document* document() const;
    void setDocument(Document* d);
    Project* project() const;
    void setProject(Project* p);
};
