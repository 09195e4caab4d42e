// The file work of a sync against real folders of real images: what a scan takes, PNG
// conversion and the content hash, de-duplication, names that never overwrite another capture,
// stopping part way, and the progress reports.
#include "Corvallen/Sync/DeviceStorage.h"
#include "Corvallen/Sync/SyncLocation.h"
#include "Sync/SyncTestKit.h"
#include "support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace synctest;

namespace {

QStringList names(const QStringList& paths)
{
    QStringList out;
    for (const QString& p : paths)
        out << QFileInfo(p).fileName();
    out.sort();
    return out;
}

constexpr int kWide = DeviceStorage::kMaxPixelSide + 1;

const QSet<QString> kDefaults{QStringLiteral("png"), QStringLiteral("bmp"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                              QStringLiteral("gif"), QStringLiteral("tiff"), QStringLiteral("tif")};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

DeviceStorage::ImportResult importFiles(const QStringList& files, bool full, const QSet<QString>& known, const QString& folder,
                                        const std::function<bool()>& cancelled = {},
                                        const std::function<void(qint64)>& progress = {})
{
    DeviceStorage::ImportOptions options;
    options.full = full;
    options.knownHashes = known;
    options.cancelled = cancelled;
    options.progress = progress;
    return DeviceStorage::importCaptures(files, folder, options);
}

}  // namespace

TEST(Scan, WholeDriveWalksVisibleFoldersAndFiltersByExtension)
{
    const QString drive = corvallen::test::freshFolder(QStringLiteral("drive"));
    QDir().mkpath(drive + QStringLiteral("/DCIM/100"));
    QDir().mkpath(drive + QStringLiteral("/.Trash-1000/files"));
    writeImage(drive + QStringLiteral("/top.png"), Qt::red);
    writeImage(drive + QStringLiteral("/DCIM/IMG.PNG"), Qt::red);
    writeImage(drive + QStringLiteral("/DCIM/100/deep.jpg"), Qt::red, "JPG");
    writeFile(drive + QStringLiteral("/DCIM/._IMG.png"), "fork");
    writeFile(drive + QStringLiteral("/DCIM/notes.txt"), "x");
    writeFile(drive + QStringLiteral("/.hidden.png"), "x");
    writeFile(drive + QStringLiteral("/.Trash-1000/files/old.png"), "x");
    writeFile(drive + QStringLiteral("/.png"), "x");  // a hidden file, not a PNG
    // A link back up the tree must not trap the walk.
    QFile::link(drive, drive + QStringLiteral("/DCIM/loop"));

    EXPECT_EQ(names(DeviceStorage::scanImageFiles(drive, std::nullopt, kDefaults)),
              (QStringList{QStringLiteral("IMG.PNG"), QStringLiteral("deep.jpg"), QStringLiteral("top.png")}));
    // Only the extensions asked for, compared in lower case; an upper-case entry matches nothing.
    EXPECT_EQ(names(DeviceStorage::scanImageFiles(drive, std::nullopt, {QStringLiteral("jpg")})),
              QStringList{QStringLiteral("deep.jpg")});
    EXPECT_TRUE(DeviceStorage::scanImageFiles(drive, std::nullopt, {QStringLiteral("PNG")}).isEmpty());

    // A subfolder is listed alone, without its subfolders, hidden files included.
    writeFile(drive + QStringLiteral("/DCIM/.dot.png"), "x");
    EXPECT_EQ(names(DeviceStorage::scanImageFiles(drive, QStringLiteral("DCIM"), kDefaults)),
              (QStringList{QStringLiteral(".dot.png"), QStringLiteral("IMG.PNG")}));
    EXPECT_TRUE(DeviceStorage::scanImageFiles(drive, QStringLiteral("Missing"), kDefaults).isEmpty());
}

TEST(Scan, WholeDriveStopsAt5000FilesOrWhenCancelled)
{
    const QString drive = corvallen::test::freshFolder(QStringLiteral("big"));
    touchFiles(drive, QStringLiteral("f%1.png"), 5010);
    EXPECT_EQ(DeviceStorage::scanImageFiles(drive, std::nullopt, kDefaults).size(), 5000);
    int asked = 0;
    const QStringList partial = DeviceStorage::scanImageFiles(drive, std::nullopt, kDefaults, [&] { return ++asked > 10; });
    EXPECT_EQ(partial.size(), 10);
}

TEST(Scan, OnlyFilesStillToImportCountTowardTheWholeDriveLimit)
{
    const QString drive = corvallen::test::freshFolder(QStringLiteral("big"));
    touchFiles(drive, QStringLiteral("f%1.png"), 5003);
    auto first = DeviceStorage::scanForSync(drive, std::nullopt, kDefaults, {});
    EXPECT_EQ(first.files.size(), 5000);
    EXPECT_TRUE(first.moreRemain);
    EXPECT_FALSE(first.complete);
    // What the first sync settled is walked past; the rest is reached.
    QSet<QString> settled;
    for (const QString& f : first.files)
        settled.insert(QFileInfo(f).fileName());
    const auto second = DeviceStorage::scanForSync(drive, std::nullopt, kDefaults,
                                                   [&](const QString& key, const QFileInfo&) { return settled.contains(key); });
    EXPECT_EQ(second.files.size(), 3);
    EXPECT_FALSE(second.moreRemain);
    EXPECT_TRUE(second.complete);
    EXPECT_EQ(second.seen.size(), 5003);
    for (const QString& f : second.files)
        EXPECT_FALSE(settled.contains(QFileInfo(f).fileName()));
}

TEST(Scan, ASubfolderNeverLeadsOutOfTheLocation)
{
    const QString root = corvallen::test::freshFolder(QStringLiteral("outside"));
    const QString drive = root + QStringLiteral("/drive");
    QDir().mkpath(drive + QStringLiteral("/DCIM"));
    QDir().mkpath(root + QStringLiteral("/private"));
    writeImage(drive + QStringLiteral("/DCIM/in.png"), Qt::red);
    writeImage(root + QStringLiteral("/private/secret.png"), Qt::red);
    QFile::link(root + QStringLiteral("/private"), drive + QStringLiteral("/escape"));
    // Links to single pictures: one elsewhere is never read, one inside the location is.
    QFile::link(root + QStringLiteral("/private/secret.png"), drive + QStringLiteral("/DCIM/secret.png"));
    QFile::link(root + QStringLiteral("/private/secret.png"), drive + QStringLiteral("/top-secret.png"));
    QFile::link(drive + QStringLiteral("/DCIM/in.png"), drive + QStringLiteral("/DCIM/again.png"));

    EXPECT_EQ(names(DeviceStorage::scanImageFiles(drive, QStringLiteral("DCIM"), kDefaults)),
              (QStringList{QStringLiteral("again.png"), QStringLiteral("in.png")}));
    EXPECT_EQ(names(DeviceStorage::scanImageFiles(drive, std::nullopt, kDefaults)),
              (QStringList{QStringLiteral("again.png"), QStringLiteral("in.png")}));
    EXPECT_EQ(names(DeviceStorage::scanForSync(drive, std::nullopt, kDefaults, {}).files),
              (QStringList{QStringLiteral("again.png"), QStringLiteral("in.png")}));
    for (const QString& sub : {QStringLiteral("../private"), QStringLiteral("DCIM/../../private"), root + QStringLiteral("/private"),
                               QStringLiteral("escape")}) {
        EXPECT_TRUE(DeviceStorage::scanImageFiles(drive, sub, kDefaults).isEmpty()) << sub.toStdString();
        EXPECT_FALSE(DeviceStorage::folderInside(drive, sub)) << sub.toStdString();
    }
    EXPECT_FALSE(SyncLocation::subfolderProblem(QStringLiteral(" ../x")).isEmpty());
    EXPECT_FALSE(SyncLocation::subfolderProblem(QStringLiteral("/media/x")).isEmpty());
    EXPECT_TRUE(SyncLocation::subfolderProblem(QStringLiteral("DCIM/100MEDIA")).isEmpty());
    EXPECT_TRUE(SyncLocation::subfolderProblem(QStringLiteral("..hidden")).isEmpty());  // a name, not a step up
}

TEST(ContentHash, IsTheFirstEightBytesOfSha256InLowerCaseHex)
{
    const QByteArray data("capture bytes");
    const QString hash = DeviceStorage::contentHash(data);
    EXPECT_EQ(hash.size(), 16);
    EXPECT_EQ(hash, QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex().left(16)));
    EXPECT_EQ(hash, hash.toLower());
}

