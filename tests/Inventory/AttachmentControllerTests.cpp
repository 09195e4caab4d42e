#include "Corvallen/Inventory/AttachmentController.h"
#include "Corvallen/Inventory/ComponentFileCleanup.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/ComponentFileStore.h"
#include "support/EventLoop.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestEnvironment.h"
#include "support/TestStore.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThreadPool>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

using corvallen::test::LoopbackHttpServer;

QString writeFile(const QString& folder, const QString& name, const QByteArray& bytes)
{
    const QString path = QDir(folder).filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

bool stored(const QString& name)
{
    return QFileInfo::exists(QDir(ComponentFileStore::componentsFolderURL()).filePath(name));
}

class AttachmentControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        container = corvallen::test::openTestStore();
        ASSERT_TRUE(container);
        component = ctx().insert(new Component(QStringLiteral("NE555")));
        ASSERT_TRUE(ctx().save());
        source = corvallen::test::freshFolder(QStringLiteral("src"));
    }
    ModelContext& ctx() { return container->mainContext(); }
    void waitIdle(AttachmentController& c)
    {
        ASSERT_TRUE(corvallen::test::waitUntil([&] { return !c.busy(); }));
    }
    std::unique_ptr<ModelContainer> container;
    Component* component = nullptr;
    QString source;
};

TEST_F(AttachmentControllerTest, ReplacedFileGoesOnlyAfterASuccessfulSave)
{
    AttachmentController datasheet(ctx(), component, AttachmentController::Field::datasheet);
    datasheet.importFile(writeFile(source, QStringLiteral("First.PDF"), "one"));
    EXPECT_TRUE(datasheet.busy());
    waitIdle(datasheet);
    const QString first = datasheet.file().value_or(QString());
    ASSERT_TRUE(first.endsWith(QStringLiteral(".pdf")));
    ASSERT_TRUE(stored(first));
    ASSERT_TRUE(ctx().save());

    datasheet.importFile(writeFile(source, QStringLiteral("second.pdf"), "two"));
    waitIdle(datasheet);
    const QString second = *component->datasheetFile();
    EXPECT_NE(second, first);
    EXPECT_TRUE(stored(first)) << "the old file stays until the change is saved";

    // A rollback brings the old name back: the old file must still be there.
    ctx().rollback();
    EXPECT_EQ(component->datasheetFile(), std::optional<QString>(first));
    EXPECT_TRUE(stored(first));

    datasheet.importFile(writeFile(source, QStringLiteral("third.pdf"), "three"));
    waitIdle(datasheet);
    ASSERT_TRUE(ctx().save());
    EXPECT_FALSE(stored(first));
    EXPECT_FALSE(stored(second)) << "a file that never got saved into a field is not kept either";
    EXPECT_TRUE(stored(*component->datasheetFile()));
}

TEST_F(AttachmentControllerTest, RemoveKeepsAFileThatAnotherFieldStillNames)
{
    AttachmentController manual(ctx(), component, AttachmentController::Field::manual);
    manual.importFile(writeFile(source, QStringLiteral("m.pdf"), "manual"));
    waitIdle(manual);
    const QString name = *component->manualFile();
    auto* twin = ctx().insert(new Component(QStringLiteral("NE555 spare")));
    twin->setDatasheetFile(name);
    ASSERT_TRUE(ctx().save());

    manual.remove();
    EXPECT_FALSE(component->manualFile());
    ASSERT_TRUE(ctx().save());
    EXPECT_TRUE(stored(name)) << "another component still names the file";

    AttachmentController twinSheet(ctx(), twin, AttachmentController::Field::datasheet);
    twinSheet.remove();
    ASSERT_TRUE(ctx().save());
    EXPECT_FALSE(stored(name));

    // Removing an attachment whose stored file is already gone is quiet.
    component->setPhotoFile(QStringLiteral("MISSING.png"));
    AttachmentController photo(ctx(), component, AttachmentController::Field::photo);
    photo.remove();
    EXPECT_TRUE(ctx().save());
    EXPECT_FALSE(component->photoFile());
}

