// Grading a class: 30 programs x 4 timed courses x 100 noisy runs (12,000 runs), on one thread and on
// two. The CPU column counts every thread: when two jobs use no more of it than one yet take more than
// half the real time, the threads were waiting for a core (other work on the machine), not slowed by
// sharing memory. Scaling figures mean something only on an otherwise idle machine.
#include <benchmark/benchmark.h>

#include "sim/class_grading.h"
#include "sim/run_judge.h"

namespace {

using namespace trovel;

ActionBlock* add(BlockProgram& p, BlockType type, std::array<uint8_t, 10> params = {}) {
    auto b = std::make_unique<ActionBlock>();
    b->type = type;
    b->param = params;
    return append(p, std::move(b));
}

// A pupil's two-sensor line follower: its threshold, its way of turning, and whether it stops on a
// crossing bar differ from program to program, as they do in a class.
BlockProgram follower(int i) {
    BlockProgram p;
    ActionBlock* start = add(p, BlockType::Start);
    ActionBlock* end = add(p, BlockType::End);
    start->partner = end;
    end->partner = start;
    const uint8_t threshold = uint8_t(40 + 4 * (i % 15));
    const bool gentle = i % 3 == 1;
    ActionBlock* left = add(p, BlockType::Branch, {0, 2, threshold, 0, 0});
    ActionBlock* turnLeft =
        gentle ? add(p, BlockType::LeftForward, {0, 1, 0, uint8_t(60 + i)}) : add(p, BlockType::TurnLeft, {0, 1});
    ActionBlock* right = add(p, BlockType::Branch, {1, 2, threshold, 0, 0});
    ActionBlock* turnRight =
        gentle ? add(p, BlockType::RightForward, {0, 1, 0, uint8_t(60 + i)}) : add(p, BlockType::TurnRight, {0, 1});
    ActionBlock* forward = add(p, BlockType::Forward, {0, 1});
    start->next[0] = left;
    left->next = {turnLeft, right};
    right->next = {turnRight, forward};
    turnLeft->next[0] = left;
    turnRight->next[0] = left;
    forward->next[0] = left;
    if (i % 2) {
        ActionBlock* both = add(p, BlockType::Branch, {1, 2, threshold, 0, 0});
        ActionBlock* stop = add(p, BlockType::Stop, {0, 1});
        left->next[0] = both;
        both->next = {stop, turnLeft};
        stop->next[0] = end;
    }
    return p;
}

// The shipped courses, all four timed: the practice loop and the figure of eight get a goal behind
// their start, and every course the off-line rule, so a lost robot's run ends as it would in class.
CourseSet fourTimedCourses() {
    CourseSet set;
    loadCourseConfig(set, TROVEL_APP_DIR);
    if (courseCount(set) < 4) return set;
    set.courses[0].judgingFlags = JudgeFlag::Timed;
    set.courses[0].goal = {-180, 140, -120, 200};
    set.courses[3].judgingFlags = JudgeFlag::Timed;
    set.courses[3].goal = {10, -74, 74, -10};
    for (CourseRecord& c : set.courses) {
        c.judgingFlags |= JudgeFlag::OffLine;
        c.offLineThreshold = 40;
        c.offLineTicks = 90;
    }
    return set;
}

void BM_GradeClass(benchmark::State& state) {
    const CourseSet courses = fourTimedCourses();
    if (courseCount(courses) < 4) {
        state.SkipWithError("the shipped courses did not load");
        return;
    }
    std::vector<GradeProgram> programs;
    for (int i = 0; i < 30; ++i) programs.push_back({"pupil" + std::to_string(i) + ".qxp", follower(i)});
    GradePlan plan;
    plan.courses = {0, 1, 2, 3};
    plan.runs = 100;
    plan.noise = {4, 5, 5, 2};
    plan.jobs = int(state.range(0));
    plan.bestPaths = true;
    size_t goals = 0, ticks = 0;
    for (auto _ : state) {
        const auto cells = gradeClass(programs, courses, plan);
        goals = ticks = 0;
        for (const GradeCell& cell : cells)
            for (const GradeRun& r : cell.runs) {
                goals += r.result == RunResult::Goal;
                ticks += r.ticks;
            }
    }
    state.counters["runs"] = double(programs.size() * plan.courses.size() * size_t(plan.runs));
    state.counters["goals"] = double(goals);
    state.counters["ticks"] = double(ticks);
}

BENCHMARK(BM_GradeClass)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("jobs")
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(2);

}  // namespace