TEST(Import, ConvertsEveryFormatToPngAndSkipsWhatWasImportedBefore)
{
    const QString drive = corvallen::test::freshFolder(QStringLiteral("drive"));
    clearCaptures();
    const QString folder = DeviceStorage::capturesFolder();
    writeImage(drive + QStringLiteral("/A.png"), Qt::red);
    writeImage(drive + QStringLiteral("/B.jpg"), Qt::green, "JPG");
    writeImage(drive + QStringLiteral("/C.bmp"), Qt::blue, "BMP");
    writeFile(drive + QStringLiteral("/D.png"), "not an image");
    const QStringList files{drive + QStringLiteral("/A.png"), drive + QStringLiteral("/B.jpg"), drive + QStringLiteral("/C.bmp"),
                            drive + QStringLiteral("/D.png")};

    const auto first = importFiles(files, false, {}, folder);
    EXPECT_EQ(first.imported, 3);  // the unreadable file is neither imported nor its hash remembered
    EXPECT_EQ(first.unreadable, 1);
    ASSERT_EQ(first.sources.size(), 4);
    EXPECT_TRUE(first.sources[3].notAPicture);
    EXPECT_EQ(first.sources[0].hash, DeviceStorage::contentHash(readAll(folder + QStringLiteral("/A.png"))));
    EXPECT_EQ(captureFiles(), (QStringList{QStringLiteral("A.png"), QStringLiteral("B.png"), QStringLiteral("C.png")}));
    EXPECT_EQ(first.knownHashes.size(), 3);
    for (const QString& name : captureFiles()) {
        const QByteArray bytes = readAll(folder + QLatin1Char('/') + name);
        EXPECT_TRUE(bytes.startsWith("\x89PNG")) << name.toStdString();
        EXPECT_TRUE(first.knownHashes.contains(DeviceStorage::contentHash(bytes)));
    }
    EXPECT_EQ(QImage(folder + QStringLiteral("/C.png")).pixelColor(3, 3), QColor(Qt::blue));

    // Everything known: nothing is written, even after the files were deleted from the folder.
    QFile::remove(folder + QStringLiteral("/A.png"));
    const auto second = importFiles(files, false, first.knownHashes, folder);
    EXPECT_EQ(second.imported, 0);
    EXPECT_EQ(second.knownHashes, first.knownHashes);
    // A full resync writes what is missing and leaves what is present alone.
    const auto full = importFiles(files, true, first.knownHashes, folder);
    EXPECT_EQ(full.imported, 1);
    EXPECT_EQ(captureFiles(), (QStringList{QStringLiteral("A.png"), QStringLiteral("B.png"), QStringLiteral("C.png")}));
}

