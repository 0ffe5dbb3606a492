// Headless line-following speed and the cost of loading the shipped courses.
#include <benchmark/benchmark.h>

#include "sim/course_config.h"
#include "sim/simulator.h"

namespace {

using namespace trovel;

ActionBlock* add(BlockProgram& p, BlockType type, std::array<uint8_t, 10> params) {
    auto b = std::make_unique<ActionBlock>();
    b->type = type;
    b->param = params;
    return append(p, std::move(b));
}

BlockProgram lineFollower() {
    BlockProgram p;
    ActionBlock* start = add(p, BlockType::Start, {});
    ActionBlock* left = add(p, BlockType::Branch, {0, 2, 80, 0, 0});
    ActionBlock* turnLeft = add(p, BlockType::TurnLeft, {0, 1});
    ActionBlock* right = add(p, BlockType::Branch, {1, 2, 80, 0, 0});
    ActionBlock* turnRight = add(p, BlockType::TurnRight, {0, 1});
    ActionBlock* forward = add(p, BlockType::Forward, {0, 1});
    start->next[0] = left;
    left->next = {turnLeft, right};
    right->next = {turnRight, forward};
    turnLeft->next[0] = left;
    turnRight->next[0] = left;
    forward->next[0] = left;
    return p;
}

void runTicks(benchmark::State& state, bool draw) {
    Simulator sim;
    loadCourseConfig(sim.courses, TROVEL_APP_DIR);
    sim.drawEnabled = draw;
    resetSimulator(sim);
    selectCourse(sim, 1);
    BlockProgram program = lineFollower();
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
