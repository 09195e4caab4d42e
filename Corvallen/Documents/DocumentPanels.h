#pragma once

#include "Corvallen/Model/Document.h"

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

class ModelContext;
class Project;

// The texts and actions of the single-document inspector.
namespace DocumentInspectorLogic {
// The stored file's extension in capitals, "Unknown" without one.
QString fileTypeText(const Document* document);
// The projects using the document, sorted, "Untitled" for unnamed ones; "Library only" for none.
QString usedInText(const Document* document);
QString deleteMessage(const Document* document);
QString fileKindSymbol(const QString& fileName);
}  // namespace DocumentInspectorLogic

// The actions and texts of the panel shown for several selected documents.
namespace DocumentBulkLogic {
// Sets every document's type and saves once.
void setType(const QList<Document*>& documents, DocType type, ModelContext& context);
// Attaches every document to the project (an existing link is reused).
void addAll(const QList<Document*>& documents, Project* project, ModelContext& context);
// Detaches from the project, or deletes from the library when there is none.
void deleteOrRemoveAll(const QList<Document*>& documents, Project* scopeProject, ModelContext& context);
// How many of the documents still exist (not deleted meanwhile).
qsizetype existingCount(const QList<Document*>& documents);
QString confirmationTitle(qsizetype count, bool projectScope);
QString confirmationMessage(const QList<Document*>& documents, bool projectScope);
QString destructiveLabel(qsizetype count, bool projectScope);
// Projects for the "Add to project…" menu, newest first.
QList<Project*> projectsNewestFirst(ModelContext& context);
}  // namespace DocumentBulkLogic

// Which library documents the attach sheet offers for a project.
struct LibraryAttachFilter {
    QSet<QString> attachedFileNames;  // files the project already shows
    QString search;
    std::optional<DocType> typeFilter;

    bool matches(const Document* document) const;
    // All documents, newest first, that match.
    QList<Document*> candidates(const QList<Document*>& allDocs) const;
    // True when every document is already attached (or there is none): nothing to add.
    bool nothingToAdd(const QList<Document*>& allDocs) const;
    static QList<Document*> allDocumentsNewestFirst(ModelContext& context);
};
