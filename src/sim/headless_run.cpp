#include "sim/headless_run.h"

namespace trovel {

namespace {

bool runEnded(const Simulator& sim) {
    if (sim.state == SimState::Stopped && sim.robot.leftSpeed == 0 && sim.robot.rightSpeed == 0) return true;
    const CourseRecord* c = currentCourse(sim);
    return c && (c->judgingFlags & JudgeFlag::Timed) && sim.judge.result != RunResult::Armed;
}

}  // namespace

uint64_t runHeadless(Simulator& sim, const BlockProgram& program, const HeadlessOptions& options,
                     const TickObserver& observe) {
    const uint64_t limit = options.ticks.value_or(kMaxHeadlessTicks);
    uint64_t n = 0, stuck = 0;
    while (n < limit) {
        stepSimulation(sim, program);
        ++n;
        if (observe) observe(n, sim);
        if (!options.ticks && runEnded(sim)) break;
        stuck = sim.innerTick ? stuck + 1 : 0;
        if (options.stuckTicks && stuck >= *options.stuckTicks) break;
    }
    return n;
}

TickObserver recordPath(std::vector<Vec2>& path, const Simulator& sim) {
    path.assign(1, Vec2{sim.robot.x, sim.robot.y});
    return [&path](uint64_t, const Simulator& s) { path.push_back({s.robot.x, s.robot.y}); };
}

}  // namespace trovel
