#pragma once

#include "Corvallen/Model/Component.h"

#include <QtGlobal>

class Component;
class ModelContext;
class Project;
class ProjectComponent;

// The bookkeeping between a project's parts list and the inventory. Component::qty is the free
// stock: what is left on the shelf once every project holds what its lines say. Every change of
// a parts list goes through these operations, which keep qty + (sum of the component's line
// quantities) constant, so stock can go negative (the part is short) but never drifts.
//
// The three line operations save the context and ignore a failed save: the changes stay pending
// and reach the file with the next successful save.
namespace StockAllocation {

// Quantities are taken as at least 1 and at most this (the bound of every entered quantity).
constexpr qint64 maxLineQuantity = Component::maxQuantity;

// The quantity a line may hold for a requested figure: at least 1, at most maxLineQuantity.
qint64 clampedQuantity(qint64 quantity);

// Moves the component's free stock by delta and stamps updatedAt; a delta of 0 writes nothing.
// Saturates instead of wrapping at the ends of the 64-bit range. Does not save.
void adjustStock(Component* component, qint64 delta);

// The component's line in this very project (identity), or nullptr.
ProjectComponent* lineFor(const Component* component, const Project* project);

// Makes the project hold `quantity` of the component: changes its existing line (the figure
// replaces the line's quantity) or creates one, moving the stock by the difference, and saves.
// Returns the line, or nullptr when the component or project has been deleted.
ProjectComponent* setPart(Component* component, Project* project, qint64 quantity, ModelContext& context);

// The same without the save, for a caller that makes many allocations in one step and saves
// once at the end (the bill-of-materials import).
ProjectComponent* setPartUnsaved(Component* component, Project* project, qint64 quantity, ModelContext& context);

// Sets a line's quantity (clamped), moving its component's stock by the difference, and saves.
// A line that has been deleted is left alone.
void setQuantity(ProjectComponent* line, qint64 quantity, ModelContext& context);

// Gives the line's whole quantity back to its component's stock, deletes the line and saves.
// A line that is already deleted is left alone, so a second click cannot return its stock twice.
void removePart(ProjectComponent* line, ModelContext& context);

}  // namespace StockAllocation
