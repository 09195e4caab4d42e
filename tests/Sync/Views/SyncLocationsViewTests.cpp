// The sync locations page built offscreen over a real store, settings file and folders: the
// list and its selection rule, the shared hidden list, adding, editing and removing locations
// through the editor and the detail, the detail's state controls, image count and outcome line.
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/VolumeMonitor.h"
#include "Corvallen/Sync/AppModel.h"
#include "Corvallen/Sync/DeviceStorage.h"
#include "Corvallen/Sync/FolderGrants.h"
#include "Corvallen/Sync/SyncPrompts.h"
#include "Corvallen/Sync/Views/AddSyncLocationSheet.h"
#include "Corvallen/Sync/Views/LocationDetail.h"
#include "Corvallen/Sync/Views/ManageLocationsSheet.h"
#include "Corvallen/Sync/Views/SyncLocationsView.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

using corvallen::test::processEvents;
using corvallen::test::waitUntil;

namespace {

const QString kHidden = QStringLiteral("hiddenDeviceIDs");

template <typename T = QWidget>
T* child(const QWidget& parent, const QString& name)
{
    return parent.findChild<T*>(name);
}

bool shows(const QWidget& root, const QString& name)
{
    const QWidget* w = child(root, name);
    return w && w->isVisibleTo(&root);
}

QString text(const QWidget& root, const QString& name)
{
    const auto* l = child<QLabel>(root, name);
    return l ? l->text() : QString();
}

QStringList rowNames(const SyncLocationsView& view)
{
    QStringList out;
    for (const QLabel* l : view.findChildren<QLabel*>(QStringLiteral("rowName")))
        out << l->text();
    return out;
}

QStringList buttonTexts(const QWidget& root)
{
    QStringList out;
    for (const QPushButton* b : root.findChildren<QPushButton*>())
        if (b->isVisibleTo(&root))
            out << b->text();
    return out;
}

struct Page : ::testing::Test {
    void SetUp() override
    {
        root = corvallen::test::freshFolder(QStringLiteral("page"));
        container = ModelContainer::open(root + QStringLiteral("/Corvallen.store"), corvallenSchema());
        settings = std::make_unique<SettingsStore>(root + QStringLiteral("/settings.json"));
        QFile table(root + QStringLiteral("/mountinfo"));
        ASSERT_TRUE(table.open(QIODevice::WriteOnly));
        table.write("21 1 8:2 / / rw - ext4 /dev/sda2 rw\n");
        table.close();
        // The captures folder is shared by every test of the process.
        QDir captures(DeviceStorage::capturesFolder());
        for (const QString& name : captures.entryList(QDir::Files | QDir::Hidden))
            captures.remove(name);
        model = std::make_unique<AppModel>(container->mainContext(), *settings);
        model->setVolumeMonitor(new VolumeMonitor(root + QStringLiteral("/mountinfo"), {root + QStringLiteral("/media")}));
    }
    void TearDown() override
    {
        SyncPrompts::setFolderChooser({});
        processEvents();
    }

    SyncLocation saved(const QString& name, const QString& folder = {})
    {
        SyncLocation l = SyncLocation::makeNew();
        l.name = name;
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            FolderGrants::recordGrant(l.id, name, folder, *settings);
        }
        SyncLocation::upsert(l, *settings);
        return l;
    }

    QString root;
    std::unique_ptr<ModelContainer> container;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<AppModel> model;
};

}  // namespace

TEST_F(Page, EmptyAndAllHiddenLookTheSame)
{
    {
        SyncLocationsView view(*model);
        EXPECT_TRUE(shows(view, QStringLiteral("emptyList")));
        EXPECT_EQ(text(view, QStringLiteral("emptyLabel")), QStringLiteral("No sync locations yet."));
        EXPECT_TRUE(shows(view, QStringLiteral("addLocationEmptyButton")));
        EXPECT_TRUE(shows(view, QStringLiteral("detailPlaceholder")));
        EXPECT_FALSE(view.selection());
    }
    const SyncLocation a = saved(QStringLiteral("A"));
    settings->setText(kHidden, a.id + QStringLiteral(",lcrP1"));
    SyncLocationsView view(*model);
    EXPECT_TRUE(shows(view, QStringLiteral("emptyList")));
    EXPECT_TRUE(shows(view, QStringLiteral("detailPlaceholder")));
    EXPECT_FALSE(view.selection());
    EXPECT_EQ(view.locations().size(), 1);
}

