#pragma once

#include "Corvallen/Inventory/InventoryStatusFilter.h"
#include "Corvallen/Store/PersistentIdentifier.h"
#include "Corvallen/Shell/Destination.h"

#include <QObject>
#include <QUuid>

#include <optional>

class Component;
class ModelContext;
class Project;

// The identity under which a project's page is built: every opening counts, so opening the
// shown project again builds its page afresh.
struct WorkspaceID {
    PersistentIdentifier project;
    qint64 nav = 0;
    friend bool operator==(const WorkspaceID& a, const WorkspaceID& b) { return a.project == b.project && a.nav == b.nav; }
    friend bool operator!=(const WorkspaceID& a, const WorkspaceID& b) { return !(a == b); }
};

// The identity under which the Inventory page is built: its starting filter and selection.
struct InventoryDeepLink {
    InventoryStatusFilter filter = InventoryStatusFilter::all;
    std::optional<PersistentIdentifier> selection;
    friend bool operator==(const InventoryDeepLink& a, const InventoryDeepLink& b)
    {
        return a.filter == b.filter && a.selection == b.selection;
    }
    friend bool operator!=(const InventoryDeepLink& a, const InventoryDeepLink& b) { return !(a == b); }
};

// A request to add one component to one project: the add-part sheet's item. Each request has
// its own id, so two requests for the same pair are still two sheets.
struct PendingPart {
    QUuid id;
    Component* component = nullptr;
    Project* project = nullptr;
};

// The main window's state and operations, apart from any widget: which page is shown and under
// what identity, the sidebar's collapse flag, the two sheets, project creation and deletion,
// and the three drops on a project. Not stored: every window starts on the dashboard.
class ShellNavigation : public QObject {
    Q_OBJECT
public:
    explicit ShellNavigation(ModelContext& context, QObject* parent = nullptr);

    ModelContext& context() const { return m_context; }

    Destination destination() const { return m_destination; }
    // The sidebar's binding: shows the destination as it is.
    void setDestination(const Destination& destination);

    bool railCollapsed() const { return m_railCollapsed; }
    void setRailCollapsed(bool collapsed);

    qint64 projectNav() const { return m_projectNav; }
    InventoryStatusFilter inventoryFilter() const { return m_inventoryFilter; }
    std::optional<PersistentIdentifier> inventorySelection() const { return m_inventorySelection; }
    WorkspaceID workspaceID() const;
    InventoryDeepLink inventoryDeepLink() const { return {m_inventoryFilter, m_inventorySelection}; }

    // Changes whenever the page must be built anew: another destination, another project
    // opening, or another Inventory filter or selection while the Inventory is shown.
    struct PageIdentity {
        Destination destination;
        qint64 nav = 0;
        InventoryDeepLink inventory;
        friend bool operator==(const PageIdentity& a, const PageIdentity& b)
        {
            return a.destination == b.destination && a.nav == b.nav && a.inventory == b.inventory;
        }
        friend bool operator!=(const PageIdentity& a, const PageIdentity& b) { return !(a == b); }
    };
    PageIdentity pageIdentity() const;

    Project* editingProject() const { return m_editingProject; }
    void closeEditSheet();
    std::optional<PendingPart> pendingPart() const { return m_pendingPart; }
    void closeAddPartSheet();

    void openProject(Project* project);
    void selectSection(const Destination& destination);
    void showLibrary();
    void showInventory(InventoryStatusFilter filter);
    void revealInInventory(Component* component);
    void editProject(Project* project);
    Project* newProject();
    // Deletes at once; asking the user first is the caller's part.
    void deleteProject(Project* project);

    void handlePartDrop(const QString& text, Project* project);
    void handleCaptureDrop(const QString& text, Project* project);
    void handleFileDrop(const QString& text, Project* project);

    // After a store change: a shown, edited or pending project or component that was deleted
    // elsewhere takes the window back to the dashboard or closes its sheet.
    void dropDeletedReferences();

Q_SIGNALS:
    void destinationChanged();
    void pageIdentityChanged();
    void railCollapsedChanged(bool collapsed);
    void editingProjectChanged();
    void pendingPartChanged();

private:
    template <class F>
    void navigate(F&& change);

    ModelContext& m_context;
    Destination m_destination = Destination::dashboard();
    bool m_railCollapsed = false;
    Project* m_editingProject = nullptr;
    std::optional<PendingPart> m_pendingPart;
    qint64 m_projectNav = 0;
    InventoryStatusFilter m_inventoryFilter = InventoryStatusFilter::all;
    std::optional<PersistentIdentifier> m_inventorySelection;
};
