#include "robot/link_clock.h"

#include <thread>

namespace trovel {

std::chrono::milliseconds linkNow(const LinkClock& clock) {
    if (clock.now) return clock.now();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
}

void linkSleep(const LinkClock& clock, std::chrono::milliseconds time) {
    if (time <= std::chrono::milliseconds(0)) return;
    if (clock.sleep) clock.sleep(time);
    else std::this_thread::sleep_for(time);
}

}  // namespace trovel
