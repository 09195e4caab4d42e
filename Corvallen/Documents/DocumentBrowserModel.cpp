#include "Corvallen/Documents/DocumentBrowserModel.h"

#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Model/DomainError.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/TextCompare.h"
#include "Corvallen/Platform/IcuLocale.h"
#include "Corvallen/Store/ModelContext.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

#include <poppler/qt6/poppler-qt6.h>

QList<DocumentBrowserModel::DocSort> DocumentBrowserModel::allSorts()
{
    return {DocSort::recent, DocSort::title, DocSort::type};
}

QString DocumentBrowserModel::sortRawValue(DocSort s)
{
    switch (s) {
    case DocSort::recent: return QStringLiteral("Recent");
    case DocSort::title: return QStringLiteral("Title");
    case DocSort::type: return QStringLiteral("Type");
    }
    return {};
}

std::optional<DocumentBrowserModel::DocSort> DocumentBrowserModel::sortFromRawValue(const QString& raw)
{
    for (DocSort s : allSorts())
        if (sortRawValue(s) == raw)
            return s;
    return std::nullopt;
}

DocumentBrowserModel::DocumentBrowserModel(ModelContext& context, Project* fileTo) : m_context(context), m_fileTo(fileTo) {}

QList<Document*> DocumentBrowserModel::visibleDocuments() const
{
    return visibleDocuments(documents, typeFilter, sort);
}

QList<Document*> DocumentBrowserModel::visibleDocuments(const QList<Document*>& documents, std::optional<DocType> filter,
                                                        DocSort sort)
{
    QList<Document*> out;
    for (Document* d : documents)
        if (d && !d->isDeleted() && (!filter || d->type() == *filter))
            out.append(d);
    switch (sort) {
    case DocSort::recent:
        std::stable_sort(out.begin(), out.end(), [](const Document* a, const Document* b) { return a->addedAt() > b->addedAt(); });
        break;
    case DocSort::title:
        std::stable_sort(out.begin(), out.end(), [](const Document* a, const Document* b) {
            return TextCompare::localizedCaseInsensitiveCompare(a->title(), b->title()) < 0;
        });
        break;
    case DocSort::type:
        std::stable_sort(out.begin(), out.end(), [](const Document* a, const Document* b) {
            return TextCompare::localizedCaseInsensitiveCompare(DocTypes::label(a->type()), DocTypes::label(b->type())) < 0;
        });
        break;
    }
    return out;
}

QString DocumentBrowserModel::countText() const
{
    const qsizetype all = documents.size();
    if (typeFilter)
        return QStringLiteral("%1 of %2").arg(visibleDocuments().size()).arg(all);
    return QStringLiteral("%1 %2").arg(all).arg(all == 1 ? QStringLiteral("document") : QStringLiteral("documents"));
}

QString DocumentBrowserModel::typeMenuTitle() const
{
    return QStringLiteral("Type: ") + (typeFilter ? DocTypes::label(*typeFilter) : QStringLiteral("All"));
}

QString DocumentBrowserModel::sortMenuTitle() const
{
    return QStringLiteral("Sort: ") + sortRawValue(sort);
}

