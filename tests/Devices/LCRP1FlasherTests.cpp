// One whole flash against a simulated LCR-P1 loader: the exact bytes on the wire for image
// lengths around the block and end-marker boundaries, the progress events, how the reply is
// judged, and how failures surface; then devices that answer the wrong step, echo, flood or
// nag, and firmware files that aren't plain files.
#include "Corvallen/Devices/LCRP1Flasher.h"
#include "Devices/ScriptedDevice.h"
#include "Devices/SimulatedLCRP1.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <cstring>
#include <future>
#include <ostream>
#include <sys/stat.h>

namespace LCRP1Flasher {
// Readable failure messages for progress sequences.
void PrintTo(const FlashProgress& e, std::ostream* os)
{
    switch (e.kind) {
    case FlashProgress::Kind::connecting: *os << "connecting"; break;
    case FlashProgress::Kind::writing: *os << "writing(" << e.sent << "/" << e.total << ")"; break;
    case FlashProgress::Kind::waitingForDevice: *os << "waitingForDevice"; break;
    }
}
}  // namespace LCRP1Flasher

namespace {

using LCRP1Flasher::FlashProgress;

// Short waits for the answer; the defaults would make a silent device cost 20 s.
LCRP1Flasher::Timing quickTiming()
{
    LCRP1Flasher::Timing timing;
    timing.replyTimeoutSeconds = 0.5;
    timing.replyQuietMillis = 100;
    return timing;
}

QByteArray imageOf(qsizetype length)
{
    QByteArray image(length, '\0');
    // Not 0xFF and not the marker's bytes at fixed places, so filler and data can't be confused.
    for (qsizetype i = 0; i < length; ++i)
        image[i] = char((i * 7 + 3) % 251);
    return image;
}

struct FlashRun {
    bool acknowledged = false;
    QList<FlashProgress> events;
};

FlashRun flashTo(SimulatedLCRP1& device, const QByteArray& image, const LCRP1Flasher::Timing& timing = quickTiming())
{
    FlashRun run;
    run.acknowledged = LCRP1Flasher::flash(image, device.path(),
                                           [&run](const FlashProgress& e) { run.events << e; }, timing);
    return run;
}

const QByteArray ff(qsizetype n) { return QByteArray(n, char(0xFF)); }

}  // namespace

// --- Wire bytes ------------------------------------------------------------------------------

struct WireCase {
    qsizetype length;
    int dataBlocks;
    bool terminator;
};

class FlashWire : public ::testing::TestWithParam<WireCase> {};

TEST_P(FlashWire, HandshakeBlocksAndTerminatorAreExactlyAsTheLoaderExpects)
{
    const WireCase c = GetParam();
    SimulatedLCRP1 device;
    const QByteArray image = imageOf(c.length);
    const FlashRun run = flashTo(device, image);

    EXPECT_TRUE(run.acknowledged);
    EXPECT_EQ(device.imagesReceived(), 1);
    const QByteArray wire = device.received();
    const qsizetype expectedSize = 4 + 512 * (c.dataBlocks + (c.terminator ? 1 : 0));
    ASSERT_EQ(wire.size(), expectedSize);
    EXPECT_EQ(wire.left(4), QByteArray::fromHex("ac550203"));

    const QByteArray blocks = wire.mid(4);
    // Image bytes in order at the front of each block.
    for (int k = 0; k < c.dataBlocks; ++k) {
        const QByteArray chunk = image.mid(512 * k, 512);
        EXPECT_EQ(blocks.mid(512 * k, chunk.size()), chunk) << "block " << k;
    }
    // Full blocks before the last one carry no filler and no marker.
    const qsizetype tail = c.length - 512 * (c.dataBlocks - 1);
    const QByteArray last = blocks.mid(512 * (c.dataBlocks - 1), 512);
    if (tail <= 508) {
        EXPECT_EQ(last.mid(tail, 508 - tail), ff(508 - tail));
        EXPECT_EQ(last.mid(508), QByteArray::fromHex("78563412"));
    } else {
        // The image ran over the marker; what is left of it stays in place.
        EXPECT_EQ(last.mid(tail), QByteArray::fromHex("78563412").mid(tail - 508));
    }
    if (c.terminator)
        EXPECT_EQ(blocks.right(512), ff(508) + QByteArray::fromHex("78563412"));
}

