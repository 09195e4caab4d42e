// Capture analysis on drawn instrument screens: how many of each field come out right, and how
// long one capture takes from its file to its reading.
//
// Goals: all six fields right on at least 90 % of the corpus; at most 300 ms per capture on one
// core. The corpus is 60 screens by default (ten of each layout, both sizes, PNG and 16-bit BMP);
// CORVALLEN_ANALYSIS_SCREENS sets another count and CORVALLEN_ANALYSIS_SEED another first seed.
#include "Corvallen/Library/AnalyzeService.h"
#include "support/BenchScreenGenerator.h"
#include "support/TestEnvironment.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace corvallen::test;

namespace {

struct Corpus {
    QList<BenchScreen> screens;
    QStringList paths;
};

const Corpus& corpus()
{
    static const Corpus c = [] {
        Corpus out;
        const int count = qEnvironmentVariableIsSet("CORVALLEN_ANALYSIS_SCREENS") ? qEnvironmentVariableIntValue("CORVALLEN_ANALYSIS_SCREENS") : 60;
        const quint32 seed = qEnvironmentVariableIsSet("CORVALLEN_ANALYSIS_SEED") ? quint32(qEnvironmentVariableIntValue("CORVALLEN_ANALYSIS_SEED")) : 1;
        out.screens = benchScreenCorpus(count, seed);
        const QString folder = freshFolder(QStringLiteral("screens"));
        for (int i = 0; i < out.screens.size(); ++i)
            out.paths.append(saveBenchScreen(out.screens.at(i), folder, i));
        return out;
    }();
    return c;
}

// Per-field accuracy over the whole corpus, printed once.
void reportAccuracy()
{
    const Corpus& c = corpus();
    int mode = 0, value = 0, unit = 0, minValue = 0, maxValue = 0, summary = 0, all = 0;
    QStringList wrong;
    for (int i = 0; i < c.screens.size(); ++i) {
        const AnalyzeService::Outcome outcome = AnalyzeService::analyze(c.paths.at(i));
        const QVariantMap answer = outcome.reading ? outcome.reading->toGeneratedContent() : QVariantMap();
        const FieldScore s = scoreReading(c.screens.at(i).truth, answer);
        mode += s.mode;
        value += s.value;
        unit += s.unit;
        minValue += s.minValue;
        maxValue += s.maxValue;
        summary += s.summary;
        all += s.all();
        if (!s.all())
            wrong << QStringLiteral("  %1: %2").arg(c.screens.at(i).truth.description, s.wrongFields());
    }
    const double n = c.screens.size();
    std::printf("Capture analysis on %d drawn screens (per-field accuracy):\n", int(n));
    std::printf("  mode %.1f%%  value %.1f%%  unit %.1f%%  minValue %.1f%%  maxValue %.1f%%  summary %.1f%%\n", 100 * mode / n,
                100 * value / n, 100 * unit / n, 100 * minValue / n, 100 * maxValue / n, 100 * summary / n);
    std::printf("  all six fields right: %.1f%% (%d of %d)\n", 100 * all / n, all, int(n));
    if (!wrong.isEmpty())
        std::printf("Screens with a wrong field:\n%s\n", qPrintable(wrong.join(QLatin1Char('\n'))));
    std::fflush(stdout);
}

// One capture from file to reading, cycling through the corpus; the mean is the time per capture.
void BM_AnalyzeCapture(benchmark::State& state)
{
    const Corpus& c = corpus();
    AnalyzeService::analyze(c.paths.first());  // the recogniser starts once per thread
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(AnalyzeService::analyze(c.paths.at(i)));
        i = (i + 1) % int(c.paths.size());
    }
}
BENCHMARK(BM_AnalyzeCapture)->Unit(benchmark::kMillisecond)->Iterations(60);

}  // namespace

int main(int argc, char** argv)
{
    isolateEnvironment();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    reportAccuracy();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
