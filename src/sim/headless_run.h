#pragma once
// A whole simulated run without a window: the engine behind "trovel-cli simulate" and grading.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "sim/run_setup.h"
#include "sim/simulator.h"

namespace trovel {

constexpr uint64_t kMaxHeadlessTicks = 37500;  // ten minutes of simulated time

struct HeadlessOptions {
    std::optional<uint64_t> ticks;  // exactly this many ticks; else until the run ends
    // Ends the run after this many ticks in a row that ran out of chain budget: the program loops
    // through blocks that never end a tick, so nothing moves, nothing is sampled and no time counts.
    std::optional<uint64_t> stuckTicks;
};

// Called after every tick with the number of ticks stepped so far.
using TickObserver = std::function<void(uint64_t tick, const Simulator& sim)>;

// Steps a run set up by prepareRun (on the snapshot it took) until the program has stopped with both
// wheels at rest, or a timed course has judged the run, or kMaxHeadlessTicks; with `ticks` set,
// exactly that many. Returns the ticks stepped. `observe` may be empty.
uint64_t runHeadless(Simulator& sim, const HeadlessOptions& options, const TickObserver& observe);

}  // namespace trovel
