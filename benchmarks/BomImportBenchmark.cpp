// Reading and matching a bill of materials against a large inventory, and applying it.
//
// Goals: parsing a 5,000-line CSV stays under 50 ms; matching it against 10,000 components stays
// under 20 ms (linear in rows plus components); applying 1,000 lines to a project, with its one
// save, stays under 500 ms. Reading and matching a file near the 32 MB limit on the worker stays
// under 3 s and its peak memory (peak_MB, the whole process while it runs) under ten times the
// file's size; no slice of applying a big import holds the main thread for 100 ms (slice_ms).
//
// BM_BigBomToPartsList follows the user through the whole way with a 31 MB file of different
// parts: the file is chosen, read and matched, the import sheet imports it, the parts list shows
// it and is scrolled from top to bottom, a quantity is changed, the overview tiles, the shopping
// list, adding from the grown inventory and the project sheet (export_s on its worker) follow. A
// heartbeat timer on the main thread measures the longest the window was held at each step
// (stall_*_ms; goal: none over 100 ms). Memory: the process's peak up to the scrolled list
// (import_peak_MB) and over the whole run (peak_MB), each also as its growth over the memory
// before the file was chosen divided by the file's size (*_x_file; goal: at most 10), and how
// much more the process holds once the list is shown (after_import_MB, and per part with its
// parts-list line, bytes_per_part): mostly the store's records of the half a million new
// inventory parts and their lines.
#include "BenchmarkMain.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Projects/BomImport.h"
#include "Corvallen/Projects/BomImportPlan.h"
#include "Corvallen/Projects/StockAllocation.h"
#include "support/TestEnvironment.h"

#include "Corvallen/Projects/BomFileReader.h"
#include "Corvallen/Projects/BomImportApplier.h"
#include "Corvallen/Projects/Views/AddFromInventorySheet.h"
#include "Corvallen/Projects/Views/BomImportSheet.h"
#include "Corvallen/Projects/Views/ProjectExportMenu.h"
#include "Corvallen/Projects/Views/ProjectPartsView.h"
#include "Corvallen/Projects/Views/ProjectWorkspaceView.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <malloc.h>

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

