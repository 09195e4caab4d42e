// Loading the store at launch and saving one change, through the object store and, side by
// side, through plain SQLite reads of the same rows into Qt values.
//
// Goals: opening the object store (BM_LoadRatio) and reading every record into objects
// (BM_LoadEveryRecordRatio) each take at most 3x the plain reads (the "ratio" counters); saving
// one changed record stays under 5 ms.
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Store/ModelContainer.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QUuid>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <vector>

namespace {

constexpr int captureCount = 20000;
constexpr int componentCount = 10000;
constexpr int projectCount = 500;
constexpr int linesPerProject = 12;

QString& storePath()
{
    static QString path;
    return path;
}

// Fills a store once per run with captures, components and projects with their parts lines.
void buildStore()
{
    storePath() = corvallen::test::freshFolder(QStringLiteral("bench")) + QStringLiteral("/Corvallen.store");
    QString error;
    auto container = ModelContainer::open(storePath(), corvallenSchema(), &error);
    if (!container)
        qFatal("cannot create the store: %s", qPrintable(error));
    ModelContext& ctx = container->mainContext();
    ctx.setAutosaveEnabled(false);
    for (int i = 0; i < captureCount; ++i) {
        auto* c = ctx.insert(new Capture(QStringLiteral("IMG_%1.png").arg(i, 6, 10, QLatin1Char('0'))));
        c->setNotes(QStringLiteral("bench capture notes %1").arg(i));
        if (i % 2 == 0) {
            c->setMode(QStringLiteral("DC V"));
            c->setValue(i * 0.001);
            c->setUnit(QStringLiteral("V"));
            c->setSummary(QStringLiteral("A steady reading of %1 volts.").arg(i * 0.001));
        }
    }
    std::vector<Component*> components;
    components.reserve(componentCount);
    for (int i = 0; i < componentCount; ++i) {
        auto* c = ctx.insert(new Component(QStringLiteral("Component %1").arg(i)));
        c->setPartNumber(QStringLiteral("PN-%1").arg(i * 7919));
        c->setCategory(QStringLiteral("Category %1").arg(i % 20));
        c->setManufacturer(QStringLiteral("Maker %1").arg(i % 50));
        c->setQty(i % 100);
        c->setMinQty(5);
        c->setLocation(QStringLiteral("Shelf %1").arg(i % 10));
        c->setPackage(QStringLiteral("SOT-23"));
        c->setTags(QStringLiteral("smd, analog"));
        c->setPurchasePrice(0.12 + i % 10);
        c->setResellPrice(0.3 + i % 10);
        components.push_back(c);
    }
    for (int p = 0; p < projectCount; ++p) {
        auto* project = ctx.insert(new Project(QStringLiteral("Project %1").arg(p), QStringLiteral("Repair of unit %1").arg(p), QString()));
        project->setLabourHours(2.5);
        project->setLabourRate(45);
        for (int l = 0; l < linesPerProject; ++l)
            ctx.insert(new ProjectComponent(components[size_t((p * 31 + l * 97) % componentCount)], project, 1 + l));
    }
    if (!ctx.save(&error))
        qFatal("cannot save the store: %s", qPrintable(error));
}

// What a plain client reads for each row: every column into a Qt value.
struct CaptureRow {
    qint64 pk;
    QString fileName, title, notes;
    QDateTime importedAt;
    QString mode;
    std::optional<double> value;
    QString unit;
    std::optional<double> minValue, maxValue;
    QString summary;
    qint64 project;
};
struct ComponentRow {
    qint64 pk;
    QString text[25];
    qint64 qty, minQty;
    std::optional<double> confidence, purchasePrice, resellPrice;
    QDateTime createdAt, updatedAt;
};
struct ProjectRow {
    qint64 pk;
    QString name, details, notes;
    QDateTime createdAt;
    std::optional<double> hours, rate, flat;
    bool combined;
};
struct LineRow {
    qint64 pk;
    QUuid id;
    QDateTime addedAt;
    qint64 quantity, component, project;
};

QString text(sqlite3_stmt* st, int col)
{
    if (sqlite3_column_type(st, col) == SQLITE_NULL)
        return {};
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, col)), sqlite3_column_bytes(st, col));
}
std::optional<double> real(sqlite3_stmt* st, int col)
{
    if (sqlite3_column_type(st, col) == SQLITE_NULL)
        return std::nullopt;
    return sqlite3_column_double(st, col);
}
QDateTime date(sqlite3_stmt* st, int col) { return QDateTime::fromMSecsSinceEpoch(sqlite3_column_int64(st, col), Qt::UTC); }

template <class F>
void eachRow(sqlite3* db, const char* sql, F&& f)
{
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        f(st);
    sqlite3_finalize(st);
}