INSTANTIATE_TEST_SUITE_P(AroundBoundaries, FlashWire,
                         ::testing::Values(WireCase{1, 1, false}, WireCase{2, 1, false}, WireCase{507, 1, false},
                                           WireCase{508, 1, false}, WireCase{509, 1, true},
                                           WireCase{510, 1, true}, WireCase{511, 1, true}, WireCase{512, 1, true},
                                           WireCase{513, 2, false}, WireCase{1000, 2, false},
                                           WireCase{1020, 2, false}, WireCase{1021, 2, true},
                                           WireCase{1024, 2, true}, WireCase{1025, 3, false},
                                           WireCase{512 * 40, 40, true}),
                         [](const auto& info) { return "L" + std::to_string(info.param.length); });

// --- Progress --------------------------------------------------------------------------------

TEST(FlashProgressEvents, ReportConnectingEachDataBlockThenWaiting)
{
    // 1000 bytes: the last block is short; 1024: a terminator follows, which reports nothing.
    for (const qsizetype length : {qsizetype(1), qsizetype(1000), qsizetype(1024)}) {
        SimulatedLCRP1 device;
        QList<FlashProgress> expected{FlashProgress::connecting()};
        for (qsizetype sent = 512; sent < length + 512; sent += 512)
            expected << FlashProgress::writing(std::min(sent, length), length);
        expected << FlashProgress::waitingForDevice();
        EXPECT_EQ(flashTo(device, imageOf(length)).events, expected) << length;
    }
}

// --- The device's answer ---------------------------------------------------------------------

struct ReplyCase {
    const char* hex;
    bool acknowledged;
};

class FlashReply : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(FlashReply, OnlyBytesOneAndTwoDecide)
{
    SimulatedLCRP1::Behaviour behaviour;
    behaviour.reply = QByteArray::fromHex(GetParam().hex);
    SimulatedLCRP1 device(behaviour);
    EXPECT_EQ(flashTo(device, imageOf(700)).acknowledged, GetParam().acknowledged);
    EXPECT_EQ(device.imagesReceived(), 1);
}

INSTANTIATE_TEST_SUITE_P(Replies, FlashReply,
                         ::testing::Values(ReplyCase{"3c5503", true}, ReplyCase{"005503ffff", true},
                                           ReplyCase{"ff5503", true}, ReplyCase{"5503", false},
                                           ReplyCase{"aa5502", false}, ReplyCase{"550300", false},
                                           ReplyCase{"55", false}));

TEST(FlashReply, ASilentDeviceMeansNotAcknowledgedRatherThanAnError)
{
    SimulatedLCRP1::Behaviour silent;
    silent.reply = QByteArray();
    SimulatedLCRP1 device(silent);
    const FlashRun run = flashTo(device, imageOf(2048));
    EXPECT_FALSE(run.acknowledged);
    EXPECT_EQ(run.events.last(), FlashProgress::waitingForDevice());
    EXPECT_EQ(device.imagesReceived(), 1);
}

// --- Failures --------------------------------------------------------------------------------

