#include "sim/run_setup.h"

#include <utility>

namespace trovel {

bool openSimulator(Simulator& sim, const RunOptions& options) {
    // Nothing of an earlier run in the same world (judging memory, variables, random draws) may sway
    // this one; only the courses stay.
    Simulator fresh;
    fresh.courses = std::move(sim.courses);
    sim = std::move(fresh);

    sim.gains = options.gains.value_or(std::array<uint8_t, 2>{kDefaultSimGain, kDefaultSimGain});
    sim.noise = options.noise;
    seedRandom(sim.noiseRandom, noiseSeed(options.seed));
    if (options.noise.motorPercent > 0)
        sim.gains = imbalancedGains(sim.gains, options.noise.motorPercent, sim.noiseRandom);
    seedRandom(sim.interp.random, options.seed);
    resetSimulator(sim);
    return selectCourse(sim, options.course);
}

PlayOutcome prepareRun(Simulator& sim, const BlockProgram& program, const RunOptions& options) {
    if (!openSimulator(sim, options)) return PlayOutcome::NoCourse;
    const PlayOutcome outcome = playCommand(sim, program);
    if (outcome == PlayOutcome::Started && (options.noise.startDistance > 0 || options.noise.startAngle > 0))
        jitterPose(sim.robot, options.noise.startDistance, options.noise.startAngle, sim.noiseRandom);
    return outcome;
}

}  // namespace trovel
