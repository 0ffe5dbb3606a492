#pragma once
// One run set up from everything that decides its outcome, the way the studio starts it: simulator
// opened, course chosen, 再生. The command line, grading and the benchmarks all start runs here.

#include <array>
#include <cstdint>
#include <optional>

#include "sim/sim_noise.h"
#include "sim/simulator.h"

namespace trovel {

struct RunOptions {
    int course = 0;
    uint64_t seed = kDefaultSimSeed;              // random branches; the noise draws from its own stream of it
    std::optional<std::array<uint8_t, 2>> gains;  // left, right; else the simulator defaults
    SimNoise noise;                               // default off: the studio's exact run
};

// Leaves `sim` as a freshly opened simulator (its courses kept) running `program`
// on options.course, with the seed, gains and noise applied. NoCourse when the course is not loaded.
// The repeat structure check is the caller's: it may ask, report or mark.
PlayOutcome setUpRun(Simulator& sim, const BlockProgram& program, const RunOptions& options);

}  // namespace trovel