TEST(FlashFailures, AnEmptyImageIsRefusedBeforeTheLineIsTouched)
{
    SimulatedLCRP1 device;
    QList<FlashProgress> events;
    try {
        LCRP1Flasher::flash(QByteArray(), device.path(), [&](const FlashProgress& e) { events << e; }, quickTiming());
        FAIL() << "no error";
    } catch (const LCRP1Flasher::FlashError& e) {
        EXPECT_EQ(e.kind(), LCRP1Flasher::FlashError::Kind::emptyFirmware);
        EXPECT_EQ(e.errorDescription(), QStringLiteral("The firmware file is empty."));
    }
    EXPECT_TRUE(events.isEmpty());
    // The next bytes on the wire are a later flash's: nothing was sent before.
    flashTo(device, imageOf(1));
    EXPECT_EQ(device.received().left(4), QByteArray::fromHex("ac550203"));
    EXPECT_EQ(device.received().size(), 4 + 512);
}

TEST(FlashFailures, AnImageOverTheCapIsRefusedBeforeTheLineIsTouched)
{
    SimulatedLCRP1 device;
    QList<FlashProgress> events;
    try {
        LCRP1Flasher::flash(QByteArray(LCRP1Flasher::maxFirmwareSize + 1, 'x'), device.path(),
                            [&](const FlashProgress& e) { events << e; }, quickTiming());
        FAIL() << "no error";
    } catch (const LCRP1Flasher::FlashError& e) {
        EXPECT_EQ(e.kind(), LCRP1Flasher::FlashError::Kind::firmwareTooLarge);
        EXPECT_EQ(e.errorDescription(), QStringLiteral("The firmware file is larger than 16 MiB."));
    }
    EXPECT_TRUE(events.isEmpty());
}

TEST(FlashFailures, AMissingPortFailsToOpenAfterConnecting)
{
    QList<FlashProgress> events;
    try {
        LCRP1Flasher::flash(imageOf(10), QStringLiteral("/dev/ttyACM-missing-4711"),
                            [&](const FlashProgress& e) { events << e; }, quickTiming());
        FAIL() << "no error";
    } catch (const SerialPort::SerialError& e) {
        EXPECT_EQ(e.kind(), SerialPort::SerialError::Kind::openFailed);
        EXPECT_EQ(e.errorDescription(),
                  QStringLiteral("Couldn't open the serial port: ") + QString::fromLocal8Bit(std::strerror(ENOENT)));
    }
    EXPECT_EQ(events, QList<FlashProgress>{FlashProgress::connecting()});
}

TEST(FlashFailures, ADeviceThatVanishesMidImageEndsWithAWriteFailure)
{
    SimulatedLCRP1::Behaviour unplugged;
    unplugged.hangUpAfter = 4 + 3 * 512;
    SimulatedLCRP1 device(unplugged);
    // Far more than the line buffers hold, so the host is still streaming when the device goes.
    const QByteArray image = imageOf(2 * 1024 * 1024);
    QList<FlashProgress> events;
    try {
        LCRP1Flasher::flash(image, device.path(), [&](const FlashProgress& e) { events << e; }, quickTiming());
        FAIL() << "no error";
    } catch (const SerialPort::SerialError& e) {
        EXPECT_EQ(e.kind(), SerialPort::SerialError::Kind::writeFailed);
        EXPECT_TRUE(e.errorDescription().startsWith(QStringLiteral("Serial write failed: ")))
            << e.errorDescription().toStdString();
        EXPECT_FALSE(e.message().isEmpty());
    }
    ASSERT_FALSE(events.isEmpty());
    EXPECT_NE(events.last(), FlashProgress::waitingForDevice());
    EXPECT_LT(events.last().sent, image.size()) << "streaming stopped at the failure";
}

TEST(FlashFailures, ADeviceThatHangsUpWhileTheHostWaitsEndsTheWaitAtOnce)
{
    // The waits are long enough that only the hang-up can end them within the test's patience.
    LCRP1Flasher::Timing patient = quickTiming();
    patient.replyTimeoutSeconds = 120;
    patient.replyQuietMillis = 60000;

    SimulatedLCRP1::Behaviour unplugged;
    unplugged.reply = QByteArray();
    unplugged.hangUpAfter = 4 + 512;
    SimulatedLCRP1 device(unplugged);
    try {
        flashTo(device, imageOf(1), patient);
        FAIL() << "no error";
    } catch (const LCRP1Flasher::FlashError& e) {
        EXPECT_EQ(e.kind(), LCRP1Flasher::FlashError::Kind::disconnected);
        EXPECT_EQ(e.errorDescription(), QStringLiteral("The device disconnected before acknowledging."));
    }
}

