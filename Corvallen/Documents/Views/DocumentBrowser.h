#pragma once

#include "Corvallen/Documents/DocumentBrowserModel.h"
#include "Corvallen/Documents/DocumentPanels.h"

#include <QDialog>
#include <QWidget>

#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QStackedWidget;
class QToolButton;
class QLineEdit;
class QAbstractButton;

// The documents list of the Library (no project) and of a project's files: toolbar with add,
// type and sort menus, count, select all and delete; the list with thumbnails, drag handles and
// row menu; and the inspector column for one or several selected documents. The embedder gives
// the documents to list (asked again whenever the store changes) and its empty-state texts.
class DocumentBrowser : public QWidget {
    Q_OBJECT
public:
    DocumentBrowser(ModelContext& context, Project* fileTo, std::function<QList<Document*>()> documents,
                    QString emptyTitle, QString emptyMessage, QWidget* parent = nullptr);

    DocumentBrowserModel& model() { return m_model; }
    // The texts of an empty list; the next reload shows them. Selection, filter and sort stay.
    void setEmptyTexts(const QString& title, const QString& message);
    // Reads the documents again and redraws.
    void reload();
    // Imports files as the Add… panel or a drop does: the copying runs on a worker, and
    // importFinished() follows once the new documents are listed.
    void importFiles(const QStringList& paths);

    QListWidget* list() const { return m_list; }
    QLabel* countLabel() const { return m_count; }
    QWidget* inspectorPane() const;

signals:
    void importFinished();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void rebuildList();
    void rebuildInspector();
    void refreshToolbar();
    void syncSelectionFromList();
    void showRowMenu(const QPoint& pos);
    void confirmDelete();
    void attachFromLibrary();

    DocumentBrowserModel m_model;
    std::function<QList<Document*>()> m_documents;
    QString m_emptyTitle;
    QString m_emptyMessage;
    QToolButton* m_typeMenu = nullptr;
    QToolButton* m_sortMenu = nullptr;
    QLabel* m_importError = nullptr;
    QLabel* m_count = nullptr;
    QToolButton* m_delete = nullptr;
    QStackedWidget* m_listStack = nullptr;
    QLabel* m_emptyLabel = nullptr;
    QListWidget* m_list = nullptr;
    QStackedWidget* m_inspectorStack = nullptr;
    bool m_syncing = false;
    bool m_reloadPending = false;
    QStringList m_inspectorKey;
};

// Picks Library documents that the project does not show yet and attaches them (no copy).
class LibraryAttachSheet : public QDialog {
    Q_OBJECT
public:
    LibraryAttachSheet(Project* project, QSet<QString> attachedFileNames, ModelContext& context,
                       std::function<void(const QList<Document*>&)> onAttach, QWidget* parent = nullptr);

    LibraryAttachFilter& filter() { return m_filter; }
    void refresh();
    // The "Add" action: the selected documents that the search and filter still show.
    void attachSelected();
    QListWidget* list() const { return m_list; }

private:
    LibraryAttachFilter m_filter;
    QList<Document*> m_all;
    std::function<void(const QList<Document*>&)> m_onAttach;
    QSet<PersistentIdentifier> m_selected;
    QListWidget* m_list = nullptr;
    QLabel* m_empty = nullptr;
    QStackedWidget* m_stack = nullptr;
    QToolButton* m_typeMenu = nullptr;
    QAbstractButton* m_add = nullptr;
};
