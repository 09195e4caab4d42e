#pragma once

#include "Corvallen/Store/PersistentIdentifier.h"

#include <QList>
#include <QString>

#include <optional>

class Component;
class ModelContext;

// The Inventory page's work that needs no window: row texts, the drag payload, adding and
// deleting components, and the page's empty-state and count texts.
namespace InventoryPage {

// Every component, ascending by name.
QList<Component*> allComponents(ModelContext& context);

// "Resistor — Drawer 3 · B2": category, manufacturer and the location part (location and bin
// joined by " · ") that are present and not empty, joined by " — ".
QString subtitle(const Component& component);
// "12 pcs".
QString quantityText(const Component& component);
// "corvallen-part:" + Base64 of the component's identifier JSON.
QString dragPayload(const Component& component);

// Inserts "New component" and saves (a failed save stays pending); the new component.
Component* addComponent(ModelContext& context);
// Deletes the component (its project lines go with it) and saves. Its attached files stay.
void deleteComponent(Component* component, ModelContext& context);

// What the row's "Delete" asks first when projects hold the component: deleting it takes it off
// their parts lists, which the user may not have in mind in the Inventory. None when no project
// holds it (it is deleted at once then).
struct DeleteQuestion {
    QString title;
    QString message;
};
std::optional<DeleteQuestion> deleteQuestion(const Component& component);

// The component with that identifier among `components`, or nullptr.
Component* selectedComponent(const QList<Component*>& components, const std::optional<PersistentIdentifier>& id);

struct EmptyState {
    QString title;
    QString description;
};
// The empty state for a store with `total` components of which none is listed.
EmptyState emptyState(qsizetype total);
// "12 of 40".
QString countLine(qsizetype shown, qsizetype total);

}  // namespace InventoryPage
