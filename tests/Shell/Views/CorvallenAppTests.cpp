#include "Corvallen/Model/Schema.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/WindowRouter.h"
#include "Corvallen/Shell/Views/AppShell.h"
#include "Corvallen/Shell/Views/CorvallenApp.h"
#include "Corvallen/Shell/Views/MainWindow.h"
#include "Corvallen/Shell/Views/ShellSidebar.h"
#include "Corvallen/Sync/AppModel.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QCloseEvent>
#include <QApplication>
#include <QPointer>
#include <QShortcut>
#include <gtest/gtest.h>

namespace {

std::unique_ptr<CorvallenApp> makeApp()
{
    SettingsStore::shared().setText(QStringLiteral("lastWelcomeVersion"), QStringLiteral("1.0.0"));
    auto container = ModelContainer::open(corvallen::test::freshFolder() + QStringLiteral("/Corvallen.store"), corvallenSchema());
    return std::make_unique<CorvallenApp>(std::move(container));
}

QString title(QObject* window) { return qobject_cast<QWidget*>(window)->windowTitle(); }

}  // namespace

TEST(CorvallenApp, SettingsAndReleaseNotesAreOneWindowEachOtherGroupsOpenANewOne)
{
    auto app = makeApp();
    app->mainWindow()->settingsAction()->trigger();
    app->mainWindow()->settingsAction()->trigger();
    ASSERT_EQ(app->router().windows(QStringLiteral("settings")).size(), 1);
    EXPECT_EQ(title(app->router().windows(QStringLiteral("settings")).first()), QStringLiteral("Settings"));
    EXPECT_EQ(app->openWindow(QStringLiteral("settings")), app->router().windows(QStringLiteral("settings")).first());
    // Once closed, the next request makes a fresh one.
    QPointer<QWidget> settings = app->openWindow(QStringLiteral("settings"));
    settings->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(settings.isNull());
    EXPECT_TRUE(app->openWindow(QStringLiteral("settings")));
    EXPECT_EQ(app->router().windows(QStringLiteral("settings")).size(), 1);
    QWidget* notes = app->openWindow(QStringLiteral("changelog"));
    EXPECT_EQ(app->openWindow(QStringLiteral("changelog")), notes);
    EXPECT_EQ(app->mainWindow()->settingsAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    const QList<QKeySequence> help = app->mainWindow()->helpAction()->shortcuts();
    EXPECT_TRUE(help.contains(QKeySequence(Qt::Key_F1)));
    EXPECT_TRUE(help.contains(QKeySequence(Qt::CTRL | Qt::Key_Question)));
    app->mainWindow()->helpAction()->trigger();
    ASSERT_EQ(app->router().windows(QStringLiteral("help")).size(), 1);
    EXPECT_EQ(title(app->router().windows(QStringLiteral("help")).first()), QStringLiteral("Corvallen Help"));
    app->mainWindow()->helpAction()->trigger();
    EXPECT_EQ(app->router().windows(QStringLiteral("help")).size(), 2);
    EXPECT_EQ(app->openWindow(QStringLiteral("welcome"))->windowTitle(), QStringLiteral("Welcome to Corvallen"));
    // Ctrl+N makes a project and opens it, as the sidebar's plus button does.
    EXPECT_EQ(app->mainWindow()->newProjectAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    app->mainWindow()->newProjectAction()->trigger();
    const Destination shown = app->mainWindow()->shell()->navigation().destination();
    ASSERT_EQ(shown.kind, Destination::Kind::project);
    EXPECT_EQ(shown.project->name(), QStringLiteral("New Project"));
    // "Check for Updates…" waits for the update controller.
    EXPECT_FALSE(app->mainWindow()->checkForUpdatesAction()->isEnabled());
}

TEST(CorvallenApp, ViewersAreOnePerValue)
{
    auto app = makeApp();
    QWidget* a = app->openCaptureViewer(QStringLiteral("scope_1.png"));
    QWidget* b = app->openCaptureViewer(QStringLiteral("scope_1.png"));
    QWidget* c = app->openCaptureViewer(QStringLiteral("scope_2.png"));
    ASSERT_TRUE(a && c);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);

    const DocViewerTarget library{QStringLiteral("F.pdf"), QStringLiteral("L.markup.pdf"), QString()};
    const DocViewerTarget project{QStringLiteral("F.pdf"), QStringLiteral("P.markup.pdf"), QStringLiteral("Amp")};
    QWidget* d1 = app->openDocumentViewer(library);
    QWidget* d2 = app->openDocumentViewer(project);
    EXPECT_NE(d1, d2);
    EXPECT_EQ(app->openDocumentViewer(library), d1);
    // Pages below the shell reach the same windows through the current router.
    EXPECT_EQ(WindowRouter::current()->openKeyed(QStringLiteral("capture-viewer"), QStringLiteral("scope_1.png")), a);

    // A closed viewer frees its value.
    QPointer<QWidget> closing = a;
    a->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closing.isNull());
    EXPECT_NE(app->openCaptureViewer(QStringLiteral("scope_1.png")), nullptr);
}

