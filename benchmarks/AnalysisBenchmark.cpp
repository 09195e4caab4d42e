// Capture analysis on drawn instrument screens: how many of each field come out right, and how
// long one capture takes from its file to its reading.
//
// Goals: all six fields right on at least 90 % of screens; at most 300 ms per capture on one
// core. Two corpora are scored: the layouts the reader is developed against (300 screens by
// default, both sizes, PNG and 16-bit BMP) and held-out layouts it was never tuned on (100).
// CORVALLEN_ANALYSIS_SCREENS sets another count, CORVALLEN_ANALYSIS_SEED another first seed;
// CORVALLEN_ANALYSIS_KEEP names a folder to keep the screens in (to look at the misses), and
// CORVALLEN_ANALYSIS_VERBOSE=1 prints the recognised text of each miss.
#include "Corvallen/Library/AnalyzeService.h"
#include "support/BenchScreenGenerator.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace corvallen::test;

namespace {

struct Corpus {
    QList<BenchScreen> screens;
    QStringList paths;
};

int screenCount(int fallback)
{
    return qEnvironmentVariableIsSet("CORVALLEN_ANALYSIS_SCREENS") ? qEnvironmentVariableIntValue("CORVALLEN_ANALYSIS_SCREENS") : fallback;
}

quint32 firstSeed()
{
    return qEnvironmentVariableIsSet("CORVALLEN_ANALYSIS_SEED") ? quint32(qEnvironmentVariableIntValue("CORVALLEN_ANALYSIS_SEED")) : 1;
}

Corpus saved(QList<BenchScreen> screens, const QString& name)
{
    Corpus out;
    out.screens = std::move(screens);
    QString folder = qEnvironmentVariable("CORVALLEN_ANALYSIS_KEEP");
    if (folder.isEmpty())
        folder = freshFolder(name);
    else
        folder = QDir(folder).filePath(name);
    QDir().mkpath(folder);
    for (int i = 0; i < out.screens.size(); ++i)
        out.paths.append(saveBenchScreen(out.screens.at(i), folder, i));
    return out;
}

const Corpus& corpus()
{
    static const Corpus c = saved(benchScreenCorpus(screenCount(300), firstSeed()), QStringLiteral("screens"));
    return c;
}

const Corpus& heldOut()
{
    static const Corpus c = saved(heldOutScreenCorpus(std::max(2, screenCount(300) / 3), firstSeed()), QStringLiteral("held-out"));
    return c;
}

// Per-field accuracy over a corpus, printed once; the share with all six fields right.
double reportAccuracy(const Corpus& c, const char* title)
{
    const bool verbose = qEnvironmentVariableIntValue("CORVALLEN_ANALYSIS_VERBOSE") > 0;
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
        if (!s.all()) {
            QString line = QStringLiteral("  %1 [%2]: %3 -> %4 | %5 %6 %7")
                               .arg(c.screens.at(i).truth.description, QFileInfo(c.paths.at(i)).fileName(), s.wrongFields(),
                                    answer.value(QStringLiteral("mode")).toString(), answer.value(QStringLiteral("value")).toString(),
                                    answer.value(QStringLiteral("unit")).toString(),
                                    QStringLiteral("min %1 max %2").arg(answer.value(QStringLiteral("minValue")).toString(),
                                                                        answer.value(QStringLiteral("maxValue")).toString()));
            const BenchTruth& truth = c.screens.at(i).truth;
            if (!s.minValue || !s.maxValue)
                line += QStringLiteral(" (drawn: min %1 max %2)")
                            .arg(truth.minValue ? QString::number(*truth.minValue) : QString(), truth.maxValue ? QString::number(*truth.maxValue) : QString());
            if (verbose)
                line += QStringLiteral("\n    read: ") + AnalyzeService::recognizeText(c.paths.at(i), nullptr).value_or(QString()).replace(QLatin1Char('\n'), QStringLiteral(" / "));
            wrong << line;
        }
    }
    const double n = c.screens.size();
    std::printf("%s, %d screens (per-field accuracy):\n", title, int(n));
    std::printf("  mode %.1f%%  value %.1f%%  unit %.1f%%  minValue %.1f%%  maxValue %.1f%%  summary %.1f%%\n", 100 * mode / n,
                100 * value / n, 100 * unit / n, 100 * minValue / n, 100 * maxValue / n, 100 * summary / n);
    std::printf("  all six fields right: %.1f%% (%d of %d)\n", 100 * all / n, all, int(n));
    if (!wrong.isEmpty())
        std::printf("Screens with a wrong field:\n%s\n", qPrintable(wrong.join(QLatin1Char('\n'))));
    std::fflush(stdout);
    return all / n;
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
    const double developed = reportAccuracy(corpus(), "Development layouts");
    const double held = reportAccuracy(heldOut(), "Held-out layouts");
    std::printf("All six fields right: %.1f%% on the development layouts, %.1f%% on the held-out layouts\n", 100 * developed, 100 * held);
    std::fflush(stdout);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
