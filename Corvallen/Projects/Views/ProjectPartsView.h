#pragma once

#include "Corvallen/Projects/BomImport.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

#include <functional>

class Component;
class ModelContext;
class Project;
class ProjectComponent;
#include <QDialog>
class QLabel;
class QListWidget;
#include <QMessageBox>
#include <QProgressDialog>
class QPushButton;
class QStackedWidget;
class PartRow;

// The Parts facet of a project: its parts list with quantities drawn from the inventory, and the
// ways to fill it (from the inventory, from a CSV bill of materials) and to see what to buy.
class ProjectPartsView : public QWidget {
    Q_OBJECT
public:
    ProjectPartsView(Project* project, ModelContext& context, std::function<void(Component*)> onRevealInInventory,
                     QWidget* parent = nullptr);

    // Reads, parses and matches a chosen file on a worker, with a progress dialog that can
    // cancel it, then opens the import sheet or the "Import failed" alert.
    void importBomFile(const QString& path);
    // Writes the shopping list to a chosen file (on a worker); "Nothing to buy" when nothing is
    // short.
    void exportShoppingListTo(const QString& path);

    QString summaryText() const;
    QList<ProjectComponent*> shownLines() const { return m_lines; }
    QPushButton* shoppingListButton() const { return m_shoppingList; }
    QPushButton* addFromInventoryButton() const { return m_addFromInventory; }
    QListWidget* list() const { return m_list; }
    bool showsEmptyState() const;
    // The sheet or alert currently shown, for the window's own handling and tests.
    QDialog* openSheet() const { return m_sheet; }
    QMessageBox* openAlert() const { return m_alert; }
    // The progress of reading a bill of materials, while one is read.
    QProgressDialog* bomProgress() const { return m_progress; }
    bool isBusy() const { return m_busy; }

public Q_SLOTS:
    void refresh();
    void showAddFromInventory();
    void chooseBomFile();
    void exportShoppingList();

Q_SIGNALS:
    void busyChanged(bool busy);

private:
    void scheduleRefresh();
    void showError(const QString& title, const QString& message);
    void showSheet(QDialog* sheet);
    void setBusy(bool busy);

    Project* m_project;
    ModelContext& m_context;
    std::function<void(Component*)> m_reveal;
    QPushButton* m_addFromInventory;
    QPushButton* m_importBom;
    QPushButton* m_shoppingList;
    QLabel* m_summary;
    QStackedWidget* m_body;
    QListWidget* m_list;
    QList<ProjectComponent*> m_lines;
    QHash<ProjectComponent*, PartRow*> m_rows;
    QPointer<QDialog> m_sheet;
    QPointer<QMessageBox> m_alert;
    QPointer<QProgressDialog> m_progress;
    bool m_refreshQueued = false;
    bool m_busy = false;
};