// A figure of /proc/self/status in megabytes ("VmHWM", the peak resident memory; "VmRSS", now).
double statusMegabytes(const QByteArray& key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

double peakMegabytes() { return statusMegabytes("VmHWM"); }

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

// The longest gap between the ticks of a 2 ms timer on the main thread, per step of a scenario:
// how long the window could not answer.
class StallWatch : public QObject {
public:
    StallWatch()
    {
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(2);
        connect(&m_tick, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest[m_step] = std::max(m_longest.value(m_step), double(now - m_last) / 1e6 - 2.0);
            m_last = now;
        });
        m_clock.start();
        m_last = 0;
        m_tick.start();
    }
    void step(const QString& name)
    {
        QCoreApplication::processEvents();  // the gap so far belongs to the step before
        m_step = name;
    }
    // Runs the event loop until `done` holds (false after `limitMs`).
    bool runUntil(const std::function<bool()>& done, int limitMs = 600000)
    {
        QElapsedTimer limit;
        limit.start();
        while (!done()) {
            if (limit.elapsed() > limitMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        return true;
    }
    // Lets the window paint and settle for a moment.
    void settle(int ms = 100)
    {
        QElapsedTimer t;
        t.start();
        runUntil([&] { return t.elapsed() >= ms; });
    }
    const QHash<QString, double>& longest() const { return m_longest; }

private:
    QTimer m_tick;
    QElapsedTimer m_clock;
    qint64 m_last;
    QString m_step = QStringLiteral("setup");
    QHash<QString, double> m_longest;
};

// A saved project open on its parts list in a shown window, saving as the application does.
struct Workspace {
    Workspace()
    {
        std::tie(store, project) = openStoreWithProject();
        store->mainContext().setAutosaveEnabled(true);
        view = std::make_unique<ProjectWorkspaceView>(project, store->mainContext(), [](Component*) {});
        view->resize(1000, 700);
        view->show();
        view->setFacet(ProjectFacet::parts);
        parts = qobject_cast<ProjectPartsView*>(view->facetContent());
        QCoreApplication::processEvents();
    }
    std::unique_ptr<ModelContainer> store;
    Project* project = nullptr;
    std::unique_ptr<ProjectWorkspaceView> view;
    ProjectPartsView* parts = nullptr;
};

// The file chosen, read (step "read"), imported from the sheet ("apply") and shown in the parts
// list ("show"), as the user does it; the parts imported (0 when the file was refused).
qint64 importThroughSheet(ProjectPartsView* parts, const QString& path, StallWatch& watch)
{
    watch.step(QStringLiteral("read"));
    parts->importBomFile(path);
    watch.runUntil([&] { return parts->openSheet() != nullptr || !parts->isBusy(); });
    auto* sheet = qobject_cast<BomImportSheet*>(parts->openSheet());
    if (!sheet)
        return 0;
    const qint64 rows = sheet->table()->model()->rowCount();
    watch.settle();
    watch.step(QStringLiteral("apply"));
    sheet->importButton()->click();
    watch.runUntil([&] { return parts->openSheet() == nullptr; });
    watch.step(QStringLiteral("show"));
    auto* list = parts->findChild<QAbstractItemView*>(QStringLiteral("partsList"));
    watch.runUntil([&] { return list->model()->rowCount() == rows; });
    return rows;
}

void BM_BigBomToPartsList(benchmark::State& state)
{
    const qint64 fileBytes = state.range(0) * 1024 * 1024;
    const QString path = writeBigCsv(fileBytes, BigFile::unique);
    const QString shoppingPath = corvallen::test::freshFolder(QStringLiteral("bench")) + QStringLiteral("/shopping.csv");
    const QString sheetPath = corvallen::test::freshFolder(QStringLiteral("bench")) + QStringLiteral("/sheet.pdf");
    for (auto _ : state) {
        Workspace w;
        ModelContext& ctx = w.store->mainContext();
        Project* project = w.project;
        ProjectWorkspaceView& workspace = *w.view;
        auto* parts = w.parts;
        const double before = statusMegabytes("VmRSS");
        resetPeakMemory();
        QElapsedTimer total;
        total.start();

        StallWatch watch;
        const qint64 rows = importThroughSheet(parts, path, watch);
        auto* list = parts->findChild<QAbstractItemView*>(QStringLiteral("partsList"));
        const double shownSeconds = total.elapsed() / 1000.0;
        watch.settle();

        watch.step(QStringLiteral("scroll"));
        QScrollBar* bar = list->verticalScrollBar();
        for (int i = 0; i <= 40; ++i) {
            bar->setValue(int(qint64(bar->maximum()) * i / 40));
            watch.settle(20);
        }
        // A quantity changed in the middle of the list, as a click on "+1" does it.
        // Everything up to here is the import itself: the file chosen, read, applied, shown, scrolled.
        const double listPeak = peakMegabytes();
        const double storeGrowth = statusMegabytes("VmRSS") - before;
        watch.step(QStringLiteral("edit"));
        StockAllocation::setQuantity(project->parts().value(project->parts().size() / 2), 9, ctx);
        watch.settle(300);

        watch.step(QStringLiteral("overview"));
        workspace.setFacet(ProjectFacet::overview);
        watch.settle(300);

        watch.step(QStringLiteral("shopping"));
        workspace.setFacet(ProjectFacet::parts);
        parts = qobject_cast<ProjectPartsView*>(workspace.facetContent());
        watch.settle(300);
        parts->exportShoppingListTo(shoppingPath);
        watch.runUntil([&] { return !parts->isBusy(); });
        watch.settle();

        // Adding from an inventory that now holds every part of the file: to this project (nothing
        // to add) and to another one (everything to add), searching as the user types.
        watch.step(QStringLiteral("add"));
        Project* other = ctx.insert(new Project(QStringLiteral("Other"), QString(), QString()));
        for (Project* target : {project, other}) {
            const QString prefix = target == project ? QStringLiteral("add_same_") : QStringLiteral("add_other_");
            watch.step(prefix + QStringLiteral("open"));
            auto sheet = std::make_unique<AddFromInventorySheet>(target, ctx, &workspace);
            sheet->show();
            watch.runUntil([&] { return sheet->contentState() != QLatin1String("list") || sheet->list()->model()->rowCount() > 0; });
            watch.settle(300);
            watch.step(prefix + QStringLiteral("type"));
            for (const QString& typed : {QStringLiteral("r"), QStringLiteral("resistor 4"), QStringLiteral("resistor 42")}) {
                sheet->searchField()->setText(typed);
                watch.settle(300);
            }
            sheet->list()->verticalScrollBar()->setValue(sheet->list()->verticalScrollBar()->maximum() / 2);
            watch.settle(100);
            watch.step(prefix + QStringLiteral("close"));
            sheet.reset();
            watch.settle(300);
        }

        // The project sheet of every part, as the export menu makes it.
        watch.step(QStringLiteral("export"));
        ProjectExportMenu::setRevealHandler([](const QString&) {});
        QElapsedTimer exporting;
        exporting.start();
        workspace.exportMenu()->exportTo(ProjectExportMenu::Kind::projectSheet, sheetPath);
        watch.runUntil([&] { return !workspace.exportMenu()->isBusy(); }, 3600000);
        state.counters["export_s"] = exporting.elapsed() / 1000.0;
        ProjectExportMenu::setRevealHandler({});
        watch.step(QStringLiteral("end"));

        state.counters["parts"] = double(rows);
        state.counters["shown_s"] = shownSeconds;
        for (auto it = watch.longest().begin(); it != watch.longest().end(); ++it) {
            if (it.key() != QLatin1String("setup") && it.key() != QLatin1String("end"))
                state.counters["stall_" + it.key().toStdString() + "_ms"] = it.value();
        }
        const double fileMB = double(fileBytes) / (1024 * 1024);
        state.counters["import_peak_MB"] = listPeak;
        state.counters["import_peak_x_file"] = (listPeak - before) / fileMB;
        state.counters["after_import_MB"] = storeGrowth;
        state.counters["bytes_per_part"] = storeGrowth * 1024 * 1024 / double(rows);
        state.counters["peak_MB"] = peakMegabytes();
        state.counters["peak_x_file"] = (peakMegabytes() - before) / fileMB;
    }
}
BENCHMARK(BM_BigBomToPartsList)->Arg(31)->Unit(benchmark::kSecond)->Iterations(1);

// Files of about 31 MB in the shapes a bill of materials can take, each imported the whole way
// (chosen, read and matched on the worker, previewed, applied in slices with its saves, shown in
// the parts list). Per shape: the process's peak while importing over its memory before, divided
// by the file's size (peak_x_file; goal: at most 10), the parts imported, and the longest the
// window was held while reading, applying and showing (stall_*_ms; goal: under 100 ms).
enum class Shape {
    distinct,        // every part different, short lines
    repeated,        // the same five parts on every line
    hugeCells,       // a few lines with megabyte-long cells
    manyColumns,     // thousands of columns on every line
    oneLine,         // a single line of cells and no line feed at all
    utf16,           // different parts, written as UTF-16
    quotedNewlines,  // quoted cells with line breaks inside
    manyReferences,  // hundreds of designators on every line
};
constexpr const char* shapeNames[] = {"distinct", "repeated", "huge_cells", "many_columns",
                                      "one_line", "utf16", "quoted_newlines", "many_references"};

QString writeShape(qint64 bytes, Shape shape)
{
    const QString path = corvallen::test::freshFolder(QStringLiteral("bench")) + QStringLiteral("/shape.csv");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    const bool wide = shape == Shape::utf16;
    auto put = [&f, wide](const QByteArray& utf8) {
        if (!wide) {
            f.write(utf8);
            return;
        }
        const QString text = QString::fromUtf8(utf8);
        f.write(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);  // little-endian machine
    };
    if (wide)
        f.write("\xFF\xFE");
    switch (shape) {
    case Shape::manyColumns: {
        QByteArray header("Reference,Value,MPN,Qty");
        for (int c = 0; c < 3000; ++c)
            header += ",Note " + QByteArray::number(c);
        put(header + '\n');
        break;
    }
    case Shape::oneLine:
        break;
    case Shape::manyReferences:
        put("Designator,Comment,Quantity\n");
        break;
    default:
        put("Reference,Value,MPN,Qty,Manufacturer,Type\n");
    }
    QByteArray chunk;
    for (qint64 i = 0; f.size() + chunk.size() * (wide ? 2 : 1) < bytes; ++i) {
        const QByteArray n = QByteArray::number(i);
        switch (shape) {
        case Shape::distinct:
        case Shape::utf16:
            chunk += "\"R" + n + "\",resistor " + n + ",RC0603-" + n + "," + QByteArray::number(1 + i % 5) + ",Yageo,Resistors\n";
            break;
        case Shape::repeated:
            chunk += "R" + n + ",resistor " + QByteArray::number(i % 5) + ",RC0603-" + QByteArray::number(i % 5) + ",1,Yageo,Resistors\n";
            break;
        case Shape::hugeCells:
            chunk += "\"R" + n + "\",\"" + QByteArray(1 << 18, 'x') + n + "\",PN-" + n + ",1,\"" + QByteArray(1 << 18, 'm') + "\",\n";
            break;
        case Shape::manyColumns:
            chunk += "R" + n + ",part " + n + ",PN-" + n + ",1";
            for (int c = 0; c < 3000; ++c)
                chunk += ",n" + QByteArray::number(c % 10);
            chunk += '\n';
            break;
        case Shape::oneLine:
            chunk += "cell " + n + ",";
            break;
        case Shape::quotedNewlines:
            chunk += "\"R" + n + "\nR" + QByteArray::number(i + 1) + "\",\"part " + n + "\nsecond line\",PN-" + n
                     + ",2,\"Maker\n" + QByteArray::number(i % 40) + "\",Kind\r\n";
            break;
        case Shape::manyReferences:
            chunk += '"';
            for (int r = 0; r < 400; ++r)
                chunk += (r ? ", C" : "C") + QByteArray::number(i * 400 + r);
            chunk += "\",100n " + n + ",400\n";
            break;
        }
        if (chunk.size() > (1 << 20)) {
            put(chunk);
            chunk.clear();
        }
    }
    put(chunk);
    return path;
}

void BM_BomShapeMemory(benchmark::State& state)
{
    const auto shape = Shape(state.range(0));
    state.SetLabel(shapeNames[state.range(0)]);
    const QString path = writeShape(31 * 1024 * 1024, shape);
    const double fileMB = double(QFileInfo(path).size()) / (1024 * 1024);
    // A user's locale, not C: the parts list then sorts by collation keys, as it does for them.
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    for (auto _ : state) {
        Workspace w;
        auto* parts = w.parts;
        malloc_trim(0);
        const double before = statusMegabytes("VmRSS");
        resetPeakMemory();

        StallWatch watch;
        const qint64 rows = importThroughSheet(parts, path, watch);
        watch.settle();
        watch.step(QStringLiteral("end"));
        state.counters["parts"] = double(rows);
        state.counters["file_MB"] = fileMB;
        state.counters["peak_MB"] = peakMegabytes() - before;
        state.counters["peak_x_file"] = (peakMegabytes() - before) / fileMB;
        for (auto it = watch.longest().begin(); it != watch.longest().end(); ++it) {
            if (it.key() != QLatin1String("setup") && it.key() != QLatin1String("end"))
                state.counters["stall_" + it.key().toStdString() + "_ms"] = it.value();
        }
    }
    QLocale::setDefault(previous);
}
BENCHMARK(BM_BomShapeMemory)->DenseRange(0, 7)->Unit(benchmark::kSecond)->Iterations(1);

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

int main(int argc, char** argv) { return runBenchmarks<QApplication>(argc, argv, true); }
