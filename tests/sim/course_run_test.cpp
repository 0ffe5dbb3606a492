// The shipped courses run with the two-sensor line followers, compared exactly against stored runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

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

RunOutcome runShipped(int course, const BlockProgram& program, std::optional<uint64_t> ticks) {
    Simulator sim;
    CourseLoadResult loaded = loadCourseConfig(sim.courses, TROVEL_APP_DIR);
    EXPECT_TRUE(loaded.loaded);
    EXPECT_TRUE(loaded.messages.empty());
    EXPECT_EQ(setUpRun(sim, program, {.course = course}), PlayOutcome::Started);
    HeadlessOptions options;
    options.ticks = ticks;
    uint64_t n = runHeadless(sim, program, options, nullptr);
    return {sim.judge.result, sim.judge.lapMs, sim.robot.x, sim.robot.y, sim.robot.heading, n};
}

TEST(ShippedCourses, LineFollowerLapsTheCheckpointCourseIdentically) {
    RunOutcome o = runShipped(1, simtest::lineFollower(false), 1000);
    EXPECT_EQ(o.result, RunResult::Goal);
    EXPECT_EQ(o.lapMs, 11520);
    EXPECT_EQ(o.x, 286.319061f);
    EXPECT_EQ(o.y, -90.876915f);
    EXPECT_EQ(o.heading, -7.91112566f);
}

TEST(ShippedCourses, StoppingFollowerStopsInTheGoalIdentically) {
    RunOutcome o = runShipped(2, simtest::lineFollower(true), 1000);
    EXPECT_EQ(o.result, RunResult::Goal);
    EXPECT_EQ(o.lapMs, 5904);
    EXPECT_EQ(o.x, 225.005875f);
    EXPECT_EQ(o.y, 118.736794f);
    EXPECT_EQ(o.heading, 1.55258632f);
}

TEST(ShippedCourses, FollowerThatNeverStopsRunsThroughTheStopGoal) {
    RunOutcome o = runShipped(2, simtest::lineFollower(false), std::nullopt);
    EXPECT_EQ(o.result, RunResult::PassedGoal);
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
    EXPECT_TRUE(std::filesystem::exists(resolveDataPath(TROVEL_APP_DIR, set.goalSound)));
}

struct CommandRun {
    int code;
    std::string out, err;
};

CommandRun simulate(std::vector<std::string> args) {
    std::ostringstream out, err;
    int code = runSimulateCommand(args, TROVEL_APP_DIR, out, err);
    return {code, out.str(), err.str()};
}

TEST(SimulateCommand, ExampleLineFollowerReachesTheGoalOfCourseOne) {
    std::string example = std::string(TROVEL_SOURCE_DIR) + "/examples/line_follower.qxp";
    CommandRun r = simulate({example, "--course", "1"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("\"course\":1,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"result\":8,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"lap_ms\":11520,"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.back(), '\n');
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
}

TEST(SimulateCommand, FixedTicksAndTraceRows) {
    std::string example = std::string(TROVEL_SOURCE_DIR) + "/examples/line_follower.qxp";
    auto trace = simtest::scratchDir("trace") / "run.csv";
    CommandRun r = simulate({example, "--ticks", "25", "--gain", "255,255", "--trace", trace.string()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("\"ticks\":25,\"state\":2,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(",255,255,"), std::string::npos) << r.out;  // gains in memory 7 and 8
    std::ifstream in(trace);
    std::string line;
    int rows = 0;
    std::getline(in, line);
    EXPECT_EQ(line, "tick,x,y,heading,left_speed,right_speed,s9,s10,s11,s12,led,result");
    std::string last;
    while (std::getline(in, line)) {
        ++rows;
        last = line;
    }
    EXPECT_EQ(rows, 25);
    EXPECT_EQ(last.rfind("25,", 0), 0u);
}

TEST(SimulateCommand, UnusableInputExitsTwo) {
    std::string example = std::string(TROVEL_SOURCE_DIR) + "/examples/line_follower.qxp";
    auto empty = simtest::scratchDir("no-courses");
    EXPECT_EQ(simulate({"/nonexistent/program.qxp"}).code, 2);
    EXPECT_EQ(simulate({example, "--course", "9"}).code, 2);
    EXPECT_EQ(simulate({example, "--app-dir", empty.string()}).code, 2);
    EXPECT_EQ(simulate({example, "--gain", "300,1"}).code, 2);
    EXPECT_EQ(simulate({example, "--ticks"}).code, 2);
    EXPECT_EQ(simulate({example, "--bogus", "1"}).code, 2);
    EXPECT_EQ(simulate({example, "--noise", "sensor=x"}).code, 2);
    CommandRun r = simulate({example, "--app-dir", empty.string()});
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("ファイルが見つからないか開けません"), std::string::npos);
}

TEST(SimulateCommand, JsonFloatsReadBackExactly) {
    for (float f : {-12.5f, 40.25f, 1.5707964f, 0.1f, 286.319061f}) EXPECT_EQ(std::stof(floatText(f)), f);
}

}  // namespace
}  // namespace trovel
