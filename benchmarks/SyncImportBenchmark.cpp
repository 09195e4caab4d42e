// Importing a drive's screenshots.
//
// Goal: importing 800 distinct 480 x 272 screenshots into an empty captures folder (decode, PNG
// encode, hash, name, write, make durable) takes at most 1.25 times as long as decoding and
// re-encoding the same files in parallel with nothing else. Both are timed in every iteration,
// in turns, so a busy machine slows both alike; the "ratio" counter is the goal. "cpu_ratio"
// compares the processor time both took, which other programs on the machine hardly change.
#include "BenchmarkMain.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "support/TestEnvironment.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QtConcurrent/QtConcurrentMap>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>

#include <sys/resource.h>

namespace {

// Screens of a bench instrument: a dark field, a grid, a trace and a few lines of readings,
// different on every screen.
QStringList writeScreenshots(int count)
{
    const QString folder = corvallen::test::freshFolder(QStringLiteral("drive"));
    QStringList files;
    for (int i = 0; i < count; ++i) {
        QImage screen(480, 272, QImage::Format_RGB32);
        screen.fill(QColor(12, 14, 20));
        QPainter p(&screen);
        p.setPen(QColor(60, 60, 70));
        for (int x = 0; x < 480; x += 40)
            p.drawLine(x, 30, x, 240);
        for (int y = 30; y <= 240; y += 30)
            p.drawLine(0, y, 480, y);
        p.setPen(QPen(QColor(250, 220, 40), 2));
        QPointF last(0, 135);
        for (int x = 1; x < 480; ++x) {
            const QPointF next(x, 135 + 80 * std::sin((x + i * 7) / (12.0 + i % 9)));
            p.drawLine(last, next);
            last = next;
        }
        p.setPen(Qt::white);
        p.drawText(10, 20, QStringLiteral("DC V  AUTO  %1.%2 V").arg(i % 20).arg(i * 37 % 1000, 3, 10, QLatin1Char('0')));
        p.drawText(10, 262, QStringLiteral("MAX %1  MIN %2  CH1 1V/div").arg(i * 3).arg(i));
        p.end();
        files << folder + QStringLiteral("/SCREEN%1.png").arg(i, 4, 10, QLatin1Char('0'));
        screen.save(files.last(), "PNG");
    }
    return files;
}

// Processor time of the whole process (all threads) so far, in seconds.
double processorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QByteArray decodeAndEncode(const QString& path)
{
    QImageReader reader(path);
    const QImage image = reader.read();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    return bytes;
}

void BM_ImportVersusBareConversion(benchmark::State& state)
{
    const QStringList files = writeScreenshots(int(state.range(0)));
    double importSeconds = 0;
    double bareSeconds = 0;
    double importProcessor = 0;
    double bareProcessor = 0;
    // Each import gets an empty folder of its own; they are removed only at the end, as
    // creating files right after deleting thousands costs some file systems extra.
    QStringList folders;
    auto bare = [&] {
        const double processor = processorSeconds();
        QElapsedTimer timer;
        timer.start();
        const QList<QByteArray> converted = QtConcurrent::blockingMapped(files, decodeAndEncode);
        bareSeconds += timer.nsecsElapsed() / 1e9;
        bareProcessor += processorSeconds() - processor;
        benchmark::DoNotOptimize(converted.size());
    };
    bool bareFirst = true;
    for (auto _ : state) {
        if (bareFirst)
            bare();
        const QString folder = corvallen::test::freshFolder(QStringLiteral("captures"));
        folders << folder;
        const double processor = processorSeconds();
        QElapsedTimer timer;
        timer.start();
        const DeviceStorage::ImportResult result = DeviceStorage::importCaptures(files, folder, {});
        const double seconds = timer.nsecsElapsed() / 1e9;
        importSeconds += seconds;
        importProcessor += processorSeconds() - processor;
        state.SetIterationTime(seconds);
        if (result.imported != files.size())
            state.SkipWithError("not every screenshot was imported");
        if (!bareFirst)
            bare();
        bareFirst = !bareFirst;
    }
    for (const QString& folder : folders)
        QDir(folder).removeRecursively();
    const double ratio = importSeconds / bareSeconds;
    state.counters["import_ms"] = importSeconds * 1000 / double(state.iterations());
    state.counters["bare_ms"] = bareSeconds * 1000 / double(state.iterations());
    state.counters["ratio"] = ratio;
    state.counters["cpu_ratio"] = importProcessor / bareProcessor;
    std::printf("import / bare parallel conversion of %d screenshots: %.2fx (goal: at most 1.25x); processor time %.2fx\n",
                int(files.size()), ratio, importProcessor / bareProcessor);
}
BENCHMARK(BM_ImportVersusBareConversion)->Arg(800)->Iterations(6)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return runBenchmarks<QGuiApplication>(argc, argv, true); }
