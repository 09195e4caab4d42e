#include "Corvallen/Backup/Relaunch.h"
#include "Corvallen/Backup/StagedRestore.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Settings/Views/BackupSettings.h"
#include "Corvallen/Settings/Views/GeneralSettings.h"
#include "Corvallen/Settings/Views/SettingsView.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <memory>

namespace {

using corvallen::test::freshFolder;
using corvallen::test::waitUntil;

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList componentNames(ModelContext& context)
{
    QStringList names;
    for (const Component* c : context.fetch<Component>())
        names << c->name();
    names.sort();
    return names;
}

// The pane over the real store at its real place in this test's data folder, with the file
// dialogs and the relaunch answered by the test.
class StoragePane : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        container = ModelContainer::open(StoreLocation::storeURL(), corvallenSchema(), &error);
        ASSERT_TRUE(container) << error.toStdString();
        hooks.chooseDestination = [this](QWidget*, const QString& suggested) {
            suggestedName = suggested;
            return destination;
        };
        hooks.chooseArchive = [this](QWidget*) { return archive; };
        hooks.confirmLegacyRestore = [this](QWidget*) {
            ++confirmations;
            return confirmLegacy;
        };
        hooks.controller = &controller;
        controller.setQuitForRelaunch([this] {
            ++relaunches;
            return true;
        });
    }
    void TearDown() override
    {
        Relaunch::cancel();  // never start another test process at exit
        container.reset();
        QDir(AppPaths::dataFolder()).removeRecursively();
    }
    ModelContext& context() { return container->mainContext(); }
    bool finished(BackupSettings& pane) { return waitUntil([&] { return !pane.isWorking(); }); }

    std::unique_ptr<ModelContainer> container;
    BackupController controller;
    BackupSettings::Hooks hooks;
    QString destination;
    QString suggestedName;
    QString archive;
    bool confirmLegacy = false;
    int confirmations = 0;
    int relaunches = 0;
};

TEST_F(StoragePane, ExportThenSelectiveRestoreBringsTheDataBack)
{
    context().insert(new Component(QStringLiteral("Resistor 10k")));
    context().insert(new Component(QStringLiteral("BC547")));
    ASSERT_TRUE(context().save());
    const QString datasheet = AppPaths::dataFolder() + QStringLiteral("/components/bc547.pdf");
    writeFile(datasheet, "%PDF-1.4 datasheet");

    BackupSettings pane(context(), hooks);
    EXPECT_EQ(pane.selection(), BackupSelection::all());
    destination = freshFolder(QStringLiteral("saved")) + QStringLiteral("/my backup.zip");
    writeFile(destination, "an older file that is replaced");
    pane.exportButton()->click();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Corvallen-backup-\\d{8}-\\d{6}\\.zip$")).match(suggestedName).hasMatch())
        << suggestedName.toStdString();
    EXPECT_TRUE(pane.isWorking());
    EXPECT_EQ(pane.status(), QStringLiteral("Exporting\u2026"));
    EXPECT_FALSE(pane.exportButton()->isEnabled());
    EXPECT_FALSE(pane.restoreButton()->isEnabled());
    EXPECT_FALSE(pane.progress()->isHidden());
    ASSERT_TRUE(finished(pane));
    EXPECT_EQ(pane.status(), QStringLiteral("Saved my backup.zip"));
    EXPECT_TRUE(pane.progress()->isHidden());
    EXPECT_TRUE(pane.exportButton()->isEnabled());
    EXPECT_TRUE(readFile(destination).startsWith("PK"));

    // Lose the data, then bring it back from the archive.
    for (Component* c : context().fetch<Component>())
        context().deleteObject(c);
    ASSERT_TRUE(context().save());
    QFile::remove(datasheet);
    ASSERT_TRUE(componentNames(context()).isEmpty());

    archive = destination;
    pane.restoreButton()->click();
    ASSERT_TRUE(waitUntil([&] { return pane.restoreSheet() != nullptr; }));
    QDialog* sheet = pane.restoreSheet();
    for (const char* name : {"restoreProjects", "restoreInventory", "restoreCaptures", "restoreFiles", "restoreSettings"}) {
        auto* box = sheet->findChild<QCheckBox*>(QString::fromLatin1(name));
        ASSERT_TRUE(box) << name;
        EXPECT_TRUE(box->isChecked()) << name;
    }
    auto* summary = sheet->findChild<QLabel*>(QStringLiteral("manifestSummary"));
    ASSERT_TRUE(summary);
    EXPECT_TRUE(summary->text().contains(QStringLiteral("2 components"))) << summary->text().toStdString();
    EXPECT_TRUE(sheet->findChild<QLabel*>(QStringLiteral("manifestOrigin"))->text().startsWith(QStringLiteral("Exported with ")));
    auto* restore = sheet->findChild<QPushButton*>(QStringLiteral("confirmRestore"));
    sheet->findChild<QCheckBox*>(QStringLiteral("restoreSettings"))->click();
    restore->click();
    EXPECT_TRUE(pane.isWorking());
    EXPECT_EQ(pane.status(), QStringLiteral("Restoring\u2026"));
    ASSERT_TRUE(finished(pane));
    EXPECT_TRUE(pane.status().startsWith(QStringLiteral("Restored"))) << pane.status().toStdString();
    EXPECT_FALSE(pane.status().contains(QStringLiteral("Language changes")));
    EXPECT_EQ(componentNames(context()), (QStringList{QStringLiteral("BC547"), QStringLiteral("Resistor 10k")}));
    EXPECT_EQ(readFile(datasheet), QByteArray("%PDF-1.4 datasheet"));
    const QStringList snapshots = QDir(StoreLocation::snapshotFolder()).entryList({QStringLiteral("pre-restore-*")}, QDir::Dirs);
    EXPECT_EQ(snapshots.size(), 1);
}

