// One running copy per data folder: the claim, the hand-over to the running copy, and what the
// running copy does with what arrives on its socket.
#include "Corvallen/Platform/SingleInstance.h"
#include "support/ChildRun.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>

using namespace corvallen::test;

namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A private runtime folder of this test's own (short: socket paths have little room).
        const QString runtime = isolatedRoot() + QStringLiteral("/run");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
        folder = freshFolder(QStringLiteral("data")) + QStringLiteral("/Corvallen");
    }

    // A hand-over from another thread, as a second launch would make it, while this thread's
    // event loop lets the running copy answer.
    SingleInstance::HandOver handOverFromElsewhere(const QByteArray& request, int timeoutMs,
                                                   const std::function<void()>& meanwhile = {})
    {
        std::atomic<int> result{-1};
        QThread* launch = QThread::create([&] {
            SingleInstance second(folder);
            EXPECT_FALSE(second.tryClaim());
            result = int(second.handOver(request, timeoutMs));
        });
        launch->start();
        if (meanwhile)
            meanwhile();
        EXPECT_TRUE(waitUntil([&] { return launch->isFinished(); }));
        launch->wait();
        delete launch;
        return SingleInstance::HandOver(result.load());
    }

    QString folder;
};

TEST_F(SingleInstanceTest, OneClaimPerDataFolderUntilItsHolderEnds)
{
    auto first = std::make_unique<SingleInstance>(folder);
    SingleInstance second(folder);
    ASSERT_TRUE(first->tryClaim());
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/Corvallen.lock")));
    EXPECT_FALSE(second.tryClaim());
    EXPECT_FALSE(second.tryClaim()) << "asking again changes nothing while the holder lives";

    SingleInstance elsewhere(freshFolder(QStringLiteral("other")) + QStringLiteral("/Corvallen"));
    EXPECT_TRUE(elsewhere.tryClaim()) << "another data folder is another copy";
    EXPECT_NE(elsewhere.serverPath(), first->serverPath());

    first.reset();
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/Corvallen.lock")));
    EXPECT_TRUE(second.tryClaim());
}

TEST_F(SingleInstanceTest, ALockThatNamesNoOwnerIsTakenOnceNoStartingCopyCanBeWritingIt)
{
    // What a power cut can leave: the file made, its text lost (empty), or damaged.
    const QString lock = folder + QStringLiteral("/Corvallen.lock");
    for (const QByteArray& content : {QByteArray(), QByteArray("\0\0\0\0", 4), QByteArray("not a lock\n")}) {
        QDir().mkpath(folder);
        {
            QFile f(lock);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(content);
        }
        // Just made: a copy may be writing its details into it this very moment.
        EXPECT_FALSE(SingleInstance(folder).tryClaim());
        {
            QFile f(lock);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
        }
        auto claimed = std::make_unique<SingleInstance>(folder);
        EXPECT_TRUE(claimed->tryClaim()) << content.toHex().toStdString();
        // And the lock is a real one again: the next launch finds it held.
        EXPECT_FALSE(SingleInstance(folder).tryClaim());
        claimed.reset();
        EXPECT_FALSE(QFileInfo::exists(lock));
    }
}

const char* const kKilledFolder = "CORVALLEN_KILLED_COPY_FOLDER";
const char* const kKilledRuntime = "CORVALLEN_KILLED_COPY_RUNTIME";

// The child's side: a running copy that is killed once it holds the lock and listens.
TEST(SingleInstanceKilledChild, ClaimsListensAndIsKilled)
{
    if (!qEnvironmentVariableIsSet(kKilledFolder))
        GTEST_SKIP() << "started by KilledCopy";
    qputenv("XDG_RUNTIME_DIR", qgetenv(kKilledRuntime));
    SingleInstance running(qEnvironmentVariable(kKilledFolder));
    ASSERT_TRUE(running.tryClaim());
    ASSERT_TRUE(running.listen());
    ::raise(SIGKILL);
}

// A copy killed outright leaves its lock file and its socket behind: the next launch runs, and
// the launch after that hands over to it rather than starting a second copy.
TEST_F(SingleInstanceTest, AKilledCopysLockAndSocketAreTakenOverByTheNextLaunch)
{
    QProcess child;
    startSelf(child, QStringLiteral("SingleInstanceKilledChild.*"),
              {{QString::fromLatin1(kKilledFolder), folder}, {QString::fromLatin1(kKilledRuntime), qEnvironmentVariable("XDG_RUNTIME_DIR")}});
    ASSERT_TRUE(child.waitForFinished(60000));
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAllStandardOutput().toStdString();
    SingleInstance next(folder);
    ASSERT_TRUE(QFileInfo::exists(next.lockFilePath()));
    ASSERT_TRUE(QFileInfo::exists(next.serverPath()));

    ASSERT_TRUE(next.tryClaim());
    ASSERT_TRUE(next.listen());
    int activations = 0;
    QObject::connect(&next, &SingleInstance::activationRequested, [&] { ++activations; });
    EXPECT_EQ(handOverFromElsewhere("activate", 5000), SingleInstance::HandOver::Delivered);
    EXPECT_EQ(activations, 1);
}

