// The Devices page and the LCR-P1 firmware page, built offscreen: hiding and showing the
// LCR-P1 through the Manage Devices sheet without losing the sync locations' identifiers in
// the shared key, and a flash from the page to a simulated instrument with its outcome line.
#include "Corvallen/Devices/DeviceVisibility.h"
#include "Corvallen/Devices/FlashController.h"
#include "Corvallen/Devices/Views/DevicesView.h"
#include "Corvallen/Devices/Views/LCRP1View.h"
#include "Corvallen/Devices/Views/ManageDevicesSheet.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Devices/RunUntil.h"
#include "Devices/SimulatedLCRP1.h"
#include "support/TestEnvironment.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QKeyEvent>
#include <QPointer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const QString kKey = QStringLiteral("hiddenDeviceIDs");
const QString kSync = QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");

template <typename T = QWidget>
T* child(const QWidget& parent, const char* name)
{
    return parent.findChild<T*>(QLatin1String(name));
}

bool shows(const QWidget& page, const char* name)
{
    const QWidget* w = child(page, name);
    return w && w->isVisibleTo(&page);
}

class DevicesPage : public ::testing::Test {
protected:
    void SetUp() override { SettingsStore::shared().remove(kKey); }
    void TearDown() override { SettingsStore::shared().remove(kKey); }
};

}  // namespace

TEST_F(DevicesPage, OpensOnTheLCRP1WhenNothingIsHidden)
{
    DevicesView view;
    view.show();
    ASSERT_TRUE(view.selection().has_value());
    EXPECT_EQ(view.selection()->rawValue(), QStringLiteral("lcrP1"));
    auto* row = child<QAbstractButton>(view, "deviceRow.lcrP1");
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->isChecked());
    EXPECT_NE(qobject_cast<LCRP1View*>(view.detailPage()), nullptr);
    EXPECT_FALSE(shows(view, "allHiddenLabel"));
    EXPECT_FALSE(shows(view, "selectDeviceLabel"));
    EXPECT_FALSE(SettingsStore::shared().contains(kKey)) << "opening the page writes nothing";
}

TEST_F(DevicesPage, TheSheetHidesAndShowsTheLCRP1KeepingOtherIdentifiers)
{
    SettingsStore::shared().setText(kKey, kSync);
    DevicesView view;
    view.show();
    child<QToolButton>(view, "manageDevicesButton")->click();
    ManageDevicesSheet* sheet = view.manageSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());
    QCheckBox* toggle = sheet->toggle(QStringLiteral("lcrP1"));
    ASSERT_NE(toggle, nullptr);
    EXPECT_TRUE(toggle->isChecked()) << "on means shown";

    toggle->click();
    EXPECT_EQ(SettingsStore::shared().textValue(kKey), kSync + QStringLiteral(",lcrP1"));
    // The column and the detail area follow at once, with the sheet still open.
    EXPECT_FALSE(view.selection().has_value());
    EXPECT_EQ(view.detailPage(), nullptr);
    EXPECT_TRUE(shows(view, "selectDeviceLabel"));
    EXPECT_TRUE(shows(view, "allHiddenLabel"));
    EXPECT_TRUE(shows(view, "manageDevicesFallbackButton"));
    EXPECT_EQ(child(view, "deviceRow.lcrP1"), nullptr);

    toggle->click();
    EXPECT_EQ(SettingsStore::shared().textValue(kKey), kSync);
    ASSERT_TRUE(view.selection().has_value());
    EXPECT_NE(qobject_cast<LCRP1View*>(view.detailPage()), nullptr);
    EXPECT_FALSE(shows(view, "allHiddenLabel"));

    child<QPushButton>(*sheet, "doneButton")->click();
    EXPECT_TRUE(runUntil([&] { return view.manageSheet() == nullptr; }));
}