TEST_F(StoragePane, ARestoreWithTheSettingsMentionsTheLanguage)
{
    context().insert(new Component(QStringLiteral("Only part")));
    ASSERT_TRUE(context().save());
    BackupSettings pane(context(), hooks);
    pane.setSelection(BackupSelection{false, true, false, false, true});
    destination = freshFolder(QStringLiteral("saved")) + QStringLiteral("/b.zip");
    pane.exportBackup();
    ASSERT_TRUE(finished(pane));
    ASSERT_EQ(pane.status(), QStringLiteral("Saved b.zip"));

    archive = destination;
    pane.chooseRestoreArchive();
    ASSERT_TRUE(waitUntil([&] { return pane.restoreSheet() != nullptr; }));
    QDialog* sheet = pane.restoreSheet();
    // Only what the archive holds is offered.
    EXPECT_FALSE(sheet->findChild<QCheckBox*>(QStringLiteral("restoreProjects")));
    EXPECT_FALSE(sheet->findChild<QCheckBox*>(QStringLiteral("restoreCaptures")));
    auto* restore = sheet->findChild<QPushButton*>(QStringLiteral("confirmRestore"));
    sheet->findChild<QCheckBox*>(QStringLiteral("restoreInventory"))->click();
    sheet->findChild<QCheckBox*>(QStringLiteral("restoreSettings"))->click();
    EXPECT_FALSE(restore->isEnabled());
    sheet->findChild<QCheckBox*>(QStringLiteral("restoreSettings"))->click();
    EXPECT_TRUE(restore->isEnabled());
    restore->click();
    ASSERT_TRUE(finished(pane));
    EXPECT_TRUE(pane.status().endsWith(QStringLiteral(" Language changes apply on next launch."))) << pane.status().toStdString();
    EXPECT_EQ(componentNames(context()), QStringList{QStringLiteral("Only part")});
}

TEST_F(StoragePane, NothingToExportCancelledPanelsAndFailuresAreReported)
{
    BackupSettings pane(context(), hooks);
    pane.findChild<QPushButton*>(QStringLiteral("selectNone"))->click();
    EXPECT_TRUE(pane.selection().isEmpty());
    EXPECT_FALSE(pane.exportButton()->isEnabled());
    pane.exportBackup();
    EXPECT_EQ(pane.status(), QStringLiteral("Pick at least one type to export."));
    EXPECT_TRUE(suggestedName.isEmpty());  // no panel
    pane.findChild<QPushButton*>(QStringLiteral("selectAll"))->click();
    EXPECT_TRUE(pane.exportButton()->isEnabled());

    // A cancelled panel changes nothing.
    destination.clear();
    pane.exportBackup();
    EXPECT_FALSE(pane.isWorking());
    EXPECT_EQ(pane.status(), QStringLiteral("Pick at least one type to export."));
    archive.clear();
    pane.chooseRestoreArchive();
    EXPECT_FALSE(pane.isWorking());

    destination = freshFolder(QStringLiteral("x")) + QStringLiteral("/missing-folder/b.zip");
    pane.exportBackup();
    ASSERT_TRUE(finished(pane));
    EXPECT_TRUE(pane.status().startsWith(QStringLiteral("Export failed: "))) << pane.status().toStdString();
    EXPECT_TRUE(pane.exportButton()->isEnabled());

    archive = freshFolder(QStringLiteral("in")) + QStringLiteral("/junk.zip");
    writeFile(archive, "not a zip at all");
    pane.chooseRestoreArchive();
    ASSERT_TRUE(finished(pane));
    EXPECT_TRUE(pane.status().startsWith(QStringLiteral("Couldn't read that backup: "))) << pane.status().toStdString();
    EXPECT_EQ(pane.restoreSheet(), nullptr);
    EXPECT_EQ(confirmations, 0);
}

