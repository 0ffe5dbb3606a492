// Seeded noise: its statistics, its bounds, its parsing and that one seed gives one run.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/headless_run.h"
#include "sim/sim_noise.h"
#include "sim_test_support.h"

namespace trovel {
namespace {

TEST(SimNoise, SensorNoiseHasTheAskedMeanAndSpreadAndStaysInBytes) {
    struct Row {
        uint8_t value;
        double sigma;
    };
    // Away from the ends the added noise is unbiased with the asked spread; near them it is clamped.
    for (Row row : {Row{128, 6.0}, Row{100, 0.5}, Row{128, 20.0}}) {
        SimRandom random;
        seedRandom(random, 42);
        const int samples = 100000;
        double sum = 0, squares = 0;
        for (int i = 0; i < samples / kFloorPointCount; ++i) {
            std::array<uint8_t, kFloorPointCount> floor;
            floor.fill(row.value);
            addSensorNoise(floor, row.sigma, random);
            for (uint8_t v : floor) {
                double d = double(v) - row.value;
                sum += d;
                squares += d * d;
            }
        }
        const double mean = sum / samples;
        const double spread = std::sqrt(squares / samples - mean * mean);
        // Rounding to whole values adds a variance of 1/12.
        const double expected = std::sqrt(row.sigma * row.sigma + 1.0 / 12);
        EXPECT_NEAR(mean, 0, 0.05 + 4 * row.sigma / std::sqrt(samples)) << row.sigma;
        EXPECT_NEAR(spread, expected, 0.02 * expected) << row.sigma;
    }
    SimRandom random;
    int low = 0, high = 0;
    for (int i = 0; i < 2000; ++i) {
        std::array<uint8_t, kFloorPointCount> floor{5, 250, 5, 250, 128};
        addSensorNoise(floor, 30, random);
        low += floor[0] == 0;
        high += floor[1] == 255;
    }
    EXPECT_GT(low, 100);
    EXPECT_GT(high, 100);
}

TEST(SimNoise, DeviatesAreTheSameBitsEverywhere) {
    for (double x : {1e-300, 1e-9, 0.001, 0.25, 0.5, 0.70710678, 0.9999999, 1.0, 1.5, 2.0, 1234.5, 1e300})
        EXPECT_NEAR(portableLog(x), std::log(x), 1e-15 * std::max(1.0, std::fabs(std::log(x)))) << x;
    // Stored from one platform: a change of generator or arithmetic shows here first.
    SimRandom random;
    seedRandom(random, 1);
    EXPECT_EQ(uniformUnit(random), 0.5665615751722809);
    seedRandom(random, 1);
    EXPECT_EQ(normalDeviate(random), 0.42945220538400686);
    EXPECT_EQ(normalDeviate(random), 0.4564552075888475);
}

TEST(SimNoise, StartJitterAndMotorImbalanceStayWithinTheirBounds) {
    SimRandom random;
    float farthest = 0, mostTurned = 0;
    for (int i = 0; i < 5000; ++i) {
        SimRobot robot{100, -50, 1.0f, 0, 0};
        jitterPose(robot, 12, 8, random);
        const float distance = std::hypot(robot.x - 100, robot.y + 50);
        ASSERT_LE(distance, 12.001f);
        ASSERT_LE(std::fabs(robot.heading - 1.0f), 8 * 3.1415927f / 180 + 1e-6f);
        farthest = std::max(farthest, distance);
        mostTurned = std::max(mostTurned, std::fabs(robot.heading - 1.0f));
    }
    EXPECT_GT(farthest, 11.5f);
    EXPECT_GT(mostTurned, 0.13f);
    SimRobot corner{349, 249, 0, 0, 0};
    jitterPose(corner, 700, 0, random);
    EXPECT_LE(std::fabs(corner.x), 350.0f);
    EXPECT_LE(std::fabs(corner.y), 250.0f);

    int leftFaster = 0, rightFaster = 0;
    for (int i = 0; i < 2000; ++i) {
        std::array<uint8_t, 2> g = imbalancedGains({152, 152}, 10, random);
        ASSERT_GE(g[0], 137);
        ASSERT_LE(g[0], 167);
        ASSERT_NEAR(g[0] + g[1], 304, 1);  // one imbalance: what one side gains the other loses
        leftFaster += g[0] > g[1];
        rightFaster += g[1] > g[0];
    }
    EXPECT_GT(leftFaster, 800);
    EXPECT_GT(rightFaster, 800);
    // A gain pushed past 255 stops there instead of wrapping round to a slow wheel.
    int raised = 0;
    for (int i = 0; i < 200; ++i) {
        const std::array<uint8_t, 2> g = imbalancedGains({250, 10}, 100, random);
        if (g[1] >= 10) continue;
        ++raised;
        EXPECT_GE(g[0], 250);
    }
    EXPECT_GT(raised, 50);
}

TEST(SimNoise, ParsesTheOptionText) {
    struct Row {
        const char* text;
        bool ok;
        SimNoise noise;
    };
    const Row rows[] = {
        {"sensor=4", true, {4, 0, 0, 0}},
        {"start=5/10,motor=2.5,sensor=0.5", true, {0.5, 5, 10, 2.5}},
        {"motor=100,start=700/360", true, {0, 700, 360, 100}},
        {"", false, {}},
        {"sensor", false, {}},
        {"sensor=", false, {}},
        {"sensor=-1", false, {}},
        {"sensor=300", false, {}},
        {"sensor=4x", false, {}},
        {"sensor=4,", false, {}},
        {",sensor=4", false, {}},
        {"start=5", false, {}},
        {"start=5/", false, {}},
        {"motor=101", false, {}},
        {"volume=3", false, {}},
    };
    for (const Row& row : rows) {
        SimNoise noise{9, 9, 9, 9};
        std::string error;
        ASSERT_EQ(parseNoise(row.text, noise, error), row.ok) << row.text;
        if (!row.ok) {
            EXPECT_FALSE(error.empty()) << row.text;
            EXPECT_EQ(noise.sensorSigma, 9) << "a bad text leaves the noise as it was: " << row.text;
            continue;
        }
        EXPECT_EQ(noise.sensorSigma, row.noise.sensorSigma) << row.text;
        EXPECT_EQ(noise.startDistance, row.noise.startDistance) << row.text;
        EXPECT_EQ(noise.startAngle, row.noise.startAngle) << row.text;
        EXPECT_EQ(noise.motorPercent, row.noise.motorPercent) << row.text;
        SimNoise again;
        EXPECT_TRUE(parseNoise(noiseText(noise), again, error)) << noiseText(noise);
        EXPECT_EQ(noiseText(again), noiseText(noise));
    }
    EXPECT_EQ(noiseText(SimNoise{}), "off");
}

struct NoisyRun {
    int result, lapMs;
    float x, y;
    uint64_t ticks;
    bool operator==(const NoisyRun&) const = default;
};

NoisyRun runShipped(const BlockProgram& program, uint64_t seed, const SimNoise& noise, Simulator& sim) {
    prepareRun(sim, program, {1, seed, std::nullopt, noise});
    uint64_t n = runHeadless(sim, {}, nullptr);
    return {sim.judge.result, sim.judge.lapMs, sim.robot.x, sim.robot.y, n};
}

TEST(SimNoise, OneSeedGivesOneRunWhateverRanBefore) {
    Simulator sim;
    ASSERT_TRUE(loadCourseConfig(sim.courses, TROVEL_APP_DIR).loaded);
    const BlockProgram follower = simtest::lineFollower(false);
    const SimNoise noise{6, 10, 6, 4};
    const NoisyRun first = runShipped(follower, 5, noise, sim);
    const NoisyRun other = runShipped(follower, 6, noise, sim);
    // Another program in between leaves judging and memory behind that must not reach the next run.
    runShipped(simtest::chain({{BlockType::Forward, {5, 0}}}), 5, noise, sim);
    EXPECT_EQ(runShipped(follower, 5, noise, sim), first);
    // A run that ended while running must not spare the next program the sensor-use rule.
    EXPECT_EQ(runShipped(simtest::chain({{BlockType::Forward, {5, 0}}}), 5, {}, sim).result, RunResult::NoSensorBranch);
    EXPECT_NE(other, first);
    // Without noise the seed of a program without random branches changes nothing.
    EXPECT_EQ(runShipped(follower, 5, {}, sim), runShipped(follower, 6, {}, sim));
    EXPECT_EQ(runShipped(follower, 5, {}, sim).lapMs, 11520);
}

}  // namespace
}  // namespace trovel
