#include "sim/headless_run.h"

namespace trovel {

namespace {

bool runEnded(const Simulator& sim) {
    if (sim.state == SimState::Stopped && sim.robot.leftSpeed == 0 && sim.robot.rightSpeed == 0) return true;
    const CourseRecord* c = currentCourse(sim);
    return c && (c->judgingFlags & JudgeFlag::Timed) && sim.judge.result != RunResult::Armed;
}

}  // namespace

uint64_t runHeadless(Simulator& sim, const HeadlessOptions& options, const TickObserver& observe) {
    const uint64_t limit = options.ticks.value_or(kMaxHeadlessTicks);
    uint64_t n = 0, stuck = 0;
    while (n < limit) {
        stepSimulation(sim);
        ++n;
        if (observe) observe(n, sim);
        if (!options.ticks && runEnded(sim)) break;
        stuck = sim.innerTick ? stuck + 1 : 0;
        if (options.stuckTicks && stuck >= *options.stuckTicks) break;
    }
    return n;
}

}  // namespace trovel