TEST_F(DevicesPage, AHiddenLCRP1LeavesTheEmptyColumnAndTheSheetCanBringItBack)
{
    SettingsStore::shared().setText(kKey, QStringLiteral(",lcrP1,,lcrP1"));
    DevicesView view;
    view.show();
    EXPECT_FALSE(view.selection().has_value());
    EXPECT_TRUE(shows(view, "allHiddenLabel"));
    EXPECT_TRUE(shows(view, "selectDeviceLabel"));

    child<QPushButton>(view, "manageDevicesFallbackButton")->click();
    ASSERT_NE(view.manageSheet(), nullptr);
    QCheckBox* toggle = view.manageSheet()->toggle(QStringLiteral("lcrP1"));
    EXPECT_FALSE(toggle->isChecked());
    toggle->click();
    EXPECT_EQ(SettingsStore::shared().textValue(kKey), QString());
    ASSERT_TRUE(view.selection().has_value());
    EXPECT_TRUE(child<QAbstractButton>(view, "deviceRow.lcrP1")->isChecked());
}

TEST_F(DevicesPage, NearMissValuesHideNothingAndStayAsTheyAreUntilAToggle)
{
    const QString raw = QStringLiteral("lcrP1 ,LCRP1,zz");
    SettingsStore::shared().setText(kKey, raw);
    DevicesView view;
    view.show();
    EXPECT_TRUE(view.selection().has_value());
    view.openManageDevices();
    EXPECT_EQ(SettingsStore::shared().textValue(kKey), raw);
    view.manageSheet()->toggle(QStringLiteral("lcrP1"))->click();
    EXPECT_EQ(SettingsStore::shared().textValue(kKey), QStringLiteral("LCRP1,lcrP1,lcrP1 ,zz"));
}

TEST_F(DevicesPage, EditsFromTheSyncLocationListReachAnOpenPageAndSheet)
{
    DevicesView view;
    view.show();
    view.openManageDevices();
    // The sync-location list hides one of its locations: the LCR-P1 stays.
    DeviceVisibility::setHidden(kSync, true);
    EXPECT_TRUE(view.selection().has_value());
    EXPECT_TRUE(view.manageSheet()->toggle(QStringLiteral("lcrP1"))->isChecked());
    // Someone else hides the LCR-P1 (a restored settings backup): page and sheet follow.
    SettingsStore::shared().setText(kKey, kSync + QStringLiteral(",lcrP1"));
    EXPECT_FALSE(view.selection().has_value());
    EXPECT_FALSE(view.manageSheet()->toggle(QStringLiteral("lcrP1"))->isChecked());
}

// --- The firmware page -----------------------------------------------------------------------

