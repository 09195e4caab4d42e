#pragma once

#include "Corvallen/Inventory/InventoryFilters.h"
#include "Corvallen/Inventory/InventoryStatusFilter.h"
#include "Corvallen/Inventory/Views/ComponentInspector.h"  // held through QPointer
#include "Corvallen/Inventory/Views/ManageInventorySheet.h"  // held through QPointer
#include "Corvallen/Store/PersistentIdentifier.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class Component;
class InventoryListModel;
class InventoryListView;
class ModelContext;
class QAbstractButton;
class QButtonGroup;
class QLabel;
class QMessageBox;
class QLineEdit;
class QListView;
class QMimeData;
class QPushButton;
class QStackedWidget;
class QToolButton;
class TaxonomyTerm;

// The Inventory page: a header (title, search, Manage, Add), a filter bar (stock segments,
// Category/Maker/Location/Tag menus, Clear, the count line) and the component list, with the
// component inspector beside it while a component is selected. Everything is read from the
// store and follows its changes; every action saves at once.
class InventoryView : public QWidget {
    Q_OBJECT
public:
    using StatusFilter = InventoryStatusFilter;

    InventoryView(ModelContext& context, StatusFilter filter, std::optional<PersistentIdentifier> selection,
                  QWidget* parent = nullptr);
    ~InventoryView() override;

    const InventoryFilters& filters() const { return m_filters; }
    QList<Component*> shownComponents() const { return m_shown; }
    QList<Component*> allComponents() const { return m_components; }
    std::optional<PersistentIdentifier> selectedID() const { return m_selectedID; }

    void setSearch(const QString& text);
    void setStatusFilter(StatusFilter filter);
    // Value menus: kind category, manufacturer or location; none for "All".
    void setValueFilter(TermKind kind, const std::optional<QString>& value);
    void setTagFilter(const std::optional<QString>& tag);
    void clearFilters();
    void select(const std::optional<PersistentIdentifier>& id);
    // The "plus" button and the row's "Delete".
    Component* addComponent();
    void deleteComponent(Component* component);
    // The row's "Delete": at once for a component no project holds, else after a question
    // (returned, open) that names the projects.
    QMessageBox* requestDelete(Component* component);
    ManageInventorySheet* openManageSheet();

    // The plain-text drag item of a row.
    static QMimeData* dragMimeData(const Component& component);

    // Parts of the page, for the shell's and the tests' use.
    QLineEdit* searchField() const { return m_search; }
    QLabel* countLabel() const { return m_count; }
    QPushButton* clearButton() const { return m_clear; }
    QToolButton* menuButton(int index) const;  // 0 Category, 1 Maker, 2 Location, 3 Tag
    QAbstractButton* segment(StatusFilter filter) const;
    bool showsEmptyState() const;
    QString emptyTitle() const;
    ComponentInspector* inspector() const { return m_inspector; }
    QWidget* inspectorColumn() const { return m_inspectorColumn; }
    QListView* listView() const;
    ManageInventorySheet* manageSheet() const { return m_manage; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void scheduleRefresh();
    void refresh();
    void refreshFilterBar();
    void updateInspector();
    void fitHeader();
    void buildMenu(int index);
    void scrollToSelection();

    ModelContext& m_context;
    InventoryFilters m_filters;
    std::optional<PersistentIdentifier> m_selectedID;
    QList<Component*> m_components;
    QList<TaxonomyTerm*> m_terms;
    QList<Component*> m_shown;
    bool m_refreshQueued = false;
    bool m_scrolled = false;

    QLineEdit* m_search = nullptr;
    QButtonGroup* m_segments = nullptr;
    QList<QToolButton*> m_menus;
    QPushButton* m_clear = nullptr;
    QToolButton* m_manageButton = nullptr;
    QLabel* m_count = nullptr;
    QStackedWidget* m_stack = nullptr;
    QLabel* m_emptyTitle = nullptr;
    QLabel* m_emptyDescription = nullptr;
    InventoryListModel* m_model = nullptr;
    InventoryListView* m_list = nullptr;
    QWidget* m_inspectorColumn = nullptr;
    QPointer<ComponentInspector> m_inspector;
    QPointer<ManageInventorySheet> m_manage;
    QPointer<QMessageBox> m_deleteQuestion;
};
