// Files shaped to make a reader work hard: a sync location's file list of hundreds of thousands
// of files, and help text lines built to make every inline marker scan the whole line.
//
// Goals: writing and reading back the file list grows linearly with the number of files (the
// "us_per_file" counter stays flat from 50,000 to 500,000 files; 500,000 within 5 s), every
// crafted 200 KB Markdown line renders in under 0.5 s, and a thumbnail of a page of 400,000
// strokes (a minute's drawing) stops within 0.1 s of being abandoned ("stop_ms").
#include "BenchmarkMain.h"
#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Model/ThumbnailCache.h"
#include "Corvallen/Settings/MarkdownBlock.h"
#include "Corvallen/Sync/SourceLedger.h"
#include "Documents/DocumentsTestSupport.h"
#include "support/TestEnvironment.h"

#include <QGuiApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <thread>

namespace {

void BM_SourceLedgerSaveAndLoad(benchmark::State& state)
{
    const int files = int(state.range(0));
    const QString folder = corvallen::test::freshFolder(QStringLiteral("ledger"));
    QFile probe(folder + QStringLiteral("/probe"));
    probe.open(QIODevice::WriteOnly);
    probe.write("x");
    probe.close();
    const QFileInfo info(probe.fileName());
    SourceLedger ledger = SourceLedger::load(QStringLiteral("bench-ledger"));
    for (int i = 0; i < files; ++i) {
        const QString key = QStringLiteral("DCIM/%1/SCREEN%2.PNG").arg(i / 1000, 3, 10, QLatin1Char('0')).arg(i, 7, 10, QLatin1Char('0'));
        if (i % 50 == 0)
            ledger.recordUnreadable(key, info);
        else
            ledger.recordHash(key, info, QString::number(quint64(i) * 2654435761u, 16).repeated(4));
    }
    qint64 loaded = 0;
    for (auto _ : state) {
        ledger.save();
        loaded = SourceLedger::load(QStringLiteral("bench-ledger")).entries().size();
    }
    if (loaded != files)
        state.SkipWithError("the list read back differs");
    state.counters["us_per_file"] = benchmark::Counter(double(files) * double(state.iterations()),
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                                                       benchmark::Counter::kIs1000);
}
BENCHMARK(BM_SourceLedgerSaveAndLoad)->Arg(50000)->Arg(200000)->Arg(500000)->Iterations(1)->Unit(benchmark::kMillisecond);

// Repeats a pattern to about 200 KB.
QString line(const char* pattern) { return QString::fromLatin1(pattern).repeated(200000 / int(qstrlen(pattern))); }

const std::pair<const char*, QString>& craftedLine(int index)
{
    static const std::vector<std::pair<const char*, QString>> lines{
        {"unclosed link text", line("[")},
        {"unclosed destinations", line("[a](")},
        {"unclosed titles", line("[a](b \"")},
        {"code span runs of growing length", [] {
             QString s;
             for (int run = 1; s.size() < 200000; run = run % 600 + 1)
                 s += QStringLiteral("`").repeated(run) + QLatin1Char('a');
             return s;
         }()},
        {"emphasis that never closes", line("*a_")},
        {"one opener, many closers", QStringLiteral("*a") + line("a_*")},
        {"long runs matched many times", QStringLiteral("*").repeated(100000) + QStringLiteral("a") + QStringLiteral("*").repeated(100000)},
        {"links nested 16,000 deep", QStringLiteral("[").repeated(16000) + QStringLiteral("x") + QStringLiteral("](u)").repeated(16000)},
    };
    return lines.at(size_t(index));
}

void BM_MarkdownCraftedLine(benchmark::State& state)
{
    const auto& [name, text] = craftedLine(int(state.range(0)));
    state.SetLabel(name);
    qsizetype size = 0;
    for (auto _ : state)
        size += MarkdownBlock::inlineHtml(text).size();
    benchmark::DoNotOptimize(size);
}
BENCHMARK(BM_MarkdownCraftedLine)->DenseRange(0, 7)->Iterations(1)->Unit(benchmark::kMillisecond);

// A one-page PDF whose content is `lines` strokes.
QByteArray strokesPdf(int lines)
{
    QByteArray content;
    for (int i = 0; i < lines; ++i)
        content += QByteArray::number(i * 37 % 600) + ' ' + QByteArray::number(i * 11 % 790) + " m " + QByteArray::number(i * 13 % 600) + ' '
                   + QByteArray::number(i % 790) + " l S\n";
    return documents_test::makeOnePagePdf("/MediaBox [0 0 612 792]", content);
}

void BM_AbandonedThumbnailStops(benchmark::State& state)
{
    const QString name = QStringLiteral("bench-strokes.pdf");
    QFile file(DocumentFileStore::documentsFolder() + QLatin1Char('/') + name);
    file.open(QIODevice::WriteOnly);
    file.write(strokesPdf(400000));
    file.close();
    double stopMs = 0;
    for (auto _ : state) {
        ThumbnailJob job(std::chrono::minutes(10));
        QElapsedTimer sinceAbandon;
        std::thread drawing([&] { DocumentFileStore::renderThumbnail(name, {}, [&job] { return job.shouldStop(); }); });
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        sinceAbandon.start();
        job.abandon();
        drawing.join();
        stopMs += double(sinceAbandon.nsecsElapsed()) / 1e6;
    }
    state.counters["stop_ms"] = stopMs / double(state.iterations());
}
BENCHMARK(BM_AbandonedThumbnailStops)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return runBenchmarks<QGuiApplication>(argc, argv, true); }