namespace {

LCRP1Flasher::Timing quickTiming()
{
    LCRP1Flasher::Timing timing;
    timing.replyTimeoutSeconds = 0.5;
    timing.replyQuietMillis = 100;
    return timing;
}

QString writeFirmware(const QByteArray& bytes, const QString& name = QStringLiteral("APP_LCR_P1_V1.2.bin"))
{
    const QString path = corvallen::test::freshFolder() + QLatin1Char('/') + name;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

QByteArray imageOf(qsizetype length)
{
    QByteArray image(length, '\0');
    for (qsizetype i = 0; i < length; ++i)
        image[i] = char((i * 3 + 11) % 241);
    return image;
}

// Clicks "Flash Firmware" and answers "Flash" in the confirmation.
void flashThroughTheDialog(LCRP1View& page)
{
    child<QPushButton>(page, "flashButton")->click();
    auto* box = child<QMessageBox>(page, "confirmFlashDialog");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(runUntil([&] { return box->isVisible(); }));
    child<QPushButton>(*box, "confirmFlashButton")->click();
}

class FirmwarePage : public ::testing::Test {
protected:
    void TearDown() override { ASSERT_TRUE(runUntil([] { return !FlashController::isAnyFlashRunning(); })); }
};

}  // namespace

TEST_F(FirmwarePage, FlashesTheSimulatedDeviceWithProgressAndAGreenOutcome)
{
    SimulatedLCRP1 device;
    FlashController controller;
    controller.setTiming(quickTiming());
    LCRP1View page(controller, [&] { return QStringList{device.path()}; });
    page.show();

    // One port: shown read-only and already selected.
    EXPECT_TRUE(shows(page, "portValue"));
    EXPECT_FALSE(shows(page, "portPicker"));
    EXPECT_EQ(child<QLabel>(page, "portValue")->text(), device.path());
    EXPECT_FALSE(child<QPushButton>(page, "flashButton")->isEnabled()) << "no file yet";

    const QByteArray image = imageOf(5000);
    page.loadFirmware(writeFirmware(image));
    EXPECT_EQ(child<QLabel>(page, "fileName")->text(), QStringLiteral("APP_LCR_P1_V1.2.bin"));
    EXPECT_EQ(page.firmwareSize(), 5000);
    EXPECT_TRUE(child<QPushButton>(page, "flashButton")->isEnabled());

    QList<double> seen;
    QObject::connect(&controller, &FlashController::progressChanged, &page, [&](double p) {
        seen << p;
        EXPECT_TRUE(shows(page, "flashProgress"));
    });
    flashThroughTheDialog(page);
    EXPECT_FALSE(child<QPushButton>(page, "flashButton")->isEnabled()) << "disabled while flashing";
    ASSERT_TRUE(runUntil([&] { return !page.status().isEmpty(); }));

    EXPECT_EQ(page.status(), QStringLiteral("Firmware flashed. The device should reboot into the new version."));
    EXPECT_EQ(page.statusColor().green() > page.statusColor().red(), true);
    EXPECT_TRUE(shows(page, "statusLabel"));
    EXPECT_FALSE(shows(page, "flashProgress"));
    EXPECT_EQ(seen.size(), 10);  // ten data blocks
    EXPECT_EQ(seen.last(), 1.0);
    EXPECT_EQ(device.received().mid(4, 5000), image);
    EXPECT_TRUE(child<QPushButton>(page, "flashButton")->isEnabled()) << "ready to flash again";
}

TEST_F(FirmwarePage, AnEmptyFileEndsInTheRedFailureLine)
{
    SimulatedLCRP1 device;
    FlashController controller;
    controller.setTiming(quickTiming());
    LCRP1View page(controller, [&] { return QStringList{device.path()}; });
    page.show();
    page.loadFirmware(writeFirmware(QByteArray()));
    flashThroughTheDialog(page);
    ASSERT_TRUE(runUntil([&] { return !page.status().isEmpty(); }));
    EXPECT_EQ(page.status(), QStringLiteral("Flash failed: The firmware file is empty."));
    EXPECT_GT(page.statusColor().red(), page.statusColor().green());
}

TEST_F(FirmwarePage, AReopenedPageShowsTheRunningFlashAndItsOutcome)
{
    SimulatedLCRP1::Behaviour stalled;
    stalled.paused = true;
    SimulatedLCRP1 device(stalled);
    SimulatedLCRP1 otherDevice;
    FlashController controller;
    controller.setTiming(quickTiming());
    {
        LCRP1View first(controller, [&] { return QStringList{device.path()}; });
        first.show();
        first.loadFirmware(writeFirmware(imageOf(512 * 1024)));
        flashThroughTheDialog(first);
        ASSERT_TRUE(controller.isFlashing());
    }  // the user leaves the page mid-flash

    // Back on the page, with another device plugged in: it shows the running flash and won't
    // start a second one.
    LCRP1View second(controller, [&] { return QStringList{device.path(), otherDevice.path()}; });
    second.show();
    second.loadFirmware(writeFirmware(imageOf(100)));
    EXPECT_TRUE(shows(second, "flashProgress"));
    EXPECT_EQ(child<QLabel>(second, "progressCaption")->text(), QStringLiteral("Writing firmware…"));
    EXPECT_FALSE(child<QPushButton>(second, "flashButton")->isEnabled());
    second.setSelectedPort(otherDevice.path());
    second.startFlash();
    EXPECT_TRUE(otherDevice.received().isEmpty());

    device.resume();
    ASSERT_TRUE(runUntil([&] { return !second.status().isEmpty(); }));
    EXPECT_EQ(second.status(), QStringLiteral("Firmware flashed. The device should reboot into the new version."));
    EXPECT_FALSE(shows(second, "flashProgress"));
}

TEST_F(FirmwarePage, AFlashThatEndsWhileThePageIsAwayIsShownWhenItReturns)
{
    SimulatedLCRP1::Behaviour silent;
    silent.reply = QByteArray();
    SimulatedLCRP1 device(silent);
    FlashController controller;
    controller.setTiming(quickTiming());
    {
        LCRP1View page(controller, [&] { return QStringList{device.path()}; });
        page.loadFirmware(writeFirmware(imageOf(100)));
        page.startFlash();
    }
    ASSERT_TRUE(runUntil([&] { return !controller.isFlashing(); }));
    {
        LCRP1View page(controller, [&] { return QStringList{device.path()}; });
        EXPECT_EQ(page.status(),
                  QStringLiteral("Streaming finished but the device didn't acknowledge. Re-enter update mode and try again."));
    }
    // Shown once; the next page starts clean.
    LCRP1View later(controller, [&] { return QStringList{device.path()}; });
    EXPECT_TRUE(later.status().isEmpty());
}

TEST_F(FirmwarePage, RescanKeepsAValidSelectionAndOtherwiseTakesTheFirstPort)
{
    FlashController controller;
    QStringList nodes{QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyUSB0")};
    LCRP1View page(controller, [&] { return nodes; });
    page.show();
    EXPECT_TRUE(shows(page, "portPicker"));
    EXPECT_FALSE(shows(page, "portValue"));
    EXPECT_EQ(page.selectedPort(), QStringLiteral("/dev/ttyACM0"));

    page.setSelectedPort(QStringLiteral("/dev/ttyUSB0"));
    nodes.append(QStringLiteral("/dev/ttyUSB1"));
    child<QPushButton>(page, "rescanButton")->click();
    EXPECT_EQ(page.selectedPort(), QStringLiteral("/dev/ttyUSB0"));

    nodes = {QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyUSB1")};
    page.rescan();
    EXPECT_EQ(page.selectedPort(), QStringLiteral("/dev/ttyACM0"));

    page.loadFirmware(writeFirmware(imageOf(10)));
    EXPECT_TRUE(page.canFlash());
    nodes.clear();
    page.rescan();
    EXPECT_FALSE(page.selectedPort().has_value());
    EXPECT_FALSE(page.canFlash());
    EXPECT_TRUE(shows(page, "noPortLabel"));
    EXPECT_FALSE(child<QPushButton>(page, "flashButton")->isEnabled());
}

TEST_F(FirmwarePage, EveryWayOutOfTheConfirmationLeavesTheInstrumentUntouched)
{
    SimulatedLCRP1 device;
    FlashController controller;
    controller.setTiming(quickTiming());
    LCRP1View page(controller, [&] { return QStringList{device.path()}; });
    page.show();
    page.loadFirmware(writeFirmware(imageOf(100)));

    // Cancel, Escape, and Return (which answers with the default button: never "Flash").
    auto press = [](QMessageBox& box, Qt::Key key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(&box, &event);
    };
    const QList<std::function<void(QMessageBox&)>> ways{
        [](QMessageBox& box) {
            for (QAbstractButton* b : box.buttons())
                if (b->text() == QStringLiteral("Cancel"))
                    b->click();
        },
        [&](QMessageBox& box) { press(box, Qt::Key_Escape); },
        [&](QMessageBox& box) { press(box, Qt::Key_Return); },
    };
    for (const auto& way : ways) {
        child<QPushButton>(page, "flashButton")->click();
        auto* box = child<QMessageBox>(page, "confirmFlashDialog");
        ASSERT_NE(box, nullptr);
        ASSERT_TRUE(runUntil([&] { return box->isVisible(); }));
        QPointer<QMessageBox> guard(box);
        way(*box);
        ASSERT_TRUE(runUntil([&] { return guard.isNull() || !guard->isVisible(); }));
        for (int i = 0; i < 10; ++i)
            QCoreApplication::processEvents();
        EXPECT_FALSE(controller.isFlashing());
        EXPECT_TRUE(page.status().isEmpty());
        EXPECT_TRUE(child<QPushButton>(page, "flashButton")->isEnabled());
        if (guard)
            delete guard;
    }
    EXPECT_TRUE(device.received().isEmpty());
}