TEST(Import, SamePictureUnderTwoNamesIsImportedOnceUnlessFull)
{
    const QString drive = corvallen::test::freshFolder(QStringLiteral("drive"));
    clearCaptures();
    writeImage(drive + QStringLiteral("/one.png"), Qt::yellow);
    writeImage(drive + QStringLiteral("/two.bmp"), Qt::yellow, "BMP");
    const QStringList files{drive + QStringLiteral("/one.png"), drive + QStringLiteral("/two.bmp")};
    EXPECT_EQ(importFiles(files, false, {}, DeviceStorage::capturesFolder()).imported, 1);
    EXPECT_EQ(captureFiles(), QStringList{QStringLiteral("one.png")});
    clearCaptures();
    EXPECT_EQ(importFiles(files, true, {}, DeviceStorage::capturesFolder()).imported, 2);
    EXPECT_EQ(captureFiles(), (QStringList{QStringLiteral("one.png"), QStringLiteral("two.png")}));
}

TEST(Import, NamesNeverOverwriteAnotherCapture)
{
    const QString drive = corvallen::test::freshFolder(QStringLiteral("drive"));
    clearCaptures();
    const QString folder = DeviceStorage::capturesFolder();
    writeImage(folder + QStringLiteral("/IMG.png"), Qt::black);
    const QByteArray before = readAll(folder + QStringLiteral("/IMG.png"));
    writeImage(drive + QStringLiteral("/IMG.bmp"), Qt::cyan, "BMP");
    EXPECT_EQ(importFiles({drive + QStringLiteral("/IMG.bmp")}, false, {}, folder).imported, 1);
    EXPECT_EQ(captureFiles(), (QStringList{QStringLiteral("IMG (2).png"), QStringLiteral("IMG.png")}));
    EXPECT_EQ(readAll(folder + QStringLiteral("/IMG.png")), before);

    // With every numbered name taken by other pictures, the hash goes into the name; a file
    // already there under that name is kept too.
    clearCaptures();
    writeFile(folder + QStringLiteral("/S.png"), "other");
    for (int n = 2; n <= 999; ++n)
        writeFile(folder + QStringLiteral("/S (%1).png").arg(n), "other");
    writeImage(drive + QStringLiteral("/S.png"), Qt::magenta);
    const QString hash = DeviceStorage::contentHash(DeviceStorage::pngData(drive + QStringLiteral("/S.png")));
    const QString hashName = QStringLiteral("S-") + hash.left(8) + QStringLiteral(".png");
    writeFile(folder + QLatin1Char('/') + hashName, "also other");
    EXPECT_EQ(importFiles({drive + QStringLiteral("/S.png")}, false, {}, folder).imported, 1);
    EXPECT_EQ(readAll(folder + QLatin1Char('/') + hashName), QByteArray("also other"));
    const QString written = folder + QStringLiteral("/S-") + hash.left(8) + QStringLiteral(" (2).png");
    EXPECT_EQ(DeviceStorage::contentHash(readAll(written)), hash);
    // The same picture found under one of its names is not written again.
    EXPECT_EQ(importFiles({drive + QStringLiteral("/S.png")}, true, {}, folder).imported, 0);

    // A name a record holds stays taken while its image file is missing: the new picture
    // never lands under it (the reconcile would otherwise merge it into that record).
    clearCaptures();
    writeImage(drive + QStringLiteral("/IMG.bmp"), Qt::darkRed, "BMP");
    DeviceStorage::ImportOptions options;
    options.heldNames = {QStringLiteral("IMG.png"), QStringLiteral("IMG (2).png")};
    EXPECT_EQ(DeviceStorage::importCaptures({drive + QStringLiteral("/IMG.bmp")}, folder, options).imported, 1);
    EXPECT_EQ(captureFiles(), QStringList{QStringLiteral("IMG (3).png")});
}

