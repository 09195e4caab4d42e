#pragma once

#include "Corvallen/Documents/DocViewerTarget.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Store/PersistentIdentifier.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class ModelContext;
class Project;

// The behaviour of the documents browser that needs no window: which documents show and in
// what order, the count caption, importing files, the viewer target of a scope, the selection
// and its clicks, removing and deleting. The browser works in library scope (no project) or in
// one project's scope, where new files are also attached to the project. Main thread.
class DocumentBrowserModel {
public:
    enum class DocSort { recent, title, type };
    static QList<DocSort> allSorts();
    static QString sortRawValue(DocSort s);  // "Recent", "Title", "Type"
    static std::optional<DocSort> sortFromRawValue(const QString& raw);

    DocumentBrowserModel(ModelContext& context, Project* fileTo = nullptr);

    ModelContext& context() const { return m_context; }
    Project* fileTo() const { return m_fileTo; }

    // The embedder's list, in its order.
    QList<Document*> documents;
    DocSort sort = DocSort::recent;
    std::optional<DocType> typeFilter;
    QSet<PersistentIdentifier> selectedIDs;
    QString importError;

    // Filtered by type, then stably sorted.
    QList<Document*> visibleDocuments() const;
    static QList<Document*> visibleDocuments(const QList<Document*>& documents, std::optional<DocType> filter, DocSort sort);
    // "3 of 12" with a filter, else "1 document" / "12 documents".
    QString countText() const;
    QString typeMenuTitle() const;
    QString sortMenuTitle() const;

    // The type a file's name suggests (keywords in the name without its extension).
    static DocType guessType(const QString& filePath);
    // The title of an imported file: its name without the last extension.
    static QString titleForFile(const QString& filePath);

    // Imports one file; sets importError and returns nothing when it cannot be copied.
    Document* importFile(const QString& filePath);
    // Imports each file in order, saves once, and selects the last one imported. Returns the
    // imported documents.
    QList<Document*> importFiles(const QStringList& filePaths);
    // The same in two steps, so that the copying (which reads the files and may take long) runs
    // off the main thread: copyIntoStore touches no record; finishImport, on the main thread,
    // makes the documents of the copied files, reports the failed ones, saves and selects.
    struct CopiedFile {
        QString sourcePath;
        QString storedName;  // empty when the copy failed
        QString error;
    };
    static QList<CopiedFile> copyIntoStore(const QStringList& filePaths);
    QList<Document*> finishImport(const QList<CopiedFile>& copied);

    // Why a viewer of this target may no longer save its markup: the document was deleted, or
    // the scope's link to a project is gone. Empty while the scope exists.
    static QString markupScopeStaleReason(const DocViewerTarget& target, ModelContext& context);

    // The viewer of a document in a scope: the project's own markup when the document is
    // attached to it, otherwise the library markup (made and saved on first use).
    static DocViewerTarget viewerTarget(Document* document, Project* project, ModelContext& context);
    DocViewerTarget viewerTarget(Document* document) const { return viewerTarget(document, m_fileTo, m_context); }
    // The stored file's path.
    static QString storedFilePath(const Document* document);
    // Why the viewer can't show the PDF or picture at this path (missing, not a PDF, protected
    // by a password, no pages, not a readable picture); empty when it can.
    static QString unshowableReason(const QString& filePath, DocumentFileKind kind);

    // Selection.
    // Selects exactly the visible documents, or nothing when exactly those are selected already.
    void toggleSelectAll();
    void clearSelection();
    // After a bulk action: the selection empties, and a change is saved.
    void bulkPanelDone(bool changed);
    // The selected documents among `documents`, in that order.
    QList<Document*> selectedDocuments() const;

    // Project scope: takes the document out of the selection and off the project.
    void removeFromProject(Document* document);
    // Library scope: selects only this document; the caller then asks for confirmation.
    void requestDelete(Document* document);
    QString deleteConfirmationTitle() const;
    QString deleteConfirmationMessage() const;
    QString deleteConfirmationAction() const;
    // Detaches (project scope) or deletes (library scope) every selected document; empties the
    // selection.
    void performConfirmedDelete();

    // "1 project", "3 projects", and the names for the badge's help text.
    static QString projectBadgeText(const Document* document);
    static QString projectBadgeHelp(const Document* document);
    // "Datasheet · 7 Dec 2026".
    static QString subtitle(const Document* document);
    // Symbol names of document types and file kinds.
    static QString typeSymbolName(DocType type);

private:
    Document* documentFor(const CopiedFile& file);

    ModelContext& m_context;
    Project* m_fileTo;
};
