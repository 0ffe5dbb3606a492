// Every fault of the emulated robot at every step of a write, a read and a firmware update: a
// transfer that reports success left exactly its data behind; one that failed says why, frees
// the link and never restarts a half-written firmware; none outlasts its time-outs; a robot that
// stays in its boot loader is never reported as running what was written.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "robot/firmware_update.h"
#include "robot/hid_report.h"
#include "robot/program_download.h"
#include "robot/program_upload.h"
#include "robot_test_support.h"

using namespace trovel;
using namespace trovel::test;

namespace {

enum class Command { Write, Read, Firmware };

// A program with no FF FF FF FF word, one chunk and a bit long.
std::vector<uint8_t> programBytes() {
    std::vector<uint8_t> bytes(60);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 5 + 3);
    return bytes;
}

std::vector<uint8_t> firmwareBytes() {
    std::vector<uint8_t> image(kFirmwareAddress + 100, 0);
    for (size_t i = kFirmwareAddress; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 11 + 1);
    return image;
}

struct Outcome {
    TransferStatus status = TransferStatus::Failed;
    TransferFailure failure = TransferFailure::None;
    std::chrono::milliseconds took{};
    int reports = 0;
    bool leftInBootLoader = false;  // a read that succeeded, from a robot that did not restart
};

// Runs one command against a fresh robot with `fault` switched on (none when step is 0) and
// checks what every outcome must satisfy.
Outcome runWith(Command command, RobotFault fault, int step) {
    RobotRig rig(true);
    rig.connect();
    rig.robot->setReplyDelays(std::chrono::milliseconds(5), std::chrono::milliseconds(60));
    const std::vector<uint8_t> program = programBytes();
    const std::vector<uint8_t> firmware = firmwareBytes();
    const std::vector<uint8_t> oldFirmware = rig.robot->flash(kFirmwareAddress, 100);
    if (command == Command::Read) {
        rig.robot->setFlash(kSequenceAddress, program);
        rig.robot->setMemoryMapArea(7, 253);
        rig.robot->setMemoryMapArea(8, 60);
    }
    if (step > 0) rig.robot->addFault({fault, step});

    Outcome run;
    const auto start = rig.time.now();
    switch (command) {
    case Command::Write: {
        SequenceImage image;
        std::copy(program.begin(), program.end(), image.bytes.begin());
        image.length = static_cast<int>(program.size());
        const DownloadResult r = downloadProgram(rig.ctx, image, {60, 100});
        run.status = r.status;
        run.failure = r.failure;
        // Not restarted: written and verified all the same.
        if (r.status == TransferStatus::Done || r.failure == TransferFailure::NotRestarted) {
            EXPECT_EQ(rig.robot->flash(kSequenceAddress, program.size()), program);
            EXPECT_EQ(rig.robot->flash(kSequenceAddress + program.size(), 96 - program.size()),
                      std::vector<uint8_t>(96 - program.size(), 0));
            EXPECT_EQ(rig.robot->memoryMapArea()[7], 153);
            EXPECT_EQ(rig.robot->memoryMapArea()[8], 255);
        }
        break;
    }
    case Command::Read: {
        const UploadResult r = uploadProgram(rig.ctx);
        run.status = r.status;
        run.failure = r.failure;
        run.leftInBootLoader = r.leftInBootLoader;
        if (r.status == TransferStatus::Done) {
            EXPECT_EQ(r.sequence, program);
            EXPECT_EQ(r.speeds, (MotorSpeeds{99, 23}));
        } else {
            EXPECT_TRUE(r.sequence.empty());
        }
        break;
    }
    case Command::Firmware: {
        int retries = 0;
        // One retry, then the user gives up.
        const FirmwareResult r = firmwareUpdate(rig.ctx, firmware, {60, 100}, [&] { return ++retries <= 1; });
        run.status = r.status;
        run.failure = r.failure;
        if (r.status == TransferStatus::Done || r.failure == TransferFailure::NotRestarted) {
            EXPECT_TRUE(std::equal(firmware.begin() + kFirmwareAddress, firmware.end(),
                                   rig.robot->flash(kFirmwareAddress, 100).begin()));
            EXPECT_FALSE(rig.state.firmwareIncomplete());
            EXPECT_FALSE(r.incomplete);
        } else {
            // Only a 'b' that could not be sent ends without the retry question.
            EXPECT_EQ(r.abandoned, r.failure != TransferFailure::NotSent);
            // Left in its boot loader once the old firmware was erased, and the link says so.
            if (rig.robot->counters().erases > 0) { EXPECT_TRUE(r.incomplete); }
            EXPECT_EQ(rig.state.firmwareIncomplete(), r.incomplete);
            if (!r.incomplete) { EXPECT_EQ(rig.robot->flash(kFirmwareAddress, 100), oldFirmware); }
        }
        // A half-written firmware is never started by us.
        EXPECT_EQ(rig.robot->counters().resetsAfterFirmwareErase, 0);
        break;
    }
    }
    run.took = rig.time.now() - start;
    run.reports = rig.robot->counters().reports;
    EXPECT_NE(run.status, TransferStatus::Cancelled);
    if (run.status == TransferStatus::Failed) {
        EXPECT_NE(run.failure, TransferFailure::None);
    } else EXPECT_EQ(run.status, TransferStatus::Done);
    // What is said about the restart is true. (A robot whose firmware does not start restarts
    // into its boot loader: it did restart; an unplugged one restarts when plugged in again.)
    const bool stayed = rig.robot->mode() == RobotMode::BootLoader &&
                        !(step > 0 && (fault == RobotFault::NoBoot || fault == RobotFault::Unplug));
    if (run.status == TransferStatus::Done) { EXPECT_EQ(stayed, run.leftInBootLoader); }
    if (run.failure == TransferFailure::NotRestarted) { EXPECT_TRUE(stayed); }
    EXPECT_FALSE(rig.link.busy());
    EXPECT_FALSE(rig.flags.has(Option::TransferActive));
    return run;
}

