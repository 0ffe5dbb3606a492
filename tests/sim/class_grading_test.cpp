// Grading a class: run seeds, the summary of a program on a course, and threads that change nothing.
#include <gtest/gtest.h>

#include <set>

#include "sim/class_grading.h"
#include "sim/run_judge.h"
#include "sim_test_support.h"

namespace trovel {
namespace {

TEST(ClassGrading, RunSeedsDependOnEveryPartAndFitJsonNumbers) {
    EXPECT_EQ(gradeRunSeed(1, "taro.qxp", 1, 0), 8619476152487003u);  // stored: reports must stay comparable
    std::set<uint64_t> seeds;
    for (uint64_t classSeed : {1u, 2u})
        for (const char* name : {"taro.qxp", "hanako.qxp"})
            for (int course : {1, 2})
                for (int k = 0; k < 20; ++k) {
                    uint64_t s = gradeRunSeed(classSeed, name, course, k);
                    EXPECT_LT(s, uint64_t(1) << 53);
                    seeds.insert(s);
                }
    EXPECT_EQ(seeds.size(), 2u * 2 * 2 * 20);
}

TEST(ClassGrading, SummaryCountsGoalsLapsAndFailures) {
    struct Row {
        std::vector<std::pair<int, int>> runs;  // result, lap
        int goals, median, best;
        std::array<int, 8> byResult;
    };
    const int G = RunResult::Goal;
    const Row rows[] = {
        {{{G, 900}, {G, 500}, {G, 700}}, 3, 700, 500, {}},
        {{{G, 800}, {G, 480}, {RunResult::LeftLine, 300}, {G, 512}, {G, 1600}}, 4, 656, 480, {0, 0, 1}},
        {{{RunResult::Armed, 599999}, {RunResult::Forbidden, 10}, {RunResult::Forbidden, 20}},
         0,
         -1,
         -1,
         {0, 1, 0, 0, 0, 2}},
        {{}, 0, -1, -1, {}},
    };
    for (const Row& row : rows) {
        GradeCell cell;
        for (auto [result, lap] : row.runs) cell.runs.push_back({0, result, false, lap, 0});
        const GradeSummary s = summarize(cell);
        EXPECT_EQ(s.runs, int(row.runs.size()));
        EXPECT_EQ(s.goals, row.goals);
        EXPECT_EQ(s.medianLapMs, row.median);
        EXPECT_EQ(s.bestLapMs, row.best);
        EXPECT_EQ(s.byResult, row.byResult);
    }
    GradeCell cell;
    cell.runs = {{0, RunResult::Armed, true, 0, 126}, {0, RunResult::Armed, false, 599999, 37500}};
    EXPECT_EQ(summarize(cell).endlessChains, 1);
    EXPECT_EQ(summarize(cell).byResult[RunResult::Armed], 1);
}

TEST(ClassGrading, AnEndlessChainEndsItsRunEarly) {
    CourseSet courses;
    ASSERT_TRUE(loadCourseConfig(courses, TROVEL_APP_DIR).loaded);
    // Start, then two Branch blocks that send each other round for ever, each run ends in ~2 s.
    BlockProgram loop;
    ActionBlock* start = simtest::add(loop, BlockType::Start);
    ActionBlock* a = simtest::add(loop, BlockType::Branch, {0, 0, 0, 0, 0});
    ActionBlock* b = simtest::add(loop, BlockType::Branch, {0, 0, 0, 0, 0});
    start->next[0] = a;
    a->next = {b, b};
    b->next = {a, a};
    std::vector<GradeProgram> programs(1);
    programs[0] = {"loop.qxp", std::move(loop)};
    GradePlan plan;
    plan.courses = {1};
    plan.runs = 2;
    const auto cells = gradeClass(programs, courses, plan);
    for (const GradeRun& r : cells[0].runs) {
        EXPECT_TRUE(r.endlessChain);
        EXPECT_EQ(r.result, RunResult::Armed);
        EXPECT_LE(r.ticks, kStuckTicks + 2);
    }
}

TEST(ClassGrading, ThreadsChangeNothingAndTheBestRunIsTheFastestGoal) {
    CourseSet courses;
    ASSERT_TRUE(loadCourseConfig(courses, TROVEL_APP_DIR).loaded);
    std::vector<GradeProgram> programs(3);
    programs[0] = {"follower.qxp", simtest::lineFollower(false)};
    programs[1] = {"stopper.qxp", simtest::lineFollower(true)};
    programs[2] = {"blind.qxp", simtest::chain({{BlockType::Forward, {30, 0}}})};
    GradePlan plan;
    plan.courses = {1, 2};
    plan.runs = 6;
    plan.seed = 3;
    plan.noise = {5, 8, 5, 3};
    plan.bestPaths = true;
    size_t lastDone = 0, calls = 0;
    plan.jobs = 1;
    const auto one = gradeClass(programs, courses, plan, [&](size_t done, size_t total) {
        EXPECT_EQ(total, 36u);
        lastDone = done;
        ++calls;
    });
    EXPECT_EQ(calls, 36u);
    EXPECT_EQ(lastDone, 36u);
    plan.jobs = 3;
    const auto three = gradeClass(programs, courses, plan);
    ASSERT_EQ(one.size(), 6u);
    ASSERT_EQ(three.size(), 6u);
    for (size_t i = 0; i < one.size(); ++i) {
        EXPECT_EQ(one[i].program, int(i / 2));
        EXPECT_EQ(one[i].course, plan.courses[i % 2]);
        ASSERT_EQ(one[i].runs.size(), 6u);
        for (size_t k = 0; k < 6; ++k) {
            const GradeRun &a = one[i].runs[k], &b = three[i].runs[k];
            EXPECT_EQ(a.seed, gradeRunSeed(3, programs[size_t(one[i].program)].name, one[i].course, int(k)));
            EXPECT_EQ(std::tie(a.seed, a.result, a.lapMs, a.ticks), std::tie(b.seed, b.result, b.lapMs, b.ticks));
        }
        EXPECT_EQ(one[i].bestRun, three[i].bestRun);
        const GradeRun& best = one[i].runs[size_t(one[i].bestRun)];
        for (const GradeRun& r : one[i].runs) {
            if (r.result == RunResult::Goal) { EXPECT_LE(best.lapMs, r.lapMs); }
        }
        // The path of the best run is that run again: one point for the start and one per tick.
        EXPECT_EQ(one[i].bestPath.size(), best.ticks + 1);
        ASSERT_EQ(one[i].bestPath.size(), three[i].bestPath.size());
        EXPECT_EQ(one[i].bestPath.back().x, three[i].bestPath.back().x);
    }
    EXPECT_EQ(summarize(one[1]).goals, 0);  // the follower that never stops misses the stop-in-goal course
    EXPECT_GT(summarize(one[3]).goals, 0);
    EXPECT_EQ(summarize(one[4]).byResult[RunResult::NoSensorBranch], 6);
}

}  // namespace
}  // namespace trovel
