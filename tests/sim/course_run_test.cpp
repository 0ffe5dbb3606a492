// The shipped courses run with the shipped two-sensor line followers, compared exactly against stored runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "base/app_folder.h"
#include "model/program_file.h"
#include "sim/class_grading.h"
#include "sim/headless_run.h"
#include "sim/lap_records.h"
#include "sim_test_support.h"

namespace trovel {
namespace {

struct RunOutcome {
    int result;
    int lapMs;
    float x, y, heading;
    uint64_t ticks;
};

// A program of examples/, as the studio ships it.
BlockProgram example(const char* name) {
    BlockProgram program;
    EXPECT_TRUE(loadProgram(program, std::filesystem::path(TROVEL_SOURCE_DIR) / "examples" / name).ok()) << name;
    return program;
}

RunOutcome runShipped(int course, const BlockProgram& program, std::optional<uint64_t> ticks) {
    Simulator sim;
    CourseLoadResult loaded = loadCourseConfig(sim.courses, TROVEL_APP_DIR);
    EXPECT_TRUE(loaded.loaded);
    EXPECT_TRUE(loaded.messages.empty());
    EXPECT_EQ(prepareRun(sim, program, {.course = course}), PlayOutcome::Started);
    HeadlessOptions options;
    options.ticks = ticks;
    uint64_t n = runHeadless(sim, options, nullptr);
    return {sim.judge.result, sim.judge.lapMs, sim.robot.x, sim.robot.y, sim.robot.heading, n};
}

// The stored poses below are exact floats from one machine. The robot's motion goes through the C
// library's sin, cos and atan2, which may round differently in the last bit elsewhere (another libm,
// another architecture): a mismatch there in the last digits is the library, not the simulator.
TEST(ShippedCourses, LineFollowerLapsTheCheckpointCourseIdentically) {
    RunOutcome o = runShipped(1, example("line_follower.qxp"), 1000);
    EXPECT_EQ(o.result, RunResult::Goal);
    EXPECT_EQ(o.lapMs, 11520);
    EXPECT_EQ(o.x, 286.319061f);
    EXPECT_EQ(o.y, -90.876915f);
    EXPECT_EQ(o.heading, -7.91112566f);
}

TEST(ShippedCourses, StoppingFollowerStopsInTheGoalIdentically) {
    RunOutcome o = runShipped(2, example("line_follower_stop.qxp"), 1000);
    EXPECT_EQ(o.result, RunResult::Goal);
    EXPECT_EQ(o.lapMs, 5904);
    EXPECT_EQ(o.x, 225.005875f);
    EXPECT_EQ(o.y, 118.736794f);
    EXPECT_EQ(o.heading, 1.55258632f);
}

TEST(ShippedCourses, FollowerThatNeverStopsRunsThroughTheStopGoal) {
    RunOutcome o = runShipped(2, example("line_follower.qxp"), std::nullopt);
    EXPECT_EQ(o.result, RunResult::PassedGoal);
}

// Only the program stops the robot in the stop goal, in the studio as in grading: the user's 停止
// while a never-stopping follower is in the goal is no goal there, and grading fails that program.
TEST(ShippedCourses, StudioAndGradingAgreeThatOnlyTheProgramStopsInTheGoal) {
    const BlockProgram follower = example("line_follower.qxp");
    simtest::Studio window;
    Simulator& studio = window.sim;
    ASSERT_TRUE(loadCourseConfig(studio.courses, TROVEL_APP_DIR).loaded);
    readRecords(window.records, studio.courses, TROVEL_APP_DIR);
    ASSERT_EQ(prepareRun(studio, follower, {.course = 2}), PlayOutcome::Started);
    window.started(true);
    const CourseRecord& course = studio.courses.courses[2];
    const int best = bestTime(window.records, 2);
    auto inGoal = [&] {
        return studio.judge.hasLeftGoal && overlaps(studio.robot.x, studio.robot.y, studio.courses.robotHalf, course.goal);
    };
    for (int i = 0; i < 5000 && !(inGoal() && studio.judge.result == RunResult::Armed); ++i)
        window.step();
    ASSERT_TRUE(inGoal());
    window.stop();
    window.step();
    EXPECT_EQ(studio.judge.result, RunResult::NotJudged);
    EXPECT_EQ(studio.notice, RunNotice::StoppedInGoal);
    EXPECT_EQ(bestTime(window.records, 2), best);
    EXPECT_EQ(courseGhost(window.records, 2), nullptr);

    std::vector<GradeProgram> programs(2);
    programs[0] = {"follower.qxp", example("line_follower.qxp")};
    programs[1] = {"stopper.qxp", example("line_follower_stop.qxp")};
    GradePlan plan;
    plan.courses = {2};
    plan.runs = 1;
    const auto cells = gradeClass(programs, studio.courses, plan);
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0].runs[0].result, RunResult::PassedGoal);
    EXPECT_EQ(cells[1].runs[0].result, RunResult::Goal);
}

TEST(ShippedCourses, ConfigurationDeclaresTheCoursesAndRules) {
    CourseSet set;
    CourseLoadResult r = loadCourseConfig(set, TROVEL_APP_DIR);
    ASSERT_TRUE(r.loaded);
    ASSERT_EQ(courseCount(set), 4);
    EXPECT_EQ(set.courses[0].judgingFlags, 0);
    EXPECT_EQ(set.courses[1].judgingFlags, JudgeFlag::Timed | 2 | JudgeFlag::OffLine | JudgeFlag::Checkpoints);
    EXPECT_EQ(set.courses[2].judgingFlags, JudgeFlag::Timed | JudgeFlag::StopInGoal | JudgeFlag::Forbidden);
    EXPECT_EQ(set.courses[1].checkpoints.size(), 3u);
    for (int i = 0; i < 4; ++i) EXPECT_NE(coursePicture(set, i), nullptr) << i;
    EXPECT_FALSE(set.goalSound.empty());
    EXPECT_FALSE(set.failSound.empty());
    EXPECT_TRUE(std::filesystem::exists(resolveDataPath(set.goalSound, TROVEL_APP_DIR)));
}

}  // namespace
}  // namespace trovel