TEST(FlashFailures, ADeviceThatStopsTakingBytesEndsTheFlashInsteadOfHoldingIt)
{
    SimulatedLCRP1::Behaviour stuck;
    stuck.paused = true;
    SimulatedLCRP1 device(stuck);
    LCRP1Flasher::Timing timing = quickTiming();
    timing.writeStallMillis = 300;
    const QByteArray image = imageOf(2 * 1024 * 1024);  // far more than the line buffers hold
    QList<FlashProgress> events;
    try {
        LCRP1Flasher::flash(image, device.path(), [&](const FlashProgress& e) { events << e; }, timing);
        FAIL() << "no error";
    } catch (const SerialPort::SerialError& e) {
        EXPECT_EQ(e.kind(), SerialPort::SerialError::Kind::writeFailed);
        EXPECT_EQ(e.errorDescription(), QStringLiteral("Serial write failed: The device stopped accepting data."));
    }
    ASSERT_FALSE(events.isEmpty());
    EXPECT_NE(events.last(), FlashProgress::waitingForDevice());
}

// --- Devices that misbehave ------------------------------------------------------------------

namespace {

const QByteArray kAck = QByteArray::fromHex("3c5503");

// Whether a flash of image to the device ends acknowledged; a failure fails the test. The
// port is closed again whatever the device did.
bool acknowledges(const ScriptedDevice& device, const QByteArray& image)
{
    const int before = openDescriptorsTo(device.path());
    EXPECT_GE(before, 1) << "the device's own end of the line is not found";
    const bool acknowledged = LCRP1Flasher::flash(image, device.path(), {}, quickTiming());
    EXPECT_EQ(openDescriptorsTo(device.path()), before) << "the port was left open";
    return acknowledged;
}

}  // namespace

TEST(FlashEarlyAnswers, AnAcknowledgementBeforeTheWholeImageArrivedIsNotOne)
{
    // Far more than the line buffers hold: the device has to read most of the image after its
    // early answer, so that answer is on the line while the host is still sending.
    const QByteArray image = imageOf(1024 * 1024);
    const qsizetype wire = 4 + 2048 * 512 + 512;

    // Answers the handshake as if it were the image, then says nothing more.
    ScriptedDevice early([](ScriptedDevice& d) {
        if (d.receiveUntil(4))
            d.send(kAck);
    });
    EXPECT_FALSE(acknowledges(early, image));

    // Acknowledges after the first block: the rest of the image went nowhere.
    ScriptedDevice hasty([](ScriptedDevice& d) {
        if (d.receiveUntil(4 + 512))
            d.send(kAck);
    });
    EXPECT_FALSE(acknowledges(hasty, image));
    EXPECT_EQ(hasty.received().size(), wire) << "the whole image still went out";

    // The same answer after the last block is the device's acknowledgement.
    ScriptedDevice patient([](ScriptedDevice& d) {
        if (d.receiveUntil(wire))
            d.send(kAck);
    });
    EXPECT_TRUE(acknowledges(patient, image));

    // A last data block whose final bytes happen to be the marker ends the image for the
    // loader, which answers before the terminator block follows: that answer is for the whole
    // image. The host is held after the last data block until the answer is on the line.
    QByteArray markedLast = imageOf(512);
    markedLast.replace(508, 4, SimulatedLCRP1::endMarker());
    std::atomic<bool> answered{false};
    ScriptedDevice prompt([&](ScriptedDevice& d) {
        if (d.receiveUntil(4 + 512) && d.send(kAck))
            answered = true;
    });
    EXPECT_TRUE(LCRP1Flasher::flash(markedLast, prompt.path(), [&](const FlashProgress& e) {
        while (e.kind == FlashProgress::Kind::writing && !answered)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }, quickTiming()));
    EXPECT_EQ(prompt.received().size(), 4 + 512 + 512) << "the terminator still follows";

    // Goes away right after the handshake, while the host has the line closed.
    const int before = openDescriptorCount();
    {
        ScriptedDevice gone([](ScriptedDevice& d) {
            if (d.receiveUntil(4))
                d.hangUp();
        });
        EXPECT_THROW(LCRP1Flasher::flash(image, gone.path(), {}, quickTiming()), UserFacingError);
    }
    EXPECT_EQ(openDescriptorCount(), before) << "the port was left open";
}

