#include <gtest/gtest.h>

#include <vector>

#include "base/string_ids.h"
#include "robot/link_state.h"

using namespace trovel;

namespace {

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
