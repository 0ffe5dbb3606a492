// Intel HEX reading and the firmware update against the virtual robot.

#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "model/sequence_code.h"
#include "robot/firmware_update.h"
#include "robot/hex_image.h"
#include "robot/hid_report.h"
#include "robot_test_support.h"

using namespace trovel;
using namespace trovel::test;

namespace {

// One record with its checksum.
std::u16string record(int type, uint16_t address, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> bytes{static_cast<uint8_t>(data.size()), static_cast<uint8_t>(address >> 8),
                               static_cast<uint8_t>(address), static_cast<uint8_t>(type)};
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t b : bytes) sum += b;
    bytes.push_back(static_cast<uint8_t>(-sum));
    std::u16string line = u":";
    static const char16_t* digits = u"0123456789ABCDEF";
    for (uint8_t b : bytes) {
        line += digits[b >> 4];
        line += digits[b & 15];
    }
    return line;
}

const std::u16string kEnd = u":00000001FF";

TEST(HexImage, PlacesDataByLinearAndSegmentAddressesWithZeroGaps) {
    const HexLoadResult r = parseHexLines({
        u"; a comment line", record(0, 0x1000, {0x11, 0x22}), record(0, 0x1010, {0x33}),
        record(2, 0, {0x01, 0x20}),       // segment 0x0120 -> base 0x1200
        record(0, 0x0004, {0x44}),        // 0x1204
        record(4, 0, {0x00, 0xF0}),       // base 0xF00000
        record(0, 0x0007, {0x99}),        // memory map byte 7
        record(5, 0, {0, 0, 0x10, 0}),    // start address: ignored
        kEnd, record(0, 0x2000, {0x55}),  // after the end record: not read
    });
    ASSERT_EQ(r.status, HexStatus::Loaded);
    ASSERT_EQ(r.image.size(), 0xF00008u);
    EXPECT_EQ(r.image[0x1000], 0x11);
    EXPECT_EQ(r.image[0x1001], 0x22);
    EXPECT_EQ(r.image[0x1002], 0x00);  // a gap is 0x00, not erased flash
    EXPECT_EQ(r.image[0x1010], 0x33);
    EXPECT_EQ(r.image[0x1204], 0x44);
    EXPECT_EQ(r.image[0xF00007], 0x99);
    EXPECT_EQ(r.image[0x2000], 0x00);
}

TEST(HexImage, DamagedRecordsRefuseTheWholeFileWithTheirLine) {
    struct Case {
        std::u16string bad;
        HexStatus status;
    };
    std::u16string flipped = record(0, 0x1000, {0x12, 0x34});
    flipped[10] = flipped[10] == u'1' ? u'2' : u'1';  // one data digit changed: checksum off
    const std::vector<Case> cases{
        {flipped, HexStatus::BadChecksum},
        {u":02100000GG34B8", HexStatus::BadRecord},                 // not hex digits
        {u":0410000012345", HexStatus::BadRecord},                  // cut short
        {record(0, 0x1000, {1, 2}) + u"00", HexStatus::BadRecord},  // longer than its count says
        {record(7, 0x1000, {1}), HexStatus::BadRecord},             // unknown record type
        {u":", HexStatus::BadRecord},
    };
    for (const Case& c : cases) {
        const HexLoadResult r = parseHexLines({record(0, 0x1000, {1, 2, 3}), c.bad, kEnd});
        EXPECT_EQ(r.status, c.status) << std::string(c.bad.begin(), c.bad.end());
        EXPECT_EQ(r.line, 2);
        EXPECT_TRUE(r.image.empty());
    }
}

TEST(HexImage, OutOfRangeAndNothingForTheFirmwareAreRefused) {
    EXPECT_EQ(parseHexLines({record(4, 0, {0x00, 0xF0}), record(0, 0x00FF, {1, 2}), kEnd}).status,
              HexStatus::OutOfRange);  // 0xF00100 is past the image
    EXPECT_EQ(parseHexLines({record(0, 0x0100, {1, 2}), record(0, 0x3E00, {3}), kEnd}).status,
              HexStatus::NoFirmwareData);  // boot loader and sequence area only
    EXPECT_EQ(parseHexLines({u"just some text", u"nothing else"}).status, HexStatus::NoFirmwareData);
    EXPECT_EQ(parseHexLines({}).status, HexStatus::NoFirmwareData);
}

