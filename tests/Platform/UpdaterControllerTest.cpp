// The update check against a real HTTP server on the loopback interface: what the user is told
// for a newer, equal or older feed version, for a broken feed and for server errors, and that
// "Check for Updates…" is unavailable exactly while a check runs.
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/UpdaterController.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// Answers every GET with one canned response; can hold the answer back until released.
class FeedServer : public QObject {
public:
    FeedServer()
    {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                    m_buffers[socket] += socket->readAll();
                    if (!m_buffers[socket].contains("\r\n\r\n"))
                        return;
                    ++m_requests;
                    m_lastRequest = m_buffers[socket];
                    if (m_hold)
                        m_held.append(socket);
                    else
                        answer(socket);
                });
            }
        });
    }

    QUrl url(const QString& path = QStringLiteral("/feed.json")) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }

    void respond(int status, const QByteArray& body, const QByteArray& type = "application/json")
    {
        m_status = status;
        m_body = body;
        m_type = type;
    }
    void hold(bool on) { m_hold = on; }
    void releaseHeld()
    {
        const auto held = m_held;
        m_held.clear();
        for (const QPointer<QTcpSocket>& s : held)
            if (s)
                answer(s);
    }
    int requests() const { return m_requests; }
    QByteArray lastRequest() const { return m_lastRequest; }
    int heldCount() const { return int(m_held.size()); }

private:
    void answer(QTcpSocket* socket)
    {
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(m_status) + " Status\r\n";
        reply += "Content-Type: " + m_type + "\r\n";
        reply += "Content-Length: " + QByteArray::number(m_body.size()) + "\r\n";
        reply += "Connection: close\r\n\r\n";
        reply += m_body;
        socket->write(reply);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QList<QPointer<QTcpSocket>> m_held;
    bool m_hold = false;
    int m_status = 200;
    QByteArray m_body;
    QByteArray m_type;
    int m_requests = 0;
    QByteArray m_lastRequest;
};

// Runs the event loop until the condition holds (or a generous safety limit passes, which the
// caller's assertions then report as a failure).
bool runUntil(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    return done();
}

class UpdaterTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_settings = std::make_unique<SettingsStore>(corvallen::test::freshFolder(QStringLiteral("upd"))
                                                     + QStringLiteral("/settings.json"));
    }

    std::unique_ptr<UpdaterController> makeController(const QUrl& feed, const QString& version = QStringLiteral("1.4.2"))
    {
        auto controller = std::make_unique<UpdaterController>(feed, version, *m_settings);
        QObject::connect(controller.get(), &UpdaterController::checkFinished, controller.get(),
                         [this](const UpdateCheckResult& r) { m_results.append(r); });
        return controller;
    }

    UpdateCheckResult checkOnce(UpdaterController& controller)
    {
        const qsizetype before = m_results.size();
        controller.checkForUpdates();
        EXPECT_TRUE(runUntil([&] { return m_results.size() > before; }));
        return m_results.isEmpty() ? UpdateCheckResult{} : m_results.last();
    }

    FeedServer m_server;
    std::unique_ptr<SettingsStore> m_settings;
    QList<UpdateCheckResult> m_results;
};

using Kind = UpdateCheckResult::Kind;

