// Headless line-following speed and the cost of loading the shipped courses.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "model/program_file.h"
#include "sim/course_config.h"
#include "sim/simulator.h"

namespace {

using namespace trovel;

// The shipped two-sensor line follower, as a pupil would run it.
BlockProgram lineFollower() {
    BlockProgram p;
    if (!loadProgram(p, std::filesystem::path(TROVEL_SOURCE_DIR) / "examples/line_follower.qxp").ok()) clear(p);
    return p;
}

void runTicks(benchmark::State& state, bool draw) {
    Simulator sim;
    loadCourseConfig(sim.courses, TROVEL_APP_DIR);
    sim.drawEnabled = draw;
    resetSimulator(sim);
    selectCourse(sim, 1);
    BlockProgram program = lineFollower();
    if (program.blocks.empty()) {
        state.SkipWithError("examples/line_follower.qxp did not load");
        return;
    }
    playCommand(sim, program);
    for (auto _ : state) {
        stepSimulation(sim, program);
        benchmark::DoNotOptimize(sim.robot.x);
    }
    state.counters["ticks/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_HeadlessLineFollowing(benchmark::State& state) { runTicks(state, false); }
void BM_LineFollowingWithDrawList(benchmark::State& state) { runTicks(state, true); }

void BM_LoadShippedCourses(benchmark::State& state) {
    for (auto _ : state) {
        CourseSet set;
        CourseLoadResult r = loadCourseConfig(set, TROVEL_APP_DIR);
        benchmark::DoNotOptimize(r.loaded);
    }
}

BENCHMARK(BM_HeadlessLineFollowing);
BENCHMARK(BM_LineFollowingWithDrawList);
BENCHMARK(BM_LoadShippedCourses)->Unit(benchmark::kMillisecond);

}  // namespace
