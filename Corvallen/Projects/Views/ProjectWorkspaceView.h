#pragma once

#include "Corvallen/Projects/ProjectFacet.h"

#include <QHash>
#include <QWidget>

#include <functional>

class Component;
class ModelContext;
class Project;
class ProjectExportMenu;
class QAbstractButton;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QStackedWidget;

// The pane of one project: its name (renamed in place), description, export menu and the five
// facets. It edits the project through the shared store and saves after each change it makes.
class ProjectWorkspaceView : public QWidget {
    Q_OBJECT
public:
    ProjectWorkspaceView(Project* project, ModelContext& context, std::function<void(Component*)> onRevealInInventory,
                         QWidget* parent = nullptr);
    ~ProjectWorkspaceView() override;

    Project* project() const { return m_project; }
    ProjectFacet facet() const { return m_facet; }
    void setFacet(ProjectFacet facet);
    QWidget* facetContent() const { return m_content; }
    QAbstractButton* facetButton(ProjectFacet facet) const;

    bool isRenaming() const { return m_renaming; }
    void beginRename();
    void commitRename();
    QLabel* nameLabel() const { return m_nameLabel; }
    QLineEdit* nameField() const { return m_nameField; }
    QLabel* descriptionLabel() const { return m_description; }
    ProjectExportMenu* exportMenu() const { return m_exportMenu; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshHeader();
    QWidget* makeFacet(ProjectFacet facet);

    Project* m_project;
    ModelContext& m_context;
    std::function<void(Component*)> m_reveal;
    ProjectFacet m_facet = ProjectFacet::overview;
    bool m_renaming = false;
    QStackedWidget* m_nameStack;
    QWidget* m_nameRow;
    QLabel* m_nameLabel;
    QLabel* m_pencil;
    QLineEdit* m_nameField;
    QLabel* m_description;
    ProjectExportMenu* m_exportMenu;
    QHash<ProjectFacet, QAbstractButton*> m_facetButtons;
    QStackedWidget* m_contentHolder;
    QWidget* m_content = nullptr;
    bool m_headerQueued = false;
};