TEST_F(UpdaterTest, NewerFeedVersionIsAnnouncedWithItsLink)
{
    m_server.respond(200, R"({"version":"1.10.0","url":"https://example.org/corvallen-1.10.0","notes":"Faster sync."})");
    auto controller = makeController(m_server.url());
    const UpdateCheckResult r = checkOnce(*controller);
    EXPECT_EQ(r.kind, Kind::UpdateAvailable);
    EXPECT_TRUE(r.userInitiated);
    EXPECT_EQ(r.latestVersion, QStringLiteral("1.10.0"));
    EXPECT_EQ(r.downloadUrl, QUrl(QStringLiteral("https://example.org/corvallen-1.10.0")));
    EXPECT_EQ(r.notes, QStringLiteral("Faster sync."));
    EXPECT_TRUE(r.message.contains(QStringLiteral("1.10.0"))) << r.message.toStdString();
    EXPECT_TRUE(m_server.lastRequest().startsWith("GET /feed.json"));
    EXPECT_TRUE(m_server.lastRequest().contains("Corvallen/1.4.2"));
}

TEST_F(UpdaterTest, SameOrOlderFeedVersionMeansUpToDate)
{
    auto controller = makeController(m_server.url());
    m_server.respond(200, R"({"version":"1.4.2"})");
    EXPECT_EQ(checkOnce(*controller).kind, Kind::UpToDate);
    m_server.respond(200, R"({"version":"1.4"})");
    EXPECT_EQ(checkOnce(*controller).kind, Kind::UpToDate);
    m_server.respond(200, R"({"version":"1.3.9","url":"https://example.org/old"})");
    const UpdateCheckResult older = checkOnce(*controller);
    EXPECT_EQ(older.kind, Kind::UpToDate);
    EXPECT_EQ(older.latestVersion, QStringLiteral("1.3.9"));
    // A pre-release of our own numbers is older than us.
    m_server.respond(200, R"({"version":"1.4.2-beta.1"})");
    EXPECT_EQ(checkOnce(*controller).kind, Kind::UpToDate);
    EXPECT_EQ(m_server.requests(), 4);
}

TEST_F(UpdaterTest, BrokenFeedsFailWithAReason)
{
    auto controller = makeController(m_server.url());
    for (const QByteArray& body : {QByteArray("not json"), QByteArray("[]"), QByteArray(R"({"url":"https://x"})"),
                                   QByteArray(R"({"version":"soon"})"), QByteArray(R"({"version":12})")}) {
        m_server.respond(200, body);
        const UpdateCheckResult r = checkOnce(*controller);
        EXPECT_EQ(r.kind, Kind::Failed) << body.toStdString();
        EXPECT_FALSE(r.message.isEmpty());
        EXPECT_TRUE(controller->canCheckForUpdates());
    }
}

TEST_F(UpdaterTest, InsecureDownloadLinkIsNotOffered)
{
    m_server.respond(200, R"json({"version":"9.0","url":"javascript:alert(1)"})json");
    auto controller = makeController(m_server.url());
    UpdateCheckResult r = checkOnce(*controller);
    EXPECT_EQ(r.kind, Kind::UpdateAvailable);
    EXPECT_TRUE(r.downloadUrl.isEmpty());
    m_server.respond(200, R"({"version":"9.0","url":"http://example.org/plain"})");
    r = checkOnce(*controller);
    EXPECT_TRUE(r.downloadUrl.isEmpty());
}

TEST_F(UpdaterTest, HttpErrorsAndUnreachableServersFail)
{
    auto controller = makeController(m_server.url());
    m_server.respond(404, "missing", "text/plain");
    UpdateCheckResult r = checkOnce(*controller);
    EXPECT_EQ(r.kind, Kind::Failed);
    EXPECT_TRUE(r.message.contains(QStringLiteral("404"))) << r.message.toStdString();
    m_server.respond(500, R"({"version":"99.0"})");
    EXPECT_EQ(checkOnce(*controller).kind, Kind::Failed) << "an error page is never read as a feed";

    // A port nobody listens on.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = probe.serverPort();
    probe.close();
    auto unreachable = makeController(QUrl(QStringLiteral("http://127.0.0.1:%1/feed.json").arg(closedPort)));
    r = checkOnce(*unreachable);
    EXPECT_EQ(r.kind, Kind::Failed);
    EXPECT_TRUE(unreachable->canCheckForUpdates());
}

TEST_F(UpdaterTest, PlainHttpFeedsAwayFromThisMachineAreRefused)
{
    auto controller = makeController(QUrl(QStringLiteral("http://updates.example.org/feed.json")));
    const UpdateCheckResult r = checkOnce(*controller);
    EXPECT_EQ(r.kind, Kind::Failed);
    EXPECT_EQ(m_server.requests(), 0);
    EXPECT_TRUE(controller->canCheckForUpdates());
}

TEST_F(UpdaterTest, CannotCheckWhileACheckRuns)
{
    m_server.respond(200, R"({"version":"2.0"})");
    m_server.hold(true);
    auto controller = makeController(m_server.url());
    QList<bool> flags;
    QObject::connect(controller.get(), &UpdaterController::canCheckForUpdatesChanged, controller.get(),
                     [&flags](bool can) { flags.append(can); });
    EXPECT_TRUE(controller->canCheckForUpdates()) << "ready as soon as it exists";

    controller->checkForUpdates();
    EXPECT_FALSE(controller->canCheckForUpdates());
    ASSERT_TRUE(runUntil([&] { return m_server.heldCount() == 1; }));
    controller->checkForUpdates();  // ignored: one check at a time
    QCoreApplication::processEvents();
    EXPECT_EQ(m_server.requests(), 1);
    EXPECT_TRUE(m_results.isEmpty());

    m_server.releaseHeld();
    ASSERT_TRUE(runUntil([&] { return !m_results.isEmpty(); }));
    EXPECT_TRUE(controller->canCheckForUpdates());
    EXPECT_EQ(flags, (QList<bool>{false, true}));
    EXPECT_EQ(m_results.size(), 1);
}

TEST_F(UpdaterTest, AutomaticCheckPreferenceIsASetting)
{
    auto controller = makeController(m_server.url());
    EXPECT_FALSE(controller->automaticallyChecksForUpdates());
    QList<bool> seen;
    QObject::connect(controller.get(), &UpdaterController::automaticallyChecksForUpdatesChanged, controller.get(),
                     [&seen](bool on) { seen.append(on); });
    controller->setAutomaticallyChecksForUpdates(true);
    EXPECT_TRUE(m_settings->boolValue(UpdaterController::automaticChecksKey(), false));
    EXPECT_EQ(seen, QList<bool>{true});

    SettingsStore reread(m_settings->filePath());
    EXPECT_TRUE(reread.boolValue(QStringLiteral("automaticallyChecksForUpdates"), false));

    controller->setAutomaticallyChecksForUpdates(false);
    EXPECT_FALSE(controller->automaticallyChecksForUpdates());
    EXPECT_EQ(seen, (QList<bool>{true, false}));
    EXPECT_EQ(m_server.requests(), 0) << "changing the preference checks nothing by itself";
}

TEST(UpdaterVersions, ComparesDottedNumbers)
{
    EXPECT_LT(UpdaterController::compareVersions(QStringLiteral("1.9"), QStringLiteral("1.10")), 0);
    EXPECT_EQ(UpdaterController::compareVersions(QStringLiteral("1.2"), QStringLiteral("1.2.0")), 0);
    EXPECT_GT(UpdaterController::compareVersions(QStringLiteral("2.0.0"), QStringLiteral("1.99.99")), 0);
    EXPECT_EQ(UpdaterController::compareVersions(QStringLiteral("v1.0.0"), QStringLiteral("1.0.0")), 0);
    EXPECT_LT(UpdaterController::compareVersions(QStringLiteral("1.0.0-rc.1"), QStringLiteral("1.0.0")), 0);
    EXPECT_LT(UpdaterController::compareVersions(QStringLiteral("1.0.0-alpha"), QStringLiteral("1.0.0-beta")), 0);
}

}  // namespace
