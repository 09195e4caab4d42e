#pragma once

#include "Corvallen/Library/CaptureSelection.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class Capture;
class CaptureGrid;
class CaptureInspector;
class CompareView;
class ModelContext;
class QStackedWidget;
class QToolButton;

// The working surface for a list of captures given by its embedder: a toolbar (select all /
// none, compare, delete, inspector), the grid or an empty state, the inspector column, the
// compare sheet and the confirmed deletion of the selected captures with their image files.
// It owns the selection, which survives new lists.
class CaptureBrowser : public QWidget {
    Q_OBJECT
public:
    CaptureBrowser(ModelContext& context, QWidget* parent = nullptr);

    void setCaptures(const QList<Capture*>& captures, const QString& emptyTitle, const QString& emptyMessage);
    QList<Capture*> captures() const { return m_captures; }
    // Re-reads titles, tags and the inspector after a store change without a new list.
    void refresh();

    CaptureSelection& selection() { return m_selection; }
    QList<Capture*> selectedCaptures() const { return m_selection.selectedCaptures(m_captures); }
    void toggleSelectAll();
    // Asks "Delete N capture(s)?" and deletes on "Delete".
    void confirmDelete();
    void deleteSelected();
    void showCompare();
    bool isInspectorShown() const { return m_inspectorShown; }
    void setInspectorShown(bool shown);
    // Applies a selection change made elsewhere (tests, select all).
    void selectionChanged();

    // The title of the delete question for the current selection.
    QString deleteQuestion() const;

    CaptureGrid* grid() const { return m_grid; }
    CaptureInspector* inspector() const { return m_inspector; }
    QWidget* emptyState() const { return m_empty; }
    bool isShowingEmptyState() const;
    QToolButton* selectAllButton() const { return m_selectAll; }
    QToolButton* compareButton() const { return m_compare; }
    QToolButton* trashButton() const { return m_trash; }
    QToolButton* inspectorButton() const { return m_toggleInspector; }
    CompareView* compareSheet() const { return m_compareSheet; }

Q_SIGNALS:
    // Captures were edited or deleted here; the embedder may rebuild its list.
    void capturesChanged();

private:
    void updateToolbar();

    ModelContext& m_context;
    QList<Capture*> m_captures;
    CaptureSelection m_selection;
    bool m_inspectorShown = true;
    QToolButton* m_selectAll = nullptr;
    QToolButton* m_compare = nullptr;
    QToolButton* m_trash = nullptr;
    QToolButton* m_toggleInspector = nullptr;
    QStackedWidget* m_content = nullptr;
    QWidget* m_empty = nullptr;
    CaptureGrid* m_grid = nullptr;
    CaptureInspector* m_inspector = nullptr;
    QPointer<CompareView> m_compareSheet;
};
