#pragma once

#include <QWidget>

#include <functional>

class Document;
class ModelContext;
class Project;

// The pane that edits one selected document: preview, open and show, title, type, tags, notes,
// the projects using it, its source link, and removing or deleting it.
class DocumentInspectorView : public QWidget {
    Q_OBJECT
public:
    DocumentInspectorView(Document* document, Project* scopeProject, ModelContext& context, std::function<void()> onDone,
                          QWidget* parent = nullptr);

    Document* document() const { return m_document; }

private:
    Document* m_document;
    Project* m_scopeProject;
    ModelContext& m_context;
    std::function<void()> m_onDone;
};

// The pane for several selected documents: type for all, add all to a project, delete or remove.
class DocumentBulkPanelView : public QWidget {
    Q_OBJECT
public:
    DocumentBulkPanelView(QList<Document*> documents, Project* scopeProject, ModelContext& context,
                          std::function<void(bool)> done, QWidget* parent = nullptr);

private:
    QList<Document*> m_documents;
};

// Opens a document: the viewer for PDFs and images, the default application otherwise.
void openDocument(Document* document, Project* scope, ModelContext& context);
void openDocumentInDefaultApp(const Document* document);
