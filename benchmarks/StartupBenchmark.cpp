// Start-up to the first painted main window, with a store of 20,000 captures and 10,000
// components against the same start-up with an empty store, side by side. Each run does what the
// program does at launch, in process: the staged-restore check, the launch snapshot, opening the
// store, the document-link migration, then the application with its main window, timed until
// that window's first paint. The goal: the full store starts at most 1.5 times as slowly as the
// empty one. Beside the whole start-up, the part after the store is open (the application, its
// windows and the first paint) is reported on its own as "shell_ms", since loading the store's
// records is most of the difference. All data lives in temporary folders that are removed when
// the program ends.
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Platform/ModelContainer.h"
#include "Corvallen/Platform/ModelContext.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Shell/AppStartup.h"
#include "Corvallen/Shell/Views/CorvallenApp.h"
#include "Corvallen/Shell/Views/MainWindow.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

namespace {

constexpr int kCaptures = 20000;
constexpr int kComponents = 10000;

std::map<std::string, double> g_meanMs;
std::map<std::string, double> g_shellMs;

// Fills the data folder of the current XDG_DATA_HOME with a store like a busy bench's.
void seedLargeStore()
{
    auto container = ModelContainer::open(StoreLocation::storeURL(), corvallenSchema());
    if (!container)
        qFatal("cannot create the large store");
    ModelContext& ctx = container->mainContext();
    ctx.setAutosaveEnabled(false);
    const QDateTime base(QDate(2023, 1, 1), QTime(8, 0));
    QList<Project*> projects;
    for (int i = 0; i < 40; ++i)
        projects << ctx.insert(new Project(QStringLiteral("Project %1").arg(i), QStringLiteral("Repair job"), QString()));
    for (int i = 0; i < kCaptures; ++i) {
        Capture* c = ctx.insert(new Capture(QStringLiteral("scope_%1.png").arg(i, 6, 10, QLatin1Char('0'))));
        c->setImportedAt(base.addSecs(i * 97));
        c->setMode(QStringLiteral("DC V"));
        c->setValue(i * 0.01);
        c->setUnit(QStringLiteral("V"));
        c->setSummary(QStringLiteral("A steady reading on the bench supply."));
        if (i % 10 == 0)
            c->setProject(projects[i % projects.size()]);
    }
    const QStringList makers = {QStringLiteral("Texas Instruments"), QStringLiteral("Yageo"), QStringLiteral("Murata"),
                                QStringLiteral("STMicroelectronics"), QStringLiteral("Vishay")};
    for (int i = 0; i < kComponents; ++i) {
        Component* c = ctx.insert(new Component(QStringLiteral("Part %1").arg(i)));
        c->setPartNumber(QStringLiteral("PN-%1").arg(i));
        c->setCategory(QStringLiteral("Category %1").arg(i % 12));
        c->setManufacturer(makers[i % makers.size()]);
        c->setLocation(QStringLiteral("Drawer %1").arg(i % 30));
        c->setQty(i % 7);
        c->setMinQty(2);
        c->setNotes(QStringLiteral("Bought for a repair; keep a few spare."));
        c->setCreatedAt(base.addSecs(i * 61));
        c->setUpdatedAt(base.addSecs(i * 61));
    }
    QString error;
    if (!ctx.save(&error))
        qFatal("cannot save the large store: %s", qPrintable(error));
}

// Catches the main window's first paint.
class FirstPaint : public QObject {
public:
    bool seen = false;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::UpdateRequest || event->type() == QEvent::Paint)
            seen = true;
        return false;
    }
};

