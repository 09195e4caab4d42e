// A selective restore of small crafted archives that unpack to far more than a real store
// holds: a record file of millions of minimal records, one enormous string, entries that share
// one compressed block, one entry of zeros. Each must end, restored or refused, within 30 s,
// 512 MB of memory and 256 MB written to the temporary folder, with the live data unchanged when
// refused. Each benchmark reports the archive's size, the most the temporary folder held while
// the restore ran, the process's peak resident memory from the restore's start (VmHWM, reset
// once the archive is made; run one benchmark per process with --benchmark_filter to read it)
// and the outcome as its label.
#include "BenchmarkMain.h"
#include "Corvallen/Backup/BackupError.h"
#include "Corvallen/Backup/SelectiveRestore.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Store/ModelContext.h"
#include "support/CraftedZip.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>

namespace {

using corvallen::test::RawEntry;

const QByteArray kManifest =
    R"({"schemaVersion":1,"createdAt":"2025-03-01T09:30:00Z","appVersion":"1.0","counts":{"inventory":1,"captures":1,"projects":1,"files":1,"settings":1}})";
const QByteArray kComponent =
    R"({"id":"C","name":"n","qty":0,"unit":"pcs","minQty":0,"createdAt":"2025-01-01T00:00:00Z","updatedAt":"2025-01-01T00:00:00Z"})";

// A JSON array of `count` copies of one record.
RawEntry arrayOf(const QByteArray& name, const QByteArray& record, qint64 count)
{
    return {name, "[", {}, {}, {}, true, -1, record + ',', count - 1, record + ']'};
}

qint64 peakResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}

qint64 folderBytes(const QString& folder)
{
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

// Restores the crafted archive once. With a first argument of 0 its entries are stored instead of
// deflated: the archive is as large as what it unpacks to, and only the caps on the records stop it.
void restoreCrafted(benchmark::State& state, const std::function<QList<RawEntry>()>& entries)
{
    const QString folder = corvallen::test::freshFolder(QStringLiteral("crafted"));
    const QString archive = folder + QStringLiteral("/crafted.zip");
    {
        QFile f(archive);
        QList<RawEntry> crafted = entries();
        if (state.range(0) == 0)
            for (RawEntry& e : crafted)
                e.deflate = false;
        const QByteArray bytes = corvallen::test::rawZip(crafted);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write the archive");
    }
    qputenv("XDG_DATA_HOME", corvallen::test::freshFolder(QStringLiteral("data")).toUtf8());
    const QString tmp = corvallen::test::freshFolder(QStringLiteral("tmp"));
    qputenv("TMPDIR", tmp.toUtf8());
    QString error;
    auto store = ModelContainer::open(StoreLocation::storeURL(), corvallenSchema(), &error);
    if (!store)
        qFatal("cannot open the store: %s", qPrintable(error));
    ModelContext& context = store->mainContext();
    context.setAutosaveEnabled(false);
    context.insert(new Component(QStringLiteral("live part")));
    context.save();

    // The peak counts from here: making the archive is not the restore's work.
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();

    qint64 mostOnDisk = 0;
    QString outcome;
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QFuture<RestoreSummary> restored = SelectiveRestore::restoreAsync(archive, BackupSelection::all(), context);
        QElapsedTimer sampled;
        sampled.start();
        while (!restored.isFinished()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            // Walking the folder costs time of its own with many files: a few times a second.
            if (sampled.elapsed() >= 200) {
                mostOnDisk = std::max(mostOnDisk, folderBytes(tmp));
                sampled.restart();
            }
        }
        try {
            outcome = restored.result().description();
        } catch (const BackupError& e) {
            outcome = QStringLiteral("refused: ") + e.localizedDescription();
        }
        seconds = double(timer.elapsed()) / 1000.0;
    }
    state.counters["archive_KB"] = double(QFileInfo(archive).size()) / 1024.0;
    state.counters["temp_peak_MB"] = double(mostOnDisk) / double(1 << 20);
    state.counters["rss_peak_MB"] = double(peakResidentBytes()) / double(1 << 20);
    state.counters["seconds"] = seconds;
    state.SetLabel(outcome.left(160).toStdString());
}

void ManyComponents(benchmark::State& state)
{
    restoreCrafted(state, [] { return QList<RawEntry>{{"manifest.json", kManifest}, arrayOf("inventory.json", kComponent, 1'900'000)}; });
}

void HugeString(benchmark::State& state)
{
    restoreCrafted(state, [] {
        QByteArray head = kComponent;
        head.replace(R"("name":"n")", R"("name":")");
        const qsizetype cut = head.indexOf(R"("name":")") + 8;
        return QList<RawEntry>{{"manifest.json", kManifest},
                               {"inventory.json", "[" + head.left(cut), {}, {}, {}, true, -1, "a", 500'000'000, "\"" + head.mid(cut) + "]"}};
    });
}

