// Headless line-following speed and the cost of loading the shipped courses.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

#include "model/program_file.h"
#include "sim/course_config.h"
#include "sim/lap_records.h"
#include "sim/run_setup.h"
#include "sim/sim_frame.h"
#include "sim/sim_speed.h"
#include "sim/sim_view_state.h"
#include "sim/simulator.h"

namespace {

using namespace trovel;

// The shipped two-sensor line follower, as a pupil would run it.
BlockProgram lineFollower() {
    BlockProgram p;
    if (!loadProgram(p, std::filesystem::path(TROVEL_SOURCE_DIR) / "examples/line_follower.qxp").ok()) clear(p);
    return p;
}

// What the window does with a tick's report beside the world.
void follow(const Simulator& sim, SimViewState& view, LapRecords& records, const TickEvents& events) {
    const bool record = events.goal && offerLap(records, sim.course, events.lapMs, sim.lapPoses);
    showTick(view, sim, events, record);
}

void tickLoop(benchmark::State& state, bool draw) {
    Simulator sim;
    SimViewState view;
    LapRecords records;
    loadCourseConfig(sim.courses, TROVEL_APP_DIR);
    BlockProgram program = lineFollower();
    if (program.blocks.empty()) {
        state.SkipWithError("examples/line_follower.qxp did not load");
        return;
    }
    prepareRun(sim, program, RunOptions{.course = 1});
    for (auto _ : state) {
        const TickEvents events = stepSimulation(sim);
        if (draw) {
            follow(sim, view, records, events);
            benchmark::DoNotOptimize(buildFrame(sim, view, records).items.data());
        }
        benchmark::DoNotOptimize(sim.robot.x);
    }
    state.counters["ticks/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_HeadlessLineFollowing(benchmark::State& state) { tickLoop(state, false); }
void BM_LineFollowingWithDrawList(benchmark::State& state) { tickLoop(state, true); }

// One 最高速 frame as the window runs it: ticks in batches until kFastestBudgetMs have passed, then
// one frame built. "x_real_time" is the simulated time per 16 ms frame over 16 ms; it must be >= 100
// on every shipped course (the drawing of that frame has the remaining 4 ms).
void BM_FastestFrame(benchmark::State& state) {
    Simulator sim;
    SimViewState view;
    LapRecords records;
    loadCourseConfig(sim.courses, TROVEL_APP_DIR);
    const int course = int(state.range(0));
    BlockProgram program = lineFollower();
    if (program.blocks.empty() || course >= courseCount(sim.courses)) {
        state.SkipWithError("no line follower or no such course");
        return;
    }
    prepareRun(sim, program, RunOptions{.course = course});
    view.showPath = true;
    const TickHandler afterTick = [&](const TickEvents& events) { follow(sim, view, records, events); };
    uint64_t ticks = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        do {
            if (sim.state != SimState::Running) prepareRun(sim, program, RunOptions{.course = course});
            ticks += uint64_t(runTicks(sim, ticksPerFrame(SimSpeed::Fastest), afterTick));
        } while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(kFastestBudgetMs));
        benchmark::DoNotOptimize(buildFrame(sim, view, records).items.data());
    }
    state.counters["x_real_time"] = double(ticks) / double(state.iterations());
}

void BM_LoadShippedCourses(benchmark::State& state) {
    for (auto _ : state) {
        CourseSet set;
        CourseLoadResult r = loadCourseConfig(set, TROVEL_APP_DIR);
        benchmark::DoNotOptimize(r.loaded);
    }
}

// The longest chain a tick may run: the whole chained-block budget of an endless Calc loop. It must
// stay well under a millisecond, so a tick that ends a pupil's long counted loop stays in 16 ms.
void BM_FullChainBudget(benchmark::State& state) {
    BlockProgram p;
    auto add = [&](BlockType type, std::array<uint8_t, 10> params) {
        auto b = std::make_unique<ActionBlock>();
        b->type = type;
        b->param = params;
        return append(p, std::move(b));
    };
    ActionBlock* start = add(BlockType::Start, {});
    ActionBlock* calc = add(BlockType::Calc, {0, 1, 0, 0, 1});      // variable 1 += 1, chains
    ActionBlock* branch = add(BlockType::Branch, {6, 0, 0, 0, 0});  // variable 1 < 0: never
    start->next[0] = calc;
    calc->next[0] = branch;
    branch->next[1] = calc;
    BlockInterpreter interp;
    SimState simState = SimState::Stopped;
    MemoryImage memory{};
    startRun(interp, simState, memory, shareSnapshot(p));
    stepInterpreter(interp, simState, memory, false, {});  // Start
    for (auto _ : state) {
        StepOutcome outcome = stepInterpreter(interp, simState, memory, false, {});
        benchmark::DoNotOptimize(outcome);
    }
    state.counters["blocks/tick"] = kChainBudget;
}

BENCHMARK(BM_HeadlessLineFollowing);
BENCHMARK(BM_FullChainBudget)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LineFollowingWithDrawList);
BENCHMARK(BM_FastestFrame)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(60);
BENCHMARK(BM_LoadShippedCourses)->Unit(benchmark::kMillisecond);

}  // namespace
