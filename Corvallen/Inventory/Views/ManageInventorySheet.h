#pragma once

#include "Corvallen/Model/TermKind.h"

#include <QDialog>
#include <QMessageBox>
#include <QPointer>

class ModelContext;
class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;

class QToolButton;
class TaxonomyTerm;
class TermListPane;

// The "Manage Inventory" sheet: the five term kinds in a column with their counts, and the pane
// of the chosen kind, where terms are added, renamed, re-parented and deleted. Every change is
// saved at once. On opening it first registers every term value that components carry.
class ManageInventorySheet : public QDialog {
    Q_OBJECT
public:
    explicit ManageInventorySheet(ModelContext& context, QWidget* parent = nullptr);
    ~ManageInventorySheet() override;

    TermKind kind() const { return m_kind; }
    void setKind(TermKind kind);
    TermListPane* pane() const { return m_pane; }
    QAbstractButton* kindButton(TermKind kind) const;
    // The count shown beside a kind.
    QString kindCount(TermKind kind) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void scheduleRefresh();
    void refresh();

    ModelContext& m_context;
    TermKind m_kind = TermKind::category;
    QList<QAbstractButton*> m_kindButtons;
    QList<QLabel*> m_kindCounts;
    TermListPane* m_pane = nullptr;
    bool m_refreshQueued = false;
};

// The pane of one kind: the add row, the list of terms (or an empty state) and the delete
// confirmation.
class TermListPane : public QWidget {
    Q_OBJECT
public:
    TermListPane(ModelContext& context, QWidget* parent = nullptr);

    void showKind(TermKind kind, const QList<TaxonomyTerm*>& terms);
    TermKind kind() const { return m_kind; }

    QLineEdit* newNameField() const { return m_newName; }
    QComboBox* newParentPicker() const { return m_newParent; }
    QPushButton* addButton() const { return m_add; }
    void add();
    bool showsEmptyState() const;
    QString emptyTitle() const;

    // The rows as they stand.
    int rowCount() const;
    QLineEdit* rowField(int row) const;
    QComboBox* rowParentPicker(int row) const;
    QLabel* rowUsage(int row) const;
    TaxonomyTerm* rowTerm(int row) const;
    void commitRename(int row);

    // Asks about deleting a term; the dialog runs the deletion on "Delete".
    QMessageBox* requestDelete(TaxonomyTerm* term);
    QMessageBox* deleteDialog() const { return m_confirm; }
    TaxonomyTerm* pendingDelete() const { return m_pendingDelete; }

private:
    void rebuildRows();
    // Brings the shown rows up to date without rebuilding them (same terms, same parents).
    void updateRows(const QHash<const TaxonomyTerm*, qsizetype>& usage);
    void updateAddButton();

    ModelContext& m_context;
    TermKind m_kind = TermKind::category;
    QList<TaxonomyTerm*> m_terms;
    QList<TaxonomyTerm*> m_rowTerms;  // the terms the rows were built for, in row order
    QStringList m_rowParents;         // and the parent choices their pickers offer
    QLineEdit* m_newName;
    QComboBox* m_newParent;
    QPushButton* m_add;
    QStackedWidget* m_stack;
    QLabel* m_emptyIcon;
    QLabel* m_emptyTitle;
    QListWidget* m_list;
    TaxonomyTerm* m_pendingDelete = nullptr;
    QPointer<QMessageBox> m_confirm;
};
