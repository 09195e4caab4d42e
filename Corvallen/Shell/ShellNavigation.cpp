#include "Corvallen/Shell/ShellNavigation.h"

#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Shell/ProjectDrops.h"
#include "Corvallen/Shell/ProjectLifecycle.h"

ShellNavigation::ShellNavigation(ModelContext& context, QObject* parent)
    : QObject(parent), m_context(context)
{
}

template <class F>
void ShellNavigation::navigate(F&& change)
{
    const Destination before = m_destination;
    const PageIdentity identity = pageIdentity();
    change();
    if (m_destination != before)
        Q_EMIT destinationChanged();
    if (pageIdentity() != identity)
        Q_EMIT pageIdentityChanged();
}

void ShellNavigation::setDestination(const Destination& destination)
{
    navigate([&] { m_destination = destination; });
}

void ShellNavigation::setRailCollapsed(bool collapsed)
{
    if (collapsed == m_railCollapsed)
        return;
    m_railCollapsed = collapsed;
    Q_EMIT railCollapsedChanged(collapsed);
}

WorkspaceID ShellNavigation::workspaceID() const
{
    WorkspaceID id;
    if (m_destination.kind == Destination::Kind::project && m_destination.project)
        id.project = m_destination.project->persistentModelID();
    id.nav = m_projectNav;
    return id;
}

ShellNavigation::PageIdentity ShellNavigation::pageIdentity() const
{
    PageIdentity id;
    id.destination = m_destination;
    if (m_destination.kind == Destination::Kind::project)
        id.nav = m_projectNav;
    if (m_destination.kind == Destination::Kind::inventory)
        id.inventory = inventoryDeepLink();
    return id;
}

void ShellNavigation::closeEditSheet()
{
    if (!m_editingProject)
        return;
    m_editingProject = nullptr;
    Q_EMIT editingProjectChanged();
}

void ShellNavigation::closeAddPartSheet()
{
    if (!m_pendingPart)
        return;
    m_pendingPart.reset();
    Q_EMIT pendingPartChanged();
}

void ShellNavigation::openProject(Project* project)
{
    if (!project || project->isDeleted())
        return;
    navigate([&] {
        m_destination = Destination::forProject(project);
        ++m_projectNav;
    });
}

void ShellNavigation::selectSection(const Destination& destination)
{
    navigate([&] {
        if (destination.kind == Destination::Kind::inventory) {
            m_inventoryFilter = InventoryStatusFilter::all;
            m_inventorySelection.reset();
        }
        m_destination = destination;
    });
}

void ShellNavigation::showLibrary()
{
    navigate([&] { m_destination = Destination::library(); });
}

void ShellNavigation::showInventory(InventoryStatusFilter filter)
{
    navigate([&] {
        m_inventoryFilter = filter;
        m_destination = Destination::inventory();
    });
}

void ShellNavigation::revealInInventory(Component* component)
{
    if (!component || component->isDeleted())
        return;
    navigate([&] {
        m_inventoryFilter = InventoryStatusFilter::all;
        m_inventorySelection = component->persistentModelID();
        m_destination = Destination::inventory();
    });
}

void ShellNavigation::editProject(Project* project)
{
    if (!project || project->isDeleted() || project == m_editingProject)
        return;
    m_editingProject = project;
    Q_EMIT editingProjectChanged();
}

Project* ShellNavigation::newProject()
{
    Project* project = ProjectLifecycle::createProject(m_context);
    openProject(project);
    return project;
}

void ShellNavigation::deleteProject(Project* project)
{
    if (!project || project->isDeleted())
        return;
    if (m_destination.isProject(project))
        navigate([&] { m_destination = Destination::dashboard(); });
    if (m_editingProject == project)
        closeEditSheet();
    if (m_pendingPart && m_pendingPart->project == project)
        closeAddPartSheet();
    ProjectLifecycle::deleteProject(project, m_context);
}

void ShellNavigation::handlePartDrop(const QString& text, Project* project)
{
    if (!project || project->isDeleted())
        return;
    Component* component = ProjectDrops::componentForPartDrop(text, m_context);
    if (!component)
        return;
    m_pendingPart = PendingPart{QUuid::createUuid(), component, project};
    Q_EMIT pendingPartChanged();
}

void ShellNavigation::handleCaptureDrop(const QString& text, Project* project)
{
    ProjectDrops::fileCaptureDrop(text, project, m_context);
}

void ShellNavigation::handleFileDrop(const QString& text, Project* project)
{
    ProjectDrops::attachDocumentDrop(text, project, m_context);
}

void ShellNavigation::dropDeletedReferences()
{
    if (m_destination.kind == Destination::Kind::project && (!m_destination.project || m_destination.project->isDeleted()))
        navigate([&] { m_destination = Destination::dashboard(); });
    if (m_editingProject && m_editingProject->isDeleted())
        closeEditSheet();
    if (m_pendingPart && ((m_pendingPart->component && m_pendingPart->component->isDeleted())
                          || (m_pendingPart->project && m_pendingPart->project->isDeleted())))
        closeAddPartSheet();
}
