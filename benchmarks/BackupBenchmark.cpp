// Backup throughput on a realistic data folder: 5,000 capture PNGs of about 45 KB and 200 PDFs.
// Each of our steps runs beside the standard tool doing the same work on the same files:
//   ExportArchiveStep  vs  ZipStoredTool    (`zip -0 -r` of the export's staging folder)
//   Restore            vs  UnzipAndCopyTool (`unzip` of the archive, then `cp -r` of its folders)
// The goal is at least half the tools' speed. All data lives in a temporary folder under
// $TMPDIR that is removed when the program ends.
#include "BenchmarkMain.h"
#include "Corvallen/Backup/BackupBundle.h"
#include "Corvallen/Backup/BackupExport.h"
#include "Corvallen/Backup/SelectiveRestore.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Store/ModelContext.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kCaptures = 5000;
constexpr int kCaptureBytes = 45 * 1024;
constexpr int kDocuments = 200;
constexpr int kDocumentBytes = 400 * 1024;

struct Fixture {
    QString root;
    QString staging;  // the export's staging folder (records and data folders)
    QString archive;  // our archive of it
    qint64 bytes = 0;
};

QByteArray fill(int size, quint32 seed, const QByteArray& header)
{
    QByteArray out(size, Qt::Uninitialized);
    quint64 x = seed * 0x9E3779B97F4A7C15ull + 1;
    auto* words = reinterpret_cast<quint64*>(out.data());
    for (int i = 0; i < size / 8; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        words[i] = x;
    }
    out.replace(0, header.size(), header);
    return out;
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

bool run(const QString& program, const QStringList& args, const QString& dir = {})
{
    QProcess p;
    if (!dir.isEmpty())
        p.setWorkingDirectory(dir);
    p.start(program, args);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

Fixture& fixture()
{
    static Fixture f = [] {
        Fixture fx;
        fx.root = corvallen::test::isolatedRoot();
        const QString data = StoreLocation::dataFolder();
        QDir().mkpath(data + QStringLiteral("/captures"));
        QDir().mkpath(data + QStringLiteral("/documents"));
        QString error;
        auto store = ModelContainer::open(StoreLocation::storeURL(), corvallenSchema(), &error);
        if (!store)
            qFatal("cannot open the store: %s", qPrintable(error));
        ModelContext& c = store->mainContext();
        c.setAutosaveEnabled(false);
        for (int i = 0; i < kCaptures; ++i) {
            const QString name = QStringLiteral("capture_%1.png").arg(i, 5, 10, QLatin1Char('0'));
            write(data + QStringLiteral("/captures/") + name, fill(kCaptureBytes - 512 + (i % 1024), quint32(i), "\x89PNG\r\n\x1a\n"));
            c.insert(new Capture(name));
        }
        for (int i = 0; i < kDocuments; ++i) {
            const QString name = QStringLiteral("DOC-%1.pdf").arg(i, 4, 10, QLatin1Char('0'));
            write(data + QStringLiteral("/documents/") + name, fill(kDocumentBytes, quint32(100000 + i), "%PDF-1.7\n"));
            c.insert(new Document(name, name));
        }
        if (!c.save(&error))
            qFatal("cannot save: %s", qPrintable(error));
        BackupSelection sel;
        sel.captures = true;
        sel.files = true;
        fx.staging = BackupExport::exportBackup(sel, c, QStringLiteral("bench"), QStringLiteral("0"));
        fx.archive = BackupBundle::zipFolder(fx.staging);
        fx.bytes = QFileInfo(fx.archive).size();
        return fx;
    }();
    return f;
}

void ExportArchiveStep(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        const QString zip = BackupBundle::zipFolder(f.staging);
        state.PauseTiming();
        QFile::remove(zip);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * f.bytes);
}

void ZipStoredTool(benchmark::State& state)
{
    Fixture& f = fixture();
    const QString zip = f.root + QStringLiteral("/tool.zip");
    for (auto _ : state) {
        if (!run(QStringLiteral("zip"), {QStringLiteral("-0"), QStringLiteral("-r"), QStringLiteral("-q"), zip, QStringLiteral(".")}, f.staging))
            state.SkipWithError("zip failed");
        state.PauseTiming();
        QFile::remove(zip);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * f.bytes);
}

// Restores the captures and documents sections into an emptied data folder each time: archive
// checks, extraction, records, folder swap and the pre-restore snapshot.
void Restore(benchmark::State& state)
{
    Fixture& f = fixture();
    qputenv("XDG_DATA_HOME", corvallen::test::freshFolder(QStringLiteral("restore-data")).toUtf8());
    QString error;
    auto store = ModelContainer::open(StoreLocation::storeURL(), corvallenSchema(), &error);
    store->mainContext().setAutosaveEnabled(false);
    BackupSelection sel;
    sel.captures = true;
    sel.files = true;
    for (auto _ : state) {
        // As the application runs it: the archive work in the pool, the records on this thread.
        QFuture<RestoreSummary> restored = SelectiveRestore::restoreAsync(f.archive, sel, store->mainContext());
        while (!restored.isFinished())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const RestoreSummary s = restored.result();
        if (s.captures != kCaptures)
            state.SkipWithError("restore incomplete");
        state.PauseTiming();
        // Back to an empty data folder, so that every round restores the same amount.
        store->mainContext().setAutosaveEnabled(false);
        SelectiveRestore::deleteAllCaptures(store->mainContext());
        SelectiveRestore::deleteAllDocuments(store->mainContext());
        store->mainContext().save();
        for (const QString& n : {QStringLiteral("captures"), QStringLiteral("documents"), QStringLiteral("backups")})
            QDir(StoreLocation::dataFolder() + QLatin1Char('/') + n).removeRecursively();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * f.bytes);
}

void UnzipAndCopyTool(benchmark::State& state)
{
    Fixture& f = fixture();
    const QString out = f.root + QStringLiteral("/tool-unzip");
    const QString dest = f.root + QStringLiteral("/tool-dest");
    for (auto _ : state) {
        QDir().mkpath(dest);
        bool ok = run(QStringLiteral("unzip"), {QStringLiteral("-q"), QStringLiteral("-o"), f.archive, QStringLiteral("-d"), out});
        ok = ok && run(QStringLiteral("cp"), {QStringLiteral("-r"), out + QStringLiteral("/captures"), out + QStringLiteral("/documents"), dest});
        if (!ok)
            state.SkipWithError("unzip or cp failed");
        state.PauseTiming();
        QDir(out).removeRecursively();
        QDir(dest).removeRecursively();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * f.bytes);
}

BENCHMARK(ExportArchiveStep)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(ZipStoredTool)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(Restore)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(UnzipAndCopyTool)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) { return runBenchmarks<QCoreApplication>(argc, argv); }