TEST(FlashNoisyDevices, EchoFloodAndNaggingEndWithinTheWaitsAndAcknowledgeNothing)
{
    const QByteArray image = imageOf(64 * 1024);  // far more than the line buffers hold

    // Sends back every byte it gets.
    ScriptedDevice echo([](ScriptedDevice& d) {
        while (!d.stopping()) {
            const QByteArray bytes = d.receive(10);
            if (!bytes.isEmpty() && !d.send(bytes))
                return;
        }
    });
    EXPECT_FALSE(acknowledges(echo, image));

    // Never stops sending the tail of an acknowledgement, from before the handshake on.
    ScriptedDevice flood([](ScriptedDevice& d) {
        const QByteArray noise = QByteArray::fromHex("5503").repeated(2048);
        while (!d.stopping() && d.send(noise))
            d.receive(0);
    });
    EXPECT_FALSE(acknowledges(flood, image));

    // Asks for the block again, every 20 ms, for ever.
    ScriptedDevice nag([](ScriptedDevice& d) {
        while (d.pause(20) && d.send(QByteArray(1, char(0x15)))) {
        }
    });
    EXPECT_FALSE(acknowledges(nag, image));
    EXPECT_EQ(nag.received().size(), 4 + 128 * 512 + 512);

    // Answers the whole image at length, more than the reply limit in one stream, and goes away
    // a second later. The host stops listening at the limit and judges what it has: the answer
    // is no acknowledgement, and the line's end after it is never waited for.
    ScriptedDevice verbose([](ScriptedDevice& d) {
        if (d.receiveUntil(4 + 128 * 512 + 512) && d.send(QByteArray(LCRP1Flasher::maxReplyBytes + 44, char(0x15))) && d.pause(1000))
            d.hangUp();
    });
    LCRP1Flasher::Timing patient = quickTiming();
    patient.replyQuietMillis = 5000;
    patient.replyTimeoutSeconds = 10;
    EXPECT_FALSE(LCRP1Flasher::flash(image, verbose.path(), {}, patient));
}

// --- Ports and files -------------------------------------------------------------------------

TEST(FlashPorts, OnlyUSBSerialNodesInAscendingOrderWithFullPathsElseNone)
{
    const QString dev = corvallen::test::freshFolder(QStringLiteral("dev"));
    for (const char* name : {"ttyUSB10", "ttyS0", "ttyACM1", "tty", "console", "ttyUSB0", "cu.usbserial-1410",
                             "ttyACM0", "ttyAMA0", "usbttyUSB0"})
        QFile(dev + QLatin1Char('/') + QLatin1String(name)).open(QIODevice::WriteOnly);
    EXPECT_EQ(LCRP1Flasher::availablePortsIn(dev),
              (QStringList{dev + "/ttyACM0", dev + "/ttyACM1", dev + "/ttyUSB0", dev + "/ttyUSB10"}));
    EXPECT_TRUE(LCRP1Flasher::availablePortsIn(corvallen::test::freshFolder(QStringLiteral("dev"))).isEmpty());
    EXPECT_TRUE(LCRP1Flasher::availablePortsIn(QStringLiteral("/nonexistent-dev-4711")).isEmpty());
}