TEST(Import, ParallelConversionKeepsTheOrderOfNames)
{
    // Forty pictures of one name, each different: named in list order, as one at a time would.
    const QString drive = corvallen::test::freshFolder(QStringLiteral("drive"));
    clearCaptures();
    QStringList files;
    for (int i = 0; i < 40; ++i) {
        QDir().mkpath(drive + QStringLiteral("/%1").arg(i));
        files << drive + QStringLiteral("/%1/shot.png").arg(i);
        writeImage(files.last(), QColor::fromRgb(i * 6, 255 - i * 6, 7), "PNG", QSize(48 + i, 27));
    }
    const auto result = importFiles(files, false, {}, DeviceStorage::capturesFolder());
    EXPECT_EQ(result.imported, 40);
    for (int i = 0; i < 40; ++i) {
        const QString name = i == 0 ? QStringLiteral("shot.png") : QStringLiteral("shot (%1).png").arg(i + 1);
        EXPECT_EQ(readAll(DeviceStorage::capturesFolder() + QLatin1Char('/') + name), DeviceStorage::pngData(files[i]))
            << name.toStdString();
    }
}

TEST(Import, PicturesThatCantBeReadWholeAreSkippedAndNamed)
{
    const QString drive = corvallen::test::freshFolder(QStringLiteral("drive"));
    clearCaptures();
    auto cut = [&](const QString& name, const char* format, double keep) {
        QImage image(120, 80, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        const QString path = drive + QLatin1Char('/') + name;
        image.save(path, format);
        QByteArray bytes = readAll(path);
        writeFile(path, bytes.left(qsizetype(bytes.size() * keep)));
        return path;
    };
    // A 1x1 GIF, whole and without its trailer.
    const QByteArray gif = QByteArray::fromHex("47494638396101000100800000ffffff00000021f90401000000002c00000000010001000002024401003b");
    writeFile(drive + QStringLiteral("/whole.gif"), gif);
    writeFile(drive + QStringLiteral("/cut.gif"), gif.left(gif.size() - 1));
    QImage wide(kWide, 1, QImage::Format_RGB32);
    wide.fill(Qt::white);
    ASSERT_TRUE(wide.save(drive + QStringLiteral("/wide.bmp"), "BMP"));
    writeImage(drive + QStringLiteral("/good.jpg"), Qt::yellow, "JPG");
    writeFile(drive + QStringLiteral("/empty.png"), {});
    const QStringList files{cut(QStringLiteral("cut.jpg"), "JPG", 0.6), cut(QStringLiteral("cut.png"), "PNG", 0.6),
                            cut(QStringLiteral("cut.bmp"), "BMP", 0.6), drive + QStringLiteral("/whole.gif"),
                            drive + QStringLiteral("/cut.gif"), drive + QStringLiteral("/wide.bmp"),
                            drive + QStringLiteral("/good.jpg"), drive + QStringLiteral("/empty.png"),
                            drive + QStringLiteral("/vanished.png")};
    const auto result = importFiles(files, false, {}, DeviceStorage::capturesFolder());
    EXPECT_EQ(result.imported, 2);
    EXPECT_EQ(captureFiles(), (QStringList{QStringLiteral("good.png"), QStringLiteral("whole.png")}));
    EXPECT_EQ(result.unreadable, 7);
    // Six are not pictures for good; the vanished file may read next time and is left out.
    QStringList notPictures;
    for (const auto& source : result.sources)
        if (source.notAPicture)
            notPictures << QFileInfo(source.path).fileName();
    EXPECT_EQ(notPictures, (QStringList{QStringLiteral("cut.jpg"), QStringLiteral("cut.png"), QStringLiteral("cut.bmp"),
                                        QStringLiteral("cut.gif"), QStringLiteral("wide.bmp"), QStringLiteral("empty.png")}));
    EXPECT_EQ(result.sources.size(), 8);
}

TEST(Import, StopsWhereTheSourceWentAway)
{
    const QString drive = corvallen::test::freshFolder(QStringLiteral("drive"));
    clearCaptures();
    QStringList files;
    for (const char* name : {"a", "b", "c", "d"}) {
        files << drive + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
        writeImage(files.last(), QColor(QLatin1String(name) == QLatin1String("a") ? Qt::red : Qt::green), "PNG",
                   QSize(10 + files.size(), 10));
    }
    QFile::remove(files[2]);  // the drive was pulled while c was being read
    bool there = false;
    int asked = 0;
    DeviceStorage::ImportOptions options;
    options.sourceStillThere = [&] {
        ++asked;
        return there;
    };
    auto result = DeviceStorage::importCaptures(files, DeviceStorage::capturesFolder(), options);
    EXPECT_TRUE(result.sourceWentAway);
    EXPECT_EQ(result.imported, 2);
    EXPECT_EQ(result.unreadable, 0);  // not held against the file
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(captureFiles(), (QStringList{QStringLiteral("a.png"), QStringLiteral("b.png")}));
    EXPECT_EQ(result.sources.size(), 2);

    // With the source still there, a file that can't be read is skipped and the rest go on.
    there = true;
    result = DeviceStorage::importCaptures(files, DeviceStorage::capturesFolder(), options);
    EXPECT_FALSE(result.sourceWentAway);
    EXPECT_EQ(result.imported, 1);  // a and b are there already under their names
    EXPECT_EQ(result.unreadable, 1);
    EXPECT_TRUE(captureFiles().contains(QStringLiteral("d.png")));
}

TEST(Import, AFailedWriteIsNotCountedAndIsTriedAgainNextTime)
{
    const QString drive = corvallen::test::freshFolder(QStringLiteral("drive"));
    // A captures folder that can't be written to (here: one that isn't there).
    const QString folder = corvallen::test::freshFolder(QStringLiteral("captures")) + QStringLiteral("/missing");
    writeImage(drive + QStringLiteral("/A.png"), Qt::red);
    const auto result = importFiles({drive + QStringLiteral("/A.png")}, false, {}, folder);
    EXPECT_EQ(result.imported, 0);
    EXPECT_EQ(result.unwritten, 1) << "a picture left out is reported, not passed over in silence";
    EXPECT_TRUE(result.knownHashes.isEmpty());
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_EQ(importFiles({drive + QStringLiteral("/A.png")}, false, result.knownHashes, folder).imported, 1);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("A.png")});
}

