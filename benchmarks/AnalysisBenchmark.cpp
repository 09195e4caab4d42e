// Capture analysis on drawn and on real instrument screens: how many readings come out right,
// how many are wrong (a value that is not the screen's measurement) or refused, and how long one
// capture takes from its file to its reading on one core.
//
// Goals: on real held-out screens the main reading with its unit right on at least 80 %, at
// most 1 wrong reading in 30; on the drawn screens all six fields right on at least 90 %; at
// most 300 ms per capture on average and 1 s at worst, on one core.
// Drawn screens: the layouts the reader is developed against (300 screens by default, both
// sizes, PNG and 16-bit BMP) and held-out layouts (100). CORVALLEN_ANALYSIS_SCREENS sets another
// count, CORVALLEN_ANALYSIS_SEED another first seed; CORVALLEN_ANALYSIS_KEEP names a folder to
// keep the screens in (to look at the misses), and CORVALLEN_ANALYSIS_VERBOSE=1 prints the
// recognised text of each miss.
// Real screens: the screenshots in tests/Library/Reading/data/real (or $CORVALLEN_REAL_SCREENS),
// each split scored on its own; CORVALLEN_REAL_SPLITS lists the splits to score ("dev,heldout"
// by default).
#include "Corvallen/Library/AnalyzeService.h"
#include "Corvallen/Library/Reading/GlyphClassifier.h"
#include "Corvallen/Library/Reading/TextRecognizer.h"
#include "support/BenchScreenGenerator.h"
#include "support/RealScreenCorpus.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

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

// Processor time of this thread, in milliseconds: the recogniser runs on this one thread, so
// this is the time on one core whatever else the machine is doing.
double threadMilliseconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The analysis of one file, with its time on one core.
QVariantMap timedAnswer(const QString& path, double* milliseconds)
{
    const double start = threadMilliseconds();
    const AnalyzeService::Outcome outcome = AnalyzeService::analyze(path);
    *milliseconds = threadMilliseconds() - start;
    return outcome.reading ? outcome.reading->toGeneratedContent() : QVariantMap();
}

// The figures every corpus is reported with.
struct Tally {
    int screens = 0, measured = 0, right = 0, wrong = 0, other = 0, refused = 0, mode = 0, limits = 0;
    int withoutMeasurement = 0, refusedRightly = 0;  // screens that show no measurement, and those given none
    double totalMs = 0, worstMs = 0;
    // One screen: `measurement` false for a screen that shows none (then `r` is its refusal).
    void add(bool measurement, bool r, bool w, bool refusal, bool m, bool l, double ms)
    {
        ++screens;
        if (measurement) {
            ++measured;
            right += r;
            refused += refusal;
        } else {
            ++withoutMeasurement;
            refusedRightly += r;
        }
        wrong += w;
        mode += m;
        limits += l;
        totalMs += ms;
        worstMs = std::max(worstMs, ms);
    }
    void print(const char* title) const
    {
        const double n = std::max(1, screens), m = std::max(1, measured);
        std::printf("%s, %d screens (%d with a measurement):\n", title, screens, measured);
        std::printf("  reading right %.1f%% (%d of %d)  wrong readings %d (1 in %.1f screens)  another labelled readout %d  refusals %d\n",
                    100 * right / m, right, measured, wrong, wrong ? screens / double(wrong) : 0.0, other, refused);
        if (withoutMeasurement)
            std::printf("  screens without a measurement given none: %d of %d\n", refusedRightly, withoutMeasurement);
        std::printf("  mode right %.1f%%  min/max right %.1f%%\n", 100 * mode / n, 100 * limits / n);
        std::printf("  time per capture on one core: mean %.0f ms, worst %.0f ms\n", totalMs / n, worstMs);
    }
};

