#include "sim/sensor_trace.h"

#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace trovel {
namespace {

TEST(SensorTrace, KeepsTheLastThirtySecondsWhateverTheSpacing) {
    struct Row {
        const char* name;
        std::vector<uint32_t> times;  // appended in this order
        size_t kept;
        uint32_t oldest;
    };
    auto ticks = [](size_t n, uint32_t from = 0) {
        std::vector<uint32_t> t;
        for (size_t i = 0; i < n; ++i) t.push_back(from + uint32_t(i) * kTraceTickMs);
        return t;
    };
    std::vector<Row> rows{
        {"one", {0}, 1, 0},
        {"exactly a window", ticks(kTraceCapacity), kTraceCapacity, 0},
        {"one past the window", ticks(kTraceCapacity + 1), kTraceCapacity, 16},
        {"wrapped three times", ticks(3 * kTraceCapacity + 5), kTraceCapacity, (2 * kTraceCapacity + 5) * 16},
        {"a jump in time", {0, 16, 32, 40000}, 1, 40000},
        {"a jump into a half-full ring",
         [&] {
             auto t = ticks(10);
             t.insert(t.end(), {30100, 30116, 30132});
             return t;
         }(),
         4, 144},
        // 10 s of the old samples stay, and the next ones go in behind the newest, not the oldest.
        {"a jump after the ring wrapped",
         [&] {
             auto t = ticks(kTraceCapacity + 3);
             t.insert(t.end(), {t.back() + 20000, t.back() + 20016});
             return t;
         }(),
         627, (kTraceCapacity - 622) * 16},
    };
    for (const Row& row : rows) {
        SensorTrace trace;
        for (uint32_t t : row.times) appendSample(trace, TraceSample{.timeMs = t});
        ASSERT_EQ(sampleCount(trace), row.kept) << row.name;
        EXPECT_EQ(sampleAt(trace, 0).timeMs, row.oldest) << row.name;
        EXPECT_EQ(sampleAt(trace, row.kept - 1).timeMs, row.times.back()) << row.name;
        std::vector<TraceSample> window = traceWindow(trace);
        ASSERT_EQ(window.size(), row.kept) << row.name;
        for (size_t i = 1; i < window.size(); ++i) EXPECT_LT(window[i - 1].timeMs, window[i].timeMs) << row.name;
        EXPECT_LE(trace.ring.capacity(), kTraceCapacity) << row.name;
    }
}

struct Mark {
    uint32_t timeMs;
    int block;
    BlockType type;
    friend bool operator==(const Mark&, const Mark&) = default;
};

std::vector<Mark> marksOf(const SensorTrace& trace) {
    std::vector<Mark> marks;
    for (const TraceSample& s : traceWindow(trace))
        if (s.block >= 0) marks.push_back({s.timeMs, s.block, s.blockType});
    return marks;
}

struct TracedRun {
    Simulator sim;
    BlockProgram program;
    SensorTrace trace;

