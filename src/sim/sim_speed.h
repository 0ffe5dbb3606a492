#pragma once
// How fast the window plays a run: slow motion divides the tick, fast speeds run several ticks per
// frame. A tick is the same 16 ms of simulated time at every speed, so lap times never change.

#include <cstdint>

#include "model/program.h"
#include "sim/simulator.h"

namespace trovel {

enum class SimSpeed : uint8_t { Slower, Slow, Normal, Double, Five, Ten, Fastest };

// Wall-clock time 最高速 spends on ticks per frame, leaving the rest of a 16 ms frame to drawing.
constexpr int kFastestBudgetMs = 12;

// Slow-motion divisor: 20, 10, else 0.
int slowDivisorOf(SimSpeed speed);
// Ticks per frame of a running program: 1 up to normal speed, 2, 5, 10; 最高速 is bounded by time
// instead, this is the batch it runs between looks at the clock.
int ticksPerFrame(SimSpeed speed);
// The ticks the next frame runs: a paused, held or stopped simulator ticks at normal pace.
int frameTicks(const Simulator& sim, SimSpeed speed);

// Runs up to `ticks` ticks, each handed to `afterTick` (may be empty); stops after a tick that leaves
// the program no longer running (its end, a breakpoint), so the frame shows that moment. Returns the
// ticks run.
int runTicks(Simulator& sim, int ticks, const TickHandler& afterTick);

}  // namespace trovel
