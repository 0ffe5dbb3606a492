#include "sim/class_grading.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>

#include "sim/headless_run.h"
#include "sim/run_judge.h"

namespace trovel {

namespace {

uint64_t mix(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

GradeRun runOnce(Simulator& sim, const BlockProgram& program, const RunOptions& options, std::vector<Vec2>* path) {
    prepareRun(sim, program, options);
    TickObserver observe;
    if (path) {
        path->assign(1, Vec2{sim.robot.x, sim.robot.y});
        observe = [path](uint64_t, const Simulator& s) { path->push_back({s.robot.x, s.robot.y}); };
    }
    HeadlessOptions headless;
    headless.stuckTicks = kStuckTicks;
    const uint64_t ticks = runHeadless(sim, headless, observe);
    const bool stuck = sim.innerTick && sim.judge.result == RunResult::Armed && ticks < kMaxHeadlessTicks;
    return {options.seed, sim.judge.result, stuck, sim.judge.lapMs, ticks};
}

// Runs work(sim, i) for every i below `total` on up to `jobs` threads, each with its own simulator
// holding a copy of the course set (the pictures are shared).
template <class Work>
void forEachParallel(int jobs, size_t total, const CourseSet& courses, const Work& work) {
    std::atomic<size_t> next{0};
    auto worker = [&] {
        Simulator sim;
        sim.courses = courses;
        for (size_t i = next.fetch_add(1); i < total; i = next.fetch_add(1)) work(sim, i);
    };
    const size_t threads = std::min<size_t>(size_t(std::max(jobs, 1)), std::max<size_t>(total, 1));
    std::vector<std::thread> helpers;
    for (size_t t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(worker);
        } catch (const std::system_error&) {
            break;  // fewer threads than asked: the ones there share the work
        }
    }
    worker();
    for (std::thread& t : helpers) t.join();
}

bool betterRun(const GradeRun& a, const GradeRun& b) {
    const bool goalA = a.result == RunResult::Goal, goalB = b.result == RunResult::Goal;
    if (goalA != goalB) return goalA;
    return goalA && a.lapMs < b.lapMs;
}

}  // namespace

uint64_t gradeRunSeed(uint64_t classSeed, std::string_view programName, int course, int k) {
    uint64_t h = 0xCBF29CE484222325ull;  // FNV-1a of the name's bytes
    for (unsigned char c : programName) h = (h ^ c) * 0x100000001B3ull;
    uint64_t s = mix(classSeed + 0x9E3779B97F4A7C15ull);
    s = mix(s ^ h);
    s = mix(s ^ uint64_t(uint32_t(course)));
    s = mix(s ^ uint64_t(uint32_t(k)));
    return s & ((uint64_t(1) << 53) - 1);
}

std::vector<GradeCell> gradeClass(const std::vector<GradeProgram>& programs, const CourseSet& courses,
                                  const GradePlan& plan, const GradeProgress& progress) {
    const size_t runs = size_t(std::max(plan.runs, 0));
    std::vector<GradeCell> cells;
    for (size_t p = 0; p < programs.size(); ++p)
        for (int course : plan.courses) cells.push_back({int(p), course, std::vector<GradeRun>(runs), 0, {}});

    auto options = [&](const GradeCell& cell, int k) {
        return RunOptions{cell.course, gradeRunSeed(plan.seed, programs[size_t(cell.program)].name, cell.course, k),
                          plan.gains, plan.noise};
    };
    const size_t total = cells.size() * runs;
    std::mutex progressLock;
    size_t done = 0;
    forEachParallel(plan.jobs, total, courses, [&](Simulator& sim, size_t i) {
        GradeCell& cell = cells[i / runs];
        const int k = int(i % runs);
        cell.runs[size_t(k)] = runOnce(sim, programs[size_t(cell.program)].program, options(cell, k), nullptr);
        if (progress) {
            std::lock_guard<std::mutex> lock(progressLock);
            progress(++done, total);
        }
    });

    for (GradeCell& cell : cells)
        for (size_t k = 1; k < cell.runs.size(); ++k)
            if (betterRun(cell.runs[k], cell.runs[size_t(cell.bestRun)])) cell.bestRun = int(k);
    // Runs are repeatable, so the best one is run again for its path instead of keeping every path.
    if (plan.bestPaths && runs > 0)
        forEachParallel(plan.jobs, cells.size(), courses, [&](Simulator& sim, size_t i) {
            GradeCell& cell = cells[i];
            runOnce(sim, programs[size_t(cell.program)].program, options(cell, cell.bestRun), &cell.bestPath);
        });
    return cells;
}

GradeSummary summarize(const GradeCell& cell) {
    GradeSummary s;
    std::vector<int> laps;
    for (const GradeRun& r : cell.runs) {
        ++s.runs;
        if (r.result == RunResult::Goal) laps.push_back(r.lapMs);
        else if (r.endlessChain) ++s.endlessChains;
        else if (r.result >= 0 && r.result < int(s.byResult.size())) ++s.byResult[size_t(r.result)];
    }
    s.goals = int(laps.size());
    if (!laps.empty()) {
        std::sort(laps.begin(), laps.end());
        const size_t n = laps.size();
        s.medianLapMs = n % 2 ? laps[n / 2] : (laps[n / 2 - 1] + laps[n / 2]) / 2;
        s.bestLapMs = laps.front();
    }
    return s;
}

}  // namespace trovel