TEST(Import, StopsBeforeTheNextFileAndReportsEveryTwentiethFile)
{
    const QString drive = corvallen::test::freshFolder(QStringLiteral("drive"));
    clearCaptures();
    QStringList files;
    for (int i = 0; i < 45; ++i) {
        const QString path = drive + QStringLiteral("/f%1.png").arg(i);
        writeImage(path, QColor::fromRgb(i * 5, 10, 10), "PNG", QSize(4, 4));
        files << path;
    }
    QList<qint64> reports;
    const auto all = importFiles(files, false, {}, DeviceStorage::capturesFolder(), {},
                                                   [&](qint64 n) { reports << n; });
    EXPECT_EQ(all.imported, 45);
    EXPECT_EQ(reports, (QList<qint64>{0, 20, 40, 45}));

    clearCaptures();
    int checks = 0;
    const auto stopped = importFiles(files, false, {}, DeviceStorage::capturesFolder(),
                                                       [&] { return ++checks > 3; });
    EXPECT_EQ(stopped.imported, 3);
    EXPECT_EQ(stopped.knownHashes.size(), 3);  // kept, so they are not imported again
    EXPECT_EQ(captureFiles().size(), 3);

    // An empty list imports nothing and still reports.
    reports.clear();
    EXPECT_EQ(importFiles({}, false, {}, DeviceStorage::capturesFolder(), {}, [&](qint64 n) { reports << n; }).imported, 0);
    EXPECT_EQ(reports, QList<qint64>{0});
}