TEST_F(Page, ListsVisibleLocationsInSavedOrderAndSelectsTheFirst)
{
    const SyncLocation a = saved(QStringLiteral("Scope"));
    SyncLocation b = saved(QString());
    b.scanWholeDrive = false;  // subfolder blank: still the whole drive
    SyncLocation::upsert(b, *settings);
    SyncLocation c = saved(QStringLiteral("Camera"));
    c.scanWholeDrive = false;
    c.subfolder = QStringLiteral("DCIM");
    SyncLocation::upsert(c, *settings);

    SyncLocationsView view(*model);
    EXPECT_EQ(rowNames(view), (QStringList{QStringLiteral("Scope"), QStringLiteral("Untitled location"), QStringLiteral("Camera")}));
    QStringList kinds;
    for (const QLabel* l : view.findChildren<QLabel*>(QStringLiteral("rowKind")))
        kinds << l->text();
    EXPECT_EQ(kinds, (QStringList{QStringLiteral("Drive"), QStringLiteral("Drive"), QStringLiteral("Folder")}));
    EXPECT_EQ(view.selection(), a.id);
    ASSERT_TRUE(view.detail());
    EXPECT_EQ(text(*view.detail(), QStringLiteral("nameLabel")), QStringLiteral("Scope"));

    // Rows select on click; the detail is built afresh for another location.
    auto* row = child<QAbstractButton>(view, QStringLiteral("locationRow.") + c.id);
    ASSERT_TRUE(row);
    row->click();
    EXPECT_EQ(view.selection(), c.id);
    processEvents();
    ASSERT_TRUE(view.detail());
    EXPECT_EQ(text(*view.detail(), QStringLiteral("sourceValue")), QStringLiteral("DCIM"));
}

TEST_F(Page, ManageSheetHidesAndShowsThroughTheSharedList)
{
    const SyncLocation a = saved(QStringLiteral("A"));
    const SyncLocation b = saved(QStringLiteral("B"));
    settings->setText(kHidden, QStringLiteral(",lcrP1,,"));
    SyncLocationsView view(*model);
    EXPECT_EQ(view.selection(), a.id);

    child<QToolButton>(view, QStringLiteral("manageLocationsButton"))->click();
    ManageLocationsSheet* sheet = view.manageSheet();
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(sheet->toggle(a.id));
    EXPECT_TRUE(sheet->toggle(a.id)->isChecked());
    EXPECT_FALSE(sheet->toggle(QStringLiteral("lcrP1")));  // the Devices page's own id

    // Hiding the selected location moves the selection to the first visible one.
    sheet->toggle(a.id)->setChecked(false);
    const QString expected = QStringList{a.id, QStringLiteral("lcrP1")}.join(QLatin1Char(','));
    EXPECT_EQ(settings->textValue(kHidden), a.id < QStringLiteral("lcrP1") ? expected : QStringLiteral("lcrP1,") + a.id);
    EXPECT_EQ(view.selection(), b.id);
    processEvents();
    EXPECT_EQ(rowNames(view), QStringList{QStringLiteral("B")});

    // Showing it again leaves the selection where it is.
    sheet->toggle(a.id)->setChecked(true);
    EXPECT_EQ(settings->textValue(kHidden), QStringLiteral("lcrP1"));
    EXPECT_EQ(view.selection(), b.id);
    settings->setText(kHidden, a.id);
    sheet->toggle(a.id)->setChecked(true);
    EXPECT_TRUE(settings->contains(kHidden));
    EXPECT_EQ(settings->textValue(kHidden), QString());

    child<QPushButton>(*sheet, QStringLiteral("doneButton"))->click();
    processEvents();
    EXPECT_FALSE(view.manageSheet());

    // With nothing saved the sheet says so.
    ManageLocationsSheet empty(*settings, {});
    EXPECT_EQ(text(empty, QStringLiteral("emptyLabel")), QStringLiteral("No sync locations yet."));
}

