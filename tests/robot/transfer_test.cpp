// Program download and upload against the virtual robot.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <thread>
#include <vector>

#include "base/string_table.h"
#include "model/sequence_decoder.h"
#include "robot/hid_report.h"
#include "robot/program_download.h"
#include "robot/program_upload.h"
#include "robot_test_support.h"

using namespace trovel;
using namespace trovel::test;

namespace {

SequenceImage imageOf(const std::vector<uint8_t>& bytes) {
    SequenceImage image;
    std::copy(bytes.begin(), bytes.end(), image.bytes.begin());
    image.length = static_cast<int>(bytes.size());
    return image;
}

SequenceImage countingImage(int size) {
    std::vector<uint8_t> bytes(size);
    for (int i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 1);
    return imageOf(bytes);
}

TEST(TransferSteps, EveryStageHasItsOwnTextInJapaneseAndEnglish) {
    const PackLoadResult en = loadStringPack(std::filesystem::path(TROVEL_SOURCE_DIR) / "data" / "lang" / "en.txt");
    ASSERT_TRUE(en.ok());
    std::set<int> ids;
    for (int s = 0; s <= static_cast<int>(TransferStep::CheckingRestart); ++s) {
        const int id = transferStepString(static_cast<TransferStep>(s));
        SCOPED_TRACE(id);
        EXPECT_TRUE(ids.insert(id).second);
        EXPECT_FALSE(lookup(builtInStrings(), static_cast<uint16_t>(id)).empty());
        const std::u16string_view english = lookup(en.table, static_cast<uint16_t>(id));
        EXPECT_FALSE(english.empty());
        EXPECT_TRUE(std::all_of(english.begin(), english.end(), [](char16_t c) { return c < 0x80; }));
    }
    EXPECT_EQ(lookup(builtInStrings(), static_cast<uint16_t>(transferStepString(TransferStep::Reconnecting))),
              u"ロボットに再接続しています...");
}

TEST(BootRequest, AddressLittleEndianAndDataAtTheEndOfTheReport) {
    const uint8_t data[3] = {0xA1, 0xA2, 0xA3};
    const HidReport r = bootRequest(BootCommand::Write, 0x07F00012, 5, data, 0xFF);
    EXPECT_EQ(r[0], 0);
    EXPECT_EQ(r[1], 5);
    EXPECT_EQ(r[2], 0x12);
    EXPECT_EQ(r[5], 0x07);
    EXPECT_EQ(r[6], 5);
    EXPECT_EQ(r[60], 0xA1);  // data byte 0 at 65 - n
    EXPECT_EQ(r[62], 0xA3);
    EXPECT_EQ(r[63], 0xFF);  // data bytes not given keep the fill
    EXPECT_EQ(r[7], 0xFF);
    const HidReport map = memoryMapWriteRequest(kMemoryMapAddress, 60, 100);
    EXPECT_EQ(map[14], 153);
    EXPECT_EQ(map[15], 255);
    EXPECT_EQ(map[7], 0);
}

TEST(Download, WritesTheSequenceAndMotorSpeedsAndRestartsTheRobot) {
    RobotRig rig;
    rig.connect();
    for (int i = 0; i < kMemoryMapBytes; ++i) rig.robot->setMemoryMapArea(i, 0x33);  // old variables
    const SequenceImage image = countingImage(100);
    std::vector<TransferStep> steps;
    rig.ctx.progress.step = [&](TransferStep s) { steps.push_back(s); };

    const DownloadResult result = downloadProgram(rig.ctx, image, {60, 50});

    EXPECT_EQ(result.status, TransferStatus::Done);
    EXPECT_FALSE(result.verifyError);
    const std::vector<uint8_t> stored = rig.robot->flash(kSequenceAddress, kSequenceBytes);
    EXPECT_TRUE(std::equal(image.bytes.begin(), image.bytes.begin() + 100, stored.begin()));
    // The rest of the last chunk is written as zeros; past it the area stays erased.
    EXPECT_EQ(stored[100], 0x00);
    EXPECT_EQ(stored[143], 0x00);
    EXPECT_EQ(stored[144], 0xFF);
    const std::vector<uint8_t> map = rig.robot->memoryMapArea();
    for (int i = 0; i < kMemoryMapBytes; ++i) {
        const int expected = i == 7 ? 153 : i == 8 ? 127 : 0;
        EXPECT_EQ(map[i], expected) << "memory map byte " << i;
    }
    EXPECT_EQ(rig.robot->mode(), RobotMode::Application);
    EXPECT_TRUE(rig.flags.has(Option::RobotRestarting));
    EXPECT_FALSE(rig.flags.has(Option::TransferActive));
    EXPECT_FALSE(rig.link.busy());
    EXPECT_FALSE(rig.link.deviceOpen());
    ASSERT_GE(steps.size(), 6u);
    EXPECT_EQ(steps.front(), TransferStep::StartingBootLoader);
    EXPECT_EQ(steps.back(), TransferStep::CheckingRestart);
}

TEST(Download, ImageOfWholeChunksGetsOneMoreAllZeroChunk) {
    RobotRig rig;
    rig.connect();
    rig.robot->setFlash(kSequenceAddress + 96, std::vector<uint8_t>(48, 0xEE));  // erased first anyway
    const DownloadResult result = downloadProgram(rig.ctx, countingImage(96), {0, 0});
    ASSERT_EQ(result.status, TransferStatus::Done);
    // 3 chunks + memory map + boot-loader flag.
    EXPECT_EQ(rig.robot->counters().bootWrites, 5);
    EXPECT_EQ(rig.robot->flash(kSequenceAddress + 96, 48), std::vector<uint8_t>(48, 0x00));
    EXPECT_EQ(rig.robot->flash(kSequenceAddress + 144, 1)[0], 0xFF);
}

TEST(Download, BootLoaderThatAnswersTheProbeWithItselfIsStillFound) {
    RobotRig rig;
    rig.connect();
    rig.robot->setBootLoaderEchoesProbe(true);
    const SequenceImage image = countingImage(60);
    ASSERT_EQ(downloadProgram(rig.ctx, image, {0, 0}).status, TransferStatus::Done);
    const std::vector<uint8_t> stored = rig.robot->flash(kSequenceAddress, 60);
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), image.bytes.begin()));
    EXPECT_EQ(rig.robot->mode(), RobotMode::Application);
}