TEST(HexImage, ReadsUtf16AndAnsiFilesAndReportsAMissingOne) {
    const std::filesystem::path dir = scratchDir("robot", "hex");
    const std::u16string text = record(0, 0x1000, {0xAB, 0xCD}) + u"\r\n" + kEnd + u"\r\n";
    {
        std::ofstream ansi(dir / "ansi.hex", std::ios::binary);
        for (char16_t c : text) ansi.put(static_cast<char>(c));
        std::ofstream wide(dir / "wide.hex", std::ios::binary);
        wide.put(static_cast<char>(0xFF));
        wide.put(static_cast<char>(0xFE));
        for (char16_t c : text) {
            wide.put(static_cast<char>(c & 0xFF));
            wide.put(static_cast<char>(c >> 8));
        }
    }
    for (const char* name : {"ansi.hex", "wide.hex"}) {
        const HexLoadResult r = loadHexImage(dir / name);
        ASSERT_EQ(r.status, HexStatus::Loaded) << name;
        ASSERT_EQ(r.image.size(), 0x1002u);
        EXPECT_EQ(r.image[0x1001], 0xCD);
    }
    EXPECT_EQ(loadHexImage(dir / "missing.hex").status, HexStatus::CannotOpen);
}

std::vector<uint8_t> firmwareImage(size_t length) {
    std::vector<uint8_t> image(length, 0);
    for (size_t i = 0; i < length; ++i) image[i] = static_cast<uint8_t>(i * 13 + 5);
    return image;
}

TEST(FirmwareUpdate, WritesOnlyTheFirmwareAreaAndTheMemoryMap) {
    RobotRig rig;
    rig.connect();
    const std::vector<uint8_t> program{0x00, 0x00, 0x00, 0x01, 0xFE, 0, 0, 0};
    rig.robot->setFlash(kSequenceAddress, program);
    const std::vector<uint8_t> bootBefore = rig.robot->flash(0, 0x1000);
    std::vector<uint8_t> image = firmwareImage(0x4100);  // runs on past the firmware area
    int retries = 0;
    TransferStep step = TransferStep::StartingBootLoader;
    std::vector<std::pair<TransferStep, int>> ranges;  // stage and range top
    rig.ctx.progress.step = [&](TransferStep s) { step = s; };
    rig.ctx.progress.range = [&](int, int high) { ranges.emplace_back(step, high); };

    const FirmwareResult result = firmwareUpdate(rig.ctx, image, {60, 100}, [&] { return ++retries, true; });
    // The erase shows a range of the image length modulo 65536, the writing one of the chunks.
    EXPECT_NE(
        std::find(ranges.begin(), ranges.end(), std::pair<TransferStep, int>{TransferStep::ErasingFirmware, 0x4100}),
        ranges.end());
    EXPECT_NE(std::find(ranges.begin(), ranges.end(), std::pair<TransferStep, int>{TransferStep::WritingFirmware, 331}),
              ranges.end());

    ASSERT_EQ(result.status, TransferStatus::Done);
    EXPECT_EQ(result.attempts, 1);
    EXPECT_EQ(retries, 0);
    const std::vector<uint8_t> firmware = rig.robot->flash(kFirmwareAddress, kFirmwareEnd - kFirmwareAddress);
    EXPECT_TRUE(std::equal(firmware.begin(), firmware.end(), image.begin() + kFirmwareAddress));
    EXPECT_EQ(rig.robot->flash(0, 0x1000), bootBefore);
    // The chunks past the firmware carry 0xFF, which leaves the stored program as it was.
    EXPECT_EQ(rig.robot->flash(kSequenceAddress, program.size()), program);
    // Length cut to 0x3E00: 0x3E00 / 48 + 1 = 331 chunks, the memory map and the boot-loader flag.
    EXPECT_EQ(rig.robot->counters().bootWrites, 331 + 2);
    EXPECT_EQ(rig.robot->memoryMapArea()[7], 153);
    EXPECT_EQ(rig.robot->memoryMapArea()[8], 255);
    EXPECT_EQ(rig.robot->mode(), RobotMode::Application);
    EXPECT_FALSE(rig.flags.has(Option::RobotRestarting));
    EXPECT_FALSE(rig.flags.has(Option::TransferActive));
    EXPECT_FALSE(rig.link.busy());
}