TEST_F(Page, AddingALocationThroughTheEditor)
{
    const QString folder = root + QStringLiteral("/Pictures");
    QDir().mkpath(folder);
    SyncPrompts::setFolderChooser([&](const QString&) { return std::optional<QString>(folder); });
    SyncLocationsView view(*model);

    // Cancelled after choosing a folder: no location, and the grant is forgotten.
    child<QPushButton>(view, QStringLiteral("addLocationEmptyButton"))->click();
    AddSyncLocationSheet* sheet = view.editor();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->isNew());
    EXPECT_EQ(text(*sheet, QStringLiteral("titleLabel")), QStringLiteral("Add Sync Location"));
    auto* choose = child<QPushButton>(*sheet, QStringLiteral("chooseFolderButton"));
    EXPECT_EQ(choose->text(), QStringLiteral("Choose Drive or Folder\u2026"));
    EXPECT_FALSE(shows(*sheet, QStringLiteral("sourceValue")));
    choose->click();
    EXPECT_EQ(choose->text(), QStringLiteral("Change\u2026"));
    EXPECT_EQ(text(*sheet, QStringLiteral("sourceValue")), QStringLiteral("Pictures"));
    const QString firstId = sheet->draft().id;
    EXPECT_TRUE(FolderGrants::hasGrant(firstId, *settings));
    child<QPushButton>(*sheet, QStringLiteral("cancelButton"))->click();
    processEvents();
    EXPECT_FALSE(FolderGrants::hasGrant(firstId, *settings));
    EXPECT_TRUE(SyncLocation::loadAll(*settings).isEmpty());

    // Added: the name is required and trimmed; the new location is selected and synced.
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(folder + QStringLiteral("/first.png")));
    child<QToolButton>(view, QStringLiteral("addLocationButton"))->click();
    sheet = view.editor();
    ASSERT_TRUE(sheet);
    auto* save = child<QPushButton>(*sheet, QStringLiteral("saveButton"));
    EXPECT_EQ(save->text(), QStringLiteral("Add Location"));
    child<QLineEdit>(*sheet, QStringLiteral("nameField"))->setText(QStringLiteral("   "));
    EXPECT_FALSE(save->isEnabled());
    child<QLineEdit>(*sheet, QStringLiteral("nameField"))->setText(QStringLiteral("  Bench  "));
    EXPECT_TRUE(save->isEnabled());
    child<QCheckBox>(*sheet, QStringLiteral("scanWholeDriveToggle"))->setChecked(false);
    EXPECT_TRUE(shows(*sheet, QStringLiteral("subfolderField")));
    // The subfolder stays inside the chosen folder.
    auto* subfolder = child<QLineEdit>(*sheet, QStringLiteral("subfolderField"));
    for (const QString& outside : {QStringLiteral("../Documents"), QStringLiteral("/etc"), QStringLiteral("DCIM/../..")}) {
        subfolder->setText(outside);
        EXPECT_FALSE(save->isEnabled()) << outside.toStdString();
        EXPECT_TRUE(shows(*sheet, QStringLiteral("subfolderProblem")));
    }
    subfolder->setText(QStringLiteral("DCIM"));
    EXPECT_TRUE(save->isEnabled());
    EXPECT_FALSE(shows(*sheet, QStringLiteral("subfolderProblem")));
    subfolder->setText(QStringLiteral("../x"));
    child<QCheckBox>(*sheet, QStringLiteral("scanWholeDriveToggle"))->setChecked(true);  // not used then
    EXPECT_TRUE(save->isEnabled());
    subfolder->setText(QString());
    EXPECT_FALSE(shows(*sheet, QStringLiteral("subfolderField")));
    child<QPushButton>(*sheet, QStringLiteral("chooseFolderButton"))->click();
    save->click();
    processEvents();

    const QList<SyncLocation> list = SyncLocation::loadAll(*settings);
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].name, QStringLiteral("Bench"));
    EXPECT_EQ(list[0].imageExtensions, SyncLocation::defaultImageExtensions());
    EXPECT_EQ(view.selection(), list[0].id);
    EXPECT_EQ(rowNames(view), QStringList{QStringLiteral("Bench")});
    ASSERT_TRUE(waitUntil([&] { return model->lastSyncSummary() == QStringLiteral("Synced 1 new"); }));
}