TEST(DownloadFailures, VerifyDifferenceStopsTheDownload) {
    RobotRig rig;
    rig.connect();
    rig.robot->corruptSequenceWrites(0x01);
    const DownloadResult result = downloadProgram(rig.ctx, countingImage(200), {60, 60});
    EXPECT_EQ(result.status, TransferStatus::Failed);
    EXPECT_TRUE(result.verifyError);
    EXPECT_EQ(result.verifyAddress, kSequenceAddress);
    EXPECT_EQ(rig.robot->counters().bootWrites, 1);  // no further chunk, no memory map
    EXPECT_TRUE(rig.flags.has(Option::RobotRestarting));
    EXPECT_FALSE(rig.link.busy());
}

TEST(DownloadFailures, UnpluggedDuringTheChunksIsAnErrorNotAHang) {
    RobotRig rig(true);
    rig.connect();
    rig.robot->failBootWrite(3);
    const auto start = rig.time.now();
    const DownloadResult result = downloadProgram(rig.ctx, countingImage(300), {60, 60});
    EXPECT_EQ(result.status, TransferStatus::Failed);
    EXPECT_FALSE(result.verifyError);
    EXPECT_LT(rig.time.now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(rig.link.busy());
    EXPECT_FALSE(rig.flags.has(Option::TransferActive));
}

TEST(DownloadFailures, RobotThatStopsAnsweringTimesOut) {
    RobotRig rig(true);
    rig.connect();
    // 'b', the probe that finds the boot loader, the erase, one chunk, then silence.
    rig.robot->stopAnsweringAfter(4);
    const auto start = rig.time.now();
    const DownloadResult result = downloadProgram(rig.ctx, countingImage(300), {60, 60});
    EXPECT_EQ(result.status, TransferStatus::Failed);
    EXPECT_LT(rig.time.now() - start, std::chrono::seconds(2));
}

TEST(DownloadFailures, CancelDuringTheReconnectWaitLeavesTheSequenceAlone) {
    RobotRig rig(true);
    rig.connect();
    rig.robot->setRestartDelay(std::chrono::seconds(30));  // the boot loader never shows up in time
    rig.robot->setFlash(kSequenceAddress, {0x00, 0x00, 0x00, 0x01});
    // "中断" 30 ms into the wait, whatever the machine's speed.
    rig.time.onSleep = [&](std::chrono::milliseconds reached) {
        if (reached >= std::chrono::milliseconds(30)) rig.cancel = true;
    };
    const DownloadResult result = downloadProgram(rig.ctx, countingImage(40), {60, 60});
    EXPECT_EQ(result.status, TransferStatus::Cancelled);
    EXPECT_EQ(rig.robot->counters().erases, 0);
    EXPECT_EQ(rig.robot->flash(kSequenceAddress, 4), (std::vector<uint8_t>{0x00, 0x00, 0x00, 0x01}));
    EXPECT_FALSE(rig.link.busy());
}

TEST(DownloadFailures, CancelAfterTheEraseSaysTheProgramIsGone) {
    RobotRig rig;
    rig.connect();
    rig.robot->setFlash(kSequenceAddress, {0x00, 0x00, 0x00, 0x01});
    // "中断" pressed while the chunks are written.
    rig.ctx.progress.step = [&](TransferStep s) {
        if (s == TransferStep::WritingSequence) rig.cancel = true;
    };
    const DownloadResult result = downloadProgram(rig.ctx, countingImage(300), {60, 60});
    EXPECT_EQ(result.status, TransferStatus::Cancelled);
    EXPECT_TRUE(result.erased);
    EXPECT_EQ(rig.robot->flash(kSequenceAddress + 48, 1)[0], 0xFF);  // erased, at most one chunk written
    // Cancelled before anything was erased: the robot's program is whole.
    RobotRig early;
    early.connect();
    early.ctx.progress.step = [&](TransferStep s) {
        if (s == TransferStep::Reconnecting) early.cancel = true;
    };
    const DownloadResult before = downloadProgram(early.ctx, countingImage(300), {60, 60});
    EXPECT_EQ(before.status, TransferStatus::Cancelled);
    EXPECT_FALSE(before.erased);
}

TEST(ReconnectWait, CountsTimeNotPassesWhenEveryProbeTimesOut) {
    RobotRig rig(true);
    rig.connect();
    rig.robot->stopAnsweringAfter(0);
    // 62 passes of 2 ms; each silent probe adds a 40 ms time-out that must not stretch the wait.
    const auto start = rig.time.now();
    EXPECT_FALSE(waitForBootLoader(rig.ctx, false));
    EXPECT_LT(rig.time.now() - start, std::chrono::milliseconds(124 + 40 + 150));
}

TEST(DownloadClaim, GivesUpWithoutRobotAndFailsWhenTheClaimNeverFrees) {
    {
        RobotRig rig;  // never connected: no device open
        EXPECT_EQ(downloadProgram(rig.ctx, countingImage(8), {}).status, TransferStatus::GaveUp);
        EXPECT_EQ(rig.robot->counters().reports, 0);
    }
    {
        RobotRig rig;
        rig.connect();
        ASSERT_TRUE(rig.link.tryClaim());  // a poll that never ends
        EXPECT_EQ(downloadProgram(rig.ctx, countingImage(8), {}).status, TransferStatus::Failed);
        rig.flags.clear(Option::Connected);  // the robot went while we waited
        EXPECT_EQ(downloadProgram(rig.ctx, countingImage(8), {}).status, TransferStatus::GaveUp);
        EXPECT_EQ(rig.robot->counters().reports, 0);
        EXPECT_FALSE(rig.flags.has(Option::TransferActive));
    }
}

TEST(Upload, ReadsTheSequenceToItsEndMarkAndTheMotorSpeeds) {
    RobotRig rig;
    rig.connect();
    // Start -> timed forward 2.5 s -> End, as the compiler writes it.
    const std::vector<uint8_t> program{0x00, 0x00, 0x00, 0x01, 0x06, 0x00, 0x00, 0x02, 0x01, 0xF0, 0xF0, 0x03,
                                       0x03, 0x19, 0x04, 0xFF, 0x01, 0x00, 0x00, 0x05, 0xFE, 0x00, 0x00, 0x00};
    rig.robot->setFlash(kSequenceAddress, program);
    rig.robot->setMemoryMapArea(7, 253);
    rig.robot->setMemoryMapArea(8, 254);

    const UploadResult result = uploadProgram(rig.ctx);

    ASSERT_EQ(result.status, TransferStatus::Done);
    EXPECT_EQ(result.sequence, program);
    EXPECT_EQ(result.speeds, (MotorSpeeds{99, 100}));
    EXPECT_EQ(rig.robot->mode(), RobotMode::Application);
    EXPECT_FALSE(rig.flags.has(Option::RobotRestarting));
    EXPECT_FALSE(rig.link.busy());

    BlockProgram decoded;
    decodeSequence(decoded, result.sequence.data(), result.sequence.size());
    ASSERT_EQ(decoded.blocks.size(), 3u);
    EXPECT_EQ(decoded.blocks[1]->type, BlockType::Forward);
    EXPECT_EQ(decoded.blocks[1]->param[0], 25);
}

TEST(Upload, ErasedAreaGivesNothingAndAFullAreaStopsAt1024Bytes) {
    {
        RobotRig rig;
        rig.connect();
        const UploadResult result = uploadProgram(rig.ctx);
        EXPECT_EQ(result.status, TransferStatus::Done);
        EXPECT_TRUE(result.sequence.empty());
        EXPECT_EQ(rig.robot->counters().bootWrites, 1);  // only the boot-loader flag
    }
    {
        RobotRig rig;
        rig.connect();
        rig.robot->setFlash(kSequenceAddress, std::vector<uint8_t>(0x500, 0x01));  // no end mark anywhere
        const UploadResult result = uploadProgram(rig.ctx);
        EXPECT_EQ(result.status, TransferStatus::Done);
        EXPECT_EQ(result.sequence.size(), static_cast<size_t>(kSequenceBytes));
    }
}

TEST(Upload, SilentRobotIsAnErrorAndGivesNoProgram) {
    RobotRig rig;
    rig.connect();
    rig.robot->setFlash(kSequenceAddress, std::vector<uint8_t>(200, 0x01));
    rig.robot->stopAnsweringAfter(3);  // 'b', the probe, the first read; the second read times out
    const UploadResult result = uploadProgram(rig.ctx);
    EXPECT_EQ(result.status, TransferStatus::Failed);
    EXPECT_TRUE(result.sequence.empty());
    EXPECT_FALSE(rig.link.busy());
}

TEST(Upload, ReadsARobotWaitingInItsBootLoaderAndSendsItBackUnlessItsFirmwareIsIncomplete) {
    const std::vector<uint8_t> program{0x00, 0x00, 0x00, 0x01, 0xFE, 0x00, 0x00, 0x00};
    for (const bool incomplete : {false, true}) {
        SCOPED_TRACE(incomplete ? "firmware incomplete" : "firmware whole");
        RobotRig rig;  // never connected, no device open: the link only saw the boot loader
        rig.robot->setMode(RobotMode::BootLoader);
        rig.robot->setFlash(kSequenceAddress, program);
        rig.state.setInBootLoader(true);
        rig.state.setFirmwareIncomplete(incomplete);
        const UploadResult result = uploadProgram(rig.ctx);
        ASSERT_EQ(result.status, TransferStatus::Done);
        EXPECT_EQ(result.sequence, program);
        EXPECT_EQ(result.leftInBootLoader, incomplete);
        EXPECT_EQ(rig.robot->counters().resets, incomplete ? 0 : 1);
        EXPECT_EQ(rig.robot->mode(), incomplete ? RobotMode::BootLoader : RobotMode::Application);
        EXPECT_EQ(rig.state.inBootLoader(), incomplete);
        EXPECT_FALSE(rig.link.busy());
    }
}

TEST(DownloadUpload, RobotThatIgnoresTheResetFailsTheWriteAndCanStillBeRead) {
    RobotRig rig;
    rig.connect();
    rig.robot->addFault({RobotFault::StayInBoot, 1});
    const SequenceImage image = countingImage(52);
    std::vector<TransferStep> steps;
    rig.ctx.progress.step = [&](TransferStep s) { steps.push_back(s); };
    const DownloadResult written = downloadProgram(rig.ctx, image, {42, 77});
    EXPECT_EQ(written.status, TransferStatus::Failed);
    EXPECT_EQ(written.failure, TransferFailure::NotRestarted);
    EXPECT_FALSE(written.restarted);
    EXPECT_FALSE(written.verifyError);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back(), TransferStep::CheckingRestart);
    EXPECT_EQ(rig.robot->mode(), RobotMode::BootLoader);
    // It is not on its way back: the label must not wait for it as for a restart.
    EXPECT_FALSE(rig.flags.has(Option::RobotRestarting));
    EXPECT_TRUE(rig.state.inBootLoader());
    EXPECT_FALSE(rig.link.busy());
    EXPECT_FALSE(rig.link.deviceOpen());

    // The studio's link never calls such a robot connected; it is read all the same.
    rig.flags.clear(Option::Connected);
    const UploadResult read = uploadProgram(rig.ctx);
    ASSERT_EQ(read.status, TransferStatus::Done);
    ASSERT_EQ(read.sequence.size(), 96u);  // with the zeros that pad the last chunk
    EXPECT_TRUE(std::equal(image.bytes.begin(), image.bytes.begin() + 52, read.sequence.begin()));
    EXPECT_EQ(read.speeds, (MotorSpeeds{42, 77}));
    EXPECT_TRUE(read.leftInBootLoader);
}

TEST(DownloadUpload, WhatIsWrittenReadsBack) {
    RobotRig rig;
    rig.connect();
    const SequenceImage image = countingImage(4 * 90);  // no FF FF FF FF word in it
    ASSERT_EQ(downloadProgram(rig.ctx, image, {42, 77}).status, TransferStatus::Done);
    rig.connect();
    const UploadResult result = uploadProgram(rig.ctx);
    ASSERT_EQ(result.status, TransferStatus::Done);
    // The zeros that pad the last chunk come back too (the decoder skips them).
    ASSERT_EQ(result.sequence.size(), 4u * 96);
    EXPECT_TRUE(std::equal(image.bytes.begin(), image.bytes.begin() + 360, result.sequence.begin()));
    EXPECT_EQ(result.speeds, (MotorSpeeds{42, 77}));
}

}  // namespace
