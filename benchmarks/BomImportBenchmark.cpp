// Reading and matching a bill of materials against a large inventory, and applying it.
//
// Goals: parsing a 5,000-line CSV stays under 50 ms; matching it against 10,000 components stays
// under 20 ms (linear in rows plus components); applying 1,000 lines to a project, with its one
// save, stays under 500 ms.
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Platform/ModelContainer.h"
#include "Corvallen/Projects/BomImport.h"
#include "Corvallen/Projects/BomImportPlan.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>

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
        auto store = openStore();
        ModelContext& ctx = store->mainContext();
        Project* project = ctx.insert(new Project(QStringLiteral("Bench"), QString(), QString()));
        ctx.save();
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
