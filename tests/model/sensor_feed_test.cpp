#include <gtest/gtest.h>

#include "model/sensor_feed.h"

using namespace trovel;

namespace {

MemoryImage memoryWith(uint8_t left, uint8_t right) {
    MemoryImage m{};
    m[MemoryMap::LeftSensor] = left;
    m[MemoryMap::RightSensor] = right;
    return m;
}

}  // namespace

TEST(SensorFeed, RobotWhenConnectedSimulatorWhileItIsOpenOtherwise) {
    OptionFlags flags;
    SensorFeed feed(flags);
    EXPECT_EQ(feed.memory(), MemoryImage{});  // nothing plugged in yet
    feed.setRobot([] { return memoryWith(11, 22); });
    EXPECT_EQ(feed.source(), SensorSource::None);

    feed.setSimulator([] { return memoryWith(33, 44); });
    EXPECT_EQ(feed.source(), SensorSource::Simulator);
    EXPECT_EQ(feed.memory()[MemoryMap::LeftSensor], 33);

    flags.set(Option::Connected);  // the robot is preferred over a running simulation
    EXPECT_EQ(feed.source(), SensorSource::Robot);
    EXPECT_EQ(feed.memory()[MemoryMap::RightSensor], 22);

    flags.clear(Option::Connected);
    feed.setSimulator({});  // a closed simulator lends nothing
    EXPECT_EQ(feed.source(), SensorSource::None);
    EXPECT_EQ(feed.memory()[MemoryMap::LeftSensor], 11);
}