TEST_F(StoragePane, AnOlderFullBackupIsStagedAndRelaunchesOnlyWhenConfirmed)
{
    context().insert(new Component(QStringLiteral("Legacy part")));
    ASSERT_TRUE(context().save());
    const QString folder = freshFolder(QStringLiteral("legacy"));
    ASSERT_TRUE(container->copyTo(folder + QStringLiteral("/Corvallen.store")));
    archive = folder + QStringLiteral("/old.zip");
    QProcess zip;
    zip.setWorkingDirectory(folder);
    zip.start(QStringLiteral("zip"), {QStringLiteral("-q"), archive, QStringLiteral("Corvallen.store")});
    ASSERT_TRUE(zip.waitForFinished(60000));
    ASSERT_EQ(zip.exitCode(), 0);

    BackupSettings pane(context(), hooks);
    pane.chooseRestoreArchive();
    ASSERT_TRUE(finished(pane));
    EXPECT_EQ(confirmations, 1);
    EXPECT_EQ(pane.restoreSheet(), nullptr);
    EXPECT_FALSE(StagedRestore::hasPendingRestore());
    EXPECT_EQ(relaunches, 0);
    EXPECT_TRUE(pane.status().isEmpty());

    confirmLegacy = true;
    pane.chooseRestoreArchive();
    ASSERT_TRUE(waitUntil([&] { return relaunches == 1; }));
    EXPECT_EQ(confirmations, 2);
    EXPECT_TRUE(StagedRestore::hasPendingRestore());
    // Busy until the application quits.
    EXPECT_TRUE(pane.isWorking());
    EXPECT_EQ(pane.status(), QStringLiteral("Restoring\u2026"));
    EXPECT_EQ(componentNames(context()), QStringList{QStringLiteral("Legacy part")});
}

// The work belongs to the application: switching panes or closing the Settings window while an
// export, a restore or a staging runs loses neither its outcome nor the relaunch, and the pane
// that opens next shows the running work, or the outcome no pane has shown yet, once.
TEST_F(StoragePane, WorkAndItsOutcomeOutlastThePaneAndTheWindow)
{
    context().insert(new Component(QStringLiteral("Kept part")));
    ASSERT_TRUE(context().save());
    SettingsStore settings(freshFolder() + QStringLiteral("/settings.json"));
    auto view = std::make_unique<SettingsView>(context(), nullptr, settings, BusinessSettings::ImagePicker{}, hooks);
    auto storage = [&] { return qobject_cast<BackupSettings*>(view->paneWidget()); };

    // Export, with a switch to another pane and back while it runs.
    view->setPane(SettingsPane::storage);
    destination = freshFolder(QStringLiteral("saved")) + QStringLiteral("/kept.zip");
    storage()->exportBackup();
    ASSERT_TRUE(controller.isWorking());
    view->setPane(SettingsPane::about);
    view->setPane(SettingsPane::storage);
    EXPECT_TRUE(storage()->isWorking());
    EXPECT_EQ(storage()->status(), QStringLiteral("Exporting…"));
    EXPECT_FALSE(storage()->exportButton()->isEnabled());
    view->setPane(SettingsPane::general);
    ASSERT_TRUE(waitUntil([&] { return !controller.isWorking(); }));
    view->setPane(SettingsPane::storage);
    EXPECT_EQ(storage()->status(), QStringLiteral("Saved kept.zip"));
    view->setPane(SettingsPane::general);
    view->setPane(SettingsPane::storage);
    EXPECT_TRUE(storage()->status().isEmpty());  // shown once

    // A selective restore with the window closed in the middle.
    archive = destination;
    storage()->chooseRestoreArchive();
    ASSERT_TRUE(waitUntil([&] { return storage()->restoreSheet() != nullptr; }));
    storage()->restoreSheet()->findChild<QPushButton*>(QStringLiteral("confirmRestore"))->click();
    ASSERT_TRUE(controller.isWorking());
    view.reset();
    ASSERT_TRUE(waitUntil([&] { return !controller.isWorking(); }));
    EXPECT_EQ(componentNames(context()), QStringList{QStringLiteral("Kept part")});
    view = std::make_unique<SettingsView>(context(), nullptr, settings, BusinessSettings::ImagePicker{}, hooks);
    view->setPane(SettingsPane::storage);
    EXPECT_TRUE(storage()->status().startsWith(QStringLiteral("Restored 1 component"))) << storage()->status().toStdString();
    EXPECT_FALSE(storage()->status().startsWith(QStringLiteral("Restored 1 components"))) << "one component, one noun";

    // An archive inspected while the window was closed is asked about when the pane next opens;
    // a staging whose window is closed still relaunches.
    const QString legacy = freshFolder(QStringLiteral("legacy"));
    ASSERT_TRUE(container->copyTo(legacy + QStringLiteral("/Corvallen.store")));
    QProcess zip;
    zip.setWorkingDirectory(legacy);
    zip.start(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("old.zip"), QStringLiteral("Corvallen.store")});
    ASSERT_TRUE(zip.waitForFinished(60000));
    archive = legacy + QStringLiteral("/old.zip");
    storage()->chooseRestoreArchive();
    view.reset();
    ASSERT_TRUE(waitUntil([&] { return controller.pendingChoice().has_value(); }));
    confirmLegacy = true;
    view = std::make_unique<SettingsView>(context(), nullptr, settings, BusinessSettings::ImagePicker{}, hooks);
    view->setPane(SettingsPane::storage);
    ASSERT_TRUE(waitUntil([&] { return confirmations == 1; }));
    EXPECT_EQ(controller.job(), BackupController::Job::staging);
    view.reset();
    ASSERT_TRUE(waitUntil([&] { return relaunches == 1; }));
    EXPECT_TRUE(StagedRestore::hasPendingRestore());
}