TEST_F(Page, CancellingTheEditorOfASavedLocationKeepsItsFolder)
{
    const QString first = root + QStringLiteral("/First");
    const QString second = root + QStringLiteral("/Second");
    SyncLocation l = saved(QStringLiteral("Scope"), first);
    l.symbol = QStringLiteral("bolt");  // not one of the ten choices
    l.imageExtensions = {QStringLiteral("bmp")};
    SyncLocation::upsert(l, *settings);
    QDir().mkpath(second);
    SyncPrompts::setFolderChooser([&](const QString&) { return std::optional<QString>(second); });

    SyncLocationsView view(*model);
    view.editLocation(l);
    AddSyncLocationSheet* sheet = view.editor();
    ASSERT_TRUE(sheet);
    EXPECT_FALSE(sheet->isNew());
    EXPECT_EQ(text(*sheet, QStringLiteral("titleLabel")), QStringLiteral("Edit Sync Location"));
    EXPECT_EQ(child<QPushButton>(*sheet, QStringLiteral("saveButton"))->text(), QStringLiteral("Save"));
    EXPECT_EQ(child<QPushButton>(*sheet, QStringLiteral("chooseFolderButton"))->text(), QStringLiteral("Change\u2026"));
    EXPECT_EQ(text(*sheet, QStringLiteral("sourceValue")), QStringLiteral("First"));
    const QByteArray grantBefore = settings->bytesValue(FolderGrants::bookmarkKey(l.id));
    child<QPushButton>(*sheet, QStringLiteral("chooseFolderButton"))->click();
    child<QPushButton>(*sheet, QStringLiteral("chooseFolderButton"))->click();  // changed twice
    EXPECT_EQ(text(*sheet, QStringLiteral("sourceValue")), QStringLiteral("Second"));
    EXPECT_EQ(FolderGrants::storedPath(l.id, *settings), second);
    sheet->reject();
    processEvents();
    // Cancel undoes the change: the old folder and its grant, scope flag included.
    EXPECT_EQ(settings->bytesValue(FolderGrants::bookmarkKey(l.id)), grantBefore);
    EXPECT_TRUE(settings->boolValue(FolderGrants::scopedKey(l.id)));
    EXPECT_EQ(FolderGrants::storedPath(l.id, *settings), first);
    view.editLocation(l);
    ASSERT_TRUE(view.editor());
    EXPECT_EQ(text(*view.editor(), QStringLiteral("sourceValue")), QStringLiteral("First"));
    // Confirmed, the new folder stays.
    child<QPushButton>(*view.editor(), QStringLiteral("chooseFolderButton"))->click();
    child<QPushButton>(*view.editor(), QStringLiteral("saveButton"))->click();
    processEvents();
    EXPECT_EQ(FolderGrants::storedPath(l.id, *settings), second);

    // Saving unchanged fields passes the symbol and the extensions through.
    view.editLocation(l);
    sheet = view.editor();
    ASSERT_TRUE(sheet);
    child<QPushButton>(*sheet, QStringLiteral("saveButton"))->click();
    processEvents();
    EXPECT_EQ(SyncLocation::loadAll(*settings), QList<SyncLocation>{l});
}

