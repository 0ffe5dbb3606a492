// The link thread against the virtual robot: connection, memory copy, queued writes, unplugging.

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "robot/program_download.h"
#include "robot/program_upload.h"
#include "robot_test_support.h"

using namespace trovel;
using namespace trovel::test;

namespace {

TEST(MotorSpeedGains, RawGainsReadBackAsPercent) {
    EXPECT_EQ(motorSpeedsFromGains(253, 254), (MotorSpeeds{99, 100}));
    EXPECT_EQ(motorSpeedsFromGains(255, 0), (MotorSpeeds{100, 0}));
    EXPECT_EQ(motorSpeedsFromGains(1, 153), (MotorSpeeds{0, 60}));
}

TEST(LinkThread, ConnectsCopiesMemoryAndClearsBytesTwoAndThree) {
    RobotRig rig;
    rig.robot->setMemory(2, 7);
    rig.robot->setMemory(3, 8);
    rig.robot->setMemory(9, 123);
    std::vector<LinkStatus> heard;
    std::mutex heardMutex;
    rig.state.setStatusListener([&](LinkStatus s) {
        std::lock_guard lock(heardMutex);
        heard.push_back(s);
    });
    ASSERT_TRUE(rig.link.startLink());
    EXPECT_FALSE(rig.link.startLink());  // one instance only

    ASSERT_TRUE(eventually([&] { return rig.state.robotMemory()[9] == 123; }));
    EXPECT_TRUE(rig.flags.has(Option::Connected));
    ASSERT_TRUE(eventually([&] { return rig.robot->memory()[2] == 0 && rig.robot->memory()[3] == 0; }));
    ASSERT_TRUE(eventually([&] { return rig.robot->counters().mfRequests == 1; }));
    {
        std::lock_guard lock(heardMutex);
        ASSERT_FALSE(heard.empty());
        EXPECT_EQ(heard.back(), LinkStatus::Connected);
    }
    // With nothing queued no further memory write is sent, however many polls run.
    const int probes = rig.robot->counters().probes;
    ASSERT_TRUE(eventually([&] { return rig.robot->counters().probes > probes + 10; }));
    EXPECT_EQ(rig.robot->counters().memoryWrites, 1);
    EXPECT_EQ(rig.robot->counters().mfRequests, 1);

    rig.link.queueMemoryByte(16, 42);
    rig.link.queueMemoryByte(32, 99);  // not a memory byte: ignored
    ASSERT_TRUE(eventually([&] { return rig.robot->memory()[16] == 42; }));
    EXPECT_EQ(rig.robot->memory()[9], 123);  // the rest of the image is written back as read
    EXPECT_TRUE(rig.link.stopLink());
    EXPECT_FALSE(rig.link.running());
}

TEST(LinkThread, MotorSpeedsAreTakenOncePerConnection) {
    RobotRig rig;
    rig.flags.set(Option::ReadMotorSpeedOnConnect);
    rig.robot->setMemoryMapArea(7, 253);
    rig.robot->setMemoryMapArea(8, 254);
    rig.robot->setMode(RobotMode::BootLoader);  // the link sends it back: it starts with these gains
    std::mutex m;
    std::vector<MotorSpeeds> taken;
    rig.link.setMotorSpeedSink([&](MotorSpeeds s) {
        std::lock_guard lock(m);
        taken.push_back(s);
    });
    rig.link.startLink();
    ASSERT_TRUE(eventually([&] { return rig.flags.has(Option::Connected); }));
    const int probes = rig.robot->counters().probes;
    ASSERT_TRUE(eventually([&] { return rig.robot->counters().probes > probes + 10; }));
    {
        std::lock_guard lock(m);
        ASSERT_EQ(taken.size(), 1u);
        EXPECT_EQ(taken[0], (MotorSpeeds{99, 100}));
    }
    EXPECT_EQ(rig.robot->mode(), RobotMode::Application);

    // A new connection takes them again.
    rig.robot->setPlugged(false);
    ASSERT_TRUE(eventually([&] { return !rig.flags.has(Option::Connected); }));
    rig.robot->setPlugged(true);
    ASSERT_TRUE(eventually([&] {
        std::lock_guard lock(m);
        return taken.size() == 2;
    }));
    rig.link.stopLink();
}

TEST(LinkThread, MotorSpeedsWaitForAMemoryReadThatArrives) {
    RobotRig rig;
    rig.connect();
    rig.flags.set(Option::ReadMotorSpeedOnConnect);
    rig.robot->setMemory(7, 153);
    rig.robot->setMemory(8, 254);
    std::vector<MotorSpeeds> taken;
    rig.link.setMotorSpeedSink([&](MotorSpeeds s) { taken.push_back(s); });

    // The probe is answered, the memory read is not: there are no gains to take yet.
    rig.robot->stopAnsweringAfter(1);
    bool firstPoll = true;
    rig.link.pollOnce(firstPoll);  // a failed memory read alone does not make the poll bad
    EXPECT_TRUE(taken.empty());
    EXPECT_TRUE(firstPoll);

    rig.robot->stopAnsweringAfter(-1);
    ASSERT_TRUE(rig.link.tryClaim());
    ASSERT_TRUE(rig.link.findRobot());
    rig.link.release();
    EXPECT_TRUE(rig.link.pollOnce(firstPoll));
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0], (MotorSpeeds{60, 100}));
    EXPECT_FALSE(firstPoll);
}

