#pragma once

#include "Corvallen/Store/PersistentIdentifier.h"

#include <QDialog>
#include <QSet>

class CandidateListModel;
class Component;
class InventorySearch;
class ModelContext;
class Project;
class QItemSelection;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QStackedWidget;

// Picks any number of inventory components that are not on the project yet and puts each on it
// with quantity 1. Follows the store while open. The candidates are drawn from a model and found
// by InventorySearch, so an inventory of hundreds of thousands of components opens and searches
// without holding the window.
class AddFromInventorySheet : public QDialog {
    Q_OBJECT
public:
    AddFromInventorySheet(Project* project, ModelContext& context, QWidget* parent = nullptr);

    QLineEdit* searchField() const { return m_search; }
    QListView* list() const { return m_list; }
    QPushButton* addButton() const { return m_add; }
    // "list", "nothingToAdd" or "noMatches".
    QString contentState() const;
    QSet<PersistentIdentifier> selected() const;

    void addSelected();

private:
    void showCandidates();
    void updateAddButton();
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected);

    Project* m_project;
    ModelContext& m_context;
    InventorySearch* m_searchResults;
    // Kept while the search hides a row, so that it is still selected when it shows again.
    QSet<Component*> m_selected;
    QLineEdit* m_search;
    QPushButton* m_add;
    QStackedWidget* m_content;
    CandidateListModel* m_model;
    QListView* m_list;
    bool m_rebuilding = false;
    bool m_reloadQueued = false;
};
