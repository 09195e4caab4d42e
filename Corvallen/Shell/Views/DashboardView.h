#pragma once

#include "Corvallen/Inventory/InventoryStatusFilter.h"
#include "Corvallen/Shell/Views/RecentCapturesCarousel.h"

#include <QPointer>
#include <QScrollArea>
#include <QTimer>

#include <functional>

class Capture;
class ModelContext;
class Project;
class QLabel;
class QVBoxLayout;
class StatTile;

// The dashboard page: four count tiles, the ten latest captures and the projects (or an
// invitation to make the first one). It changes nothing itself; every action goes back to the
// main window through the callbacks. Recomputed whenever projects, captures or components
// change.
class DashboardView : public QScrollArea {
    Q_OBJECT
public:
    struct Actions {
        std::function<void(Project*)> onOpenProject;
        std::function<void()> onOpenLibrary;
        std::function<void()> onNewProject;
        std::function<void(InventoryStatusFilter)> onOpenInventory;
    };

    DashboardView(ModelContext& context, Actions actions, QWidget* parent = nullptr);

    StatTile* tile(int position) const { return m_tiles.value(position); }
    RecentCapturesCarousel* carousel() const { return m_carousel; }
    // The project rows shown, newest first (empty while the invitation shows).
    QList<QWidget*> projectRows() const;
    QWidget* emptyState() const { return m_emptyState; }

    // Recomputes now (the store's change notices are coalesced; tests call this directly).
    void reload();

private:
    void buildProjects(const QList<Project*>& projects);

    ModelContext& m_context;
    Actions m_actions;
    QList<StatTile*> m_tiles;
    QWidget* m_recentSection = nullptr;
    QPointer<RecentCapturesCarousel> m_carousel;
    QWidget* m_emptyState = nullptr;
    QWidget* m_projectsSection = nullptr;
    QVBoxLayout* m_projectRows = nullptr;
    QTimer m_reload;
};