// Faults a sound link rides out: replies that come twice, unasked or slowly, a firmware that
// does not start after the reset.
bool harmless(RobotFault fault) {
    return fault == RobotFault::Duplicate || fault == RobotFault::Unsolicited || fault == RobotFault::Slow ||
           fault == RobotFault::NoBoot;
}

void everyFaultAtEveryStep(Command command) {
    const Outcome clean = runWith(command, RobotFault::Garbage, 0);
    ASSERT_EQ(clean.status, TransferStatus::Done);
    // Each of the first reports, then the middle and the end of the command.
    std::set<int> steps;
    for (int s = 1; s <= std::min(clean.reports, 8); ++s) steps.insert(s);
    for (int s : {clean.reports / 2, clean.reports - 3, clean.reports - 2, clean.reports - 1, clean.reports})
        if (s >= 1) steps.insert(s);
    for (int f = 0; f < kRobotFaultCount; ++f) {
        const auto fault = static_cast<RobotFault>(f);
        for (int step : steps) {
            SCOPED_TRACE(std::string(robotFaultName(fault)) + "@" + std::to_string(step));
            const Outcome run = runWith(command, fault, step);
            // The reconnect wait (62 x 2 ms) and a few 40 ms time-outs at most.
            EXPECT_LT(run.took.count(), 1500);
            if (harmless(fault)) { EXPECT_EQ(run.status, TransferStatus::Done); }
            // The reset is the last report, so the fault always catches it: the work is done, but
            // the robot did not restart. A read has what it came for; a write or an update is no
            // success, as the robot does not run what it holds.
            if (fault == RobotFault::StayInBoot && command == Command::Read) {
                EXPECT_EQ(run.status, TransferStatus::Done);
                EXPECT_TRUE(run.leftInBootLoader);
            } else if (fault == RobotFault::StayInBoot) {
                EXPECT_EQ(run.status, TransferStatus::Failed);
                EXPECT_EQ(run.failure, TransferFailure::NotRestarted);
            }
        }
    }
}

TEST(RobotFaults, WriteSucceedsOnlyWithTheImageInTheRobot) { everyFaultAtEveryStep(Command::Write); }
TEST(RobotFaults, ReadSucceedsOnlyWithWhatTheRobotHolds) { everyFaultAtEveryStep(Command::Read); }
TEST(RobotFaults, FirmwareSucceedsOnlyWhenEveryByteTook) { everyFaultAtEveryStep(Command::Firmware); }

TEST(RobotFaults, ThoseThatHideTheDataAreFailuresWithTheirReason) {
    struct Row {
        Command command;
        RobotFault fault;
        TransferFailure failure;
    };
    const Row rows[] = {
        {Command::Write, RobotFault::IgnoreBoot, TransferFailure::NoBootLoader},
        {Command::Read, RobotFault::IgnoreBoot, TransferFailure::NoBootLoader},
        {Command::Firmware, RobotFault::IgnoreBoot, TransferFailure::NoBootLoader},
        {Command::Read, RobotFault::Echo, TransferFailure::NoBootLoader},
        {Command::Write, RobotFault::FlashIgnore, TransferFailure::Verify},
        {Command::Firmware, RobotFault::FirmwareIgnore, TransferFailure::Verify},
        {Command::Read, RobotFault::Garbage, TransferFailure::Unsteady},
        {Command::Write, RobotFault::Short, TransferFailure::NoReply},
        {Command::Read, RobotFault::Long, TransferFailure::NoReply},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(robotFaultName(row.fault)));
        // From the third report on: the robot has entered its boot loader (garbage, short, long
        // and too-slow replies from the probe on hide it instead).
        const int step = row.failure == TransferFailure::NoBootLoader ? 1 : 3;
        const Outcome run = runWith(row.command, row.fault, step);
        EXPECT_EQ(run.status, TransferStatus::Failed);
        EXPECT_EQ(run.failure, row.failure);
    }
}

TEST(RobotFaults, NamesReadBackWithTheirStep) {
    for (int f = 0; f < kRobotFaultCount; ++f) {
        const auto fault = static_cast<RobotFault>(f);
        const auto parsed = parseRobotFault(std::string(robotFaultName(fault)) + "@12");
        ASSERT_TRUE(parsed) << robotFaultName(fault);
        EXPECT_EQ(parsed->fault, fault);
        EXPECT_EQ(parsed->fromReport, 12);
    }
    EXPECT_EQ(parseRobotFault("unplug")->fromReport, 1);
    for (const char* bad : {"", "unplugged", "unplug@", "unplug@0", "unplug@x", "@3", "unplug@-1"})
        EXPECT_FALSE(parseRobotFault(bad)) << bad;
}

}  // namespace