TEST(Import, KnownHashesRoundTripThroughTheSettings)
{
    Bench bench;
    EXPECT_TRUE(DeviceStorage::knownHashes(*bench.settings).isEmpty());
    DeviceStorage::storeKnownHashes({QStringLiteral("00112233aabbccdd"), QStringLiteral("ffeeddccbbaa9988")}, *bench.settings);
    SettingsStore reread(bench.settings->filePath());
    EXPECT_EQ(reread.typeOf(QStringLiteral("syncedContentHashes")), SettingsStore::Type::TextList);
    EXPECT_EQ(DeviceStorage::knownHashes(reread),
              (QSet<QString>{QStringLiteral("00112233aabbccdd"), QStringLiteral("ffeeddccbbaa9988")}));
}

TEST(Import, NamesTooLongForTheLibraryAreCutToFit)
{
    // Names at the file system's limit: the numbered name of a second picture would not fit.
    const QString folder = corvallen::test::freshFolder(QStringLiteral("captures"));
    const QString longAscii = QString(251, u'x');
    const QString longJapanese = QString(83, QChar(0x3042));  // 249 bytes in UTF-8
    QStringList files;
    for (int i = 0; i < 2; ++i) {
        const QString drive = corvallen::test::freshFolder(QStringLiteral("drive"));
        files << drive + u'/' + longAscii + QStringLiteral(".png") << drive + u'/' + longJapanese + QStringLiteral(".jpg");
        writeImage(files[files.size() - 2], QColor::fromRgb(10 + 100 * i, 0, 0));
        writeImage(files.last(), QColor::fromRgb(0, 10 + 100 * i, 0), "JPG");
    }
    const auto result = importFiles(files, false, {}, folder);
    EXPECT_EQ(result.imported, 4);
    EXPECT_EQ(result.unwritten, 0);
    const QStringList placed = QDir(folder).entryList(QDir::Files);
    ASSERT_EQ(placed.size(), 4);
    for (const QString& name : placed) {
        EXPECT_LE(QFile::encodeName(name).size(), 255);
        EXPECT_TRUE(name.startsWith(QString(40, u'x')) || name.startsWith(QString(40, QChar(0x3042)))) << name.toStdString();
        EXPECT_FALSE(name.contains(QChar::ReplacementCharacter)) << "cut between whole characters";
    }
    // A second sync finds them all present.
    EXPECT_EQ(importFiles(files, true, {}, folder).imported, 0);
}

TEST(Import, APipeAmongThePicturesNeverHoldsTheImportForEver)
{
    // A named pipe with a picture's name: nothing ever writes to it. Opening it used to wait for
    // a writer for ever, so the sync could neither end nor be stopped.
    const QString drive = corvallen::test::freshFolder(QStringLiteral("drive"));
    const QString pipe = drive + QStringLiteral("/scope.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_EQ(DeviceStorage::convertToPng(pipe, 100).outcome, DeviceStorage::Conversion::Outcome::notAPicture);

    // One that does give a picture is still read whole, however the bytes arrive.
    writeImage(drive + QStringLiteral("/picture"), Qt::green, "PNG", QSize(16, 8));
    const QByteArray png = readAll(drive + QStringLiteral("/picture"));
    std::thread writer([&] {
        const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY);
        for (qsizetype at = 0; at < png.size(); at += 10) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            (void)::write(fd, png.constData() + at, size_t(qMin<qsizetype>(10, png.size() - at)));
        }
        ::close(fd);
    });
    const DeviceStorage::Conversion read = DeviceStorage::convertToPng(pipe, 5000);
    writer.join();
    ASSERT_EQ(read.outcome, DeviceStorage::Conversion::Outcome::ok);
    EXPECT_EQ(QImage::fromData(read.png).size(), QSize(16, 8));
}
