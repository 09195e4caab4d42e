#include "Corvallen/Backup/BackupExport.h"

#include "Corvallen/Backup/BackupAsync.h"
#include "Corvallen/Backup/BackupFiles.h"
#include "Corvallen/Backup/BackupJson.h"
#include "Corvallen/Backup/BackupManifest.h"
#include "Corvallen/Backup/BackupRecords.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Model/UuidText.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/SettingsStore.h"

#include <QRegularExpression>
#include <QSysInfo>
#include <QThreadPool>

namespace BackupExport {

using namespace BackupData;

namespace {

QString path(const QString& folder, const QString& name) { return folder + QLatin1Char('/') + name; }

template <class T>
QHash<PersistentIdentifier, QString> makeIds(const QList<T*>& entities)
{
    QHash<PersistentIdentifier, QString> ids;
    ids.reserve(entities.size());
    for (const T* e : entities)
        ids.insert(e->persistentModelID(), newUuidText());
    return ids;
}

template <class T>
std::optional<QString> idOf(const T* target, const QHash<PersistentIdentifier, QString>& ids)
{
    if (!target || target->isDeleted())
        return std::nullopt;
    const auto it = ids.constFind(target->persistentModelID());
    if (it == ids.constEnd())
        return std::nullopt;
    return *it;
}

}  // namespace

QString osVersionText(const QString& system, int major, int minor, int patch)
{
    QString text = system + QLatin1Char(' ') + QString::number(major) + QLatin1Char('.') + QString::number(minor);
    if (patch >= 1)
        text += QLatin1Char('.') + QString::number(patch);
    return text;
}

QString osVersionString()
{
    // The kernel release, e.g. "6.1.0-18-amd64": its leading numbers are the version.
    static const QRegularExpression numbers(QStringLiteral(R"(^(\d+)(?:\.(\d+))?(?:\.(\d+))?)"));
    const QRegularExpressionMatch m = numbers.match(QSysInfo::kernelVersion());
    return osVersionText(QStringLiteral("Linux"), m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

QString writeRecords(const BackupSelection& sel, ModelContext& context, const QString& appVersion, const QString& appBuild)
{
    const QString staging = BackupFiles::uniquePath(BackupFiles::temporaryFolder(), QStringLiteral("CorvallenBackup-"));
    BackupFiles::makeFolder(staging);
    try {
        const QList<Project*> projects = context.fetch<Project>();
        const QList<Component*> components = context.fetch<Component>();
        const QList<Capture*> captures = context.fetch<Capture>();
        const QList<Tag*> tags = context.fetch<Tag>();
        const QList<Document*> documents = context.fetch<Document>();

        // Ids for every entity, whatever is selected, so that a reference is written even when
        // its target's section is not.
        const auto componentIds = makeIds(components);
        const auto documentIds = makeIds(documents);
        const auto tagIds = makeIds(tags);
        const auto projectIds = makeIds(projects);

        QMap<QString, qint64> counts;
        if (sel.inventory) {
            QList<ComponentDTO> records;
            for (const Component* c : components)
                records.append(ComponentDTO(*c, componentIds));
            BackupFiles::writeFile(path(staging, QStringLiteral("inventory.json")), encodeArray(records));
            counts.insert(QStringLiteral("inventory"), records.size());
        }
        if (sel.files) {
            QList<DocumentDTO> records;
            for (const Document* d : documents)
                records.append({documentIds.value(d->persistentModelID()), d->fileName(), d->title(), d->typeRaw(), d->notes(),
                                d->tags(), d->sourceURL(), d->libraryMarkupFileName(), d->addedAt()});
            BackupFiles::writeFile(path(staging, QStringLiteral("documents.json")), encodeArray(records));
            counts.insert(QStringLiteral("files"), records.size());
        }
        if (sel.captures) {
            QList<TagDTO> tagRecords;
            for (const Tag* t : tags)
                tagRecords.append({tagIds.value(t->persistentModelID()), t->name(), t->colorHex()});
            BackupFiles::writeFile(path(staging, QStringLiteral("tags.json")), encodeArray(tagRecords));
            QList<CaptureDTO> records;
            for (const Capture* c : captures) {
                CaptureDTO r;
                r.id = newUuidText();
                r.fileName = c->fileName();
                r.title = c->title();
                r.notes = c->notes();
                r.importedAt = c->importedAt();
                r.mode = c->mode();
                r.unit = c->unit();
                r.summary = c->summary();
                r.value = c->value();
                r.minValue = c->minValue();
                r.maxValue = c->maxValue();
                r.project = idOf(c->project(), projectIds);
                for (const Tag* t : c->tags())
                    if (const std::optional<QString> id = idOf(t, tagIds))
                        r.tags.append(*id);
                records.append(r);
            }
            BackupFiles::writeFile(path(staging, QStringLiteral("captures.json")), encodeArray(records));
            counts.insert(QStringLiteral("captures"), records.size());
        }
        if (sel.projects) {
            QList<ProjectDTO> records;
            for (const Project* p : projects) {
                ProjectDTO r;
                r.id = projectIds.value(p->persistentModelID());
                r.name = p->name();
                r.details = p->details();
                r.notes = p->notes();
                r.createdAt = p->createdAt();
                r.labourHours = p->labourHours();
                r.labourRate = p->labourRate();
                r.labourFlat = p->labourFlat();
                r.quoteCombined = p->quoteCombined();
                for (const ProjectComponent* line : p->parts())
                    if (const std::optional<QString> id = idOf(line->component(), componentIds))
                        r.bom.append({*id, line->quantity(), line->addedAt()});
                for (const ProjectDocument* a : p->attachments())
                    if (const std::optional<QString> id = idOf(a->document(), documentIds))
                        r.attachments.append({*id, a->markupFileName(), a->addedAt()});
                records.append(r);
            }
            BackupFiles::writeFile(path(staging, QStringLiteral("projects.json")), encodeArray(records));
            counts.insert(QStringLiteral("projects"), records.size());
        }
        if (sel.settings) {
            BackupFiles::writeFile(path(staging, QStringLiteral("settings.json")),
                                   BackupJson::encode(readSettings(SettingsStore::shared()).toJson()));
            counts.insert(QStringLiteral("settings"), 1);
        }

        BackupManifest manifest;
        manifest.schemaVersion = BackupManifest::currentSchemaVersion;
        manifest.createdAt = QDateTime::currentDateTimeUtc();
        manifest.appVersion = appVersion;
        manifest.exportedBy = QStringLiteral("Corvallen for Linux");
        manifest.appBuild = appBuild;
        manifest.buildChannel = QStringLiteral("release");
        manifest.osVersion = osVersionString();
        manifest.counts = counts;
        BackupFiles::writeFile(path(staging, QStringLiteral("manifest.json")), manifest.toJson());
    } catch (...) {
        BackupFiles::removeQuietly(staging);
        throw;
    }
    return staging;
}

qint64 copyDataFolders(const BackupSelection& sel, const QString& staging, const Progress& progress)
{
    QStringList names;
    if (sel.inventory)
        names << QStringLiteral("components");
    if (sel.files)
        names << QStringLiteral("documents");
    if (sel.captures)
        names << QStringLiteral("captures");
    const QString data = StoreLocation::dataFolder();
    QStringList present;
    qint64 total = 0;
    for (const QString& n : std::as_const(names))
        if (BackupFiles::isFolder(path(data, n))) {
            present << n;
            if (progress)
                total += BackupFiles::treeBytes(path(data, n));
        }
    qint64 before = 0;
    qint64 linksLeftOut = 0;
    for (const QString& n : std::as_const(present)) {
        // Linked where the file system allows: the staging copy only lives until it is zipped.
        linksLeftOut += BackupFiles::copyTree(
            path(data, n), path(staging, n), true,
            [&](qint64 done, qint64) {
                if (progress && total > 0)
                    progress(double(before + done) / double(total));
            },
            BackupFiles::Links::leaveOut);
        if (progress)
            before += BackupFiles::treeBytes(path(staging, n));
    }
    if (progress)
        progress(1.0);
    return linksLeftOut;
}

QString exportBackup(const BackupSelection& sel, ModelContext& context, const QString& appVersion, const QString& appBuild,
                     const Progress& progress)
{
    const QString staging = writeRecords(sel, context, appVersion, appBuild);
    try {
        copyDataFolders(sel, staging, progress);
    } catch (...) {
        BackupFiles::removeQuietly(staging);
        throw;
    }
    return staging;
}

QFuture<Outcome> exportArchiveAsync(const BackupSelection& selection, ModelContext& context, const QString& appVersion,
                                    const QString& appBuild, const QString& destination)
{
    auto promise = BackupAsync::startedPromise<Outcome>();
    QFuture<Outcome> future = promise->future();
    QString staging;
    try {
        staging = writeRecords(selection, context, appVersion, appBuild);
    } catch (...) {
        BackupAsync::failPromise(promise);
        return future;
    }
    QThreadPool::globalInstance()->start([promise, selection, staging, destination] {
        const Progress progress = BackupAsync::reporter(promise);
        try {
            const qint64 linksLeftOut = copyDataFolders(selection, staging, BackupAsync::part(progress, 0, 0.3));
            const QString zip = BackupBundle::zipFolder(staging, BackupAsync::part(progress, 0.3, 1.0));
            BackupFiles::removeQuietly(staging);
            try {
                BackupFiles::placeFile(zip, destination);
            } catch (...) {
                BackupFiles::removeQuietly(zip);
                throw;
            }
            promise->addResult(Outcome{destination, linksLeftOut});
            promise->finish();
        } catch (...) {
            BackupFiles::removeQuietly(staging);
            BackupAsync::failPromise(promise);
        }
    });
    return future;
}

}  // namespace BackupExport