TEST_F(SingleInstanceTest, TheRunningCopyAnswersOnlyItsOwnUsersKnownRequests)
{
    SingleInstance running(folder);
    ASSERT_TRUE(running.tryClaim());
    ASSERT_TRUE(running.listen());
    int activations = 0;
    QObject::connect(&running, &SingleInstance::activationRequested, [&] { ++activations; });

    // The socket is in the user's runtime folder and open to this user only.
    const QString socket = running.serverPath();
    EXPECT_TRUE(socket.startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR") + QLatin1Char('/')));
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                                            | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_EQ(QFileInfo(socket).permissions() & others, QFileDevice::Permissions());

    EXPECT_EQ(handOverFromElsewhere("activate", 5000), SingleInstance::HandOver::Delivered);
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(handOverFromElsewhere("rm -rf ~", 2000), SingleInstance::HandOver::NoAnswer);
    EXPECT_EQ(activations, 1) << "an unknown request does nothing";

    // Raw clients: an endless line is cut off, a silent one is dropped, neither acts.
    running.setRequestTimeout(200);
    QLocalSocket flood;
    flood.connectToServer(socket);
    ASSERT_TRUE(flood.waitForConnected(2000));
    flood.write(QByteArray(64 * 1024, 'a'));
    EXPECT_TRUE(waitUntil([&] { return flood.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_FALSE(flood.readAll().contains("ok"));
    QLocalSocket silent;
    silent.connectToServer(socket);
    ASSERT_TRUE(silent.waitForConnected(2000));
    EXPECT_TRUE(waitUntil([&] { return silent.state() == QLocalSocket::UnconnectedState; }));
    // A request split over several writes still counts once it is whole.
    QLocalSocket slow;
    slow.connectToServer(socket);
    ASSERT_TRUE(slow.waitForConnected(2000));
    slow.write("acti");
    slow.flush();
    processEvents();
    slow.write("vate\n");
    EXPECT_TRUE(waitUntil([&] { return activations == 2; }));
    EXPECT_EQ(activations, 2);
}

TEST_F(SingleInstanceTest, ALaunchWaitingOnACopyThatQuitsRunsInstead)
{
    auto running = std::make_unique<SingleInstance>(folder);
    ASSERT_TRUE(running->tryClaim());
    // Still starting (not listening yet), then gone before it ever answers.
    const auto result = handOverFromElsewhere("activate", 10000, [&] {
        QTimer::singleShot(200, [&] { running.reset(); });
    });
    EXPECT_EQ(result, SingleInstance::HandOver::Claimed);
}

// The running copy listens in its own session's runtime folder; a launch from another login
// session looks for the socket in its own and can never reach it: it learns so at once from the
// copy's note instead of waiting out its time.
TEST_F(SingleInstanceTest, ACopyInAnotherSessionIsToldApartAtOnce)
{
    SingleInstance running(folder);
    ASSERT_TRUE(running.tryClaim());
    ASSERT_TRUE(running.listen());
    const QString otherRuntime = isolatedRoot() + QStringLiteral("/run2");
    QDir().mkpath(otherRuntime);
    QFile::setPermissions(otherRuntime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QByteArray ownRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", otherRuntime.toUtf8());
    EXPECT_EQ(handOverFromElsewhere("activate", 20000), SingleInstance::HandOver::OtherSession);
    qputenv("XDG_RUNTIME_DIR", ownRuntime);
    // From its own session it is reached as ever.
    EXPECT_EQ(handOverFromElsewhere("activate", 20000), SingleInstance::HandOver::Delivered);
}

TEST_F(SingleInstanceTest, ACopyThatNeverAnswersLeavesTheLaunchWithNoAnswer)
{
    SingleInstance running(folder);
    ASSERT_TRUE(running.tryClaim());
    EXPECT_EQ(handOverFromElsewhere("activate", 300), SingleInstance::HandOver::NoAnswer);
    EXPECT_TRUE(running.isClaimed());
}

}  // namespace
