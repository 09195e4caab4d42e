#include "Corvallen/Model/Project.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/ProjectDocument.h"

const EntityDescriptor& Project::descriptor()
{
    static const EntityDescriptor d = [] {
        EntityDescriptor e;
        e.name = QStringLiteral("Project");
        using T = AttributeType;
        e.attributes = {
            {QStringLiteral("name"), T::Text},
            {QStringLiteral("details"), T::Text},
            {QStringLiteral("notes"), T::Text},
            {QStringLiteral("createdAt"), T::Date},
            {QStringLiteral("labourHours"), T::Double, true},
            {QStringLiteral("labourRate"), T::Double, true},
            {QStringLiteral("labourFlat"), T::Double, true},
            {QStringLiteral("quoteCombined"), T::Bool},
        };
        e.toMany = {
            {QStringLiteral("captures"), QStringLiteral("Capture"), QStringLiteral("project"), DeleteRule::Nullify},
            {QStringLiteral("documents"), QStringLiteral("Document"), QStringLiteral("project"), DeleteRule::Nullify},
            {QStringLiteral("attachments"), QStringLiteral("ProjectDocument"), QStringLiteral("project"), DeleteRule::Cascade},
            {QStringLiteral("parts"), QStringLiteral("ProjectComponent"), QStringLiteral("project"), DeleteRule::Cascade},
        };
        e.make = [] { return new Project; };
        return e;
    }();
    return d;
}

Project::Project() : PersistentModel(descriptor())
{
    setAttributeValue(QuoteCombined, false);
}

Project::Project(const QString& name, const QString& details, const QString& notes) : PersistentModel(descriptor())
{
    setAttributeValue(Name, name);
    setAttributeValue(Details, details);
    setAttributeValue(Notes, notes);
    setAttributeValue(CreatedAt, QDateTime::currentDateTimeUtc());
    setAttributeValue(QuoteCombined, false);
}

QList<Capture*> Project::captures() const { return toMany<Capture>(Captures); }
QList<Document*> Project::documents() const { return toMany<Document>(Documents); }
QList<ProjectDocument*> Project::attachments() const { return toMany<ProjectDocument>(Attachments); }
QList<ProjectComponent*> Project::parts() const { return toMany<ProjectComponent>(Parts); }

double Project::labourTotal() const
{
    if (const auto flat = labourFlat())
        return *flat;
    return labourHours().value_or(0) * labourRate().value_or(0);
}

double Project::partsResellTotal() const
{
    double sum = 0.0;
    for (const ProjectComponent* line : parts()) {
        const Component* c = line->component();
        const double price = c ? c->resellPrice().value_or(0) : 0;
        sum += price * double(line->quantity());
    }
    return sum;
}

double Project::partsCostTotal() const
{
    double sum = 0.0;
    for (const ProjectComponent* line : parts()) {
        const Component* c = line->component();
        const double price = c ? c->purchasePrice().value_or(0) : 0;
        sum += price * double(line->quantity());
    }
    return sum;
}
