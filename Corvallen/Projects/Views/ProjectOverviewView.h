#pragma once

#include "Corvallen/Projects/ProjectFacet.h"

#include <QWidget>

class ModelContext;
class Project;
class QGroupBox;
class QLabel;
class StatTile;

// The first facet of a project: its description and four tiles, three of which open the facet
// they count.
class ProjectOverviewView : public QWidget {
    Q_OBJECT
public:
    ProjectOverviewView(Project* project, ModelContext& context, QWidget* parent = nullptr);

    StatTile* tile(const QString& label) const;
    bool showsDescription() const;

public Q_SLOTS:
    void refresh();

Q_SIGNALS:
    void facetRequested(ProjectFacet facet);

private:
    Project* m_project;
    QGroupBox* m_description;
    QLabel* m_descriptionText;
    StatTile* m_captures;
    StatTile* m_files;
    StatTile* m_parts;
    StatTile* m_created;
    bool m_refreshQueued = false;
};
