#pragma once

#include "Corvallen/Documents/DocViewerTarget.h"
#include "Corvallen/Inventory/InventoryStatusFilter.h"
#include "Corvallen/Store/PersistentIdentifier.h"

#include <QString>

#include <functional>
#include <optional>

class AppModel;
class Component;
class ModelContext;
class Project;
class QDialog;
class QWidget;
class UpdaterController;

// One factory per page, sheet and window content that the shell shows but other parts of
// Corvallen build. Each returns a new widget the caller owns; a page that is not built yet is a
// PlaceholderPage named after it. Replacing a placeholder means changing its one factory.
namespace ShellPages {

// Main-window pages.
QWidget* libraryPage(ModelContext& context, AppModel& model);
QWidget* inventoryPage(ModelContext& context, InventoryStatusFilter filter, std::optional<PersistentIdentifier> selection);
QWidget* devicesPage();
QWidget* syncLocationsPage(AppModel& model);
QWidget* projectWorkspace(Project* project, ModelContext& context, std::function<void(Component*)> onRevealInInventory);

// Sheets of the main window: window-modal dialogs that close themselves when done.
QDialog* projectEditSheet(Project* project, ModelContext& context, QWidget* parent);
QDialog* addPartSheet(Component* component, Project* project, ModelContext& context, QWidget* parent);

// Window contents.
QWidget* settingsContent(ModelContext& context, UpdaterController* updater);
QWidget* helpContent();
QWidget* changelogContent();
QWidget* imageViewerContent(const QString& captureFileName, ModelContext& context);
QWidget* documentViewerContent(const DocViewerTarget& target, ModelContext& context);

}  // namespace ShellPages
