// The fuzz target of the backup readers: the archive reader (directory checks, layout, reading
// and extracting entries) for inputs that start like a ZIP, the record decoders (every record
// type, the settings, the manifest, the caps' pass over the bytes) for all others.
#include "Corvallen/Backup/BackupBundle.h"
#include "Corvallen/Backup/BackupError.h"
#include "Corvallen/Backup/BackupFiles.h"
#include "Corvallen/Backup/BackupJson.h"
#include "Corvallen/Backup/BackupManifest.h"
#include "Corvallen/Backup/BackupRecords.h"
#include "Corvallen/Backup/ZipReader.h"
#include "FuzzSupport.h"

#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>

namespace {

void readArchive(const QByteArray& bytes)
{
    static const QString folder = [] {
        const QString path = fuzz::isolate() + QStringLiteral("/backup");
        QDir().mkpath(path);
        return path;
    }();
    const QString archive = folder + QStringLiteral("/input.zip");
    const QString out = folder + QStringLiteral("/out");
    {
        QFile f(archive);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            return;
    }
    try {
        // Caps far below the real ones keep every run small and quick.
        ZipLimits limits;
        limits.maxEntries = 10'000;
        limits.maxTotalBytes = qint64(64) << 20;
        limits.unpackAllowance = qint64(8) << 20;
        const ZipReader zip(archive, limits);
        (void)BackupBundle::readManifest(zip);
        for (const ZipReader::Entry& e : zip.entries())
            if (!e.folder && e.size <= (1 << 20)) {
                try {
                    (void)zip.read(e, 1 << 20);
                } catch (const BackupError&) {
                }
            }
        QDir().mkpath(out);
        try {
            zip.extract(out);
        } catch (const BackupError&) {
        }
    } catch (const BackupError&) {
    }
    BackupFiles::removeQuietly(out);
}

void decodeRecords(const QByteArray& bytes)
{
    (void)BackupJson::excess(BackupJson::measure(bytes));
    (void)BackupData::decodeArray<BackupData::TagDTO>(bytes);
    (void)BackupData::decodeArray<BackupData::ComponentDTO>(bytes);
    (void)BackupData::decodeArray<BackupData::DocumentDTO>(bytes);
    (void)BackupData::decodeArray<BackupData::ProjectDTO>(bytes);
    (void)BackupData::decodeArray<BackupData::CaptureDTO>(bytes);
    if (const std::optional<QJsonObject> o = BackupJson::parseObject(bytes))
        (void)BackupData::SettingsDTO::fromJson(*o);
    (void)BackupManifest::fromJson(bytes);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::isolate();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);
    if (bytes.startsWith("PK"))
        readArchive(bytes);
    else
        decodeRecords(bytes);
    return 0;
}
