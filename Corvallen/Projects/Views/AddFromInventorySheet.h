#pragma once

#include "Corvallen/Platform/PersistentIdentifier.h"

#include <QDialog>
#include <QSet>

class ModelContext;
class Project;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;

// Picks any number of inventory components that are not on the project yet and puts each on it
// with quantity 1. Follows the store while open.
class AddFromInventorySheet : public QDialog {
    Q_OBJECT
public:
    AddFromInventorySheet(Project* project, ModelContext& context, QWidget* parent = nullptr);

    QLineEdit* searchField() const { return m_search; }
    QListWidget* list() const { return m_list; }
    QPushButton* addButton() const { return m_add; }
    // "list", "nothingToAdd" or "noMatches".
    QString contentState() const;
    QSet<PersistentIdentifier> selected() const { return m_selected; }

    void addSelected();

private:
    void rebuild();
    void selectionChanged();

    Project* m_project;
    ModelContext& m_context;
    QSet<PersistentIdentifier> m_selected;
    QLineEdit* m_search;
    QPushButton* m_add;
    QStackedWidget* m_content;
    QListWidget* m_list;
    bool m_rebuilding = false;
    bool m_rebuildQueued = false;
};