void ManyTags(benchmark::State& state)
{
    restoreCrafted(state, [] {
        return QList<RawEntry>{{"manifest.json", kManifest},
                               arrayOf("tags.json", R"({"id":"T","name":"n","colorHex":"#FF0000"})", 2'000'000),
                               {"captures.json", "[]"}};
    });
}

void ManyPartsListLines(benchmark::State& state)
{
    restoreCrafted(state, [] {
        return QList<RawEntry>{
            {"manifest.json", kManifest},
            {"projects.json", R"([{"id":"P","name":"p","details":"","notes":"","createdAt":"2025-01-01T00:00:00Z","attachments":[],"bom":[)", {}, {}, {},
             true, -1, R"({"component":"C","quantity":1,"addedAt":"2025-01-01T00:00:00Z"},)", 1'900'000,
             R"({"component":"C","quantity":1,"addedAt":"2025-01-01T00:00:00Z"}]}])"}};
    });
}

void OverlappingEntries(benchmark::State& state)
{
    restoreCrafted(state, [] {
        QList<RawEntry> entries{{"manifest.json", kManifest}, {"inventory.json", "[]"}};
        for (int i = 0; i < 1000; ++i) {
            RawEntry e{"components/" + QByteArray::number(i) + ".bin", {}, 0100644u << 16, {}, {}, true, i == 0 ? -1 : 2,
                       QByteArray(1, '\0'), 1 << 20};
            entries.append(e);
        }
        return entries;
    });
}

void OneEntryOfZeros(benchmark::State& state)
{
    restoreCrafted(state, [] {
        return QList<RawEntry>{{"manifest.json", kManifest},
                               {"inventory.json", "[]"},
                               {"components/zeros.bin", {}, 0100644u << 16, {}, {}, true, -1, QByteArray(4096, '\0'), 1 << 18}};
    });
}

// Records as a busy workshop's export writes them, each different, in the numbers given: what
// the largest store the restore accepts costs.
QByteArray uuid(qint64 i, char kind)
{
    return QByteArray::number(i, 16).rightJustified(8, '0').toUpper() + "-0000-4000-8000-00000000000" + kind;
}

void RealisticStore(benchmark::State& state)
{
    const qint64 captures = state.range(1);
    const qint64 components = state.range(2);
    const QByteArray notes(qsizetype(state.range(3)), 'n');  // on every capture
    restoreCrafted(state, [=] {
        QList<RawEntry> entries{{"manifest.json", kManifest}};
        RawEntry tags{"tags.json", "[", {}, {}, {}, true};
        tags.times = 30;
        tags.generated = [](qint64 i) {
            return R"({"id":")" + uuid(i, 'T') + R"(","name":"tag )" + QByteArray::number(i) + R"(","colorHex":"#3366CC"})" + (i < 29 ? "," : "");
        };
        tags.tail = "]";
        RawEntry caps{"captures.json", "[", {}, {}, {}, true};
        caps.times = captures;
        caps.generated = [captures, notes](qint64 i) {
            return R"({"id":")" + uuid(i, 'C') + R"(","fileName":"scope_)" + QByteArray::number(i) +
                   R"(.png","title":"Ripple on the 12 V rail )" + QByteArray::number(i) +
                   R"(","notes":")" + notes + R"(","importedAt":"2025-01-01T00:00:00Z","mode":"DC V","unit":"V","summary":"12.03 V DC","value":12.03,"minValue":11.9,"maxValue":12.1,"tags":[")" +
                   uuid(i % 30, 'T') + R"(",")" + uuid((i + 7) % 30, 'T') + R"("]})" + (i + 1 < captures ? "," : "");
        };
        caps.tail = "]";
        RawEntry parts{"inventory.json", "[", {}, {}, {}, true};
        parts.times = components;
        parts.generated = [components](qint64 i) {
            return R"({"id":")" + uuid(i, 'P') + R"(","name":"Resistor 10k 0603 )" + QByteArray::number(i) +
                   R"(","partNumber":"RC0603FR-0710KL","category":"Passives","subcategory":"Resistors","manufacturer":"Yageo","qty":250,"unit":"pcs","minQty":50,"location":"Cabinet A","bin":"A-)" +
                   QByteArray::number(i % 400) +
                   R"(","package":"0603","keySpecs":"1%, 0.1 W","notes":"Reel from the March order","tags":"smd, resistor","purchasePrice":0.012,"createdAt":"2025-01-01T00:00:00Z","updatedAt":"2025-01-01T00:00:00Z"})" +
                   (i + 1 < components ? "," : "");
        };
        parts.tail = "]";
        entries << tags << caps << parts;
        return entries;
    });
}

// Many tiny files in a data folder: the directory checks, the extraction and the folder swap.
void ManyEntries(benchmark::State& state)
{
    restoreCrafted(state, [count = state.range(1)] {
        QList<RawEntry> entries{{"manifest.json", kManifest}, {"captures.json", "[]"}, {"tags.json", "[]"}};
        for (qint64 i = 0; i < count; ++i)
            entries.append({"captures/" + QByteArray::number(i), "x"});
        return entries;
    });
}

BENCHMARK(ManyEntries)->Args({0, 200'000})->Args({0, 250'001})->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(RealisticStore)
    ->Args({1, 100'000, 20'000, 0})
    ->Args({1, 149'970, 10'000, 0})
    ->Args({1, 109'970, 50'000, 0})
    ->Args({1, 109'970, 50'000, 200})->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(ManyComponents)->Arg(1)->Arg(0)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(HugeString)->Arg(1)->Arg(0)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(ManyTags)->Arg(1)->Arg(0)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(ManyPartsListLines)->Arg(1)->Arg(0)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(OverlappingEntries)->Arg(1)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(OneEntryOfZeros)->Arg(1)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) { return runBenchmarks<QCoreApplication>(argc, argv); }
