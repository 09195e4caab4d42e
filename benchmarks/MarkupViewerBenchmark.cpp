// The markup viewer scrolling through a long scanned document: 300 pages, each one full-page
// picture, as a scanner writes them. The document is made by the benchmark itself.
//
// Goal: scrolling from the first page to the last never holds the main thread for more than one
// frame (16.7 ms) at a time; pages are rendered on the viewer's worker meanwhile. The longest
// stall is reported as "longest_stall_ms" (with the mean step as "mean_step_ms").
#include "BenchmarkMain.h"
#include "Corvallen/Documents/Views/MarkupCanvas.h"
#include "Corvallen/Documents/Views/PDFMarkupContainer.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QScrollArea>
#include <QScrollBar>
#include <QUuid>

#include <benchmark/benchmark.h>

namespace {

// A page as a scanner sees it: off-white paper, slight noise, lines of dark "text" blocks.
QImage scannedPage(int seed)
{
    QImage page(1240, 1754, QImage::Format_Grayscale8);  // A4 at 150 dpi
    QRandomGenerator random(quint32(seed + 1));
    for (int y = 0; y < page.height(); ++y) {
        uchar* line = page.scanLine(y);
        for (int x = 0; x < page.width(); ++x)
            line[x] = uchar(236 + random.bounded(12));
    }
    QPainter p(&page);
    for (int row = 0; row < 60; ++row) {
        int x = 120;
        while (x < 1100) {
            const int word = 20 + random.bounded(90);
            p.fillRect(QRect(x, 150 + row * 25, word, 11), QColor::fromRgb(40, 40, 40));
            x += word + 14;
        }
    }
    return page;
}

QString scannedDocument(int pages)
{
    const QString path = QDir(corvallen::test::freshFolder(QStringLiteral("scan"))).filePath(QStringLiteral("scan.pdf"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QPdfWriter writer(&file);
    writer.setResolution(150);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    QPainter painter(&writer);
    // A handful of different scans, so the pages are not all one picture.
    QList<QImage> scans;
    for (int i = 0; i < 6; ++i)
        scans << scannedPage(i);
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            writer.newPage();
        painter.drawImage(QRect(0, 0, 1240, 1754), scans[i % scans.size()]);
    }
    painter.end();
    return path;
}

void BM_ScrollScannedDocument(benchmark::State& state)
{
    static const QString path = scannedDocument(int(state.range(0)));
    for (auto _ : state) {
        PDFMarkupContainer viewer(PDFMarkupContainer::Source::pdf, path,
                                  QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".markup.pdf"));
        viewer.resize(900, 700);
        viewer.show();
        while (viewer.isLoading())
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        QApplication::processEvents();
        QScrollArea* area = nullptr;
        for (QWidget* w = viewer.canvas()->parentWidget(); w && !area; w = w->parentWidget())
            area = qobject_cast<QScrollArea*>(w);
        QScrollBar* bar = area->verticalScrollBar();
        const int step = std::max(1, area->viewport()->height() / 3);

        qint64 longest = 0, total = 0, steps = 0;
        QElapsedTimer frame;
        for (int value = 0; value <= bar->maximum(); value += step) {
            frame.start();
            bar->setValue(value);
            viewer.canvas()->repaint();
            QApplication::processEvents();
            const qint64 spent = frame.nsecsElapsed();
            longest = std::max(longest, spent);
            total += spent;
            ++steps;
        }
        state.counters["longest_stall_ms"] = double(longest) / 1e6;
        state.counters["mean_step_ms"] = steps ? double(total) / steps / 1e6 : 0;
        state.counters["steps"] = double(steps);
    }
}
BENCHMARK(BM_ScrollScannedDocument)->Arg(300)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return runBenchmarks<QApplication>(argc, argv, true); }