qint64 plainLoad()
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(storePath().toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    std::vector<CaptureRow> captures;
    std::vector<ComponentRow> components;
    std::vector<ProjectRow> projects;
    std::vector<LineRow> lines;
    eachRow(db, "SELECT pk, fileName, title, notes, importedAt, mode, value, unit, minValue, maxValue, summary, project_pk FROM Capture",
            [&](sqlite3_stmt* st) {
                captures.push_back({sqlite3_column_int64(st, 0), text(st, 1), text(st, 2), text(st, 3), date(st, 4), text(st, 5), real(st, 6),
                                    text(st, 7), real(st, 8), real(st, 9), text(st, 10), sqlite3_column_int64(st, 11)});
            });
    eachRow(db,
            "SELECT pk, name, partNumber, category, subcategory, manufacturer, unit, location, bin, voltage, \"current\", power, "
            "interface, logicLevel, package, keySpecs, notes, tags, shoppingURL, photoFile, datasheetFile, manualFile, datasheetURL, "
            "manualURL, photoURL, statusOverride, qty, minQty, confidence, purchasePrice, resellPrice, createdAt, updatedAt FROM Component",
            [&](sqlite3_stmt* st) {
                ComponentRow r;
                r.pk = sqlite3_column_int64(st, 0);
                for (int i = 0; i < 25; ++i)
                    r.text[i] = text(st, 1 + i);
                r.qty = sqlite3_column_int64(st, 26);
                r.minQty = sqlite3_column_int64(st, 27);
                r.confidence = real(st, 28);
                r.purchasePrice = real(st, 29);
                r.resellPrice = real(st, 30);
                r.createdAt = date(st, 31);
                r.updatedAt = date(st, 32);
                components.push_back(std::move(r));
            });
    eachRow(db, "SELECT pk, name, details, notes, createdAt, labourHours, labourRate, labourFlat, quoteCombined FROM Project", [&](sqlite3_stmt* st) {
        projects.push_back({sqlite3_column_int64(st, 0), text(st, 1), text(st, 2), text(st, 3), date(st, 4), real(st, 5), real(st, 6),
                            real(st, 7), sqlite3_column_int(st, 8) != 0});
    });
    eachRow(db, "SELECT pk, id, addedAt, quantity, component_pk, project_pk FROM ProjectComponent", [&](sqlite3_stmt* st) {
        lines.push_back({sqlite3_column_int64(st, 0), QUuid::fromString(QLatin1String(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)))),
                         date(st, 2), sqlite3_column_int64(st, 3), sqlite3_column_int64(st, 4), sqlite3_column_int64(st, 5)});
    });
    sqlite3_close(db);
    return qint64(captures.size() + components.size() + projects.size() + lines.size());
}

// Opening the store and counting its records (which the file answers), or also reading every
// record into objects, as the readers do in the background once the first window is up.
qint64 objectStoreLoad(bool everyRecord = false)
{
    QString error;
    auto container = ModelContainer::open(storePath(), corvallenSchema(), &error);
    if (!container)
        qFatal("cannot open the store: %s", qPrintable(error));
    ModelContext& ctx = container->mainContext();
    ctx.setAutosaveEnabled(false);
    if (everyRecord)
        ctx.loadAll();
    return ctx.fetchCount<Capture>() + ctx.fetchCount<Component>() + ctx.fetchCount<Project>() + ctx.fetchCount<ProjectComponent>();
}

void BM_PlainSelect(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(plainLoad());
    state.counters["rows"] = double(plainLoad());
}
BENCHMARK(BM_PlainSelect)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ObjectStoreOpenAndLoad(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(objectStoreLoad());
    state.counters["rows"] = double(objectStoreLoad());
}
BENCHMARK(BM_ObjectStoreOpenAndLoad)->Unit(benchmark::kMillisecond)->Iterations(10);

// Both loads in turn in every iteration; "ratio" is the object store's time over the plain one.
void loadRatio(benchmark::State& state, bool everyRecord)
{
    qint64 plainNs = 0, storeNs = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        benchmark::DoNotOptimize(plainLoad());
        plainNs += t.nsecsElapsed();
        t.restart();
        benchmark::DoNotOptimize(objectStoreLoad(everyRecord));
        storeNs += t.nsecsElapsed();
    }
    const double n = double(state.iterations());
    state.counters["plain_ms"] = double(plainNs) / n / 1e6;
    state.counters["store_ms"] = double(storeNs) / n / 1e6;
    state.counters["ratio"] = double(storeNs) / double(plainNs);
}
void BM_LoadRatio(benchmark::State& state) { loadRatio(state, false); }
BENCHMARK(BM_LoadRatio)->Unit(benchmark::kMillisecond)->Iterations(10);
void BM_LoadEveryRecordRatio(benchmark::State& state) { loadRatio(state, true); }
BENCHMARK(BM_LoadEveryRecordRatio)->Unit(benchmark::kMillisecond)->Iterations(10);

// The automatic save after one edit: one changed component written in its own transaction.
void BM_SaveOneChangedRecord(benchmark::State& state)
{
    QString error;
    auto container = ModelContainer::open(storePath(), corvallenSchema(), &error);
    ModelContext& ctx = container->mainContext();
    ctx.setAutosaveEnabled(false);
    const QList<Component*> components = ctx.fetch<Component>();
    qint64 i = 0;
    for (auto _ : state) {
        Component* c = components[i % components.size()];
        c->setQty(c->qty() + 1);
        c->setUpdatedAt(QDateTime::currentDateTimeUtc());
        if (!ctx.save(&error))
            state.SkipWithError(qPrintable(error));
        ++i;
    }
}
BENCHMARK(BM_SaveOneChangedRecord)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    corvallen::test::isolateEnvironment();
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    buildStore();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