TEST_F(StoragePane, SettingsWindowStartsOnGeneralAndBuildsEachPaneAfresh)
{
    SettingsStore settings(freshFolder() + QStringLiteral("/settings.json"));
    SettingsView view(context(), nullptr, settings, {}, hooks);
    EXPECT_EQ(view.pane(), SettingsPane::general);
    EXPECT_EQ(view.title(), QStringLiteral("General"));
    EXPECT_TRUE(qobject_cast<GeneralSettings*>(view.paneWidget()));

    view.setPane(SettingsPane::storage);
    auto* storage = qobject_cast<BackupSettings*>(view.paneWidget());
    ASSERT_TRUE(storage);
    EXPECT_EQ(view.title(), QStringLiteral("Storage"));
    storage->setSelection({});
    storage->exportBackup();
    EXPECT_FALSE(storage->status().isEmpty());

    view.setPane(SettingsPane::about);
    EXPECT_EQ(view.title(), QStringLiteral("About"));
    view.setPane(SettingsPane::storage);
    storage = qobject_cast<BackupSettings*>(view.paneWidget());
    ASSERT_TRUE(storage);
    EXPECT_EQ(storage->selection(), BackupSelection::all());
    EXPECT_TRUE(storage->status().isEmpty());

    view.setPane(std::nullopt);
    EXPECT_EQ(view.title(), QStringLiteral("Settings"));
    EXPECT_TRUE(qobject_cast<GeneralSettings*>(view.paneWidget()));
}

// The pane list keeps the shown pane's row marked: a click under the rows or a Ctrl-click on the
// marked row leaves the page and its mark as they were.
TEST_F(StoragePane, ThePaneListKeepsTheShownPaneMarked)
{
    SettingsStore settings(freshFolder() + QStringLiteral("/settings.json"));
    SettingsView view(context(), nullptr, settings, {}, hooks);
    view.resize(700, 480);
    view.show();
    view.setPane(SettingsPane::storage);
    auto* list = view.findChild<QListWidget*>(QStringLiteral("paneList"));
    ASSERT_TRUE(list);
    const auto click = [&](QPoint at, Qt::KeyboardModifiers keys) {
        const QPointF global = list->viewport()->mapToGlobal(QPointF(at));
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, keys);
        QApplication::sendEvent(list->viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, keys);
        QApplication::sendEvent(list->viewport(), &release);
    };
    const QRect storageRow = list->visualItemRect(list->item(list->currentRow()));
    click(QPoint(20, list->viewport()->height() - 5), Qt::NoModifier);
    EXPECT_EQ(view.pane(), SettingsPane::storage);
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems().first(), list->currentItem());
    click(storageRow.center(), Qt::ControlModifier);
    EXPECT_EQ(view.pane(), SettingsPane::storage);
    EXPECT_EQ(list->selectedItems().size(), 1);
}

}  // namespace
