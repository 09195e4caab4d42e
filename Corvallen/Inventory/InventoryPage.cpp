#include "Corvallen/Inventory/InventoryPage.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/DragString.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/TextCompare.h"
#include "Corvallen/Store/ModelContext.h"

#include <QCoreApplication>

#include <algorithm>

namespace InventoryPage {

QList<Component*> allComponents(ModelContext& context)
{
    return context.fetch<Component>({}, [](const Component* a, const Component* b) { return a->name() < b->name(); });
}

QString subtitle(const Component& component)
{
    QStringList place;
    for (const std::optional<QString>& v : {component.location(), component.bin()})
        if (v)
            place << *v;
    const QString locationPart = place.join(QStringLiteral(" \u00B7 "));
    QStringList parts;
    for (const std::optional<QString>& v : {component.category(), component.manufacturer(), std::optional<QString>(locationPart)})
        if (v && !v->isEmpty())
            parts << *v;
    return parts.join(QStringLiteral(" \u2014 "));
}

QString quantityText(const Component& component)
{
    return QCoreApplication::translate("InventoryView", "%1 %2").arg(component.qty()).arg(component.unit());
}

QString dragPayload(const Component& component)
{
    return DragString::forComponent(component);
}

Component* addComponent(ModelContext& context)
{
    Component* component = context.insert(new Component(QCoreApplication::translate("InventoryView", "New component")));
    context.save();
    return component;
}

void deleteComponent(Component* component, ModelContext& context)
{
    if (!component || component->isDeleted())
        return;
    context.deleteObject(component);
    context.save();
}

std::optional<DeleteQuestion> deleteQuestion(const Component& component)
{
    QStringList projects;
    for (const ProjectComponent* line : component.projectUses()) {
        const Project* project = line && !line->isDeleted() ? line->project() : nullptr;
        if (!project || project->isDeleted())
            continue;
        const QString name = project->name().isEmpty() ? QCoreApplication::translate("InventoryView", "Untitled project")
                                                        : project->name();
        projects << QStringLiteral("\u201C%1\u201D").arg(name);
    }
    if (projects.isEmpty())
        return std::nullopt;
    std::stable_sort(projects.begin(), projects.end(), [](const QString& a, const QString& b) {
        return TextCompare::localizedCaseInsensitiveCompare(a, b) < 0;
    });
    const QString title = QCoreApplication::translate("InventoryView", "Delete \u201C%1\u201D?").arg(component.name());
    if (projects.size() == 1)
        return DeleteQuestion{title, QCoreApplication::translate("InventoryView", "It is on the parts list of %1. Deleting it takes it off that list.")
                                         .arg(projects.first())};
    return DeleteQuestion{title, QCoreApplication::translate("InventoryView", "It is on the parts lists of %1 projects: %2. Deleting it takes it off those lists.")
                                     .arg(projects.size())
                                     .arg(projects.join(QStringLiteral(", ")))};
}

Component* selectedComponent(const QList<Component*>& components, const std::optional<PersistentIdentifier>& id)
{
    if (!id)
        return nullptr;
    for (Component* c : components)
        if (c->persistentModelID() == *id)
            return c;
    return nullptr;
}

EmptyState emptyState(qsizetype total)
{
    if (total == 0)
        return {QCoreApplication::translate("InventoryView", "No components yet"),
                QCoreApplication::translate("InventoryView", "Add a component, or use Import… to migrate your workshop inventory.")};
    return {QCoreApplication::translate("InventoryView", "Nothing matches"),
            QCoreApplication::translate("InventoryView", "No components match the current search or filters.")};
}

QString countLine(qsizetype shown, qsizetype total)
{
    return QCoreApplication::translate("InventoryView", "%1 of %2").arg(shown).arg(total);
}

}  // namespace InventoryPage