TEST_F(Page, DetailShowsTheControlsOfEachConnectionState)
{
    SyncLocation fresh = saved(QStringLiteral("Fresh"));
    {
        LocationDetail detail(*model, fresh, {}, {});
        EXPECT_EQ(text(detail, QStringLiteral("statusBadge")), QStringLiteral("Not connected yet"));
        EXPECT_EQ(text(detail, QStringLiteral("sourceValue")), QStringLiteral("Entire drive/folder"));
        EXPECT_FALSE(shows(detail, QStringLiteral("imageCountRow")));
        EXPECT_TRUE(shows(detail, QStringLiteral("chooseButton")));
        EXPECT_FALSE(shows(detail, QStringLiteral("summaryLabel")));
    }

    // Granted, but its drive is mounted and the folder can't be read.
    const QString drive = root + QStringLiteral("/media/SCOPE");
    SyncLocation locked = saved(QStringLiteral("Locked"), drive + QStringLiteral("/DCIM"));
    locked.volumeName = QStringLiteral("SCOPE");
    SyncLocation::upsert(locked, *settings);
    QFile table(root + QStringLiteral("/mountinfo"));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.write("21 1 8:2 / / rw - ext4 /dev/sda2 rw\n40 21 8:17 / " + drive.toUtf8() + " rw - vfat /dev/sdb1 rw\n");
    table.close();
    model->volumeMonitor()->recheck();
    EXPECT_EQ(model->connectionState(locked), ConnectionState::connected);
    QDir(drive + QStringLiteral("/DCIM")).removeRecursively();
    model->refreshConnected();
    {
        LocationDetail detail(*model, locked, {}, {});
        EXPECT_EQ(text(detail, QStringLiteral("statusBadge")), QStringLiteral("Needs permission"));
        EXPECT_TRUE(shows(detail, QStringLiteral("grantButton")));
        EXPECT_FALSE(shows(detail, QStringLiteral("syncButton")));
        EXPECT_FALSE(shows(detail, QStringLiteral("imageCountRow")));
    }

    // Connected: four actions, a count of what a scan finds, and the outcome line.
    const QString folder = root + QStringLiteral("/Bench");
    SyncLocation bench = saved(QStringLiteral("Bench"), folder);
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::green);
    ASSERT_TRUE(image.save(folder + QStringLiteral("/a.png")));
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(folder + QStringLiteral("/b.bmp")));
    model->refreshConnected();
    LocationDetail detail(*model, bench, {}, {});
    EXPECT_EQ(text(detail, QStringLiteral("statusBadge")), QStringLiteral("Connected"));
    EXPECT_EQ(buttonTexts(*detail.findChild<QWidget*>(QStringLiteral("stateControls"))),
              (QStringList{QStringLiteral("Sync New"), QStringLiteral("Full Resync"), QStringLiteral("Eject"), QStringLiteral("Reconnect\u2026")}));
    ASSERT_TRUE(waitUntil([&] { return detail.imageCount().has_value(); }));
    EXPECT_EQ(*detail.imageCount(), 2);
    EXPECT_TRUE(shows(detail, QStringLiteral("imageCountRow")));
    EXPECT_EQ(text(detail, QStringLiteral("imageCountValue")), QStringLiteral("2"));

    child<QPushButton>(detail, QStringLiteral("syncButton"))->click();
    ASSERT_TRUE(waitUntil([&] { return model->lastSyncSummary() == QStringLiteral("Synced 2 new"); }));
    EXPECT_TRUE(shows(detail, QStringLiteral("summaryLabel")));
    EXPECT_EQ(text(detail, QStringLiteral("summaryLabel")), QStringLiteral("Synced 2 new"));
    // The outcome line is the model's one line, shown for every location.
    LocationDetail other(*model, fresh, {}, {});
    EXPECT_EQ(text(other, QStringLiteral("summaryLabel")), QStringLiteral("Synced 2 new"));

    // The folder goes away: not connected, and the count disappears.
    QDir(folder).removeRecursively();
    model->refreshConnected();
    EXPECT_EQ(text(detail, QStringLiteral("statusBadge")), QStringLiteral("Not connected"));
    EXPECT_TRUE(shows(detail, QStringLiteral("reconnectButton")));
    EXPECT_FALSE(shows(detail, QStringLiteral("syncButton")));
    ASSERT_TRUE(waitUntil([&] { return !detail.imageCount().has_value(); }));
    EXPECT_FALSE(shows(detail, QStringLiteral("imageCountRow")));
}

TEST_F(Page, RemovingAsksFirstAndKeepsTheHiddenList)
{
    const SyncLocation bench = saved(QStringLiteral("Bench"), root + QStringLiteral("/Bench"));
    const SyncLocation unnamed = saved(QString());
    SyncLocationsView view(*model);
    view.show();
    ASSERT_TRUE(view.detail());

    child<QPushButton>(*view.detail(), QStringLiteral("removeButton"))->click();
    QMessageBox* box = view.detail()->removeConfirmation();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text(), QStringLiteral("Remove Bench?"));
    child<QPushButton>(*box, QStringLiteral("cancelRemoveButton"))->click();
    processEvents();
    EXPECT_EQ(SyncLocation::loadAll(*settings).size(), 2);

    child<QPushButton>(*view.detail(), QStringLiteral("removeButton"))->click();
    box = view.detail()->removeConfirmation();
    ASSERT_TRUE(box);
    child<QPushButton>(*box, QStringLiteral("confirmRemoveButton"))->click();
    processEvents();
    const QList<SyncLocation> left = SyncLocation::loadAll(*settings);
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(left[0].id, unnamed.id);
    EXPECT_FALSE(FolderGrants::hasGrant(bench.id, *settings));
    EXPECT_EQ(view.selection(), unnamed.id);
    processEvents();
    ASSERT_TRUE(view.detail());
    EXPECT_EQ(text(*view.detail(), QStringLiteral("nameLabel")), QStringLiteral("Untitled location"));
    child<QPushButton>(*view.detail(), QStringLiteral("removeButton"))->click();
    ASSERT_TRUE(view.detail()->removeConfirmation());
    EXPECT_EQ(view.detail()->removeConfirmation()->text(), QStringLiteral("Remove this location?"));
    view.detail()->removeConfirmation()->close();
}