// Per-field accuracy over a corpus, printed once; the share with all six fields right.
double reportAccuracy(const Corpus& c, const char* title)
{
    Tally tally;
    const bool verbose = qEnvironmentVariableIntValue("CORVALLEN_ANALYSIS_VERBOSE") > 0;
    int mode = 0, value = 0, unit = 0, minValue = 0, maxValue = 0, summary = 0, all = 0;
    QStringList wrong;
    for (int i = 0; i < c.screens.size(); ++i) {
        double ms = 0;
        const QVariantMap answer = timedAnswer(c.paths.at(i), &ms);
        const FieldScore s = scoreReading(c.screens.at(i).truth, answer);
        const bool refused = !answer.contains(QStringLiteral("value")) && c.screens.at(i).truth.value;
        tally.add(true, s.value && s.unit, !s.value && answer.contains(QStringLiteral("value")), refused, s.mode, s.minValue && s.maxValue, ms);
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
    tally.print(title);
    if (!wrong.isEmpty())
        std::printf("Screens with a wrong field:\n%s\n", qPrintable(wrong.join(QLatin1Char('\n'))));
    std::fflush(stdout);
    return all / n;
}

// Each recognised word with its row, box and height, to see why a screen was misread.
QString placedWords(const QString& path)
{
    QImage image(path);
    const auto screen = TextRecognizer::recognizeScreen(image);
    QStringList out;
    for (const TextRecognizer::ScreenWord& w : screen ? screen->words : QList<TextRecognizer::ScreenWord>())
        out << QStringLiteral("%1@r%2(%3,%4 %5x%6 h%7)").arg(w.text).arg(w.row).arg(w.box.x()).arg(w.box.y()).arg(w.box.width()).arg(w.box.height()).arg(w.textHeight);
    return out.join(QLatin1Char(' '));
}

// The real screens of one split, scored as a person reads them; misses listed.
void reportRealScreens(const QString& split)
{
    const QList<RealScreen> screens = realScreens(split);
    if (screens.isEmpty()) {
        std::printf("Real screens (%s): none found in %s\n", qPrintable(split), qPrintable(realScreensFolder()));
        return;
    }
    const bool verbose = qEnvironmentVariableIntValue("CORVALLEN_ANALYSIS_VERBOSE") > 0;
    Tally tally;
    QStringList misses;
    for (const RealScreen& screen : screens) {
        double ms = 0;
        const QVariantMap answer = timedAnswer(screen.path, &ms);
        const RealScore s = scoreRealReading(screen, answer);
        tally.add(!screen.noMeasurement(), s.right, s.wrong, s.refused, s.mode, s.limits, ms);
        tally.other += s.other;
        // (CORVALLEN_ANALYSIS_VERBOSE=3 lists every screen, to search what the recogniser reads.)
        if (!s.right || !s.mode || !s.limits || qEnvironmentVariableIntValue("CORVALLEN_ANALYSIS_VERBOSE") > 2) {
            QString line = QStringLiteral("  %1%2 [%3 ms]").arg(s.wrong ? QStringLiteral("WRONG ") : s.other ? QStringLiteral("OTHER ") : QString(), describeRealReading(screen, answer)).arg(ms, 0, 'f', 0);
            if (verbose)
                line += QStringLiteral("\n    read: ") + AnalyzeService::recognizeText(screen.path, nullptr).value_or(QString()).replace(QLatin1Char('\n'), QStringLiteral(" / "));
            if (qEnvironmentVariableIntValue("CORVALLEN_ANALYSIS_VERBOSE") > 1)
                line += QStringLiteral("\n    words: ") + placedWords(screen.path);
            misses << line;
        }
    }
    tally.print(qPrintable(QStringLiteral("Real screens (%1)").arg(split)));
    if (!misses.isEmpty())
        std::printf("Misses:\n%s\n", qPrintable(misses.join(QLatin1Char('\n'))));
    std::fflush(stdout);
}

// One capture from file to reading, cycling through the corpus; the mean is the time per capture.
void BM_AnalyzeCapture(benchmark::State& state)
{
    const Corpus& c = corpus();
    if (c.paths.isEmpty()) {
        state.SkipWithError("no drawn screens (CORVALLEN_ANALYSIS_SCREENS=0)");
        return;
    }
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
    // The recogniser starts, and draws the digits it compares small print with, once per
    // process; that is not a capture's time. (The application draws them at every height while
    // it starts, as here.)
    GlyphClassifier::prepareEveryHeight();
    AnalyzeService::analyze(corpus().paths.isEmpty() ? heldOut().paths.first() : corpus().paths.first());
    const QString splits = qEnvironmentVariableIsSet("CORVALLEN_REAL_SPLITS") ? qEnvironmentVariable("CORVALLEN_REAL_SPLITS")
                                                                             : QStringLiteral("dev,heldout");
    for (const QString& split : splits.split(QLatin1Char(','), Qt::SkipEmptyParts))
        reportRealScreens(split.trimmed());
    const double developed = reportAccuracy(corpus(), "Development layouts");
    const double held = reportAccuracy(heldOut(), "Held-out layouts");
    std::printf("All six fields right: %.1f%% on the development layouts, %.1f%% on the held-out layouts\n", 100 * developed, 100 * held);
    std::fflush(stdout);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