    explicit TracedRun(BlockProgram p) : program(std::move(p)) {
        sim.courses = simtest::plainCourses(1);
        resetSimulator(sim);
    }
    void play() { EXPECT_EQ(playCommand(sim, program), PlayOutcome::Started); }
    void step(int n) {
        for (int i = 0; i < n; ++i) {
            stepSimulation(sim);
            recordTick(trace, sim);  // as the window offers every tick to its sensor plot
        }
    }
};

// Start, var1 += 5, Forward 1 s, Wait 25.5 s, Wait 10 s, End (list indices 0..5).
BlockProgram timedProgram() {
    return simtest::chain({{BlockType::Calc, {0, 1, 0, 0, 5}},
                           {BlockType::Forward, {10, 0}},
                           {BlockType::Wait, {255}},
                           {BlockType::Wait, {100}}});
}

TEST(SensorTrace, BlockMarksStayOnlyWhileTheirTickIsInTheWindow) {
    using B = BlockType;
    struct Row {
        int ticks;
        std::vector<Mark> marks;
    };
    // The Forward's 992 ms end on tick 64, the first Wait's 25488 ms on tick 1658, the second's
    // 10 s on tick 2284; the run stops on tick 2286 and the resting robot adds nothing more.
    const std::vector<Row> rows{
        {70, {{0, 0, B::Start}, {16, 2, B::Forward}, {1024, 3, B::Wait}}},
        {1700, {{0, 0, B::Start}, {16, 2, B::Forward}, {1024, 3, B::Wait}, {26528, 4, B::Wait}}},
        {2000, {{26528, 4, B::Wait}}},
        {2400, {{26528, 4, B::Wait}, {36544, 5, B::End}}},
    };
    for (const Row& row : rows) {
        TracedRun run(timedProgram());
        run.play();
        run.step(row.ticks);
        EXPECT_EQ(marksOf(run.trace), row.marks) << row.ticks << " ticks";
        EXPECT_EQ(sampleAt(run.trace, sampleCount(run.trace) - 1).variables[0], 5) << row.ticks << " ticks";
    }

    // Both sensors dark: the follower turns left on every tick, one stretch and one mark.
    TracedRun follower(simtest::lineFollower(false));
    follower.sim.courses.textures[Slot::FirstCourse].picture =
        std::make_shared<const CoursePicture>(simtest::plainPicture(60, 60, 60));
    follower.play();
    follower.step(100);
    EXPECT_EQ(marksOf(follower.trace), (std::vector<Mark>{{0, 0, B::Start}, {16, 3, B::TurnLeft}}));
    EXPECT_EQ(sampleCount(follower.trace), 100u);
}

TEST(SensorTrace, SameTraceAtEverySpeedAndAcrossPauses) {
    // Steps the first half, then `between` (pause, speed) and the rest.
    struct Row {
        const char* name;
        int divisor;
        int pausedTicks;
    };
    const std::vector<Row> rows{{"slow", 10, 0}, {"slower", 20, 0}, {"paused", 0, 50}, {"slow and paused", 10, 7}};
    auto trace = [](const Row& row) {
        TracedRun run(simtest::lineFollower(false));
        run.sim.courses.textures[Slot::FirstCourse].picture =
            std::make_shared<const CoursePicture>(simtest::plainPicture(60, 60, 60));  // both sensors dark
        setSlowMotion(run.sim, row.divisor);
        run.play();
        const int per = std::max(row.divisor, 1);
        run.step(150 * per);
        if (row.pausedTicks > 0) {
            pauseCommand(run.sim);
            run.step(row.pausedTicks);
            pauseCommand(run.sim);
        }
        run.step(150 * per);
        return traceCsv(traceWindow(run.trace));
    };
    const std::string normal = trace({"normal", 0, 0});
    EXPECT_EQ(std::count(normal.begin(), normal.end(), '\n'), 301);
    for (const Row& row : rows) EXPECT_EQ(trace(row), normal) << row.name;
}

TEST(SensorTrace, CsvHasAHeaderAndOneRowPerSampleInSeconds) {
    std::vector<TraceSample> samples(2);
    samples[0] = {.timeMs = 0,
                  .sensors = {10, 162, 47, 10},
                  .leftSpeed = 90,
                  .rightSpeed = 240,
                  .variables = {0, 1, 2, 3, 4, 5, 6, 255},
                  .block = 2,
                  .blockType = BlockType::Forward};
    samples[1] = {.timeMs = 61016, .sensors = {11, 12, 13, 14}, .leftSpeed = 0, .rightSpeed = 60.5f};
    EXPECT_EQ(traceCsv(samples),
              "time_s,s9,s10,s11,s12,left_speed,right_speed,var1,var2,var3,var4,var5,var6,var7,var8,block,block_type\n"
              "0.000,10,162,47,10,90,240,0,1,2,3,4,5,6,255,2,4\n"
              "61.016,11,12,13,14,0,60.5,0,0,0,0,0,0,0,0,,\n");
    EXPECT_EQ(traceCsv({}), traceCsv(samples).substr(0, traceCsv(samples).find('\n') + 1));

    const std::vector<TraceSample> spaced{{.timeMs = 0}, {.timeMs = 16}, {.timeMs = 61016}};
    struct Row {
        double at;
        uint32_t nearest;  // a tie goes to the earlier sample
    };
    for (Row row : {Row{-5, 0}, Row{8, 0}, Row{9, 16}, Row{30516, 16}, Row{30517, 61016}, Row{99999, 61016}}) {
        const TraceSample* s = nearestSample(spaced, row.at);
        ASSERT_NE(s, nullptr) << row.at;
        EXPECT_EQ(s->timeMs, row.nearest) << row.at;
    }
    EXPECT_EQ(nearestSample({}, 0), nullptr);
}

}  // namespace
}  // namespace trovel
