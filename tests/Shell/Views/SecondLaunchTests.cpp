// A second launch on the same data folder while Corvallen runs: it hands over to the running
// copy, whose window comes forward, and ends without touching the store; the work done in the
// running copy after each launch attempt is all in the store.
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/SingleInstance.h"
#include "Corvallen/Shell/AppStartup.h"
#include "Corvallen/Shell/ProjectLifecycle.h"
#include "Corvallen/Shell/Views/CorvallenApp.h"
#include "Corvallen/Shell/Views/MainWindow.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"
#include "support/TestStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace corvallen::test;

namespace {

QString executable() { return QCoreApplication::applicationDirPath() + QStringLiteral("/../corvallen"); }

// The real program, started as the user would start it again: same user, same folders.
int launchAgain(QString* errors)
{
    QProcess process;
    process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    process.start(executable(), {});
    if (!process.waitForStarted(30000))
        return -1;
    // This process plays the running copy: its event loop must turn to answer.
    waitUntil([&] { return process.state() == QProcess::NotRunning; }, 60000);
    *errors = QString::fromLocal8Bit(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
}

}  // namespace

TEST(SecondLaunch, HandsOverToTheRunningCopyAndEveryProjectSurvives)
{
    ASSERT_TRUE(QFileInfo(executable()).isExecutable()) << "build the corvallen target first";
    const FreshProcessStore fresh;
    const QString runtime = isolatedRoot() + QStringLiteral("/run");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    SettingsStore::shared().setText(QStringLiteral("lastWelcomeVersion"), QStringLiteral(CORVALLEN_VERSION));

    // The running copy, started as main() starts it.
    SingleInstance instance(StoreLocation::dataFolder());
    ASSERT_TRUE(instance.tryClaim());
    ASSERT_TRUE(instance.listen());
    QString error;
    auto container = AppStartup::openStore(&error);
    ASSERT_TRUE(container) << error.toStdString();
    const QString store = container->path();
    {
        CorvallenApp app(std::move(container));
        QObject::connect(&instance, &SingleInstance::activationRequested, &app, &CorvallenApp::bringForward);
        app.show();
        ModelContext& context = app.container().mainContext();

        // First attempt: the user makes a project, then starts Corvallen again from the menu.
        ProjectLifecycle::createProject(context)->setName(QStringLiteral("First"));
        ASSERT_TRUE(context.save());
        app.mainWindow()->showMinimized();
        QString errors;
        EXPECT_EQ(launchAgain(&errors), 0) << errors.toStdString();
        EXPECT_FALSE(errors.contains(QLatin1String("did not answer"))) << errors.toStdString();
        EXPECT_FALSE(app.mainWindow()->isMinimized()) << "the running copy's window came forward";

        // Second attempt: the project is made in the window that came forward.
        ProjectLifecycle::createProject(context)->setName(QStringLiteral("Second"));
        EXPECT_EQ(launchAgain(&errors), 0) << errors.toStdString();
        // No other copy opened the store: neither launch took a snapshot of it.
        EXPECT_FALSE(QFileInfo::exists(StoreLocation::snapshotFolder()));
    }

    // Quit: what the running copy held is in the store.
    auto reopened = ModelContainer::open(store, corvallenSchema(), &error);
    ASSERT_TRUE(reopened) << error.toStdString();
    QStringList names;
    for (Project* p : reopened->mainContext().fetch<Project>())
        names << p->name();
    EXPECT_THAT(names, ::testing::UnorderedElementsAre(QStringLiteral("First"), QStringLiteral("Second")));
}
