// Reading and matching a bill of materials against a large inventory, and applying it.
//
// Goals: parsing a 5,000-line CSV stays under 50 ms; matching it against 10,000 components stays
// under 20 ms (linear in rows plus components); applying 1,000 lines to a project, with its one
// save, stays under 500 ms. Reading and matching a file near the 32 MB limit on the worker stays
// under 3 s and its peak memory (peak_MB, the whole process while it runs) under ten times the
// file's size; no slice of applying a big import holds the main thread for 100 ms (slice_ms).
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Platform/ModelContainer.h"
#include "Corvallen/Projects/BomImport.h"
#include "Corvallen/Projects/BomImportPlan.h"
#include "support/TestEnvironment.h"

#include "Corvallen/Projects/BomFileReader.h"
#include "Corvallen/Projects/BomImportApplier.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>


#include <benchmark/benchmark.h>

namespace {

QByteArray makeCsv(int lines)
{
    QByteArray csv("Reference,Value,MPN,Qty,Manufacturer,Type\n");
    for (int i = 0; i < lines; ++i) {
        csv += "\"R" + QByteArray::number(i) + ", R" + QByteArray::number(i + 1) + "\",";
        csv += "part " + QByteArray::number(i % 7000) + ",PN-" + QByteArray::number(i % 9000) + ",";
        csv += QByteArray::number(1 + i % 5) + " pcs,Maker " + QByteArray::number(i % 40) + ",Kind\n";
    }
    return csv;
}

std::unique_ptr<ModelContainer> openStore()
{
    QString error;
    auto store = ModelContainer::open(corvallen::test::freshFolder(QStringLiteral("bench")) + QStringLiteral("/Corvallen.store"),
                                      corvallenSchema(), &error);
    if (store)
        store->mainContext().setAutosaveEnabled(false);
    return store;
}

// A fresh store holding one saved project.
std::pair<std::unique_ptr<ModelContainer>, Project*> openStoreWithProject()
{
    auto store = openStore();
    Project* project = store->mainContext().insert(new Project(QStringLiteral("Bench"), QString(), QString()));
    store->mainContext().save();
    return {std::move(store), project};
}

// A file of about `bytes` bytes. Ordinary lines with every name and part number different
// (unique), or one short line per reference in the way schematic tools write them, whose values
// repeat (perReference), or short lines with every value different (shortUnique).
enum class BigFile { unique, perReference, shortUnique };
QString writeBigCsv(qint64 bytes, BigFile kind)
{
    const QString path = corvallen::test::freshFolder(QStringLiteral("bench")) + QStringLiteral("/big.csv");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    QByteArray chunk;
    for (qint64 i = 0; f.size() + chunk.size() < bytes; ++i) {
        if (kind == BigFile::unique)
            chunk += "\"R" + QByteArray::number(i) + "\",resistor " + QByteArray::number(i) + ",RC0603-" + QByteArray::number(i)
                     + "," + QByteArray::number(1 + i % 5) + ",Yageo,Resistors\n";
        else if (kind == BigFile::perReference)
            chunk += "R" + QByteArray::number(i) + "," + QByteArray::number(i % 97) + "k,,1,,\n";
        else
            chunk += "R" + QByteArray::number(i) + ",v" + QByteArray::number(i) + "\n";
        if (chunk.size() > (1 << 20)) {
            f.write(chunk);
            chunk.clear();
        }
    }
    f.write(chunk);
    f.seek(0);
    f.write(kind == BigFile::shortUnique ? "Ref,Value\n" : "Reference,Value,MPN,Qty,Manufacturer,Type\n");
    return path;
}

// The process's peak resident memory since the last reset, in megabytes (Linux keeps it in
// VmHWM; writing 5 to clear_refs starts it afresh).
void resetPeakMemory()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

double peakMegabytes()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

void BM_ReadBigFile(benchmark::State& state)
{
    const QString path = writeBigCsv(31 * 1024 * 1024, BigFile(state.range(0)));
    auto store = openStore();
    ModelContext& ctx = store->mainContext();
    for (int i = 0; i < 10000; ++i)
        ctx.insert(new Component(QStringLiteral("part %1").arg(i)));
    const auto inventory = ctx.fetch<Component>();
    qsizetype matches = 0;
    resetPeakMemory();
    for (auto _ : state) {
        BomFileReader::Result result = BomFileReader::readNow(path, BomImport::Matcher(inventory));
        matches = result.matches.size();
    }
    state.counters["matches"] = double(matches);
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_ReadBigFile)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(1);

// Applying what a big file gave, as the import sheet does: the longest the main thread is held
// by one slice (slice_ms) is what the user feels.
void BM_ApplyBigImportInSlices(benchmark::State& state)
{
    const QString path = writeBigCsv(8 * 1024 * 1024, BigFile::unique);
    double longest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto [store, project] = openStoreWithProject();
        ModelContext& ctx = store->mainContext();
        BomFileReader::Result result = BomFileReader::readNow(path, BomImport::Matcher(ctx.fetch<Component>()));
        state.ResumeTiming();
        BomImportApplier applier(std::move(result.matches), project, ctx);
        QElapsedTimer slice;
        slice.start();
        applier.start();
        longest = std::max(longest, double(slice.elapsed()));
        while (!applier.isFinished()) {
            slice.restart();
            QCoreApplication::processEvents();
            longest = std::max(longest, double(slice.elapsed()));
        }
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    state.counters["slice_ms"] = longest;
}
BENCHMARK(BM_ApplyBigImportInSlices)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Parse(benchmark::State& state)
{
    const QByteArray csv = makeCsv(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(BomImport::parse(csv));
    state.SetBytesProcessed(state.iterations() * csv.size());
}
BENCHMARK(BM_Parse)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_Match(benchmark::State& state)
{
    auto store = openStore();
    ModelContext& ctx = store->mainContext();
    for (int i = 0; i < 10000; ++i) {
        auto* c = ctx.insert(new Component(QStringLiteral("part %1").arg(i)));
        c->setPartNumber(QStringLiteral("PN-%1").arg(i));
    }
    const auto rows = BomImport::parse(makeCsv(int(state.range(0))));
    const auto inventory = ctx.fetch<Component>();
    for (auto _ : state)
        benchmark::DoNotOptimize(BomImport::match(rows, inventory));
}
BENCHMARK(BM_Match)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_Apply(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto [store, project] = openStoreWithProject();
        ModelContext& ctx = store->mainContext();
        const auto matches = BomImport::match(BomImport::parse(makeCsv(int(state.range(0)))), ctx.fetch<Component>());
        state.ResumeTiming();
        BomImportPlan::apply(matches, project, ctx);
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Apply)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    corvallen::test::isolateEnvironment();
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