TEST(FirmwareUpdate, FailedAttemptIsRepeatedAfterTheUserReconnects) {
    RobotRig rig;
    rig.connect();
    rig.robot->failBootWrite(10);  // the cable comes out in the middle of the firmware
    const std::vector<uint8_t> image = firmwareImage(0x2000);
    int retries = 0;
    const FirmwareResult result = firmwareUpdate(rig.ctx, image, {60, 60}, [&] {
        ++retries;
        rig.robot->setPlugged(true);
        return true;
    });
    ASSERT_EQ(result.status, TransferStatus::Done);
    EXPECT_EQ(result.attempts, 2);
    EXPECT_EQ(retries, 1);
    const std::vector<uint8_t> firmware = rig.robot->flash(kFirmwareAddress, 0x1000);
    EXPECT_TRUE(std::equal(firmware.begin(), firmware.end(), image.begin() + kFirmwareAddress));
}

TEST(FirmwareUpdate, RobotThatNeverReachesItsBootLoaderIsNotReportedAsUpdated) {
    RobotRig rig;
    rig.connect();
    rig.robot->setRestartDelay(std::chrono::seconds(30));
    int retries = 0;
    const FirmwareResult result =
        firmwareUpdate(rig.ctx, firmwareImage(0x2000), {60, 60}, [&] { return ++retries < 2; });
    EXPECT_EQ(result.status, TransferStatus::Failed);
    EXPECT_TRUE(result.abandoned);
    EXPECT_EQ(result.attempts, 2);
    EXPECT_EQ(rig.robot->counters().erases, 0);
    EXPECT_FALSE(rig.link.busy());
}

TEST(FirmwareUpdate, GivenUpAfterTheEraseTheNextUpdateStartsFromTheBootLoader) {
    RobotRig rig;
    rig.connect();
    rig.robot->failBootWrite(5);  // the cable comes out after the erase
    const std::vector<uint8_t> image = firmwareImage(0x1100);
    FirmwareResult first = firmwareUpdate(rig.ctx, image, {60, 60}, [] { return false; });
    EXPECT_EQ(first.status, TransferStatus::Failed);
    EXPECT_TRUE(first.incomplete);
    EXPECT_TRUE(rig.state.firmwareIncomplete());
    EXPECT_EQ(rig.robot->counters().resets, 0);

    // Plugged in again it waits in its boot loader, never answering as connected; the link
    // thread leaves it there, and the next update starts from there.
    rig.robot->setPlugged(true);
    rig.flags.clear(Option::Connected);
    rig.link.startLink();
    ASSERT_TRUE(eventually([&] { return rig.robot->counters().probes > 3; }));
    EXPECT_EQ(rig.robot->mode(), RobotMode::BootLoader);
    const FirmwareResult second = firmwareUpdate(rig.ctx, image, {60, 60}, [] { return false; });
    rig.link.stopLink();
    ASSERT_EQ(second.status, TransferStatus::Done);
    EXPECT_FALSE(rig.state.firmwareIncomplete());
    EXPECT_TRUE(std::equal(image.begin() + kFirmwareAddress, image.end(),
                           rig.robot->flash(kFirmwareAddress, image.size() - kFirmwareAddress).begin()));
    EXPECT_EQ(rig.robot->mode(), RobotMode::Application);
}

TEST(FirmwareUpdate, BootLoaderRequestThatCannotBeSentEndsAtOnce) {
    RobotRig rig;  // no device: the claim is free, so nothing is checked before 'b'
    int retries = 0;
    const FirmwareResult result =
        firmwareUpdate(rig.ctx, firmwareImage(0x2000), {60, 60}, [&] { return ++retries, true; });
    EXPECT_EQ(result.status, TransferStatus::Failed);
    EXPECT_FALSE(result.abandoned);
    EXPECT_EQ(retries, 0);
    EXPECT_FALSE(rig.link.busy());
}

}  // namespace
