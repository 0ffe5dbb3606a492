#include <gtest/gtest.h>

#include <vector>

#include "base/string_ids.h"
#include "robot/link_state.h"

using namespace trovel;

namespace {

RobotMemory memoryWith(uint8_t left, uint8_t right) {
    RobotMemory m{};
    m[MemoryMap::LeftSensor] = left;
    m[MemoryMap::RightSensor] = right;
    return m;
}

TEST(LinkStatusText, WritingWinsOverConnected) {
    EXPECT_EQ(linkStatus(0), LinkStatus::NotConnected);
    EXPECT_EQ(linkStatus(Option::Connected | Option::UseCalcBlock), LinkStatus::Connected);
    EXPECT_EQ(linkStatus(Option::Connected | Option::TransferActive), LinkStatus::Writing);
    EXPECT_EQ(linkStatus(Option::RobotRestarting), LinkStatus::Writing);
    EXPECT_EQ(linkStatusString(LinkStatus::NotConnected), Str::NotConnected);
    EXPECT_EQ(linkStatusString(LinkStatus::Connected), Str::Connected);
    EXPECT_EQ(linkStatusString(LinkStatus::Writing), Str::Writing);
    // A failed firmware update and a robot held elsewhere outrank everything but a transfer.
    const LinkConditions incomplete{true, false}, inUse{false, true};
    EXPECT_EQ(linkStatus(Option::RobotRestarting | Option::Connected, incomplete), LinkStatus::FirmwareIncomplete);
    EXPECT_EQ(linkStatus(Option::TransferActive, incomplete), LinkStatus::Writing);
    EXPECT_EQ(linkStatus(Option::RobotRestarting, inUse), LinkStatus::InUse);
    EXPECT_EQ(linkStatusString(LinkStatus::FirmwareIncomplete), Str::FirmwareIncomplete);
    EXPECT_EQ(linkStatusString(LinkStatus::InUse), Str::RobotInUse);
}

TEST(LinkStateMemory, RobotWhenConnectedSimulatorWhileItRunsOtherwise) {
    LinkState state;
    OptionFlags flags;
    state.storeRobotMemory(memoryWith(11, 22));
    EXPECT_EQ(state.sensorSource(flags), SensorSource::None);

    bool running = true;
    state.setSimulatorMemory([&](RobotMemory& m) {
        m = memoryWith(33, 44);
        return running;
    });
    EXPECT_EQ(state.sensorSource(flags), SensorSource::Simulator);
    EXPECT_EQ(state.copyMemory(flags)[MemoryMap::LeftSensor], 33);

    flags.set(Option::Connected);  // the robot is preferred over a running simulation
    EXPECT_EQ(state.sensorSource(flags), SensorSource::Robot);
    EXPECT_EQ(state.copyMemory(flags)[MemoryMap::RightSensor], 22);

    flags.clear(Option::Connected);
    running = false;  // a stopped simulation lends nothing
    EXPECT_EQ(state.sensorSource(flags), SensorSource::None);
    EXPECT_EQ(state.copyMemory(flags)[MemoryMap::LeftSensor], 11);
}

TEST(LinkStateStatus, ListenerHearsEachStatus) {
    LinkState state;
    OptionFlags flags;
    std::vector<LinkStatus> heard;
    state.showStatus(flags);  // no listener yet: nothing happens
    state.setStatusListener([&](LinkStatus s) { heard.push_back(s); });
    state.showStatus(flags);
    flags.set(Option::Connected);
    state.showStatus(flags);
    flags.set(Option::TransferActive);
    state.showStatus(flags);
    EXPECT_EQ(heard, (std::vector<LinkStatus>{LinkStatus::NotConnected, LinkStatus::Connected, LinkStatus::Writing}));
}

}  // namespace
