#include "Corvallen/Backup/BackupData.h"

#include "Corvallen/Backup/BackupError.h"
#include "Corvallen/Backup/BackupFiles.h"
#include "Corvallen/Backup/BackupJson.h"
#include "Corvallen/Backup/BackupManifest.h"
#include "Corvallen/Backup/RestoreJournal.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Model/UuidText.h"
#include "Corvallen/Platform/ModelContext.h"
#include "Corvallen/Platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QSysInfo>

namespace BackupData {

namespace {

QString path(const QString& folder, const QString& name) { return folder + QLatin1Char('/') + name; }

// Settings read as the text the user set; a number reads as its decimal text. Other kinds
// (a flag, a list) are not text and give no value.
std::optional<QString> settingText(const SettingsStore& s, const QString& key)
{
    const std::optional<SettingsStore::Type> type = s.typeOf(key);
    if (!type || (*type != SettingsStore::Type::Text && *type != SettingsStore::Type::Integer && *type != SettingsStore::Type::Double))
        return std::nullopt;
    return s.textValue(key);
}

SettingsDTO readSettings(const SettingsStore& s)
{
    SettingsDTO d;
    d.appTheme = settingText(s, QStringLiteral("appTheme"));
    d.appLanguage = settingText(s, QStringLiteral("appLanguage"));
    d.libraryMode = settingText(s, QStringLiteral("libraryMode"));
    d.installedFirmware_2D15P = settingText(s, QStringLiteral("installedFirmware_2D15P"));
    if (s.typeOf(QStringLiteral("autoEjectAfterSync")) == SettingsStore::Type::Bool)
        d.autoEjectAfterSync = s.boolValue(QStringLiteral("autoEjectAfterSync"));
    QMap<QString, QString> business;
    for (const QString& key : businessKeys()) {
        const std::optional<QString> v = settingText(s, key);
        if (v && !v->isEmpty())
            business.insert(key, *v);
    }
    if (!business.isEmpty())
        d.business = business;
    return d;
}

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

std::optional<QByteArray> readFile(const QString& file)
{
    if (!BackupFiles::isFile(file))
        return std::nullopt;
    QFile f(file);
    // A file over the cap is unreadable without being read.
    if (!f.open(QIODevice::ReadOnly) || f.size() > BackupJson::maxFileBytes)
        return std::nullopt;
    QByteArray bytes = f.read(BackupJson::maxFileBytes + 1);
    if (bytes.size() > BackupJson::maxFileBytes)
        return std::nullopt;
    if (f.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

template <class T>
std::optional<QList<T>> loadArray(const QString& root, const char* name)
{
    const std::optional<QByteArray> bytes = readFile(path(root, QString::fromLatin1(name)));
    if (!bytes)
        return std::nullopt;
    return decodeArray<T>(*bytes);
}

template <class T>
void deleteAll(ModelContext& context)
{
    for (T* e : context.fetch<T>())
        context.deleteObject(e);
}

}  // namespace

void writeSettings(const SettingsDTO& d, SettingsStore& s)
{
    auto setIf = [&](const char* key, const std::optional<QString>& v) {
        if (v)
            s.setText(QString::fromLatin1(key), *v);
    };
    setIf("appTheme", d.appTheme);
    setIf("appLanguage", d.appLanguage);
    setIf("libraryMode", d.libraryMode);
    setIf("installedFirmware_2D15P", d.installedFirmware_2D15P);
    if (d.appLanguage) {
        // The interface language list, as the language picker of the General pane keeps it.
        if (*d.appLanguage == QLatin1String("system"))
            s.remove(QStringLiteral("AppleLanguages"));
        else
            s.setTextList(QStringLiteral("AppleLanguages"), {*d.appLanguage});
    }
    if (d.autoEjectAfterSync)
        s.setBool(QStringLiteral("autoEjectAfterSync"), *d.autoEjectAfterSync);
    if (d.business)
        for (auto it = d.business->constBegin(); it != d.business->constEnd(); ++it)
            if (businessKeys().contains(it.key()))
                s.setText(it.key(), it.value());
}

// ---- operating system

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

// ---- export

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

void copyDataFolders(const BackupSelection& sel, const QString& staging, const Progress& progress)
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
    for (const QString& n : std::as_const(present)) {
        // Linked where the file system allows: the staging copy only lives until it is zipped.
        BackupFiles::copyTree(path(data, n), path(staging, n), true, [&](qint64 done, qint64) {
            if (progress && total > 0)
                progress(double(before + done) / double(total));
        });
        if (progress)
            before += BackupFiles::treeBytes(path(staging, n));
    }
    if (progress)
        progress(1.0);
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

// ---- restore

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
    if (sel.inventory)
        s.inventory = loadArray<ComponentDTO>(root, "inventory.json");
    if (sel.files)
        s.documents = loadArray<DocumentDTO>(root, "documents.json");
    if (sel.captures) {
        // Tags and captures are one section: the tags alone would strip every live capture of
        // its tags, the captures alone would lose theirs.
        std::optional<QList<TagDTO>> tags = loadArray<TagDTO>(root, "tags.json");
        std::optional<QList<CaptureDTO>> captures = loadArray<CaptureDTO>(root, "captures.json");
        if (tags && captures) {
            s.tags = std::move(tags);
            s.captures = std::move(captures);
        }
    }
    if (sel.projects)
        s.projects = loadArray<ProjectDTO>(root, "projects.json");
    if (sel.settings)
        if (const std::optional<QByteArray> bytes = readFile(path(root, QStringLiteral("settings.json"))))
            if (const std::optional<QJsonObject> o = BackupJson::parseObject(*bytes))
                s.settings = SettingsDTO::fromJson(*o);
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
            for (const QString& id : r.tags) {
                Tag* t = tags.value(id);
                if (t && !linked.contains(t))
                    linked.append(t);
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
}

}  // namespace BackupData
