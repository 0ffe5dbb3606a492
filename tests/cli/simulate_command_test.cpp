// "trovel-cli simulate" run in process: the JSON line, the trace, the picture and the exit codes.
#include "cli/simulate_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "scratch_dir.h"
#include "sim/lap_record_file.h"

namespace trovel {
namespace {

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

// best_ms is the best time the folder's record.dat holds, lowered by the run's own goal.
TEST(SimulateCommand, BestTimeIsTheStoredRecordOrTheRunsFasterGoal) {
    namespace fs = std::filesystem;
    const std::string example = std::string(TROVEL_SOURCE_DIR) + "/examples/line_follower.qxp";
    const fs::path app = test::scratchDir("cli", "best_time");
    fs::copy_file(fs::path(TROVEL_APP_DIR) / "texture.ini", app / "texture.ini");
    for (const char* sub : {"sim", "course", "sound"})
        fs::copy(fs::path(TROVEL_APP_DIR) / sub, app / sub, fs::copy_options::recursive);
    struct Row {
        const char* what;
        std::vector<int32_t> stored;  // record.dat's times; none: no file
        std::string ticks;            // "" runs to the goal (11520 ms on course 1)
        int bestMs;
    };
    const Row rows[] = {
        {"no record.dat", {}, "", 11520},
        {"a slower record", {kNoRecordMs, 20000}, "", 11520},
        {"a faster record", {kNoRecordMs, 5000}, "", 5000},
        {"no goal yet", {kNoRecordMs, 20000}, "25", 20000},
        {"no goal, no record", {}, "25", kNoRecordMs},
    };
    for (const Row& row : rows) {
        fs::remove(app / "record.dat");
        if (!row.stored.empty()) { ASSERT_TRUE(writeRecordsFile(app / "record.dat", row.stored)) << row.what; }
        std::vector<std::string> args{example, "--app-dir", app.string(), "--course", "1"};
        if (!row.ticks.empty()) args.insert(args.end(), {"--ticks", row.ticks});
        const CommandRun r = simulate(args);
        ASSERT_EQ(r.code, 0) << row.what << ": " << r.err;
        EXPECT_NE(r.out.find("\"best_ms\":" + std::to_string(row.bestMs) + ","), std::string::npos)
            << row.what << ": " << r.out;
    }
}

TEST(SimulateCommand, FixedTicksAndTraceRows) {
    std::string example = std::string(TROVEL_SOURCE_DIR) + "/examples/line_follower.qxp";
    auto trace = test::scratchDir("cli", "trace") / "run.csv";
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
    auto empty = test::scratchDir("cli", "no-courses");
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
