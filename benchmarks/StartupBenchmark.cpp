// The whole launch of the real program, as a user sees it: from starting the process to its main
// window's first paint (offscreen; the program reports the paint on stdout and quits), with a
// store of 100,000 captures and 20,000 components against an empty store. The two are launched
// in turn within each iteration, so that both see the same load on the machine, and the ratio
// of their medians is printed at the end. The goal: the full store launches at most 1.5 times as
// slowly as the empty one. All data lives in temporary folders removed when the program ends.
//
// `bench_startup --write-store=DIR` only writes the large store into DIR (as a data home:
// DIR/Corvallen/...) and stops, for profiling a launch by hand:
//   XDG_DATA_HOME=DIR CORVALLEN_QUIT_AFTER_FIRST_PAINT=1 QT_QPA_PLATFORM=offscreen perf record ./corvallen
#include "LargeStore.h"

#include "support/TestEnvironment.h"

#include <QGuiApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

std::vector<double> g_emptyMs;
std::vector<double> g_largeMs;

QString runtimeFolder()
{
    static const QString folder = [] {
        const QString path = corvallen::test::freshFolder(QStringLiteral("runtime"));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return path;
    }();
    return folder;
}

// One launch to the first paint, in milliseconds; negative when the program never painted.
// Every launch takes its snapshot of the store, as a user's launch does (snapshots are named by
// the second, and launches here come several a second).
double launchOnce(const QString& dataHome)
{
    QDir(dataHome + QStringLiteral("/Corvallen/backups")).removeRecursively();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("CORVALLEN_QUIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder());
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(CORVALLEN_EXECUTABLE), {});
    QByteArray out;
    while (!out.contains("first-paint") && process.state() != QProcess::NotRunning)
        if (process.waitForReadyRead(10000))
            out += process.readAllStandardOutput();
    const double ms = clock.nsecsElapsed() / 1e6;
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
    }
    return out.contains("first-paint") ? ms : -1;
}

void launchSideBySide(benchmark::State& state, const QString& emptyHome, const QString& largeHome)
{
    for (auto _ : state) {
        // Alternate which goes first, so neither always follows the other's caches.
        const bool emptyFirst = state.iterations() % 2 == 0;
        const double first = launchOnce(emptyFirst ? emptyHome : largeHome);
        const double second = launchOnce(emptyFirst ? largeHome : emptyHome);
        const double empty = emptyFirst ? first : second;
        const double large = emptyFirst ? second : first;
        if (empty < 0 || large < 0) {
            state.SkipWithError("the program did not report its first paint");
            break;
        }
        g_emptyMs.push_back(empty);
        g_largeMs.push_back(large);
        state.SetIterationTime(large / 1000.0);
    }
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    corvallen::bench::isolateOffscreen();
    QGuiApplication qapp(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Corvallen"));
    corvallen::bench::skipWelcome();

    const corvallen::bench::LargeStoreShape shape;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg.startsWith(QLatin1String("--write-store="))) {
            const QString home = arg.mid(int(qstrlen("--write-store=")));
            corvallen::bench::writeLargeStore(home + QStringLiteral("/Corvallen/Corvallen.store"),
                                              home + QStringLiteral("/Corvallen/captures"), shape);
            return 0;
        }
    }
    const QString emptyHome = corvallen::test::freshFolder(QStringLiteral("empty"));
    const QString largeHome = corvallen::test::freshFolder(QStringLiteral("large"));
    std::fprintf(stderr, "Writing a store of %d captures and %d components…\n", shape.captures, shape.components);
    QElapsedTimer seeding;
    seeding.start();
    corvallen::bench::writeLargeStore(largeHome + QStringLiteral("/Corvallen/Corvallen.store"),
                                      largeHome + QStringLiteral("/Corvallen/captures"), shape);
    std::fprintf(stderr, "…written in %.1f s\n", seeding.elapsed() / 1000.0);
    // The first launch of each store sets up what later launches find (snapshot folder, WAL).
    launchOnce(emptyHome);
    launchOnce(largeHome);

    benchmark::RegisterBenchmark("Launch/EmptyAndCaptures100k_Components20k",
                                 [emptyHome, largeHome](benchmark::State& s) { launchSideBySide(s, emptyHome, largeHome); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(15);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const double empty = median(g_emptyMs);
    const double large = median(g_largeMs);
    if (empty > 0)
        std::printf("\nWhole launch to first paint (median of %zu): empty store %.1f ms, 100k captures + 20k components "
                    "%.1f ms: %.2fx (goal: at most 1.5x)\n",
                    g_emptyMs.size(), empty, large, large / empty);
    return 0;
}