TEST(CorvallenApp, AWakeRebuildsTheMainWindowOnTheDashboard)
{
    auto app = makeApp();
    QPointer<AppShell> before = app->mainWindow()->shell();
    before->navigation().selectSection(Destination::library());
    before->sidebar()->toggleCollapsed();
    app->model().systemDidWake();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    AppShell* after = app->mainWindow()->shell();
    ASSERT_NE(after, nullptr);
    EXPECT_TRUE(before.isNull());  // the old content with its page state is gone
    EXPECT_EQ(after->navigation().destination(), Destination::dashboard());
    EXPECT_FALSE(after->navigation().railCollapsed());
    EXPECT_EQ(app->mainWindow()->minimumSize(), QSize(860, 540));
}

TEST(CorvallenApp, EscAndCtrlWCloseAuxiliaryWindows)
{
    auto app = makeApp();
    const auto closesWith = [](QWidget* window, const QKeySequence& keys) {
        QShortcut* found = nullptr;
        for (QShortcut* s : window->findChildren<QShortcut*>())
            if (s->key() == keys && s->context() == Qt::WindowShortcut)
                found = s;
        if (!found)
            return false;
        QPointer<QWidget> watched = window;
        window->show();
        Q_EMIT found->activated();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return watched.isNull() || !watched->isVisible();
    };
    EXPECT_TRUE(closesWith(app->openWindow(QStringLiteral("help")), QKeySequence(Qt::Key_Escape)));
    EXPECT_TRUE(closesWith(app->openWindow(QStringLiteral("changelog")), QKeySequence(QKeySequence::Close)));
    EXPECT_TRUE(closesWith(app->openCaptureViewer(QStringLiteral("scope_1.png")), QKeySequence(Qt::Key_Escape)));
    EXPECT_TRUE(closesWith(app->openDocumentViewer({QStringLiteral("F.pdf"), QStringLiteral("L.markup.pdf"), QString()}),
                           QKeySequence(QKeySequence::Close)));
    // The main window keeps Esc for its pages and sheets.
    EXPECT_FALSE(closesWith(app->mainWindow(), QKeySequence(Qt::Key_Escape)));
}

TEST(CorvallenApp, WelcomeWindowIsItsContentsWidth)
{
    auto app = makeApp();
    QWidget* welcome = app->openWindow(QStringLiteral("welcome"));
    ASSERT_TRUE(welcome);
    welcome->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(welcome->width(), 520);
    EXPECT_GE(welcome->height(), welcome->minimumSizeHint().height());
}

// The relaunch after a staged restore asks the other windows first; one that stays open (its
// question about unsaved work was cancelled) keeps the application, its main and Settings
// windows as they are.
TEST(CorvallenApp, TheRelaunchQuitStopsWhenAWindowStaysOpen)
{
    class Stubborn : public QWidget {
    public:
        bool refuse = true;

    protected:
        void closeEvent(QCloseEvent* e) override { refuse ? e->ignore() : e->accept(); }
    };
    auto app = makeApp();
    app->show();
    QWidget* settings = app->openWindow(QStringLiteral("settings"));
    QPointer<QWidget> help = app->openWindow(QStringLiteral("help"));
    Stubborn stubborn;
    stubborn.show();
    EXPECT_FALSE(app->quitForRelaunch());
    EXPECT_TRUE(stubborn.isVisible());
    EXPECT_TRUE(settings->isVisible());
    EXPECT_TRUE(app->mainWindow()->isVisible());

    stubborn.refuse = false;
    EXPECT_TRUE(app->quitForRelaunch());
    EXPECT_FALSE(stubborn.isVisible());
    EXPECT_TRUE(help.isNull() || !help->isVisible());
}