TEST(FlashFiles, FilesUpToTheCapAreReadWholeLargerOnesAreRefusedUnread)
{
    const QString folder = corvallen::test::freshFolder();
    const QString atCap = folder + QStringLiteral("/at-cap.bin");
    const QString overCap = folder + QStringLiteral("/over-cap.bin");
    {
        QFile f(atCap);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.resize(LCRP1Flasher::maxFirmwareSize);
    }
    {
        QFile f(overCap);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.resize(LCRP1Flasher::maxFirmwareSize + 1);
    }
    EXPECT_EQ(LCRP1Flasher::readFirmwareFile(atCap).size(), LCRP1Flasher::maxFirmwareSize);
    try {
        LCRP1Flasher::readFirmwareFile(overCap);
        FAIL() << "no error";
    } catch (const LCRP1Flasher::FlashError& e) {
        EXPECT_EQ(e.kind(), LCRP1Flasher::FlashError::Kind::firmwareTooLarge);
    }
    try {
        LCRP1Flasher::readFirmwareFile(folder + QStringLiteral("/missing.bin"));
        FAIL() << "no error";
    } catch (const LCRP1Flasher::FlashError& e) {
        EXPECT_EQ(e.kind(), LCRP1Flasher::FlashError::Kind::unreadableFirmware);
        EXPECT_TRUE(e.errorDescription().startsWith(QStringLiteral("Couldn't read the firmware file: ")));
    }
}

TEST(FlashFiles, FoldersPipesAndDevicesAreRefusedInPlainWords)
{
    const QString folder = corvallen::test::freshFolder();
    const int before = openDescriptorCount();
    auto refusal = [](const QString& path) -> QString {
        // A file that can block its reader must not hold the test either.
        auto result = std::async(std::launch::async, [path]() -> QString {
            try {
                LCRP1Flasher::readFirmwareFile(path);
            } catch (const LCRP1Flasher::FlashError& e) {
                return e.errorDescription();
            }
            return QStringLiteral("(read)");
        });
        if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            // Unblock the reader so the process can go on.
            QFile writer(path);
            writer.open(QIODevice::WriteOnly);
            writer.close();
            return QStringLiteral("(blocked)");
        }
        return result.get();
    };

    EXPECT_EQ(refusal(folder), QStringLiteral("Couldn't read the firmware file: it is a folder, not a file."));
    const QString fifo = folder + QStringLiteral("/pipe.bin");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(refusal(fifo), QStringLiteral("Couldn't read the firmware file: it is a pipe or a device, not a file."));
    EXPECT_EQ(refusal(QStringLiteral("/dev/zero")), QStringLiteral("Couldn't read the firmware file: it is a pipe or a device, not a file."));

    // Anything that is a plain file is read byte for byte, however much it looks like text:
    // line endings of every kind, an end-of-file mark and NULs are not translated.
    const QByteArray textLike = QByteArrayLiteral(":10010000214601360121470136007EFE09D2190140\r\n"
                                                  ":100110002146017E17C20001FF5F16002148011928\r"
                                                  ":00000001FF\n\x1a\x00\r\n");
    const QString hex = folder + QStringLiteral("/APP_LCR_P1.hex");
    {
        QFile f(hex);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(textLike);
    }
    EXPECT_EQ(LCRP1Flasher::readFirmwareFile(hex), textLike);

    // Without read permission (only meaningful where the tests don't run as root).
    if (geteuid() != 0) {
        ASSERT_TRUE(QFile::setPermissions(hex, QFileDevice::WriteOwner));
        EXPECT_EQ(refusal(hex), QStringLiteral("Couldn't read the firmware file: ") + QString::fromLocal8Bit(std::strerror(EACCES)));
    }
    EXPECT_EQ(openDescriptorCount(), before) << "a refused file was left open";
}
