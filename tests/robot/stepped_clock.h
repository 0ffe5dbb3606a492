#pragma once
// Link time that a test drives, for the robot tests and the transfer dialogs' tests alike.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

#include "robot/link_clock.h"

namespace trovel::test {

// Link time for a test: it starts at 0 and moves only when the link, a transfer or the robot sleeps,
// and then at once, so a limit on it holds however slowly the machine runs the test. `onSleep`
// (set before anything runs) is called after each step with the time reached, for a test that
// acts at a moment of link time.
class SteppedClock {
public:
    LinkClock clock() {
        return {[this] { return now(); },
                [this](std::chrono::milliseconds time) {
                    const std::chrono::milliseconds reached(m_ms += time.count());
                    if (onSleep) onSleep(reached);
                }};
    }
    std::chrono::milliseconds now() const { return std::chrono::milliseconds(m_ms.load()); }
    std::function<void(std::chrono::milliseconds reached)> onSleep;

private:
    std::atomic<int64_t> m_ms{0};
};

}  // namespace trovel::test
