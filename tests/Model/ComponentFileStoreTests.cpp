// The component files folder: naming of imported and downloaded files, downloads over a real
// loopback HTTP server (status, content types, redirects, limits), deletion limited to plain
// names, and which links are opened.
#include "Corvallen/Model/ComponentFileDownload.h"
#include "Corvallen/Model/ComponentFileStore.h"
#include "Corvallen/Platform/AppPaths.h"
#include "support/ChildRun.h"
#include "support/EventLoop.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestEnvironment.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>

#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace corvallen::test;
using Response = LoopbackHttpServer::Response;

namespace {

const QRegularExpression storedName(QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}(\\.(.+))?$"));

QString folder() { return ComponentFileStore::componentsFolderURL(); }

QStringList folderEntries()
{
    return QDir(folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QString extensionOf(const QString& name)
{
    const auto m = storedName.match(name);
    EXPECT_TRUE(m.hasMatch()) << name.toStdString();
    return m.captured(2);
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QString writeFile(const QString& name, const QByteArray& bytes)
{
    const QString path = freshFolder(QStringLiteral("src")) + QLatin1Char('/') + name;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

// --- import and delete ------------------------------------------------------------------

TEST(ComponentFileStoreTest, TheFolderSitsInTheDataFolder)
{
    EXPECT_EQ(folder(), AppPaths::dataFolder() + QStringLiteral("/components"));
    EXPECT_TRUE(QDir(folder()).exists());
}

TEST(ComponentFileStoreTest, ImportCopiesUnderAFreshNameWithTheLowerCasedExtension)
{
    const QString pdf = writeFile(QStringLiteral("Manual.PDF"), "%PDF-1.4 manual");
    const QString first = ComponentFileStore::importComponentFile(pdf);
    const QString second = ComponentFileStore::importComponentFile(pdf);
    EXPECT_EQ(extensionOf(first), QStringLiteral("pdf"));
    EXPECT_NE(first, second);
    EXPECT_EQ(contents(folder() + QLatin1Char('/') + first), "%PDF-1.4 manual");
    EXPECT_TRUE(QFile::exists(pdf)) << "the source stays";

    const QString bare = ComponentFileStore::importComponentFile(writeFile(QStringLiteral("Makefile"), "all:"));
    EXPECT_TRUE(storedName.match(bare).hasMatch());
    EXPECT_FALSE(bare.contains(QLatin1Char('.')));
}

TEST(ComponentFileStoreTest, AFailedImportThrowsTheFileErrorAndLeavesNothing)
{
    const QStringList before = folderEntries();
    try {
        ComponentFileStore::importComponentFile(freshFolder(QStringLiteral("none")) + QStringLiteral("/missing.pdf"));
        FAIL() << "no error";
    } catch (const DomainError& e) {
        EXPECT_EQ(e.domain(), QStringLiteral("QFileDevice"));
        EXPECT_FALSE(e.localizedDescription().isEmpty());
    }
    EXPECT_EQ(folderEntries(), before);
}

TEST(ComponentFileStoreTest, DeletionRemovesOnlyAPlainNameInTheFolder)
{
    const QString name = ComponentFileStore::importComponentFile(writeFile(QStringLiteral("a.png"), "png"));
    ComponentFileStore::deleteComponentFile(name);
    EXPECT_FALSE(QFile::exists(folder() + QLatin1Char('/') + name));
    ComponentFileStore::deleteComponentFile(name);  // already gone: nothing happens

    // A name from a damaged or hostile record never reaches outside the folder.
    ASSERT_TRUE(QDir(folder()).exists());
    const QString victim = AppPaths::dataFolder() + QStringLiteral("/victim.txt");
    QFile f(victim);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    for (const QString& bad : {QStringLiteral("../victim.txt"), victim, QString(), QStringLiteral("."), QStringLiteral("..")})
        ComponentFileStore::deleteComponentFile(bad);
    EXPECT_TRUE(QFile::exists(victim));
    EXPECT_TRUE(QDir(folder()).exists());
}

// --- content types and link extensions --------------------------------------------------

TEST(ComponentFileStoreTest, ContentTypesGiveExtensionsByTheirFirstMatch)
{
    using ComponentFileStore::fileExtension;
    EXPECT_EQ(fileExtension(std::nullopt), QString());
    EXPECT_EQ(fileExtension(QStringLiteral("application/pdf")), QStringLiteral("pdf"));
    EXPECT_EQ(fileExtension(QStringLiteral("application/pdf; charset=binary")), QStringLiteral("pdf"));
    EXPECT_EQ(fileExtension(QStringLiteral("image/png")), QStringLiteral("png"));
    EXPECT_EQ(fileExtension(QStringLiteral("image/jpeg")), QStringLiteral("jpg"));
    EXPECT_EQ(fileExtension(QStringLiteral("image/jpg")), QStringLiteral("jpg"));
    EXPECT_EQ(fileExtension(QStringLiteral("image/gif")), QStringLiteral("gif"));
    EXPECT_EQ(fileExtension(QStringLiteral("image/webp")), QStringLiteral("webp"));
    EXPECT_EQ(fileExtension(QStringLiteral("text/html")), QString());
    EXPECT_EQ(fileExtension(QStringLiteral("IMAGE/PNG")), QString()) << "compared as received";
    EXPECT_EQ(fileExtension(QStringLiteral("image/png; name=x.pdf")), QStringLiteral("pdf")) << "pdf is tested first";
}

TEST(ComponentFileStoreTest, ALinkExtensionCountsOnlyWhenShortAndAlphanumeric)
{
    using ComponentFileStore::linkExtension;
    EXPECT_EQ(linkExtension(QStringLiteral("/files/sheet.PNG")), QStringLiteral("png"));
    EXPECT_EQ(linkExtension(QStringLiteral("/a/b.tar.gz")), QStringLiteral("gz"));
    EXPECT_EQ(linkExtension(QStringLiteral("/x.abcdefghij")), QStringLiteral("abcdefghij"));
    EXPECT_EQ(linkExtension(QStringLiteral("/x.abcdefghijk")), QString());
    EXPECT_EQ(linkExtension(QStringLiteral("/x.t\u00E9l")), QString());
    EXPECT_EQ(linkExtension(QStringLiteral("/x.p-f")), QString());
    EXPECT_EQ(linkExtension(QStringLiteral("/dir.v2/file")), QString());
    EXPECT_EQ(linkExtension(QStringLiteral("/")), QString());
    EXPECT_EQ(linkExtension(QString()), QString());
    // Programs and desktop entries never keep their extension.
    for (const char* path : {"/x.desktop", "/x.sh", "/x.EXE", "/x.AppImage", "/x.bat", "/x.run", "/x.jar"})
        EXPECT_EQ(linkExtension(QString::fromLatin1(path)), QString()) << path;
}

// --- downloads --------------------------------------------------------------------------

class DownloadTest : public ::testing::Test {
protected:
    void TearDown() override { ComponentFileStore::setDownloadLimits({}); }

    // Runs one download to its end.
    ComponentFileDownload* download(const QString& link)
    {
        auto* job = ComponentFileStore::downloadComponentFile(link, &owner);
        bool signalled = false;
        QObject::connect(job, &ComponentFileDownload::finished, [&] { signalled = true; });
        EXPECT_TRUE(waitUntil([&] { return signalled; }));
        EXPECT_TRUE(job->isFinished());
        return job;
    }
    void expectCorvallenError(ComponentFileDownload* job, const QString& message)
    {
        ASSERT_FALSE(job->succeeded());
        ASSERT_TRUE(job->error().has_value());
        EXPECT_EQ(job->error()->domain(), QStringLiteral("Corvallen"));
        EXPECT_EQ(job->error()->code(), -1);
        EXPECT_EQ(job->error()->localizedDescription(), message);
        EXPECT_TRUE(job->fileName().isEmpty());
    }
    QByteArray stored(ComponentFileDownload* job) { return contents(folder() + QLatin1Char('/') + job->fileName()); }

    static Response ok(const QByteArray& body, const QByteArray& contentType = {})
    {
        Response r;
        r.body = body;
        if (!contentType.isEmpty())
            r.headers.append(qMakePair(QByteArray("Content-Type"), contentType));
        return r;
    }

    QObject owner;
    LoopbackHttpServer server;
};

TEST_F(DownloadTest, TheLinkExtensionWinsOverTheContentType)
{
    server.route("/files/sheet.PNG", ok("png bytes", "text/html"));
    auto* job = download(QStringLiteral("  \t") + server.url(QStringLiteral("/files/sheet.PNG")) + QStringLiteral(" "));
    ASSERT_TRUE(job->succeeded()) << job->error()->localizedDescription().toStdString();
    EXPECT_EQ(extensionOf(job->fileName()), QStringLiteral("png"));
    EXPECT_EQ(stored(job), "png bytes");
}

TEST_F(DownloadTest, WithoutALinkExtensionTheContentTypeDecides)
{
    server.route("/pdf", ok("%PDF", "application/pdf"));
    server.route("/jpeg", ok("jpg", "image/jpeg"));
    server.route("/html", ok("<html>", "text/html; charset=utf-8"));
    server.route("/none", ok("raw"));
    server.route("/long.abcdefghijk", ok("gif", "image/gif"));
    EXPECT_EQ(extensionOf(download(server.url(QStringLiteral("/pdf")))->fileName()), QStringLiteral("pdf"));
    EXPECT_EQ(extensionOf(download(server.url(QStringLiteral("/jpeg?size=big")))->fileName()), QStringLiteral("jpg"));
    auto* html = download(server.url(QStringLiteral("/html")));
    EXPECT_FALSE(html->fileName().contains(QLatin1Char('.')));
    EXPECT_EQ(stored(html), "<html>");
    EXPECT_FALSE(download(server.url(QStringLiteral("/none")))->fileName().contains(QLatin1Char('.')));
    EXPECT_EQ(extensionOf(download(server.url(QStringLiteral("/long.abcdefghijk")))->fileName()), QStringLiteral("gif"));
}

TEST_F(DownloadTest, AProgramLinkIsStoredWithoutItsExtension)
{
    server.route("/get/Tool.AppImage", ok("ELF", "application/octet-stream"));
    server.route("/launch.desktop", ok("[Desktop Entry]", "text/plain"));
    server.route("/datasheet.sh", ok("%PDF", "application/pdf"));
    for (const char* path : {"/get/Tool.AppImage", "/launch.desktop"}) {
        auto* job = download(server.url(QString::fromLatin1(path)));
        ASSERT_TRUE(job->succeeded()) << path;
        EXPECT_FALSE(job->fileName().contains(QLatin1Char('.'))) << job->fileName().toStdString();
    }
    // The Content-Type rule applies in its place.
    EXPECT_EQ(extensionOf(download(server.url(QStringLiteral("/datasheet.sh")))->fileName()), QStringLiteral("pdf"));
}

TEST_F(DownloadTest, AnErrorStatusFailsAndWritesNothing)
{
    server.route("/gone.pdf", [] {
        Response r;
        r.status = 404;
        r.body = "<html>not here</html>";
        return r;
    }());
    const QStringList before = folderEntries();
    expectCorvallenError(download(server.url(QStringLiteral("/gone.pdf"))), QStringLiteral("Download failed (HTTP 404)."));
    Response err;
    err.status = 500;
    server.route("/broken", err);
    expectCorvallenError(download(server.url(QStringLiteral("/broken"))), QStringLiteral("Download failed (HTTP 500)."));
    EXPECT_EQ(folderEntries(), before);
}

TEST_F(DownloadTest, NoContentIsASuccessWithAnEmptyFile)
{
    Response r;
    r.status = 204;
    r.sendContentLength = false;
    server.route("/empty", r);
    auto* job = download(server.url(QStringLiteral("/empty")));
    ASSERT_TRUE(job->succeeded());
    EXPECT_TRUE(QFile::exists(folder() + QLatin1Char('/') + job->fileName()));
    EXPECT_EQ(stored(job), QByteArray());
}

TEST_F(DownloadTest, RedirectsAreFollowed)
{
    server.route("/go", Response::redirect(302, "/real/datasheet"));
    server.route("/real/datasheet", ok("%PDF-1.7 real", "application/pdf"));
    server.route("/old", Response::redirect(301, "/missing"));
    auto* job = download(server.url(QStringLiteral("/go")));
    ASSERT_TRUE(job->succeeded()) << job->error()->localizedDescription().toStdString();
    EXPECT_EQ(stored(job), "%PDF-1.7 real");
    EXPECT_EQ(extensionOf(job->fileName()), QStringLiteral("pdf"));
    expectCorvallenError(download(server.url(QStringLiteral("/old"))), QStringLiteral("Download failed (HTTP 404)."));
}

TEST_F(DownloadTest, OnlyHttpAndHttpsLinksAsWrittenAreTaken)
{
    for (const QString& link : {QString(), QStringLiteral("   "), QStringLiteral("ftp://127.0.0.1/file.pdf"), QStringLiteral("example.com/file.pdf"),
                                QStringLiteral("HTTP://127.0.0.1/x.pdf"), QStringLiteral("http://"), QStringLiteral("file:///etc/passwd"),
                                QStringLiteral("http://exa mple.com/x")})
        expectCorvallenError(download(link), QStringLiteral("Not a valid web link."));
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(DownloadTest, AFileAboveTheSizeCapIsRefusedAndRemoved)
{
    ComponentFileStore::setDownloadLimits({4096, 30000});
    server.route("/announced.bin", ok(QByteArray(10000, 'a')));
    Response unannounced = ok(QByteArray(10000, 'b'));
    unannounced.sendContentLength = false;
    server.route("/streamed.bin", unannounced);
    server.route("/fits.bin", ok(QByteArray(4096, 'c')));
    const QStringList before = folderEntries();
    expectCorvallenError(download(server.url(QStringLiteral("/announced.bin"))),
                         QStringLiteral("Download failed (the file is larger than 1 MB)."));
    expectCorvallenError(download(server.url(QStringLiteral("/streamed.bin"))),
                         QStringLiteral("Download failed (the file is larger than 1 MB)."));
    EXPECT_EQ(folderEntries(), before) << "no partial file stays behind";
    auto* fits = download(server.url(QStringLiteral("/fits.bin")));
    ASSERT_TRUE(fits->succeeded());
    EXPECT_EQ(stored(fits).size(), 4096);
}

TEST_F(DownloadTest, AStalledTransferTimesOutAndLeavesNoPartialFile)
{
    ComponentFileStore::setDownloadLimits({1 << 20, 300});
    Response stall = ok(QByteArray(5000, 'x'), "application/pdf");
    stall.stallAfterBytes = 1000;
    server.route("/slow.pdf", stall);
    const QStringList before = folderEntries();
    expectCorvallenError(download(server.url(QStringLiteral("/slow.pdf"))), QStringLiteral("Download timed out."));
    EXPECT_EQ(folderEntries(), before);
}

TEST_F(DownloadTest, TransportFailuresKeepTheirOwnDomain)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    auto* job = download(QStringLiteral("http://127.0.0.1:%1/file.pdf").arg(port));
    ASSERT_FALSE(job->succeeded());
    EXPECT_EQ(job->error()->domain(), QStringLiteral("QNetworkReply"));
    EXPECT_FALSE(job->error()->localizedDescription().isEmpty());
}

TEST_F(DownloadTest, CancellingOrDroppingAJobRemovesItsPartialFile)
{
    Response stall = ok(QByteArray(5000, 'x'));
    stall.stallAfterBytes = 2000;
    server.route("/slow", stall);
    const QStringList before = folderEntries();

    auto* job = ComponentFileStore::downloadComponentFile(server.url(QStringLiteral("/slow")), &owner);
    bool signalled = false;
    QObject::connect(job, &ComponentFileDownload::finished, [&] { signalled = true; });
    qint64 received = 0;
    QObject::connect(job, &ComponentFileDownload::progress, [&](qint64 r, qint64) { received = r; });
    ASSERT_TRUE(waitUntil([&] { return received >= 2000; }));
    job->abort();
    ASSERT_TRUE(waitUntil([&] { return signalled; }));
    expectCorvallenError(job, QStringLiteral("Download cancelled."));
    EXPECT_EQ(folderEntries(), before);

    auto* dropped = ComponentFileStore::downloadComponentFile(server.url(QStringLiteral("/slow")), &owner);
    received = 0;
    QObject::connect(dropped, &ComponentFileDownload::progress, [&](qint64 r, qint64) { received = r; });
    ASSERT_TRUE(waitUntil([&] { return received >= 2000; }));
    delete dropped;
    EXPECT_EQ(folderEntries(), before);
}

// --- killed half way ----------------------------------------------------------------------

// A copy or a download killed half way (this same test program as a child, killed by SIGKILL),
// then the next launch: the folder holds no half-written file under a stored name, and what an
// interrupted download left is cleared rather than piling up launch after launch.

const char* const kCrashStep = "CORVALLEN_COMPONENT_CRASH_STEP";
const char* const kCrashSource = "CORVALLEN_COMPONENT_CRASH_SOURCE";
const char* const kCrashDataHome = "CORVALLEN_COMPONENT_CRASH_DATA_HOME";

// The child's side; only runs when the tests below start it.
TEST(ComponentFileCrashChild, WorksUntilKilled)
{
    if (!qEnvironmentVariableIsSet(kCrashStep))
        GTEST_SKIP() << "started by the ComponentFileCrash tests";
    qputenv("XDG_DATA_HOME", qgetenv(kCrashDataHome));
    const QByteArray step = qgetenv(kCrashStep);
    if (step == "launch") {  // the next launch: the folder is looked up as the program does
        ComponentFileStore::componentsFolderURL();
        return;
    }
    if (step == "import") {  // killed by the parent while the source is still arriving
        ComponentFileStore::importComponentFile(qEnvironmentVariable(kCrashSource));
        FAIL() << "the import was not interrupted";
    }
    QObject owner;  // "download": killed once part of the body is on disk
    auto* job = ComponentFileStore::downloadComponentFile(qEnvironmentVariable(kCrashSource), &owner);
    QObject::connect(job, &ComponentFileDownload::progress, [](qint64 received, qint64) {
        if (received >= 2000)
            ::raise(SIGKILL);
    });
    waitUntil([] { return false; }, 30000);
    FAIL() << "the download was not interrupted";
}

class ComponentFileCrash : public ::testing::Test {
protected:
    void start(QProcess& child, const char* step, const QString& source)
    {
        startSelf(child, QStringLiteral("ComponentFileCrashChild.*"),
                  {{QString::fromLatin1(kCrashStep), QString::fromLatin1(step)},
                   {QString::fromLatin1(kCrashSource), source},
                   {QString::fromLatin1(kCrashDataHome), qEnvironmentVariable("XDG_DATA_HOME")}});
        ASSERT_TRUE(child.waitForStarted(20000));
    }
    void relaunch()
    {
        QProcess child;
        start(child, "launch", {});
        ASSERT_TRUE(child.waitForFinished(60000));
        ASSERT_EQ(child.exitStatus(), QProcess::NormalExit);
        ASSERT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
    }
};

TEST_F(ComponentFileCrash, AnImportKilledMidCopyLeavesNoFileBehind)
{
    const QStringList before = folderEntries();
    const QString pipe = freshFolder(QStringLiteral("pipe")) + QStringLiteral("/manual.pdf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QProcess child;
    start(child, "import", pipe);
    int fd = -1;
    ASSERT_TRUE(waitUntil([&] {  // the child has opened the source
        fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        return fd >= 0 || child.state() == QProcess::NotRunning;
    }));
    ASSERT_GE(fd, 0) << child.readAllStandardOutput().toStdString();
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    // More than a pipe holds: once written, the child has taken most of it into its copy.
    const QByteArray part(256 * 1024, 'p');
    const auto previous = std::signal(SIGPIPE, SIG_IGN);  // a reader that stops early fails the write instead
    const ssize_t written = ::write(fd, part.constData(), size_t(part.size()));
    std::signal(SIGPIPE, previous);
    EXPECT_EQ(written, part.size());
    child.kill();
    ASSERT_TRUE(child.waitForFinished(20000));
    ::close(fd);
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);

    relaunch();
    EXPECT_EQ(folderEntries().join(u' ').toStdString(), before.join(u' ').toStdString());
}

TEST_F(ComponentFileCrash, ADownloadKilledMidTransferLeavesNothingAfterTheNextLaunch)
{
    LoopbackHttpServer server;
    LoopbackHttpServer::Response stall;
    stall.body = QByteArray(5000, 'x');
    stall.stallAfterBytes = 3000;
    server.route("/datasheet.pdf", stall);
    const QStringList before = folderEntries();
    for (int run = 0; run < 2; ++run) {
        QProcess child;
        start(child, "download", server.url(QStringLiteral("/datasheet.pdf")));
        ASSERT_TRUE(waitUntil([&] { return child.state() == QProcess::NotRunning; }, 60000));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAllStandardOutput().toStdString();
    }
    relaunch();
    EXPECT_EQ(folderEntries().join(u' ').toStdString(), before.join(u' ').toStdString());
}

// --- opening links ----------------------------------------------------------------------

class LinkCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

TEST(OpenWebLinkTest, OnlyWebLinksReachTheDesktop)
{
    LinkCatcher catcher;
    const QStringList schemes{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("ftp"), QStringLiteral("file"),
                              QStringLiteral("javascript"), QStringLiteral("smb")};
    for (const QString& s : schemes)
        QDesktopServices::setUrlHandler(s, &catcher, "open");

    EXPECT_TRUE(ComponentFileStore::openWebLink(QStringLiteral("  https://example.com/shop?id=1\t")));
    EXPECT_TRUE(ComponentFileStore::openWebLink(QStringLiteral("HTTP://example.com/")));
    for (const QString& refused : {QStringLiteral("ftp://example.com/x"), QStringLiteral("file:///etc/passwd"), QStringLiteral("javascript:alert(1)"),
                                   QStringLiteral("smb://nas/share"), QStringLiteral("example.com"), QStringLiteral("not a link"), QString(),
                                   QStringLiteral("http://exa mple.com")})
        EXPECT_FALSE(ComponentFileStore::openWebLink(refused)) << refused.toStdString();

    for (const QString& s : schemes)
        QDesktopServices::unsetUrlHandler(s);
    ASSERT_EQ(catcher.opened.size(), 2);
    EXPECT_EQ(catcher.opened[0], QUrl(QStringLiteral("https://example.com/shop?id=1")));
    EXPECT_EQ(catcher.opened[1].scheme(), QStringLiteral("http"));
}

}  // namespace

#include "ComponentFileStoreTests.moc"
