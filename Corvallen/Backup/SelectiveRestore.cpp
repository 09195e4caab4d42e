#include "Corvallen/Backup/SelectiveRestore.h"

#include "Corvallen/Backup/BackupAsync.h"
#include "Corvallen/Backup/BackupData.h"
#include "Corvallen/Backup/BackupError.h"
#include "Corvallen/Backup/BackupFiles.h"
#include "Corvallen/Backup/BackupJson.h"
#include "Corvallen/Backup/RestoreJournal.h"
#include "Corvallen/Backup/SnapshotWriter.h"
#include "Corvallen/Backup/ZipReader.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QSet>
#include <QThreadPool>

#include <memory>

namespace SelectiveRestore {

using namespace BackupData;

namespace {

QString path(const QString& folder, const QString& name) { return folder + QLatin1Char('/') + name; }

// A record file that is more than a restore decodes refuses the whole restore, before the live
// data is touched; one that is merely unreadable leaves its section out.
BackupError tooMuch(const QString& what)
{
    return BackupError::backup(QStringLiteral("%1 Nothing was changed.").arg(what));
}

QString numberText(qint64 n) { return QLocale().toString(n); }

// The settings are a handful of short texts (the business address the longest): a few
// kilobytes, where a megabyte of keys would make a map of a hundred thousand.
constexpr qint64 maxSettingsBytes = qint64(1) << 20;

qint64 maxBytesOf(const QString& fileName)
{
    return fileName == QLatin1String("settings.json") ? maxSettingsBytes : BackupJson::maxFileBytes;
}

BackupError tooLarge(const QString& fileName, qint64 size)
{
    const auto text = [](qint64 bytes) { return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat); };
    return tooMuch(QStringLiteral("“%1” in the backup archive is %2, more than the %3 a restore reads.")
                       .arg(fileName, text(size), text(maxBytesOf(fileName))));
}

std::optional<QByteArray> readFile(const QString& file)
{
    if (!BackupFiles::isFile(file))
        return std::nullopt;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    // A file over the cap is refused without being read.
    const QString name = QFileInfo(file).fileName();
    const qint64 cap = maxBytesOf(name);
    if (f.size() > cap)
        throw tooLarge(name, f.size());
    QByteArray bytes = f.read(cap + 1);
    if (bytes.size() > cap)
        throw tooLarge(name, bytes.size());
    if (f.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

// What one restore still may decode; each file's share is taken from it after a pass over its
// bytes and before it is parsed.
struct Budget {
    qint64 records = maxRecordsPerRestore;
    qint64 text = maxTextPerRestore;

    void take(const QString& name, const QByteArray& bytes, qint64 maxRecords)
    {
        const BackupJson::TextShape shape = BackupJson::measure(bytes);
        const QString excess = BackupJson::excess(shape);
        if (!excess.isEmpty())
            throw tooMuch(QStringLiteral("“%1” in the backup archive %2.").arg(name, excess));
        if (shape.elements > maxRecords)
            throw tooMuch(QStringLiteral("“%1” in the backup archive holds %2 records, more than the %3 a restore reads.")
                              .arg(name, numberText(shape.elements), numberText(maxRecords)));
        records -= shape.elements;
        text -= shape.textBytes;
        if (records < 0)
            throw tooMuch(QStringLiteral("The backup archive holds more than %1 records in all, more than a restore reads.")
                              .arg(numberText(maxRecordsPerRestore)));
        if (text < 0)
            throw tooMuch(QStringLiteral("The records in the backup archive hold more than %1 of text, more than a restore reads.")
                              .arg(QLocale().formattedDataSize(maxTextPerRestore, 1, QLocale::DataSizeTraditionalFormat)));
    }
};

template <class T>
std::optional<QList<T>> loadArray(const QString& root, const char* name, Budget& budget)
{
    const QString fileName = QString::fromLatin1(name);
    std::optional<QByteArray> bytes = readFile(path(root, fileName));
    if (!bytes)
        return std::nullopt;
    budget.take(fileName, *bytes, T::maxRecords);
    return decodeArray<T>(*bytes);
}

template <class T>
void deleteAll(ModelContext& context)
{
    for (T* e : context.fetch<T>())
        context.deleteObject(e);
}

void saveBeforeRestore(ModelContext& context)
{
    QString error;
    if (context.hasChanges() && !context.save(&error))
        throw BackupBundle::makeError(
            QStringLiteral("Your latest changes could not be saved (%1), so the restore did not start.").arg(error));
}

// The extraction of one restore and what it leads to, removed when the restore is over.
struct RestoreWork {
    BackupBundle::Extraction extraction;
    Sections sections;
    PreparedFolders folders;
    std::optional<SnapshotWriter> snapshot;
    ~RestoreWork() { folders.discard(); }
};


// Extracts what the selection needs and reads its records (any thread).
void extractForRestore(RestoreWork& work, const QString& archive, const BackupSelection& selection,
                       const Progress& progress)
{
    ZipReader zip(archive);
    if (const std::optional<BackupManifest> m = BackupBundle::readManifest(zip))
        BackupBundle::refuseNewerLayout(*m);
    const ZipReader::Entry* manifest = zip.findShallowest(QStringLiteral("manifest.json"));
    const QString prefix = manifest ? BackupBundle::folderPrefix(manifest->name) : QString();
    // A record file larger than a restore reads is refused before anything is unpacked.
    const QStringList needed = neededEntries(selection);
    for (const ZipReader::Entry& e : zip.entries())
        if (!e.folder && e.name.startsWith(prefix) && e.name.endsWith(QLatin1String(".json")) && needed.contains(e.name.mid(prefix.size())) &&
            e.size > maxBytesOf(e.name.mid(prefix.size())))
            throw tooLarge(e.name.mid(prefix.size()), e.size);
    BackupBundle::extract(zip, prefix, needed, work.extraction, progress);
    work.sections = loadSections(selection, work.extraction.root);
}

}  // namespace

QFuture<RestoreSummary> restoreAsync(const QString& archive, const BackupSelection& selection, ModelContext& context)
{
    auto promise = BackupAsync::startedPromise<RestoreSummary>();
    QPointer<ModelContext> target(&context);
    QThreadPool::globalInstance()->start([promise, archive, selection, target] {
        const Progress progress = BackupAsync::reporter(promise);
        auto work = std::make_shared<RestoreWork>();
        try {
            extractForRestore(*work, archive, selection, BackupAsync::part(progress, 0, 0.5));
            // The folders of the snapshot are copied here; its store is copied on the main
            // thread, where the open store lives.
            work->snapshot.emplace(QStringLiteral("pre-restore"));
            work->snapshot->copyFolders();
            progress(0.7);
            work->folders = prepareFolders(work->sections, work->extraction.root, BackupAsync::part(progress, 0.7, 0.95));
        } catch (...) {
            // The extraction goes before the failure is told: whoever waits finds nothing left.
            work.reset();
            BackupAsync::failPromise(promise);
            return;
        }
        QMetaObject::invokeMethod(
            target.data(),
            [promise, work, target] {
                try {
                    if (!target)
                        throw BackupBundle::makeError(QStringLiteral("The store was closed before the restore could finish."));
                    saveBeforeRestore(*target);
                    work->snapshot->copyStore(target->container());
                    promise->addResult(applySections(work->sections, work->folders, *target));
                    promise->setProgressValue(1000);
                    promise->finish();
                } catch (...) {
                    BackupAsync::failPromise(promise);
                }
            },
            Qt::QueuedConnection);
    });
    return promise->future();
}

QStringList neededEntries(const BackupSelection& sel)
{
    QStringList names;
    if (sel.inventory)
        names << QStringLiteral("inventory.json") << QStringLiteral("components");
    if (sel.files)
        names << QStringLiteral("documents.json") << QStringLiteral("documents");
    if (sel.captures)
        names << QStringLiteral("tags.json") << QStringLiteral("captures.json") << QStringLiteral("captures");
    if (sel.projects)
        names << QStringLiteral("projects.json");
    if (sel.settings)
        names << QStringLiteral("settings.json");
    return names;
}

Sections loadSections(const BackupSelection& sel, const QString& root)
{
    Sections s;
    Budget budget;
    if (sel.inventory)
        s.inventory = loadArray<ComponentDTO>(root, "inventory.json", budget);
    if (sel.files)
        s.documents = loadArray<DocumentDTO>(root, "documents.json", budget);
    if (sel.captures) {
        // Tags and captures are one section: the tags alone would strip every live capture of
        // its tags, the captures alone would lose theirs.
        std::optional<QList<TagDTO>> tags = loadArray<TagDTO>(root, "tags.json", budget);
        std::optional<QList<CaptureDTO>> captures = loadArray<CaptureDTO>(root, "captures.json", budget);
        if (tags && captures) {
            s.tags = std::move(tags);
            s.captures = std::move(captures);
        }
    }
    if (sel.projects) {
        s.projects = loadArray<ProjectDTO>(root, "projects.json", budget);
        qint64 lines = 0;
        for (const ProjectDTO& p : s.projects.value_or(QList<ProjectDTO>()))
            lines += p.bom.size() + p.attachments.size();
        if (lines > maxProjectLines)
            throw tooMuch(QStringLiteral("“projects.json” in the backup archive holds %1 parts-list lines and attachments, more than the %2 "
                                         "a restore reads.")
                              .arg(numberText(lines), numberText(maxProjectLines)));
    }
    if (sel.settings)
        if (const std::optional<QByteArray> bytes = readFile(path(root, QStringLiteral("settings.json")))) {
            budget.take(QStringLiteral("settings.json"), *bytes, 64);  // its keys; a backup writes six
            if (const std::optional<QJsonObject> o = BackupJson::parseObject(*bytes))
                s.settings = SettingsDTO::fromJson(*o);
        }
    return s;
}

PreparedFolders::PreparedFolders(PreparedFolders&& other) noexcept : items(std::exchange(other.items, {})) {}

PreparedFolders& PreparedFolders::operator=(PreparedFolders&& other) noexcept
{
    if (this != &other) {
        discard();
        items = std::exchange(other.items, {});
    }
    return *this;
}

PreparedFolders::~PreparedFolders() { discard(); }

void PreparedFolders::discard()
{
    for (const Item& i : std::as_const(items))
        BackupFiles::removeQuietly(i.prepared);
    items.clear();
}

PreparedFolders prepareFolders(const Sections& s, const QString& root, const Progress& progress)
{
    QStringList names;
    if (s.captures)
        names << QStringLiteral("captures");
    if (s.inventory)
        names << QStringLiteral("components");
    if (s.documents)
        names << QStringLiteral("documents");
    const QString data = StoreLocation::dataFolder();
    BackupFiles::makeFolder(data);
    PreparedFolders out;
    int step = 0;
    for (const QString& n : std::as_const(names)) {
        const QString prepared = BackupFiles::uniquePath(data, QLatin1Char('.') + n + QStringLiteral(".restoring-"));
        const QString aside = BackupFiles::uniquePath(data, QLatin1Char('.') + n + QStringLiteral(".replaced-"));
        const QString source = path(root, n);
        out.items.append({n, prepared, aside});  // listed first, so that a failure removes it too
        if (BackupFiles::isFolder(source))
            BackupFiles::moveTree(source, prepared, [&](qint64 done, qint64 total) {
                if (progress && total > 0)
                    progress((step + double(done) / double(total)) / double(names.size()));
            });
        else
            BackupFiles::makeFolder(prepared);
        ++step;
        if (progress)
            progress(double(step) / double(names.size()));
    }
    return out;
}

void deleteAllComponents(ModelContext& c) { deleteAll<Component>(c); }
void deleteAllDocuments(ModelContext& c) { deleteAll<Document>(c); }
void deleteAllTags(ModelContext& c) { deleteAll<Tag>(c); }
void deleteAllProjects(ModelContext& c) { deleteAll<Project>(c); }
void deleteAllCaptures(ModelContext& c) { deleteAll<Capture>(c); }

namespace {

// Puts the prepared folders in place: each live folder is renamed aside, the prepared one
// renamed to its name. On a failure every rename done so far is undone, so each prepared folder
// is back under its prepared name for the journal to finish with, before the error is thrown.
// Returns the folders set aside, for the caller to remove.
QStringList swapIn(PreparedFolders& folders)
{
    const QString data = StoreLocation::dataFolder();
    QList<BackupFiles::SwapItem> items;
    for (const PreparedFolders::Item& item : std::as_const(folders.items))
        items.append({path(data, item.name), item.prepared, item.aside});
    const QStringList aside = BackupFiles::swapIn(items);
    folders.items.clear();
    return aside;
}

}  // namespace

// Deletes and inserts the records of every loaded section in the context, linking them through
// the id tables of this run; saves nothing.
static void insertSections(const Sections& s, ModelContext& context, RestoreSummary& summary)
{
    QHash<QString, Component*> components;
    QHash<QString, Document*> documents;
    QHash<QString, Tag*> tags;
    QHash<QString, Project*> projects;

    if (s.inventory) {
        deleteAllComponents(context);
        QSet<Component*> made;
        for (const ComponentDTO& r : *s.inventory) {
            Component* c = context.insert(new Component(r.name));
            apply(r, *c);
            components.insert(r.id, c);
            made.insert(c);
        }
        summary.components = int(made.size());
    }
    if (s.documents) {
        deleteAllDocuments(context);
        QSet<Document*> made;
        for (const DocumentDTO& r : *s.documents) {
            Document* d = context.insert(new Document(r.fileName, r.title));
            d->setTypeRaw(r.typeRaw);
            d->setNotes(r.notes);
            d->setTags(r.tags);
            d->setSourceURL(r.sourceURL);
            d->setLibraryMarkupFileName(r.libraryMarkupFileName);
            d->setAddedAt(r.addedAt);
            documents.insert(r.id, d);
            made.insert(d);
        }
        summary.files = int(made.size());
    }
    if (s.tags) {
        deleteAllTags(context);
        for (const TagDTO& r : *s.tags) {
            // Tag names are unique: a second record of one name gives the same tag (with the
            // later colour), and both ids link to it.
            Tag* t = context.insert(new Tag(r.name, r.colorHex));
            t->setColorHex(r.colorHex);
            tags.insert(r.id, t);
        }
    }
    if (s.projects) {
        deleteAllProjects(context);
        QSet<Project*> made;
        for (const ProjectDTO& r : *s.projects) {
            Project* p = context.insert(new Project(r.name, r.details, r.notes));
            p->setCreatedAt(r.createdAt);
            p->setLabourHours(r.labourHours);
            p->setLabourRate(r.labourRate);
            p->setLabourFlat(r.labourFlat);
            p->setQuoteCombined(r.quoteCombined.value_or(false));
            projects.insert(r.id, p);
            made.insert(p);
            for (const BomDTO& b : r.bom) {
                Component* c = components.value(b.component);
                if (!c) {
                    ++summary.skippedLinks;
                    continue;
                }
                ProjectComponent* line = context.insert(new ProjectComponent(c, p, b.quantity));
                line->setAddedAt(b.addedAt);
            }
            for (const AttachDTO& a : r.attachments) {
                Document* d = documents.value(a.document);
                if (!d) {
                    ++summary.skippedLinks;
                    continue;
                }
                ProjectDocument* att = context.insert(new ProjectDocument(d, p));
                att->setMarkupFileName(a.markupFileName);
                att->setAddedAt(a.addedAt);
            }
        }
        summary.projects = int(made.size());
    }
    if (s.captures) {
        deleteAllCaptures(context);
        QSet<Capture*> made;
        for (const CaptureDTO& r : *s.captures) {
            // File names are unique: a second record of one file gives the same capture, and the
            // later record's values and links win.
            Capture* c = context.insert(new Capture(r.fileName));
            c->setTitle(r.title);
            c->setNotes(r.notes);
            c->setImportedAt(r.importedAt);
            c->setMode(r.mode);
            c->setUnit(r.unit);
            c->setSummary(r.summary);
            c->setValue(r.value);
            c->setMinValue(r.minValue);
            c->setMaxValue(r.maxValue);
            c->setProject(r.project ? projects.value(*r.project) : nullptr);
            QList<Tag*> linked;
            QSet<Tag*> seen;  // a record may list thousands of tags: no search of the list for each
            for (const QString& id : r.tags) {
                Tag* t = tags.value(id);
                if (t && !seen.contains(t)) {
                    seen.insert(t);
                    linked.append(t);
                }
            }
            // In the archive's order, also when a capture of the same file name earlier in
            // the file already holds some of them (setting keeps held links in place).
            if (c->tags() != linked) {
                c->setTags({});
                c->setTags(linked);
            }
            made.insert(c);
        }
        summary.captures = int(made.size());
    }

}

RestoreSummary applySections(const Sections& s, PreparedFolders& folders, ModelContext& context)
{
    // Nothing may be saved halfway: the autosave waits until this restore has saved or rolled back.
    const bool autosave = context.autosaveEnabled();
    context.setAutosaveEnabled(false);
    struct Restore {
        ModelContext& c;
        bool on;
        ~Restore() { c.setAutosaveEnabled(on); }
    } restoreAutosave{context, autosave};

    RestoreSummary summary;
    try {
        insertSections(s, context, summary);
    } catch (...) {
        // Whatever stopped the insertions, none of them may reach the store later.
        context.rollback();
        throw;
    }

    const QString data = StoreLocation::dataFolder();
    QList<RestoreJournal::Folder> journalled;
    for (const PreparedFolders::Item& item : std::as_const(folders.items))
        journalled.append({item.name, item.prepared.mid(data.size() + 1), item.aside.mid(data.size() + 1)});
    std::optional<RestoreJournal> journal;
    try {
        journal.emplace(RestoreJournal::begin(data, journalled, s.settings));
    } catch (const BackupError& e) {
        context.rollback();
        folders.discard();
        throw BackupError::backup(QStringLiteral("The restore could not start (%1). Nothing was changed.").arg(e.localizedDescription()));
    }

    QString error;
    if (!context.save(journal->commitSql(), &error)) {
        context.rollback();
        folders.discard();
        journal->finish();
        throw BackupError::backup(QStringLiteral("The restored data could not be saved (%1). Nothing was changed.").arg(error));
    }

    QStringList replaced;
    try {
        replaced = swapIn(folders);
    } catch (const BackupError& e) {
        // The records are in the store; the journal stays, and the next launch puts the new
        // folders in place before anything reads them.
        folders.items.clear();
        throw BackupError::backup(QStringLiteral("The records were restored, but the data folders could not be put in place "
                                                 "(%1). Corvallen puts them in place the next time it starts.")
                                      .arg(e.localizedDescription()));
    }
    if (s.settings) {
        writeSettings(*s.settings, SettingsStore::shared());
        summary.settings = true;
    }
    journal->finish();
    for (const QString& old : std::as_const(replaced))
        BackupFiles::removeQuietly(old);
    return summary;
}

void recoverInterruptedFolderSwap(const QString& data)
{
    // A journal that stays (a restore at work in another process, or one this launch could not
    // decide) owns what lies in the data folder.
    if (!RestoreJournal::recover(data))
        return;
    // Without a journal, folders beside the live ones are what a restore made before its journal
    // was written (nothing of it reached the store) or set aside once it had finished.
    const QDir dir(data);
    const auto hidden = [&](const QString& pattern) {
        return dir.entryList({pattern}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    for (const QString& name : dataFolderNames()) {
        const QString live = path(data, name);
        const QStringList replaced = hidden(QLatin1Char('.') + name + QStringLiteral(".replaced-*"));
        if (!BackupFiles::exists(live) && !replaced.isEmpty()) {
            try {
                BackupFiles::rename(path(data, replaced.first()), live);
            } catch (const BackupError&) {
            }
        }
        for (const QString& n : hidden(QLatin1Char('.') + name + QStringLiteral(".restoring-*")) +
                                    hidden(QLatin1Char('.') + name + QStringLiteral(".replaced-*")))
            BackupFiles::removeQuietly(path(data, n));
    }
    for (const QString& n : hidden(QStringLiteral(".restoring-undo-*")))
        BackupFiles::removeQuietly(path(data, n));
    // A journal whose writing a crash cut short never took its name: nothing reads it, and no
    // running restore owns it once the journal is decided.
    for (const QString& n : dir.entryList({QLatin1Char('.') + RestoreJournal::fileName() + QStringLiteral(".partial-*")},
                                          QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        BackupFiles::removeQuietly(path(data, n));
}

}  // namespace SelectiveRestore
