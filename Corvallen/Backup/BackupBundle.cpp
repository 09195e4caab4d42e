#include "Corvallen/Backup/BackupBundle.h"

#include "Corvallen/Backup/BackupData.h"
#include "Corvallen/Backup/BackupFiles.h"
#include "Corvallen/Backup/ZipReader.h"
#include "Corvallen/Backup/ZipWriter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

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

namespace {

const QString kExtractionPrefix = QStringLiteral("CorvallenRestore-");
const QString kOwnerFile = QStringLiteral("/.owner");

}  // namespace

BackupBundle::Extraction::~Extraction()
{
    if (!folder.isEmpty())
        BackupFiles::removeQuietly(folder);
    if (owner >= 0)
        ::close(owner);  // the lock goes with the folder
}

void BackupBundle::extract(const ZipReader& zip, const QString& prefix, const QStringList& names, Extraction& into,
                           const Progress& progress)
{
    into.folder = BackupFiles::uniquePath(BackupFiles::temporaryFolder(), kExtractionPrefix);
    BackupFiles::makeFolder(into.folder);
    into.owner = ::open(QFile::encodeName(into.folder + kOwnerFile).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (into.owner < 0 || ::flock(into.owner, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        throw BackupError::fileSystem(QStringLiteral("Could not lock “%1”").arg(into.folder + kOwnerFile), error);
    }
    zip.extract(into.folder, entriesBelow(prefix, names), progress);
    into.root = prefix.isEmpty() ? into.folder : into.folder + QLatin1Char('/') + prefix.chopped(1);
}

void BackupBundle::removeAbandonedExtractions()
{
    const QString temporary = BackupFiles::temporaryFolder();
    const QFileInfoList found = QDir(temporary).entryInfoList({kExtractionPrefix + QLatin1Char('*')},
                                                              QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& folder : found) {
        if (folder.isSymLink())
            continue;
        const int owner = ::open(QFile::encodeName(folder.filePath() + kOwnerFile).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        bool abandoned = false;
        if (owner >= 0) {
            abandoned = ::flock(owner, LOCK_EX | LOCK_NB) == 0;
            ::close(owner);
        } else {
            abandoned = folder.lastModified().secsTo(QDateTime::currentDateTime()) > 60;
        }
        if (abandoned)
            BackupFiles::removeQuietly(folder.filePath());
    }
}
