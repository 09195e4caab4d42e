// The application's flash controller: a flash from file to acknowledgement on its worker
// thread with progress and the outcome line delivered on the main thread, the refusals, the
// one-flash-at-a-time rule, and controllers that go away while their flash still runs.
#include "Corvallen/Devices/FlashController.h"
#include "Devices/RunUntil.h"
#include "Devices/ScriptedDevice.h"
#include "Devices/SimulatedLCRP1.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>

namespace {

using Outcome = FlashController::Outcome;

LCRP1Flasher::Timing quickTiming()
{
    LCRP1Flasher::Timing timing;
    timing.replyTimeoutSeconds = 0.5;
    timing.replyQuietMillis = 100;
    return timing;
}

QString writeFirmware(const QByteArray& bytes)
{
    const QString path = corvallen::test::freshFolder() + QStringLiteral("/APP_LCR_P1_test.bin");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

QByteArray imageOf(qsizetype length)
{
    QByteArray image(length, '\0');
    for (qsizetype i = 0; i < length; ++i)
        image[i] = char((i * 5 + 1) % 253);
    return image;
}

struct Recorder {
    QList<double> progress;
    QList<bool> flashing;
    int finished = 0;
    explicit Recorder(FlashController& c)
    {
        QObject::connect(&c, &FlashController::progressChanged, &c, [this](double v) { progress << v; });
        QObject::connect(&c, &FlashController::flashingChanged, &c, [this](bool f) { flashing << f; });
        QObject::connect(&c, &FlashController::finished, &c, [this]() { ++finished; });
    }
};

// Each test ends with no worker left behind.
class FlashControllerTest : public ::testing::Test {
protected:
    void TearDown() override { ASSERT_TRUE(runUntil([] { return !FlashController::isAnyFlashRunning(); })); }
};

}  // namespace

TEST_F(FlashControllerTest, AnAcknowledgedFlashReportsProgressOnTheMainThreadAndTheGreenLine)
{
    SimulatedLCRP1 device;
    FlashController controller;
    controller.setTiming(quickTiming());
    Recorder rec(controller);
    const QByteArray image = imageOf(2000);

    ASSERT_TRUE(controller.start(device.path(), writeFirmware(image)));
    EXPECT_TRUE(controller.isFlashing());
    ASSERT_TRUE(runUntil([&] { return rec.finished == 1; }));

    EXPECT_FALSE(controller.isFlashing());
    EXPECT_EQ(controller.outcome(), Outcome::flashed);
    EXPECT_EQ(controller.status(), QStringLiteral("Firmware flashed. The device should reboot into the new version."));
    EXPECT_EQ(rec.flashing, (QList<bool>{true, false}));
    // One step per data block (2000 bytes: 4 blocks), in order, ending full; then no change
    // while waiting, since 1.0 was already reached.
    EXPECT_EQ(rec.progress, (QList<double>{512.0 / 2000, 1024.0 / 2000, 1536.0 / 2000, 1.0}));
    EXPECT_EQ(controller.progress(), 1.0);
    EXPECT_EQ(device.received().size(), 4 + 4 * 512);
    EXPECT_EQ(device.received().mid(4, 512).left(512), image.left(512));
}

TEST_F(FlashControllerTest, ADeviceThatStaysSilentGivesTheOrangeLine)
{
    SimulatedLCRP1::Behaviour silent;
    silent.reply = QByteArray();
    SimulatedLCRP1 device(silent);
    FlashController controller;
    controller.setTiming(quickTiming());
    ASSERT_TRUE(controller.start(device.path(), writeFirmware(imageOf(300))));
    ASSERT_TRUE(runUntil([&] { return !controller.isFlashing(); }));
    EXPECT_EQ(controller.outcome(), Outcome::notAcknowledged);
    EXPECT_EQ(controller.status(),
              QStringLiteral("Streaming finished but the device didn't acknowledge. Re-enter update mode and try again."));
}

TEST_F(FlashControllerTest, FailuresBecomeFlashFailedLinesWithTheirDescription)
{
    SimulatedLCRP1 device;
    const QString folder = corvallen::test::freshFolder();
    const QString oversized = folder + QStringLiteral("/huge.bin");
    {
        QFile f(oversized);
        f.open(QIODevice::WriteOnly);
        f.resize(16 * 1024 * 1024 + 1);
    }
    struct Case {
        QString port;
        QString file;
        QString status;
    };
    const QList<Case> cases{
        {device.path(), writeFirmware(QByteArray()), QStringLiteral("Flash failed: The firmware file is empty.")},
        {device.path(), oversized, QStringLiteral("Flash failed: The firmware file is larger than 16 MiB.")},
        {QStringLiteral("/dev/ttyUSB-missing-4711"), writeFirmware(imageOf(10)),
         QStringLiteral("Flash failed: Couldn't open the serial port: ") + QString::fromLocal8Bit(std::strerror(ENOENT))},
        {device.path(), folder + QStringLiteral("/missing.bin"), QString()},
    };
    for (const Case& c : cases) {
        FlashController controller;
        controller.setTiming(quickTiming());
        ASSERT_TRUE(controller.start(c.port, c.file));
        ASSERT_TRUE(runUntil([&] { return !controller.isFlashing(); }));
        EXPECT_EQ(controller.outcome(), Outcome::failed);
        if (c.status.isEmpty())
            EXPECT_TRUE(controller.status().startsWith(QStringLiteral("Flash failed: Couldn't read the firmware file: ")))
                << controller.status().toStdString();
        else
            EXPECT_EQ(controller.status(), c.status);
    }
    // None of the refused files reached the instrument.
    EXPECT_TRUE(device.received().isEmpty());
}

TEST_F(FlashControllerTest, OnlyOneFlashRunsInTheWholeApplication)
{
    // The instrument stops reading, so the first flash stays in the middle of its image.
    SimulatedLCRP1::Behaviour stalled;
    stalled.paused = true;
    SimulatedLCRP1 first(stalled);
    SimulatedLCRP1 second;
    const QString file = writeFirmware(imageOf(1024 * 1024));

    FlashController a;
    FlashController b;
    a.setTiming(quickTiming());
    b.setTiming(quickTiming());
    ASSERT_TRUE(a.start(first.path(), file));
    EXPECT_FALSE(a.start(first.path(), file)) << "same controller";
    EXPECT_FALSE(b.start(second.path(), file)) << "another controller, another port";
    EXPECT_FALSE(b.isFlashing());
    EXPECT_TRUE(FlashController::isAnyFlashRunning());

    first.resume();
    ASSERT_TRUE(runUntil([&] { return !a.isFlashing(); }));
    EXPECT_EQ(a.outcome(), Outcome::flashed);
    // The slot is free as soon as the outcome is known.
    ASSERT_TRUE(b.start(second.path(), file));
    ASSERT_TRUE(runUntil([&] { return !b.isFlashing(); }));
    EXPECT_EQ(b.outcome(), Outcome::flashed);
    EXPECT_TRUE(second.received().size() > 1024 * 1024);
}

TEST_F(FlashControllerTest, AControllerDestroyedMidFlashIsNeverReachedAndTheFlashStillEnds)
{
    SimulatedLCRP1::Behaviour stalled;
    stalled.paused = true;
    SimulatedLCRP1 device(stalled);
    const QString file = writeFirmware(imageOf(256 * 1024));
    {
        auto controller = std::make_unique<FlashController>();
        controller->setTiming(quickTiming());
        ASSERT_TRUE(controller->start(device.path(), file));
        // The worker is stuck in the middle of the image with progress posts queued for the
        // controller; those must be dropped with it, and later ones never made.
        ASSERT_TRUE(device.waitForReceived(0));
    }
    device.resume();
    ASSERT_TRUE(runUntil([] { return !FlashController::isAnyFlashRunning(); }));
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(device.imagesReceived(), 1);

    // The application carries on: the next flash starts normally.
    FlashController next;
    next.setTiming(quickTiming());
    ASSERT_TRUE(next.start(device.path(), writeFirmware(imageOf(10))));
    ASSERT_TRUE(runUntil([&] { return !next.isFlashing(); }));
    EXPECT_EQ(next.outcome(), Outcome::flashed);
}

TEST_F(FlashControllerTest, TheImageIsTheFileAsItWasWhenTheFlashStarted)
{
    const QByteArray image = imageOf(300 * 1024);  // 600 blocks and a terminator
    const qsizetype wire = 4 + 601 * 512;
    // Takes the handshake, then stops reading (the line backs up) until told to go on.
    std::atomic<bool> goOn{false};
    ScriptedDevice device([&](ScriptedDevice& d) {
        if (!d.receiveUntil(4))
            return;
        while (!goOn && !d.stopping())
            QThread::msleep(1);
        if (d.receiveUntil(wire))
            d.send(QByteArray::fromHex("3c5503"));
    });
    const QString file = writeFirmware(image);
    FlashController controller;
    controller.setTiming(quickTiming());
    ASSERT_TRUE(controller.start(device.path(), file));
    // Once the handshake is out, the file was read; another program now rewrites it, then
    // it disappears.
    ASSERT_TRUE(runUntil([&] { return device.received().size() >= 4; }));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(imageOf(10).repeated(3));
    }
    ASSERT_TRUE(QFile::remove(file));
    goOn = true;
    ASSERT_TRUE(runUntil([&] { return !controller.isFlashing(); }));
    EXPECT_EQ(controller.outcome(), Outcome::flashed);
    EXPECT_EQ(device.received().mid(4, image.size()), image);
}

TEST_F(FlashControllerTest, QuittingMidFlashEndsTheProcessAtOnceAndCleanly)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The user quits while the instrument has stopped reading in the middle of the image: the
    // worker is blocked on the line, and the application's teardown must neither wait for it
    // nor crash under it.
    EXPECT_EXIT(
        {
            // Takes the handshake, then stops reading.
            static ScriptedDevice device([](ScriptedDevice& d) {
                d.receiveUntil(4);
                while (!d.stopping())
                    QThread::msleep(1);
            });
            FlashController& controller = FlashController::shared();
            controller.start(device.path(), writeFirmware(imageOf(1024 * 1024)));
            runUntil([] { return device.received().size() >= 4; });
            delete &controller;
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}
