// Failed saves are seen: the main window names the reason at once, keeps trying, drops the
// notice after the next good save, and asks before quitting with changes it couldn't save. The
// failures are real: another connection holding the store's write lock, a store that can't
// grow.
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Shell/ProjectLifecycle.h"
#include "Corvallen/Shell/TerminationSignals.h"
#include "Corvallen/Shell/UnsavedChangesNote.h"
#include "Corvallen/Shell/Views/CorvallenApp.h"
#include "Corvallen/Shell/Views/MainWindow.h"
#include "Corvallen/Shell/Views/SaveFailureBanner.h"
#include "support/ChildRun.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <csignal>
#include <cstdio>

using namespace corvallen::test;

namespace {

// Another program with the store open, holding its write lock while it is "busy".
class OtherWriter {
public:
    explicit OtherWriter(const QString& path) { sqlite3_open(path.toUtf8().constData(), &m_db); }
    ~OtherWriter()
    {
        release();
        sqlite3_close(m_db);
    }
    bool hold() { return sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK; }
    void release()
    {
        if (!sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }

private:
    sqlite3* m_db = nullptr;
};

qsizetype projectsInFile(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_stmt* st = nullptr;
    qsizetype n = -1;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM Project", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return n;
}

class SaveFailureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SettingsStore::shared().setText(QStringLiteral("lastWelcomeVersion"), QStringLiteral(CORVALLEN_VERSION));
        path = freshFolder() + QStringLiteral("/Corvallen.store");
        auto container = ModelContainer::open(path, corvallenSchema());
        ASSERT_TRUE(container);
        container->setBusyTimeout(0);
        app = std::make_unique<CorvallenApp>(std::move(container));
        app->show();
        window()->saveMonitor().setRetryDelays({50});
    }
    MainWindow* window() { return app->mainWindow(); }
    ModelContext& context() { return app->container().mainContext(); }
    SaveFailureBanner* banner() { return window()->saveFailureBanner(); }
    // The user makes a project, which saves at once.
    void makeProject(const QString& name) { ProjectLifecycle::createProject(context())->setName(name); }
    // A button of the question before quitting, by its text.
    QAbstractButton* quitAnswer(const QString& text)
    {
        if (QMessageBox* question = window()->quitQuestion())
            for (QAbstractButton* b : question->buttons())
                if (b->text() == text)
                    return b;
        return nullptr;
    }

    QString path;
    std::unique_ptr<CorvallenApp> app;
};

TEST_F(SaveFailureTest, ALockedStoreIsNamedAtOnceAndTheNoticeGoesWithTheNextGoodSave)
{
    ASSERT_TRUE(banner());
    EXPECT_FALSE(banner()->isVisible());

    OtherWriter other(path);
    ASSERT_TRUE(other.hold());
    makeProject(QStringLiteral("Amplifier"));
    ASSERT_TRUE(context().hasChanges());
    EXPECT_TRUE(banner()->isVisible()) << "seen at once, not at the next turn of the loop";
    EXPECT_TRUE(banner()->messageLabel()->text().contains(QLatin1String("locked by another program")))
        << banner()->messageLabel()->text().toStdString();
    EXPECT_EQ(banner()->tryAgainButton()->text(), QStringLiteral("Try Again"));

    // Still locked: trying again fails again, nothing is lost, the notice stays.
    banner()->tryAgainButton()->click();
    EXPECT_TRUE(banner()->isVisible());
    EXPECT_TRUE(context().hasChanges());
    EXPECT_EQ(projectsInFile(path), 0);

    // The other program lets go: the automatic retry saves and the notice goes.
    other.release();
    EXPECT_TRUE(waitUntil([&] { return !banner()->isVisible(); }));
    EXPECT_FALSE(context().hasChanges());
    EXPECT_EQ(projectsInFile(path), 1);
}

TEST_F(SaveFailureTest, AStoreThatCantGrowSaysTheDiskIsFull)
{
    // The engine refuses to grow the file, as it does when the disk is full.
    ASSERT_EQ(sqlite3_exec(app->container().handle(), "PRAGMA max_page_count = 1", nullptr, nullptr, nullptr), SQLITE_OK);
    for (int i = 0; i < 200; ++i)
        context().insert(new Project(QStringLiteral("Project %1").arg(i), QString(500, u'x'), {}));
    EXPECT_FALSE(context().save());
    EXPECT_TRUE(banner()->isVisible());
    EXPECT_TRUE(banner()->messageLabel()->text().contains(QLatin1String("The disk is full."))) << banner()->messageLabel()->text().toStdString();

    ASSERT_EQ(sqlite3_exec(app->container().handle(), "PRAGMA max_page_count = 1073741823", nullptr, nullptr, nullptr), SQLITE_OK);
    banner()->tryAgainButton()->click();
    EXPECT_FALSE(banner()->isVisible());
    EXPECT_EQ(projectsInFile(path), 200);
}

