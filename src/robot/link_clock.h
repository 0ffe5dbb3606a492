#pragma once
// How time passes for the robot link, the transfers and the emulated robot. The program uses the
// machine's steady clock; a test hands in its own, whose sleeps move it on at once, so the test's
// limits count link time, which neither a loaded machine nor a sanitizer stretches.

#include <chrono>
#include <functional>

namespace trovel {

struct LinkClock {
    std::function<std::chrono::milliseconds()> now;        // monotonic; empty = the steady clock
    std::function<void(std::chrono::milliseconds)> sleep;  // returns after that long; empty = a real sleep
};

std::chrono::milliseconds linkNow(const LinkClock& clock);
void linkSleep(const LinkClock& clock, std::chrono::milliseconds time);
// A clock of the test's own, whose sleeps need not take any real time.
inline bool stepped(const LinkClock& clock) { return bool(clock.sleep); }

}  // namespace trovel
