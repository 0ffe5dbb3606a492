// The shipped courses run with the shipped two-sensor line followers, compared exactly against stored runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>
#include <tuple>

#include "base/app_folder.h"
#include "model/program_file.h"
#include "model/text_convert.h"
#include "picture_writers.h"
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

RunOutcome runOn(const std::filesystem::path& appDir, int course, const BlockProgram& program,
                 std::optional<uint64_t> ticks) {
    Simulator sim;
    CourseLoadResult loaded = loadCourseConfig(sim.courses, appDir);
    EXPECT_TRUE(loaded.loaded);
    EXPECT_TRUE(loaded.messages.empty());
    EXPECT_EQ(prepareRun(sim, program, {.course = course}), PlayOutcome::Started);
    HeadlessOptions options;
    options.ticks = ticks;
    uint64_t n = runHeadless(sim, options, nullptr);
    return {sim.judge.result, sim.judge.lapMs, sim.robot.x, sim.robot.y, sim.robot.heading, n};
}

RunOutcome runShipped(int course, const BlockProgram& program, std::optional<uint64_t> ticks) {
    return runOn(TROVEL_APP_DIR, course, program, ticks);
}

// The stored poses below are exact floats. The robot's motion takes its sin, cos and atan2 from the
// core's own functions (plain arithmetic), so they are the same bits with every C library and in the
// browser's build.
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
    EXPECT_EQ(o.x, 225.005890f);
    EXPECT_EQ(o.y, 118.736801f);
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
        return studio.judge.hasLeftGoal &&
               overlaps(studio.robot.x, studio.robot.y, studio.courses.robotHalf, course.goal);
    };
    for (int i = 0; i < 5000 && !(inGoal() && studio.judge.result == RunResult::Armed); ++i) window.step();
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

// The shipped course pictures saved again as paint programs and other tools save them: bitmaps
// with longer headers, top-down 32-bit rows or a colour table, and PNG files.
TEST(ShippedCourses, ResavedAsOtherBitmapsAndAsPngTheyRunTheSame) {
    const std::filesystem::path shipped = TROVEL_APP_DIR;
    std::ifstream in(shipped / "texture.ini", std::ios::binary);
    const std::vector<uint8_t> iniBytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::u16string ini;
    for (size_t i = 2; i + 1 < iniBytes.size(); i += 2)
        if (char16_t c = char16_t(iniBytes[i] | iniBytes[i + 1] << 8); c != u'\r') ini += c;
    const char* const names[] = {"practice", "checkpoint", "stop", "crossing"};
    const struct {
        const char* name;
        const char* extension;
        std::function<std::vector<uint8_t>(const BitmapPixels&)> write;
    } variants[] = {
        {"v5_24bit", ".bmp", [](const BitmapPixels& p) { return test::bitmapWithHeader(p, 124, false); }},
        {"v4_32bit_top_down", ".bmp", [](const BitmapPixels& p) { return test::bitmapWithHeader(p, 108, true); }},
        {"colour_table", ".bmp", [](const BitmapPixels& p) { return test::bitmap8(p); }},
        {"png_rgb", ".png", [](const BitmapPixels& p) { return test::pngOf(p, false); }},
        {"png_palette", ".png", [](const BitmapPixels& p) { return test::pngOf(p, true); }},
    };
    const BlockProgram follower = example("line_follower.qxp"), stopper = example("line_follower_stop.qxp");
    CourseSet original;
    ASSERT_TRUE(loadCourseConfig(original, shipped).loaded);
    for (const auto& v : variants) {
        SCOPED_TRACE(v.name);
        const std::filesystem::path dir = test::scratchDir("sim", std::string("resaved_") + v.name);
        for (const char* folder : {"sim", "sound"})
            std::filesystem::copy(shipped / folder, dir / folder, std::filesystem::copy_options::recursive);
        std::filesystem::create_directories(dir / "course");
        std::u16string text = ini;
        for (int course = 0; course < 4; ++course) {
            const char* name = names[course];
            const CoursePicture* picture = coursePicture(original, course);
            ASSERT_NE(picture, nullptr);
            const std::vector<uint8_t> bytes = v.write({picture->width, picture->height, picture->pixels});
            ASSERT_FALSE(bytes.empty());
            simtest::writeBytes(dir / "course" / (std::string(name) + v.extension), bytes);
            const std::u16string from = u"course/" + fromUtf8(name) + u".bmp";
            text.replace(text.find(from), from.size(), u"course/" + fromUtf8(name) + fromUtf8(v.extension));
        }
        simtest::writeIni(dir, text);
        CourseSet resaved;
        ASSERT_TRUE(loadCourseConfig(resaved, dir).messages.empty());
        for (int course = 0; course < 4; ++course) {
            ASSERT_NE(coursePicture(resaved, course), nullptr);
            EXPECT_EQ(coursePicture(resaved, course)->pixels, coursePicture(original, course)->pixels) << course;
            const RunOutcome a = runShipped(course, follower, 1500), b = runOn(dir, course, follower, 1500);
            EXPECT_EQ(std::tie(a.result, a.lapMs, a.x, a.y, a.heading, a.ticks),
                      std::tie(b.result, b.lapMs, b.x, b.y, b.heading, b.ticks))
                << course;
        }
        const RunOutcome a = runShipped(2, stopper, std::nullopt), b = runOn(dir, 2, stopper, std::nullopt);
        EXPECT_EQ(std::tie(a.result, a.lapMs, a.x, a.y, a.ticks), std::tie(b.result, b.lapMs, b.x, b.y, b.ticks));
    }
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