TEST_F(SaveFailureTest, QuittingWithChangesThatCantBeSavedAsksFirst)
{
    OtherWriter other(path);
    ASSERT_TRUE(other.hold());
    makeProject(QStringLiteral("Kept"));

    // Cancel: nothing closes, nothing is dropped.
    window()->close();
    QMessageBox* question = window()->quitQuestion();
    ASSERT_TRUE(question);
    EXPECT_TRUE(window()->isVisible());
    EXPECT_TRUE(question->informativeText().contains(QLatin1String("locked by another program")));
    EXPECT_TRUE(quitAnswer(QStringLiteral("Try Again")));
    EXPECT_TRUE(quitAnswer(QStringLiteral("Quit Without Saving")));
    question->button(QMessageBox::Cancel)->click();
    processEvents();
    EXPECT_TRUE(window()->isVisible());
    EXPECT_TRUE(context().hasChanges());

    // Try again while still locked: asked again.
    window()->close();
    ASSERT_TRUE(quitAnswer(QStringLiteral("Try Again")));
    quitAnswer(QStringLiteral("Try Again"))->click();
    EXPECT_TRUE(waitUntil([&] { return window()->quitQuestion() != nullptr; }));
    EXPECT_TRUE(window()->isVisible());

    // Try again once the lock is gone: saved, and the window closes.
    other.release();
    ASSERT_TRUE(quitAnswer(QStringLiteral("Try Again")));
    quitAnswer(QStringLiteral("Try Again"))->click();
    EXPECT_TRUE(waitUntil([&] { return !window()->isVisible(); }));
    EXPECT_EQ(projectsInFile(path), 1);
}

TEST_F(SaveFailureTest, AQuitCancelledAtTheQuestionClosesNoWindow)
{
    QWidget* welcome = app->openWindow(QStringLiteral("welcome"));
    ASSERT_TRUE(welcome);
    processEvents();
    OtherWriter other(path);
    ASSERT_TRUE(other.hold());
    makeProject(QStringLiteral("Kept"));
    window()->quitAction()->trigger();
    processEvents();
    ASSERT_TRUE(window()->quitQuestion());
    EXPECT_TRUE(welcome->isVisible());
    window()->quitQuestion()->button(QMessageBox::Cancel)->click();
    processEvents();
    EXPECT_TRUE(welcome->isVisible());
    EXPECT_TRUE(window()->isVisible());
}

TEST_F(SaveFailureTest, QuitWithoutSavingLeavesTheStoreAsItWas)
{
    OtherWriter other(path);
    ASSERT_TRUE(other.hold());
    makeProject(QStringLiteral("Dropped"));
    window()->close();
    ASSERT_TRUE(quitAnswer(QStringLiteral("Quit Without Saving")));
    quitAnswer(QStringLiteral("Quit Without Saving"))->click();
    EXPECT_TRUE(waitUntil([&] { return !window()->isVisible(); }));
    // The user's own choice: nothing to tell the next launch about.
    EXPECT_TRUE(app->saveOrNoteUnsavedChanges());
    EXPECT_FALSE(QFileInfo::exists(UnsavedChangesNote::filePath()));
    other.release();
    app.reset();  // the store closes: nothing is saved on the way out
    EXPECT_EQ(projectsInFile(path), 0);
}

const char* const kEndedStore = "CORVALLEN_ENDED_STORE";
const char* const kEndedDataHome = "CORVALLEN_ENDED_DATA_HOME";

// The child's side: the application with a change it can't save (another program holds the
// store's write lock), running until the system ends it, then ending as the program does.
TEST(SaveFailureEndedChild, RunsUntilTheSystemEndsIt)
{
    if (!qEnvironmentVariableIsSet(kEndedStore))
        GTEST_SKIP() << "started by the SaveFailure test of an ended run";
    qputenv("XDG_DATA_HOME", qgetenv(kEndedDataHome));
    auto container = ModelContainer::open(qEnvironmentVariable(kEndedStore), corvallenSchema());
    ASSERT_TRUE(container);
    container->setBusyTimeout(0);
    CorvallenApp app(std::move(container));
    app.show();
    ProjectLifecycle::createProject(app.container().mainContext())->setName(QStringLiteral("Unsaved"));
    ASSERT_TRUE(waitUntil([&] { return app.mainWindow()->saveMonitor().isFailing(); }));
    TerminationSignals::quitOnSignals();
    std::fputs("failing\n", stdout);
    std::fflush(stdout);
    QCoreApplication::exec();
    EXPECT_FALSE(app.saveOrNoteUnsavedChanges());
}

// Ended by the system (SIGTERM, as at logout) while its saves fail: the changes can't be kept,
// but the next launch says that they were lost and why.
TEST_F(SaveFailureTest, ARunEndedByTheSystemWhileSavesFailIsToldAtTheNextLaunch)
{
    app.reset();
    OtherWriter other(path);
    ASSERT_TRUE(other.hold());
    QProcess child;
    startSelf(child, QStringLiteral("SaveFailureEndedChild.*"),
              {{QString::fromLatin1(kEndedStore), path}, {QString::fromLatin1(kEndedDataHome), qEnvironmentVariable("XDG_DATA_HOME")}});
    ASSERT_TRUE(child.waitForStarted(30000));
    QByteArray out;
    ASSERT_TRUE(waitUntil([&] {
        child.waitForReadyRead(10);
        out += child.readAllStandardOutput();
        return out.contains("failing") || child.state() == QProcess::NotRunning;
    }, 60000)) << out.toStdString();
    ASSERT_TRUE(out.contains("failing")) << out.toStdString();
    ::kill(pid_t(child.processId()), SIGTERM);
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    out += child.readAllStandardOutput();
    EXPECT_FALSE(out.contains("[  FAILED  ]")) << out.toStdString();
    other.release();
    EXPECT_EQ(projectsInFile(path), 0);

    // The next launch tells, once.
    const QString notice = UnsavedChangesNote::takeNotice();
    EXPECT_TRUE(notice.startsWith(QStringLiteral("Corvallen was closed by the system ("))) << notice.toStdString();
    EXPECT_TRUE(notice.endsWith(QStringLiteral(
        " while your latest changes couldn\u2019t be saved. The store is locked by another program. Those changes were lost; "
        "please check your recent work.")))
        << notice.toStdString();
    EXPECT_EQ(UnsavedChangesNote::takeNotice(), QString());
}

}  // namespace