TEST(LinkThread, UnplugMidwayIsNoticedAndTheRobotIsFoundAgain) {
    RobotRig rig(true);
    std::mutex m;
    std::vector<LinkStatus> heard;
    rig.state.setStatusListener([&](LinkStatus s) {
        std::lock_guard lock(m);
        heard.push_back(s);
    });
    rig.link.startLink();
    ASSERT_TRUE(eventually([&] { return rig.flags.has(Option::Connected); }));
    rig.robot->setPlugged(false);
    ASSERT_TRUE(eventually([&] { return !rig.flags.has(Option::Connected); }));
    {
        std::lock_guard lock(m);
        EXPECT_EQ(heard.back(), LinkStatus::NotConnected);
    }
    EXPECT_FALSE(rig.link.deviceOpen());
    rig.robot->setPlugged(true);
    ASSERT_TRUE(eventually([&] { return rig.flags.has(Option::Connected); }));
    const auto start = rig.time.now();
    rig.link.stopLink();
    EXPECT_LT(rig.time.now() - start, std::chrono::milliseconds(500));
}

TEST(LinkThread, SilentRobotNeverHangsThePollOrTheShutdown) {
    RobotRig rig(true);
    rig.link.startLink();
    ASSERT_TRUE(eventually([&] { return rig.flags.has(Option::Connected); }));
    rig.robot->stopAnsweringAfter(0);
    rig.robot->setMemory(9, 77);  // not seen: no reply carries it
    // Each probe times out, the device is closed and found again, and the thread keeps going.
    const int reports = rig.robot->counters().reports;
    ASSERT_TRUE(eventually([&] { return rig.robot->counters().reports > reports + 6; }));
    EXPECT_NE(rig.state.robotMemory()[9], 77);
    const auto start = rig.time.now();
    rig.link.stopLink();
    EXPECT_LT(rig.time.now() - start, std::chrono::milliseconds(500));
}