TEST_F(Page, KeyboardDeleteOnARowAsksAndANewLocationTakesTypingAtOnce)
{
    const SyncLocation scope = saved(QStringLiteral("Scope"));
    const SyncLocation meter = saved(QStringLiteral("Meter & Probe"));
    SyncLocationsView view(*model);
    view.show();
    processEvents();

    // Delete on the second row selects it and asks about it, not about the selected first one.
    auto* row = child<QAbstractButton>(view, QStringLiteral("locationRow.") + meter.id);
    ASSERT_TRUE(row);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(row, &del);
    processEvents();
    EXPECT_EQ(view.selection(), meter.id);
    ASSERT_TRUE(view.detail());
    QMessageBox* box = view.detail()->removeConfirmation();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text(), QStringLiteral("Remove Meter & Probe?"));
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(box, &esc);
    processEvents();
    EXPECT_EQ(SyncLocation::loadAll(*settings).size(), 2);

    // The editor opens with the name field focused, so typing and Return add the location.
    child<QToolButton>(view, QStringLiteral("addLocationButton"))->click();
    AddSyncLocationSheet* sheet = view.editor();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->focusWidget(), child<QLineEdit>(*sheet, QStringLiteral("nameField")));
    sheet->close();
}

TEST_F(Page, AnEditorClosedWithThePageLeavesNoGrantBehind)
{
    const QString folder = root + QStringLiteral("/Pictures");
    QDir().mkpath(folder);
    SyncPrompts::setFolderChooser([&](const QString&) { return std::optional<QString>(folder); });
    auto view = std::make_unique<SyncLocationsView>(*model);
    child<QPushButton>(*view, QStringLiteral("addLocationEmptyButton"))->click();
    AddSyncLocationSheet* sheet = view->editor();
    ASSERT_TRUE(sheet);
    child<QPushButton>(*sheet, QStringLiteral("chooseFolderButton"))->click();
    const QString id = sheet->draft().id;
    EXPECT_TRUE(FolderGrants::hasGrant(id, *settings));
    view.reset();  // as when the window's content is rebuilt
    EXPECT_FALSE(FolderGrants::hasGrant(id, *settings));
    EXPECT_TRUE(SyncLocation::loadAll(*settings).isEmpty());
}

TEST_F(Page, RowsStayThroughModelChangesAndRenames)
{
    const SyncLocation a = saved(QStringLiteral("Scope"));
    SyncLocation b = saved(QStringLiteral("Camera"));
    SyncLocationsView view(*model);
    view.show();
    QApplication::setActiveWindow(&view);
    auto* rowB = child<QAbstractButton>(view, QStringLiteral("locationRow.") + b.id);
    ASSERT_TRUE(rowB);
    rowB->setFocus();

    // Progress posts and connection changes reach the page through the model's change signal.
    Q_EMIT model->changed();
    b.name = QStringLiteral("Camera card");
    view.saveLocation(b);  // as the editor saves a rename
    processEvents();
    EXPECT_EQ(child<QAbstractButton>(view, QStringLiteral("locationRow.") + b.id), rowB);
    EXPECT_TRUE(rowB->hasFocus());
    EXPECT_EQ(rowNames(view), (QStringList{QStringLiteral("Scope"), QStringLiteral("Camera card")}));

    // A new location gets a row; the focused one keeps the focus.
    SyncLocation meter = SyncLocation::makeNew();
    meter.name = QStringLiteral("Meter");
    view.saveLocation(meter);
    processEvents();
    EXPECT_EQ(rowNames(view).size(), 3);
    auto* again = child<QAbstractButton>(view, QStringLiteral("locationRow.") + b.id);
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->hasFocus());
    Q_UNUSED(a)
}
