// The Library with a large store: listing and searching captures, laying out the grid, and
// reading a bench screen's text.
//
// Goals: the newest-first list of 20,000 captures with a search term stays under 30 ms; showing
// those 20,000 in the grid (cards built only near the visible rows) stays under 100 ms; turning a
// screen's recognised text into its reading stays under 1 ms.
#include "BenchmarkMain.h"
#include "Corvallen/Library/CaptureSelection.h"
#include "Corvallen/Library/LibraryFilter.h"
#include "Corvallen/Library/Views/CaptureGrid.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Platform/OnDeviceLanguageModel.h"
#include "support/TestEnvironment.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

std::unique_ptr<ModelContainer> storeWithCaptures(int count)
{
    QString error;
    auto store = ModelContainer::open(corvallen::test::freshFolder(QStringLiteral("bench")) + QStringLiteral("/Corvallen.store"),
                                      corvallenSchema(), &error);
    ModelContext& ctx = store->mainContext();
    ctx.setAutosaveEnabled(false);
    QList<Tag*> tags;
    for (int i = 0; i < 30; ++i)
        tags.append(ctx.insert(new Tag(QStringLiteral("tag %1").arg(i), QStringLiteral("#FF6B6B"))));
    const QDateTime start = QDateTime::currentDateTime();
    for (int i = 0; i < count; ++i) {
        auto* c = ctx.insert(new Capture(QStringLiteral("capture-%1.png").arg(i)));
        c->setImportedAt(start.addSecs(-i * 7 % 100000));
        c->setNotes(i % 3 ? QString() : QStringLiteral("bench supply ripple check %1").arg(i));
        if (i % 4 == 0)
            c->setMode(QStringLiteral("DC Voltage"));
        c->setTags({tags.at(i % 30)});
    }
    ctx.save();
    return store;
}

void BM_FilterCaptures(benchmark::State& state)
{
    auto store = storeWithCaptures(int(state.range(0)));
    const ModelContext& ctx = store->mainContext();
    for (auto _ : state) {
        const auto all = LibraryFilter::allCapturesNewestFirst(ctx);
        benchmark::DoNotOptimize(LibraryFilter::filterCaptures(all, LibraryFilter::Scope::all, QStringLiteral(" Ripple ")));
    }
}
BENCHMARK(BM_FilterCaptures)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_GridShowsLargeList(benchmark::State& state)
{
    auto store = storeWithCaptures(int(state.range(0)));
    const auto all = LibraryFilter::allCapturesNewestFirst(store->mainContext());
    for (auto _ : state) {
        CaptureSelection selection;
        CaptureGrid grid(&selection);
        grid.resize(1000, 700);
        grid.setCaptures(all);
        benchmark::DoNotOptimize(grid.cards().size());
    }
}
BENCHMARK(BM_GridShowsLargeList)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_ReadBenchScreen(benchmark::State& state)
{
    const QString text = QStringLiteral("DC V AUTO 20V\n12.345 V\nMAX 12.410V MIN 12.301V\nCH1 1V/div 500us/div");
    for (auto _ : state)
        benchmark::DoNotOptimize(OnDeviceLanguageModel::readBenchScreen(text));
}
BENCHMARK(BM_ReadBenchScreen)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return runBenchmarks<QApplication>(argc, argv, true); }
