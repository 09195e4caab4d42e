#include "Corvallen/Backup/BackupBundle.h"

#include "Corvallen/Backup/BackupData.h"
#include "Corvallen/Backup/BackupFiles.h"
#include "Corvallen/Backup/ZipReader.h"
#include "Corvallen/Backup/ZipWriter.h"

namespace {

// Accepts the entries below `prefix` whose first path component there is one of `names`.
std::function<bool(const ZipReader::Entry&)> entriesBelow(const QString& prefix, const QStringList& names)
{
    return [prefix, names](const ZipReader::Entry& e) {
        if (!e.name.startsWith(prefix))
            return false;
        const QString rel = e.name.mid(prefix.size());
        return names.contains(rel.section(QLatin1Char('/'), 0, 0));
    };
}

}  // namespace

BackupError BackupBundle::makeError(const QString& message) { return BackupError::backup(message); }

void BackupBundle::removeQuietly(const QString& p) { BackupFiles::removeQuietly(p); }

QString BackupBundle::zipFolder(const QString& folder, const Progress& progress)
{
    const QString zip = BackupFiles::uniquePath(BackupFiles::temporaryFolder(), QStringLiteral("CorvallenBackup-"), QStringLiteral(".zip"));
    ZipWriter::writeFolder(folder, zip, progress);
    return zip;
}

BackupBundle::Info BackupBundle::inspect(const QString& archive)
{
    ZipReader zip(archive);
    if (std::optional<BackupManifest> manifest = readManifest(zip)) {
        refuseNewerLayout(*manifest);
        return {std::move(manifest), false};
    }
    if (zip.findShallowest(BackupData::storeFileName()))
        return {std::nullopt, true};
    throw makeError(QStringLiteral("That doesn't look like a Corvallen backup."));
}

std::optional<BackupManifest> BackupBundle::readManifest(const ZipReader& zip)
{
    if (const ZipReader::Entry* m = zip.findShallowest(QStringLiteral("manifest.json"))) {
        try {
            return BackupManifest::fromJson(zip.read(*m, qint64(4) << 20));
        } catch (const BackupError&) {
        }
    }
    return std::nullopt;
}

void BackupBundle::refuseNewerLayout(const BackupManifest& manifest)
{
    if (manifest.schemaVersion > BackupManifest::currentSchemaVersion)
        throw makeError(
            QStringLiteral("That backup was made by a newer version of Corvallen (archive layout %1). Update Corvallen to restore it.")
                .arg(manifest.schemaVersion));
}

QString BackupBundle::folderPrefix(const QString& entryName)
{
    const qsizetype slash = entryName.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : entryName.left(slash + 1);
}

BackupBundle::Extraction::~Extraction()
{
    if (!folder.isEmpty())
        BackupFiles::removeQuietly(folder);
}

void BackupBundle::extract(const ZipReader& zip, const QString& prefix, const QStringList& names, Extraction& into,
                           const Progress& progress)
{
    into.folder = BackupFiles::uniquePath(BackupFiles::temporaryFolder(), QStringLiteral("CorvallenRestore-"));
    BackupFiles::makeFolder(into.folder);
    zip.extract(into.folder, entriesBelow(prefix, names), progress);
    into.root = prefix.isEmpty() ? into.folder : into.folder + QLatin1Char('/') + prefix.chopped(1);
}
