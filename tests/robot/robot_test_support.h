#pragma once
// A virtual robot on a link with short times, so transfers and polls run in milliseconds.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "robot/boot_loader.h"
#include "robot/hid_link.h"
#include "robot/stepped_clock.h"
#include "robot/virtual_robot.h"
#include "scratch_dir.h"

namespace trovel::test {

inline LinkTiming fastTiming() {
    LinkTiming t;
    t.pollMs = 2;
    t.reportTimeoutMs = 40;
    t.claimStepMs = 1;
    t.claimSteps = 50;
    t.reconnectStepMs = 2;
    return t;
}

// Polls `done` until it holds or `ms` run out. The limit only stops a hang: it returns as soon as
// `done` holds, and a link thread under a sanitizer or a loaded machine may take seconds.
inline bool eventually(const std::function<bool()>& done, int ms = 30000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

struct RobotRig {
    // With `steppedTime`, the link, its transfers and the robot run on `time` instead of the machine's clock.
    explicit RobotRig(bool steppedTime = false) : stepped(steppedTime) {
        if (stepped) robot->setClock(time.clock());
    }
    bool stepped;
    SteppedClock time;
    std::shared_ptr<VirtualRobot> robot = VirtualRobot::create();
    OptionFlags flags;
    LinkState state;
    HidLink link{robot->finder(), flags, state, timing()};
    std::atomic<bool> cancel{false};
    TransferContext ctx{link, &cancel, {}};

    LinkTiming timing() {
        LinkTiming t = fastTiming();
        if (stepped) t.clock = time.clock();
        return t;
    }

    // What the link thread's discovery leaves behind: the robot open and connected.
    void connect() {
        ASSERT_TRUE(link.tryClaim());
        ASSERT_TRUE(link.findRobot());
        link.release();
        flags.set(Option::Connected);
    }
};

}  // namespace trovel::test
