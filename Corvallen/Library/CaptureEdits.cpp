#include "Corvallen/Library/CaptureEdits.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Model/TagPalette.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Sync/CaptureThumbnails.h"
#include "Corvallen/Sync/DeviceStorage.h"

#include <QDir>
#include <QFile>

namespace CaptureEdits {

namespace {

QString trimmedSpacesAndTabs(const QString& text)
{
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && blank(text.at(start)))
        ++start;
    while (end > start && blank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

bool holds(const Capture& capture, const Tag* tag)
{
    const PersistentIdentifier id = tag->persistentModelID();
    for (const Tag* t : capture.tags())
        if (t == tag || t->persistentModelID() == id)
            return true;
    return false;
}

}  // namespace

QString normalizedTagName(const QString& text)
{
    return text.trimmed().toLower();
}

bool canAddTag(const QString& text)
{
    return !trimmedSpacesAndTabs(text).isEmpty();
}

bool attach(Capture& capture, Tag* tag)
{
    if (!tag || holds(capture, tag))
        return false;
    QList<Tag*> tags = capture.tags();
    tags.append(tag);
    capture.setTags(tags);
    return true;
}

void attachAndSave(Capture& capture, Tag* tag, ModelContext& context)
{
    attach(capture, tag);
    context.save();
}

bool addTag(Capture& capture, const QString& text, ModelContext& context)
{
    const QString name = normalizedTagName(text);
    if (name.isEmpty())
        return false;
    attachAndSave(capture, findOrCreateTag(name, context), context);
    return true;
}

void removeTag(Capture& capture, Tag* tag, ModelContext& context)
{
    if (!tag)
        return;
    const PersistentIdentifier id = tag->persistentModelID();
    QList<Tag*> kept;
    for (Tag* t : capture.tags())
        if (t != tag && t->persistentModelID() != id)
            kept.append(t);
    capture.setTags(kept);
    context.save();
}

QList<Tag*> tagSuggestions(const QString& input, const QList<Tag*>& allTags, const Capture& capture)
{
    const QString query = trimmedSpacesAndTabs(input).toLower();
    QList<Tag*> out;
    if (query.isEmpty())
        return out;
    for (Tag* t : allTags) {
        if (out.size() == 6)
            break;
        if (t->name().contains(query) && !holds(capture, t))
            out.append(t);
    }
    return out;
}

QList<Tag*> allTagsByName(const ModelContext& context)
{
    return context.fetch<Tag>({}, [](const Tag* a, const Tag* b) { return a->name() < b->name(); });
}

QList<Project*> allProjectsByName(const ModelContext& context)
{
    return context.fetch<Project>({}, [](const Project* a, const Project* b) { return a->name() < b->name(); });
}

void moveAll(const QList<Capture*>& captures, Project* project, ModelContext& context)
{
    for (Capture* c : captures)
        c->setProject(project);
    context.save();
}

bool addTagToAll(const QList<Capture*>& captures, const QString& text, ModelContext& context)
{
    const QString name = normalizedTagName(text);
    if (name.isEmpty())
        return false;
    Tag* tag = findOrCreateTag(name, context);
    for (Capture* c : captures)
        attach(*c, tag);
    context.save();
    return true;
}

void deleteCaptures(const QList<Capture*>& captures, ModelContext& context)
{
    const QString folder = DeviceStorage::capturesFolder();
    QStringList fileNames;
    for (const Capture* c : captures)
        if (!c->isDeleted() && AppPaths::isPlainFileName(c->fileName()))
            fileNames << c->fileName();
    if (!fileNames.isEmpty())
        DeviceStorage::noteCapturesBeingDeleted(fileNames);
    for (Capture* c : captures) {
        if (c->isDeleted())
            continue;
        const QString fileName = c->fileName();
        context.deleteObject(c);
        // Only a plain name can point into the captures folder; anything else removes nothing.
        if (AppPaths::isPlainFileName(fileName)) {
            const QString path = QDir(folder).filePath(fileName);
            context.afterDeletionSaved(c, [path, fileName]() {
                QFile::remove(path);
                CaptureThumbnails::shared().forget(fileName);
            });
        }
    }
    context.save();
    // Saved and removed, or not saved and still in the store: either way nothing is half done.
    DeviceStorage::forgetCapturesBeingDeleted();
}

}  // namespace CaptureEdits
