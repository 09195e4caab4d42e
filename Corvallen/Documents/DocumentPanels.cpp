#include "Corvallen/Documents/DocumentPanels.h"

#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Model/TextCompare.h"

#include <QFileInfo>

#include <algorithm>

namespace {
QStringList sortedProjectNames(const Document* document)
{
    QStringList names;
    for (Project* p : document->linkedProjects())
        names << (p->name().isEmpty() ? QStringLiteral("Untitled") : p->name());
    std::sort(names.begin(), names.end());
    return names;
}
}  // namespace

namespace DocumentInspectorLogic {

QString fileTypeText(const Document* document)
{
    const QString ext = QFileInfo(document->fileName()).suffix();
    return ext.isEmpty() ? QStringLiteral("Unknown") : ext.toUpper();
}

QString usedInText(const Document* document)
{
    const QStringList names = sortedProjectNames(document);
    return names.isEmpty() ? QStringLiteral("Library only") : names.join(QStringLiteral(", "));
}

QString deleteMessage(const Document* document)
{
    const QStringList names = sortedProjectNames(document);
    if (names.isEmpty())
        return QStringLiteral("Removes the document from Corvallen and deletes its saved file.");
    return QStringLiteral("This file is used in ") + names.join(QStringLiteral(", "))
           + QStringLiteral(". Deleting loses the file AND all edits made in those projects.");
}

QString fileKindSymbol(const QString& fileName)
{
    switch (documentKind(fileName)) {
    case DocumentFileKind::pdf: return QStringLiteral("doc.richtext");
    case DocumentFileKind::image: return QStringLiteral("photo");
    case DocumentFileKind::other: return QStringLiteral("doc");
    }
    return QStringLiteral("doc");
}

}  // namespace DocumentInspectorLogic

namespace DocumentBulkLogic {

void setType(const QList<Document*>& documents, DocType type, ModelContext& context)
{
    for (Document* d : documents)
        d->setType(type);
    context.save();
}

void addAll(const QList<Document*>& documents, Project* project, ModelContext& context)
{
    if (!project)
        return;
    for (Document* d : documents)
        DocumentFileStore::attach(d, project, context);
}

void deleteOrRemoveAll(const QList<Document*>& documents, Project* scopeProject, ModelContext& context)
{
    for (Document* d : documents) {
        if (d->isDeleted())
            continue;
        if (scopeProject)
            DocumentFileStore::detach(d, scopeProject, context);
        else
            DocumentFileStore::deleteFromLibrary(d, context);
    }
}

qsizetype existingCount(const QList<Document*>& documents)
{
    return std::count_if(documents.begin(), documents.end(), [](const Document* d) { return d && !d->isDeleted(); });
}

QString confirmationTitle(qsizetype count, bool projectScope)
{
    return projectScope ? QStringLiteral("Remove %1 from project?").arg(count) : QStringLiteral("Delete %1 documents?").arg(count);
}

QString confirmationMessage(const QList<Document*>& documents, bool projectScope)
{
    if (projectScope)
        return QStringLiteral("Keeps the files in your Library — only this project's notes are removed.");
    qsizetype used = 0;
    for (const Document* d : documents)
        if (d && !d->isDeleted() && !d->attachments().isEmpty())
            ++used;
    if (used == 0)
        return QStringLiteral("Removes the documents from Corvallen and deletes their saved files.");
    return QStringLiteral("%1 of these are used in projects. Deleting loses the files AND all edits made in those projects.").arg(used);
}

QString destructiveLabel(qsizetype count, bool projectScope)
{
    return projectScope ? QStringLiteral("Remove %1 from Project").arg(count) : QStringLiteral("Delete %1 from Library").arg(count);
}

QList<Project*> projectsNewestFirst(ModelContext& context)
{
    QList<Project*> all = context.fetch<Project>();
    std::stable_sort(all.begin(), all.end(), [](const Project* a, const Project* b) { return a->createdAt() > b->createdAt(); });
    return all;
}

}  // namespace DocumentBulkLogic

bool LibraryAttachFilter::matches(const Document* d) const
{
    if (attachedFileNames.contains(d->fileName()))
        return false;
    if (typeFilter && d->type() != *typeFilter)
        return false;
    QString query = TextCompare::searchLowered(search);
    while (!query.isEmpty() && (query.front() == QLatin1Char(' ') || query.front() == QLatin1Char('\t')))
        query.remove(0, 1);
    while (!query.isEmpty() && (query.back() == QLatin1Char(' ') || query.back() == QLatin1Char('\t')))
        query.chop(1);
    if (query.isEmpty())
        return true;
    if (TextCompare::searchLowered(d->title()).contains(query) || DocTypes::label(d->type()).toLower().contains(query))
        return true;
    for (const QString& tag : d->tagList())
        if (TextCompare::searchLowered(tag).contains(query))
            return true;
    return false;
}

QList<Document*> LibraryAttachFilter::candidates(const QList<Document*>& allDocs) const
{
    QList<Document*> out;
    for (Document* d : allDocs)
        if (matches(d))
            out.append(d);
    return out;
}

bool LibraryAttachFilter::nothingToAdd(const QList<Document*>& allDocs) const
{
    return std::all_of(allDocs.begin(), allDocs.end(), [this](const Document* d) { return attachedFileNames.contains(d->fileName()); });
}

QList<Document*> LibraryAttachFilter::allDocumentsNewestFirst(ModelContext& context)
{
    QList<Document*> all = context.fetch<Document>();
    std::stable_sort(all.begin(), all.end(), [](const Document* a, const Document* b) { return a->addedAt() > b->addedAt(); });
    return all;
}