void startUp(benchmark::State& state, const QString& dataHome, const std::string& label)
{
    qputenv("XDG_DATA_HOME", dataHome.toLocal8Bit());
    double total = 0;
    double shell = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        QString error;
        std::unique_ptr<ModelContainer> container = AppStartup::openStore(&error);
        if (!container) {
            state.SkipWithError(qPrintable(error));
            break;
        }
        const qint64 opened = clock.nsecsElapsed();
        auto app = std::make_unique<CorvallenApp>(std::move(container));
        FirstPaint paint;
        app->mainWindow()->installEventFilter(&paint);
        app->show();
        while (!paint.seen)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const double seconds = clock.nsecsElapsed() / 1e9;
        state.SetIterationTime(seconds);
        total += seconds;
        shell += (clock.nsecsElapsed() - opened) / 1e9;
        app->mainWindow()->removeEventFilter(&paint);
        app.reset();
        QCoreApplication::processEvents();
    }
    if (state.iterations() > 0) {
        g_meanMs[label] = total * 1000.0 / double(state.iterations());
        g_shellMs[label] = shell * 1000.0 / double(state.iterations());
        state.counters["shell_ms"] = g_shellMs[label];
    }
}

// The whole launch of the real program, as a user sees it: from starting the process to its
// main window's first paint (the program reports it on stdout and quits).
void launchProcess(benchmark::State& state, const QString& dataHome, const std::string& label)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("CORVALLEN_QUIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
    double total = 0;
    for (auto _ : state) {
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
        const double seconds = clock.nsecsElapsed() / 1e9;
        process.waitForFinished(10000);
        if (!out.contains("first-paint")) {
            state.SkipWithError("the program did not report its first paint");
            break;
        }
        state.SetIterationTime(seconds);
        total += seconds;
    }
    if (state.iterations() > 0)
        g_meanMs["process-" + label] = total * 1000.0 / double(state.iterations());
}

}  // namespace

int main(int argc, char** argv)
{
    corvallen::test::isolateEnvironment();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvallen"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    // Not a first launch: no welcome window in the way.
    SettingsStore::shared().setText(QStringLiteral("lastWelcomeVersion"), QStringLiteral("1.0.0"));

    const QString emptyHome = corvallen::test::freshFolder(QStringLiteral("empty"));
    const QString largeHome = corvallen::test::freshFolder(QStringLiteral("large"));
    qputenv("XDG_DATA_HOME", largeHome.toLocal8Bit());
    std::fprintf(stderr, "Seeding %d captures and %d components…\n", kCaptures, kComponents);
    seedLargeStore();

    benchmark::RegisterBenchmark("Startup/EmptyStore", [emptyHome](benchmark::State& s) { startUp(s, emptyHome, "empty"); })
        ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
    benchmark::RegisterBenchmark("Startup/Captures20k_Components10k", [largeHome](benchmark::State& s) { startUp(s, largeHome, "large"); })
        ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
    benchmark::RegisterBenchmark("Launch/EmptyStore", [emptyHome](benchmark::State& s) { launchProcess(s, emptyHome, "empty"); })
        ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
    benchmark::RegisterBenchmark("Launch/Captures20k_Components10k", [largeHome](benchmark::State& s) { launchProcess(s, largeHome, "large"); })
        ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const auto empty = g_meanMs.find("empty");
    const auto large = g_meanMs.find("large");
    if (empty != g_meanMs.end() && large != g_meanMs.end() && empty->second > 0)
        std::printf("\nFirst paint: empty store %.1f ms, 20k captures + 10k components %.1f ms: %.2fx (goal: at most 1.5x)\n",
                    empty->second, large->second, large->second / empty->second);
    if (g_meanMs["process-empty"] > 0)
        std::printf("Whole launch to first paint: empty store %.1f ms, full %.1f ms: %.2fx (goal: at most 1.5x)\n",
                    g_meanMs["process-empty"], g_meanMs["process-large"], g_meanMs["process-large"] / g_meanMs["process-empty"]);
    if (g_shellMs["empty"] > 0)
        std::printf("After the store is open: empty %.1f ms, full %.1f ms: %.2fx\n", g_shellMs["empty"], g_shellMs["large"],
                    g_shellMs["large"] / g_shellMs["empty"]);
    return 0;
}
