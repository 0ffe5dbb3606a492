#pragma once
// Grading a class: every program runs a number of times on every chosen course, each run with its
// own seed, spread over threads that each own a simulator. The result does not depend on the number
// of threads or on the order in which runs finish.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/program.h"
#include "sim/course_config.h"
#include "sim/run_setup.h"
#include "sim/sim_robot.h"

namespace trovel {

struct GradeProgram {
    std::string name;      // the file name: part of every run's seed
    BlockProgram program;  // read once; shared read-only by the threads
};

struct GradePlan {
    std::vector<int> courses;                     // course indices of the set
    int runs = 10;                                // per program and course
    uint64_t seed = kDefaultSimSeed;              // the class seed every run seed is derived from
    std::optional<std::array<uint8_t, 2>> gains;  // else the simulator defaults
    SimNoise noise;
    int jobs = 1;            // threads, at least 1
    bool bestPaths = false;  // record the robot's path of each cell's best run
};

// A run whose program chains blocks this many ticks in a row without ending one is over: nothing
// moves or counts any more (two seconds of simulated time, over four million blocks).
constexpr uint64_t kStuckTicks = 125;

struct GradeRun {
    uint64_t seed = 0;          // "simulate --seed" with the same course and noise repeats it
    int result = 0;             // RunResult at the end; Armed when the tick limit came first
    bool endlessChain = false;  // ended early: kStuckTicks ticks in a row chained without end
    int lapMs = 0;
    uint64_t ticks = 0;
};

// One program on one course.
struct GradeCell {
    int program = 0;             // index into the programs
    int course = 0;              // course index of the set
    std::vector<GradeRun> runs;  // run k at index k
    int bestRun = 0;             // the fastest goal, the earliest of equals; run 0 when none reached it
    std::vector<Vec2> bestPath;  // robot centre at the start and after every tick of the best run
};

struct GradeSummary {
    int runs = 0;
    int goals = 0;
    int medianLapMs = -1;  // over the goals; -1 when none
    int bestLapMs = -1;
    std::array<int, 8> byResult{};  // runs that ended with each RunResult 0..7 (not goals)
    int endlessChains = 0;          // runs ended early in an endless chain (not in byResult)
};

// Seed of run k of a program (by file name) on a course; below 2^53 so that JSON readers keep it exact.
uint64_t gradeRunSeed(uint64_t classSeed, std::string_view programName, int course, int k);

// Called after each finished run with the runs done and the total, from the worker threads one at a time.
using GradeProgress = std::function<void(size_t done, size_t total)>;

// Cells in program order, then course order of the plan.
std::vector<GradeCell> gradeClass(const std::vector<GradeProgram>& programs, const CourseSet& courses,
                                  const GradePlan& plan, const GradeProgress& progress = {});

GradeSummary summarize(const GradeCell& cell);

}  // namespace trovel