QString DocumentBrowserModel::titleForFile(const QString& filePath)
{
    const QString name = QFileInfo(filePath).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

DocType DocumentBrowserModel::guessType(const QString& filePath)
{
    const QString name = titleForFile(filePath).toLower();
    static const QList<std::pair<QString, DocType>> rules = {
        {QStringLiteral("schematic"), DocType::schematic}, {QStringLiteral("sch"), DocType::schematic},
        {QStringLiteral("service"), DocType::serviceManual}, {QStringLiteral("manual"), DocType::serviceManual},
        {QStringLiteral("datasheet"), DocType::datasheet},   {QStringLiteral("pinout"), DocType::pinout},
        {QStringLiteral("pinlayout"), DocType::pinout},      {QStringLiteral("pin"), DocType::pinout},
    };
    for (const auto& [keyword, type] : rules)
        if (name.contains(keyword))
            return type;
    return DocType::reference;
}

Document* DocumentBrowserModel::importFile(const QString& filePath)
{
    return documentFor(copyIntoStore({filePath}).constFirst());
}

Document* DocumentBrowserModel::documentFor(const CopiedFile& file)
{
    if (file.storedName.isEmpty()) {
        importError = QStringLiteral("Couldn't add ") + QFileInfo(file.sourcePath).fileName() + QStringLiteral(": ") + file.error;
        return nullptr;
    }
    auto* doc = m_context.insert(new Document(file.storedName, titleForFile(file.sourcePath)));
    doc->setType(guessType(file.sourcePath));
    if (m_fileTo && !m_fileTo->isDeleted())
        DocumentFileStore::attach(doc, m_fileTo, m_context);
    return doc;
}

QList<Document*> DocumentBrowserModel::importFiles(const QStringList& filePaths)
{
    return finishImport(copyIntoStore(filePaths));
}

QList<DocumentBrowserModel::CopiedFile> DocumentBrowserModel::copyIntoStore(const QStringList& filePaths)
{
    QList<CopiedFile> out;
    for (const QString& path : filePaths) {
        CopiedFile copied{path, {}, {}};
        try {
            copied.storedName = DocumentFileStore::importFileIntoStore(path);
        } catch (const DomainError& e) {
            copied.error = e.localizedDescription();
        }
        out.append(copied);
    }
    return out;
}

QList<Document*> DocumentBrowserModel::finishImport(const QList<CopiedFile>& copied)
{
    QList<Document*> imported;
    for (const CopiedFile& file : copied)
        if (Document* doc = documentFor(file))
            imported.append(doc);
    m_context.save();
    // Saved, or kept pending for the next save: either way the copies now have their records.
    DocumentFileStore::importsSaved();
    if (!imported.isEmpty())
        selectedIDs = {imported.last()->persistentModelID()};
    return imported;
}

QString DocumentBrowserModel::markupScopeStaleReason(const DocViewerTarget& target, ModelContext& context)
{
    const QList<Document*> found = context.fetch<Document>(
        [&](const Document* d) { return !d->isDeleted() && d->fileName() == target.fileName; });
    if (found.isEmpty())
        return QStringLiteral("This document was deleted from the Library, so its markup can no longer be saved.");
    for (const Document* d : found) {
        if (d->libraryMarkupFileName() == target.markupFileName)
            return {};
        for (const ProjectDocument* link : d->attachments())
            if (link && !link->isDeleted() && link->project() && !link->project()->isDeleted()
                && link->markupFileName() == target.markupFileName)
                return {};
    }
    return QStringLiteral("This document was removed from the project, so its markup there can no longer be saved.");
}

DocViewerTarget DocumentBrowserModel::viewerTarget(Document* document, Project* project, ModelContext& context)
{
    if (project) {
        for (ProjectDocument* link : document->attachments())
            if (link && !link->isDeleted() && link->project() == project)
                return {document->fileName(), link->markupFileName(), project->name()};
    }
    const QString key = document->ensureLibraryMarkupFileName();
    context.save();
    return {document->fileName(), key, QString()};
}

QString DocumentBrowserModel::unshowableReason(const QString& filePath, DocumentFileKind kind)
{
    if (!QFileInfo(filePath).isFile())
        return QStringLiteral("The file of this document is missing from the documents folder.");
    if (kind == DocumentFileKind::image) {
        if (DocumentFileStore::imageTooLargeToShow(filePath))
            return QStringLiteral("This picture is too large to be shown here.");
        return DocumentFileStore::readImage(filePath).isNull() ? QStringLiteral("This picture couldn't be read.") : QString();
    }
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(filePath);
    if (!pdf)
        return QStringLiteral("This file couldn't be read as a PDF.");
    if (pdf->isLocked())
        return QStringLiteral("This PDF is protected by a password, so it can't be shown here.");
    if (pdf->numPages() < 1)
        return QStringLiteral("This PDF has no pages.");
    return {};
}

QString DocumentBrowserModel::storedFilePath(const Document* document)
{
    return QDir(DocumentFileStore::documentsFolder()).filePath(document->fileName());
}

void DocumentBrowserModel::toggleSelectAll()
{
    QSet<PersistentIdentifier> visible;
    for (Document* d : visibleDocuments())
        visible.insert(d->persistentModelID());
    selectedIDs = selectedIDs == visible ? QSet<PersistentIdentifier>() : visible;
}

void DocumentBrowserModel::bulkPanelDone(bool changed)
{
    selectedIDs.clear();
    if (changed)
        m_context.save();
}

void DocumentBrowserModel::clearSelection()
{
    selectedIDs.clear();
}

QList<Document*> DocumentBrowserModel::selectedDocuments() const
{
    QList<Document*> out;
    for (Document* d : documents)
        if (d && !d->isDeleted() && selectedIDs.contains(d->persistentModelID()))
            out.append(d);
    return out;
}

void DocumentBrowserModel::removeFromProject(Document* document)
{
    if (!m_fileTo)
        return;
    selectedIDs.remove(document->persistentModelID());
    DocumentFileStore::detach(document, m_fileTo, m_context);
}

void DocumentBrowserModel::requestDelete(Document* document)
{
    selectedIDs = {document->persistentModelID()};
}

QString DocumentBrowserModel::deleteConfirmationTitle() const
{
    // Only what is still listed counts: a selected document deleted meanwhile is gone already.
    const qsizetype n = selectedDocuments().size();
    if (m_fileTo)
        return QStringLiteral("Remove %1 from project?").arg(n);
    return QStringLiteral("Delete %1 document(s)?").arg(n);
}

QString DocumentBrowserModel::deleteConfirmationMessage() const
{
    if (m_fileTo)
        return QStringLiteral("Keeps the file(s) in your Library — only this project's notes are removed.");
    QList<Document*> used;
    QSet<QString> names;
    for (Document* d : selectedDocuments()) {
        const QList<Project*> projects = d->linkedProjects();
        if (projects.isEmpty())
            continue;
        used.append(d);
        for (Project* p : projects)
            names.insert(p->name().isEmpty() ? QStringLiteral("Untitled") : p->name());
    }
    if (used.isEmpty())
        return QStringLiteral("Removes the document(s) from Corvallen and deletes their saved files.");
    QStringList sorted(names.begin(), names.end());
    std::sort(sorted.begin(), sorted.end());
    return QStringLiteral("%1 of these are used in projects (%2). Deleting loses the file AND all edits made in those projects.")
        .arg(used.size())
        .arg(sorted.join(QStringLiteral(", ")));
}

QString DocumentBrowserModel::deleteConfirmationAction() const
{
    return m_fileTo ? QStringLiteral("Remove from Project") : QStringLiteral("Delete");
}

void DocumentBrowserModel::performConfirmedDelete()
{
    for (Document* d : selectedDocuments()) {
        if (m_fileTo)
            DocumentFileStore::detach(d, m_fileTo, m_context);
        else
            DocumentFileStore::deleteFromLibrary(d, m_context);
    }
    selectedIDs.clear();
}

QString DocumentBrowserModel::projectBadgeText(const Document* document)
{
    const qsizetype n = document->attachments().size();
    return n == 1 ? QStringLiteral("1 project") : QStringLiteral("%1 projects").arg(n);
}

QString DocumentBrowserModel::projectBadgeHelp(const Document* document)
{
    QStringList names;
    for (Project* p : document->linkedProjects())
        names << (p->name().isEmpty() ? QStringLiteral("Untitled") : p->name());
    return QStringLiteral("Used in: ") + names.join(QStringLiteral(", "));
}

QString DocumentBrowserModel::subtitle(const Document* document)
{
    return DocTypes::label(document->type()) + QStringLiteral(" · ")
           + IcuLocale::dateText(document->addedAt().toLocalTime().date(), QLocale(), IcuLocale::DateStyle::abbreviated);
}

QString DocumentBrowserModel::typeSymbolName(DocType type)
{
    switch (type) {
    case DocType::schematic: return QStringLiteral("rectangle.connected.to.line.below");
    case DocType::serviceManual: return QStringLiteral("wrench.and.screwdriver");
    case DocType::datasheet: return QStringLiteral("doc.text");
    case DocType::pinout: return QStringLiteral("cpu");
    case DocType::reference: return QStringLiteral("books.vertical");
    case DocType::other: return QStringLiteral("doc");
    }
    return QStringLiteral("doc");
}