TEST(LinkThread, DeviceThatNeverAnswersUIsNeitherConnectedNorSentTheLeaveSequence) {
    struct Row {
        const char* name;
        std::function<void(VirtualRobot&)> setUp;
    };
    const Row rows[] = {
        {"silent", [](VirtualRobot& r) { r.stopAnsweringAfter(0); }},
        {"too-slow",
         [](VirtualRobot& r) {
             r.addFault({RobotFault::TooSlow, 1});
         }},
        {"echo",
         [](VirtualRobot& r) {
             r.addFault({RobotFault::Echo, 1});
         }},
        {"short",
         [](VirtualRobot& r) {
             r.addFault({RobotFault::Short, 1});
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RobotRig rig;
        rig.robot->setReplyDelays(std::chrono::milliseconds(1), std::chrono::milliseconds(60));
        row.setUp(*rig.robot);
        std::atomic<bool> heardConnected{false};
        rig.state.setStatusListener([&](LinkStatus s) {
            if (s == LinkStatus::Connected) heardConnected = true;
        });
        rig.link.startLink();
        ASSERT_TRUE(eventually([&] { return rig.robot->counters().reports > 4; }));
        rig.link.stopLink();
        EXPECT_FALSE(rig.flags.has(Option::Connected));
        EXPECT_FALSE(heardConnected);
        // A slow application firmware is not taken for the boot loader.
        EXPECT_EQ(rig.robot->counters().bootWrites + rig.robot->counters().resets, 0);
        EXPECT_EQ(rig.robot->counters().memoryWrites, 0);
    }
}

TEST(LinkThread, RobotWithAnIncompleteFirmwareIsLeftInItsBootLoader) {
    RobotRig rig;
    rig.robot->setMode(RobotMode::BootLoader);
    rig.state.setFirmwareIncomplete(true);
    std::mutex m;
    std::vector<LinkStatus> heard;
    rig.state.setStatusListener([&](LinkStatus s) {
        std::lock_guard lock(m);
        heard.push_back(s);
    });
    rig.link.startLink();
    ASSERT_TRUE(eventually([&] { return rig.robot->counters().probes > 5; }));
    EXPECT_EQ(rig.robot->counters().resets, 0);
    EXPECT_EQ(rig.robot->mode(), RobotMode::BootLoader);
    EXPECT_TRUE(rig.state.inBootLoader());
    {
        std::lock_guard lock(m);
        ASSERT_FALSE(heard.empty());
        EXPECT_EQ(heard.back(), LinkStatus::FirmwareIncomplete);
    }
    // Once an update has finished, a robot met in its boot loader is sent back as before.
    rig.state.setFirmwareIncomplete(false);
    ASSERT_TRUE(eventually([&] { return rig.flags.has(Option::Connected); }));
    EXPECT_EQ(rig.robot->mode(), RobotMode::Application);
    EXPECT_FALSE(rig.state.inBootLoader());
    rig.link.stopLink();
}

TEST(LinkThread, RobotThatIgnoresTheResetIsReadWhileTheLinkKeepsSendingItBack) {
    RobotRig rig;
    rig.robot->setMode(RobotMode::BootLoader);
    rig.robot->addFault({RobotFault::StayInBoot, 1});
    const std::vector<uint8_t> program{0x00, 0x00, 0x00, 0x01, 0xFE, 0x00, 0x00, 0x00};
    rig.robot->setFlash(kSequenceAddress, program);
    rig.link.startLink();
    ASSERT_TRUE(eventually([&] { return rig.state.inBootLoader() && rig.robot->counters().probes > 5; }));
    EXPECT_FALSE(rig.flags.has(Option::Connected));
    // The link opens and closes the robot as it tries again; the read takes it in between.
    const UploadResult result = uploadProgram(rig.ctx);
    ASSERT_EQ(result.status, TransferStatus::Done);
    EXPECT_EQ(result.sequence, program);
    EXPECT_TRUE(result.leftInBootLoader);
    rig.link.stopLink();
}

TEST(LinkThread, QueuedBytesWaitForAMemoryCopyThatArrived) {
    RobotRig rig;
    rig.connect();
    for (int i = 0; i < MemoryMap::Size; ++i) rig.robot->setMemory(i, static_cast<uint8_t>(100 + i));
    rig.link.queueMemoryByte(2, 0);
    rig.link.queueMemoryByte(3, 0);
    rig.robot->addFault({RobotFault::Late, 2});  // the first memory read is lost
    bool firstPoll = true;
    ASSERT_TRUE(rig.link.tryClaim());
    EXPECT_TRUE(rig.link.pollOnce(firstPoll));
    // Writing now would send the cleared copy and wipe the robot's memory.
    EXPECT_EQ(rig.robot->counters().memoryWrites, 0);
    EXPECT_EQ(rig.robot->memory()[9], 109);
    EXPECT_TRUE(rig.link.pollOnce(firstPoll));
    rig.link.release();
    EXPECT_EQ(rig.robot->counters().memoryWrites, 1);
    const MemoryImage after = rig.robot->memory();
    EXPECT_EQ(after[2], 0);
    EXPECT_EQ(after[3], 0);
    EXPECT_EQ(after[9], 109);  // the rest written back as read
}

TEST(LinkThread, RestartingIsDroppedWhenTheRobotNeverComesBack) {
    RobotRig rig;
    rig.robot->setPlugged(false);
    rig.flags.set(Option::RobotRestarting);
    rig.link.startLink();
    // 32 failed passes of 2 ms each.
    ASSERT_TRUE(eventually([&] { return !rig.flags.has(Option::RobotRestarting); }));
    rig.link.stopLink();
}

TEST(LinkThread, DownloadWhileTheLinkRunsEndsWithTheRobotAnsweringAgain) {
    RobotRig rig;
    std::vector<LinkStatus> heard;
    std::mutex heardMutex;
    rig.state.setStatusListener([&](LinkStatus s) {
        std::lock_guard lock(heardMutex);
        heard.push_back(s);
    });
    rig.link.startLink();
    ASSERT_TRUE(eventually([&] { return rig.flags.has(Option::Connected); }));
    SequenceImage image;
    image.bytes[0] = 0xFE;
    image.bytes[1] = image.bytes[2] = image.bytes[3] = 0;
    image.length = 4;
    const DownloadResult result = downloadProgram(rig.ctx, image, {60, 60});
    ASSERT_EQ(result.status, TransferStatus::Done);
    EXPECT_EQ(rig.robot->flash(kSequenceAddress, 4), (std::vector<uint8_t>{0xFE, 0, 0, 0}));
    // "書込中" until the first good probe of the restarted robot.
    ASSERT_TRUE(
        eventually([&] { return !rig.flags.has(Option::RobotRestarting) && rig.flags.has(Option::Connected); }));
    // ... and the label is told, not left at "書込中".
    ASSERT_TRUE(eventually([&] {
        std::lock_guard lock(heardMutex);
        return !heard.empty() && heard.back() == LinkStatus::Connected;
    }));
    rig.link.stopLink();
}

}  // namespace
