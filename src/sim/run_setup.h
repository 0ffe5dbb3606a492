#pragma once
// One run set up from everything that decides its outcome, the way the studio starts it: simulator
// opened, course chosen, 再生. The window, the command line, grading, the tests and the benchmarks all
// start runs here, so a seed, a gain or a noise setting means the same run wherever it is given.

#include <array>
#include <cstdint>
#include <optional>

#include "sim/sim_noise.h"
#include "sim/simulator.h"

namespace trovel {

struct RunOptions {
    int course = 0;
    uint64_t seed = kDefaultSimSeed;                // random branches; the noise draws from its own stream of it
    std::optional<std::array<uint8_t, 2>> gains{};  // left, right; else the simulator defaults
    SimNoise noise{};                               // default off: the studio's exact run
};

// The simulator opened: `sim` becomes a fresh world (its courses kept) with the seed, gains and motor
// imbalance applied, on options.course. False when that course is not loaded (the simulator is then
// open on course 0, or on none). What is shown beside the world is the view's (resetView).
bool openSimulator(Simulator& sim, const RunOptions& options);

// openSimulator, then 再生 of `program` with the start-pose noise applied. NoCourse when the course is
// not loaded. The repeat structure check is the caller's: it may ask, report or mark.
PlayOutcome prepareRun(Simulator& sim, const BlockProgram& program, const RunOptions& options);

}  // namespace trovel