TEST_F(AttachmentControllerTest, DownloadStoresTheLinkedFileAndReplacesTheOldOne)
{
    LoopbackHttpServer server;
    LoopbackHttpServer::Response pdf;
    pdf.headers = {{"Content-Type", "application/pdf"}};
    pdf.body = QByteArray(64 * 1024, 'x');
    server.route("/sheet", pdf);

    component->setDatasheetFile(QStringLiteral("OLD.pdf"));
    writeFile(ComponentFileStore::componentsFolderURL(), QStringLiteral("OLD.pdf"), "old");
    ASSERT_TRUE(ctx().save());

    AttachmentController datasheet(ctx(), component, AttachmentController::Field::datasheet);
    datasheet.download(QStringLiteral("  ") + server.url(QStringLiteral("/sheet")));
    EXPECT_TRUE(datasheet.busy());
    waitIdle(datasheet);
    EXPECT_FALSE(datasheet.error());
    const QString name = datasheet.file().value_or(QString());
    ASSERT_TRUE(name.endsWith(QStringLiteral(".pdf")));
    QFile f(datasheet.storedPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().size(), 64 * 1024);
    EXPECT_EQ(datasheet.received(), 64 * 1024);
    ASSERT_TRUE(ctx().save());
    EXPECT_FALSE(stored(QStringLiteral("OLD.pdf")));
}

TEST_F(AttachmentControllerTest, FailuresLeaveTheAttachmentAndShowTheirMessage)
{
    LoopbackHttpServer server;
    component->setPhotoFile(QStringLiteral("KEEP.png"));
    writeFile(ComponentFileStore::componentsFolderURL(), QStringLiteral("KEEP.png"), "png");
    AttachmentController photo(ctx(), component, AttachmentController::Field::photo);

    photo.download(server.url(QStringLiteral("/missing")));
    waitIdle(photo);
    EXPECT_EQ(photo.error(), std::optional<QString>(QStringLiteral("Download failed (HTTP 404).")));

    photo.download(QStringLiteral("ftp://example.com/a.png"));
    waitIdle(photo);
    EXPECT_EQ(photo.error(), std::optional<QString>(QStringLiteral("Not a valid web link.")));
    photo.download(QString());
    waitIdle(photo);
    EXPECT_EQ(photo.error(), std::optional<QString>(QStringLiteral("Not a valid web link.")));

    // A file from the open panel after a failure is stored, and the failure stays shown.
    photo.importFile(writeFile(source, QStringLiteral("p.png"), "img"));
    waitIdle(photo);
    EXPECT_NE(photo.file(), std::optional<QString>(QStringLiteral("KEEP.png")));
    EXPECT_TRUE(photo.error());

    // A missing source reports the copy failure and keeps the attachment.
    const std::optional<QString> before = photo.file();
    EXPECT_TRUE(photo.drop({QUrl::fromLocalFile(QDir(source).filePath(QStringLiteral("nope.png")))}));
    EXPECT_FALSE(photo.error()) << "a drop clears the earlier failure";
    waitIdle(photo);
    EXPECT_TRUE(photo.error());
    EXPECT_EQ(photo.file(), before);
    EXPECT_TRUE(stored(QStringLiteral("KEEP.png"))) << "nothing saved yet, so the old photo stays";
    EXPECT_FALSE(photo.drop({}));
}

TEST_F(AttachmentControllerTest, DropUsesOnlyTheFirstUrlAndTitlesFollowTheLabel)
{
    AttachmentController photo(ctx(), component, AttachmentController::Field::photo);
    EXPECT_EQ(photo.linkAlertTitle(), QStringLiteral("Add photo from link"));
    EXPECT_EQ(photo.kind(), AttachmentController::Kind::photo);
    component->setPhotoURL(QStringLiteral("https://example.com/p.jpg"));
    EXPECT_EQ(photo.rememberedURL(), QStringLiteral("https://example.com/p.jpg"));

    const QString a = writeFile(source, QStringLiteral("a.txt"), "a");
    const QString b = writeFile(source, QStringLiteral("b.png"), "b");
    ASSERT_TRUE(photo.drop({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)}));
    waitIdle(photo);
    EXPECT_TRUE(photo.file()->endsWith(QStringLiteral(".txt"))) << "the file type is not examined";
}

