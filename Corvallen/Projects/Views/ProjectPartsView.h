#pragma once

#include "Corvallen/Projects/BomImport.h"

#include <QPointer>
#include <QWidget>

#include <functional>

#include <QDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>

class Component;
class ModelContext;
class PartsListModel;
class PartsListView;
class Project;
class ProjectComponent;
class QLabel;
class QListView;
class QMenu;
class QPushButton;
class QStackedWidget;

// The Parts facet of a project: its parts list with quantities drawn from the inventory, and the
// ways to fill it (from the inventory, from a CSV bill of materials) and to see what to buy.
//
// The list draws its rows from a model, so a project of hundreds of thousands of parts shows and
// scrolls at once: each row is painted by a row widget lent to it for the moment, and the row
// under the pointer and the current row get a row widget of their own (the live row), whose
// stepper, remove button and menu act on the line.
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
    QList<ProjectComponent*> shownLines() const;
    QPushButton* shoppingListButton() const { return m_shoppingList; }
    QPushButton* addFromInventoryButton() const { return m_addFromInventory; }
    QListView* list() const;
    PartsListModel* model() const { return m_model; }
    // The live row widget of a row, when it has one (the row under the pointer, the current row).
    QWidget* liveRow(int row) const;
    bool showsEmptyState() const;
    // The context menu of a line: "View in Inventory", "Copy Name", "Remove from Project".
    QMenu* menuFor(ProjectComponent* line, QWidget* parent);
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
    // The summary, the empty state and what the buttons allow, from the model's counts.
    void showCounts();
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
    PartsListModel* m_model;
    PartsListView* m_list;
    QPointer<QDialog> m_sheet;
    QPointer<QMessageBox> m_alert;
    QPointer<QProgressDialog> m_progress;
    QTimer m_refreshTimer;
    bool m_busy = false;
};
