#include "Corvallen/Model/ProjectComponent.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"

const EntityDescriptor& ProjectComponent::descriptor()
{
    static const EntityDescriptor d = [] {
        EntityDescriptor e;
        e.name = QStringLiteral("ProjectComponent");
        e.attributes = {{QStringLiteral("id"), AttributeType::Uuid},
                        {QStringLiteral("addedAt"), AttributeType::Date},
                        {QStringLiteral("quantity"), AttributeType::Integer}};
        e.toOne = {{QStringLiteral("component"), QStringLiteral("Component"), QStringLiteral("projectUses")},
                   {QStringLiteral("project"), QStringLiteral("Project"), QStringLiteral("parts")}};
        e.make = [] { return new ProjectComponent; };
        return e;
    }();
    return d;
}

ProjectComponent::ProjectComponent() : PersistentModel(descriptor()) {}

ProjectComponent::ProjectComponent(Component* component, Project* project, qint64 quantity) : PersistentModel(descriptor())
{
    setAttributeValue(Id, QUuid::createUuid());
    setAttributeValue(AddedAt, QDateTime::currentDateTimeUtc());
    setAttributeValue(Quantity, QVariant(std::max<qint64>(quantity, 1)));
    setComponent(component);
    setProject(project);
}

Component* ProjectComponent::component() const { return toOne<Component>(ComponentLink); }
void ProjectComponent::setComponent(Component* c) { setToOneValue(ComponentLink, c); }
Project* ProjectComponent::project() const { return toOne<Project>(ProjectLink); }
void ProjectComponent::setProject(Project* p) { setToOneValue(ProjectLink, p); }