TEST_F(AttachmentControllerTest, AFileArrivingForADeletedComponentIsNotKept)
{
    const QDir folder(ComponentFileStore::componentsFolderURL());
    const QStringList before = folder.entryList(QDir::Files);
    AttachmentController datasheet(ctx(), component, AttachmentController::Field::datasheet);
    datasheet.importFile(writeFile(source, QStringLiteral("late.pdf"), "late"));
    ctx().deleteObject(component);
    waitIdle(datasheet);
    EXPECT_EQ(folder.entryList(QDir::Files), before);
}

TEST_F(AttachmentControllerTest, ACopyLeftBehindByAClosedInspectorIsRemoved)
{
    const QDir folder(ComponentFileStore::componentsFolderURL());
    const QStringList before = folder.entryList(QDir::Files);
    {
        AttachmentController manual(ctx(), component, AttachmentController::Field::manual);
        manual.importFile(writeFile(source, QStringLiteral("big.pdf"), QByteArray(1 << 20, 'b')));
    }
    QThreadPool::globalInstance()->waitForDone();
    corvallen::test::processEvents();
    EXPECT_EQ(folder.entryList(QDir::Files), before);
    EXPECT_FALSE(component->manualFile());
}

// Stands in for the desktop: records what Open hands it instead of starting a program.
class DesktopRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

TEST_F(AttachmentControllerTest, ProgramsAndDesktopEntriesAreKeptButNeverOpened)
{
    DesktopRecorder desktop;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &desktop, "open");
    AttachmentController datasheet(ctx(), component, AttachmentController::Field::datasheet);
    datasheet.importFile(writeFile(source, QStringLiteral("sheet.pdf"), "%PDF-1.4"));
    waitIdle(datasheet);
    EXPECT_TRUE(datasheet.open());
    ASSERT_EQ(desktop.opened.size(), 1);

    // By name, and by content where the name says nothing.
    const QList<std::pair<QString, QByteArray>> programs = {
        {QStringLiteral("Launch.desktop"), "[Desktop Entry]\nType=Application\nExec=xterm\n"},
        {QStringLiteral("setup.SH"), "echo hi\n"},
        {QStringLiteral("Tool.AppImage"), "x"},
        {QStringLiteral("install.exe"), "MZ"},
        {QStringLiteral("entry"), "[Desktop Entry]\nType=Application\nExec=xterm\n"},
        {QStringLiteral("script"), "#!/bin/sh\necho hi\n"},
    };
    for (const auto& [name, bytes] : programs) {
        datasheet.importFile(writeFile(source, name, bytes));
        waitIdle(datasheet);
        ASSERT_TRUE(datasheet.file()) << name.toStdString();
        EXPECT_TRUE(stored(*datasheet.file()));
        EXPECT_FALSE(datasheet.open()) << name.toStdString();
    }
    EXPECT_EQ(desktop.opened.size(), 1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}


// A stored name is only ever a name inside the components folder: one that steps out of it (a
// damaged or hand-edited record, a restored archive) is a missing file for Open, the photo
// preview and removal alike, and the file it points at is neither shown, read nor removed.
TEST_F(AttachmentControllerTest, AStoredNameLeadingOutOfTheFolderIsAMissingFile)
{
    DesktopRecorder desktop;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &desktop, "open");
    const QString outside = writeFile(QFileInfo(ComponentFileStore::componentsFolderURL()).path(), QStringLiteral("outside.png"), "x");
    for (const QString& name : {QStringLiteral("../outside.png"), QStringLiteral("sub/../../outside.png"), outside}) {
        component->setDatasheetURL(name);
        component->setPhotoURL(name);
        for (const auto field : {AttachmentController::Field::datasheet, AttachmentController::Field::photo}) {
            AttachmentController attachment(ctx(), component, field);
            EXPECT_EQ(attachment.storedPath(), QString()) << name.toStdString();
            EXPECT_FALSE(attachment.open()) << name.toStdString();
        }
        ComponentFileStore::deleteComponentFile(name);
        EXPECT_TRUE(QFileInfo::exists(outside)) << name.toStdString();
    }
    EXPECT_TRUE(desktop.opened.isEmpty());
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

}  // namespace

#include "AttachmentControllerTests.moc"
