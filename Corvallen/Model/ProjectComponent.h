#pragma once

#include "Corvallen/Store/PersistentModel.h"

class Component;
class Project;

// One line of a project's parts list: a component and how many of it the project uses.
class ProjectComponent : public PersistentModel {
public:
    enum Attribute { Id, AddedAt, Quantity };
    enum ToOne { ComponentLink, ProjectLink };

    static const EntityDescriptor& descriptor();
    const EntityDescriptor& entity() const override { return descriptor(); }

    // A quantity below 1 is raised to 1.
    ProjectComponent(Component* component, Project* project, qint64 quantity);
    ProjectComponent();

    QUuid id() const { return uuid(Id); }
    void setId(const QUuid& v) { setAttributeValue(Id, v); }
    QDateTime addedAt() const { return date(AddedAt); }
    void setAddedAt(const QDateTime& v) { setAttributeValue(AddedAt, v); }
    qint64 quantity() const { return integer(Quantity); }
    void setQuantity(qint64 v) { setAttributeValue(Quantity, QVariant(v)); }

    Component* component() const;
    void setComponent(Component* c);
    Project* project() const;
    void setProject(Project* p);
};
