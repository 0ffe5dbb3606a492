#pragma once
// Opt-in seeded noise for judging how robust a program is: floor sensor noise, start-pose jitter and
// left/right motor imbalance. Everything is drawn from SimRandom with plain IEEE arithmetic only, so
// one seed gives the same run on every platform. All zero (the default) leaves runs exact.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "sim/sim_random.h"
#include "sim/sim_robot.h"

namespace trovel {

struct SimNoise {
    double sensorSigma = 0;    // standard deviation added to every floor value, 0..255
    double startDistance = 0;  // start position moved uniformly within this radius, world units 0..700
    double startAngle = 0;     // start heading turned uniformly within +- this, degrees 0..360
    double motorPercent = 0;   // left gain x (1 + m), right x (1 - m), m uniform within +- this % (0..100)
};

bool noiseOff(const SimNoise& noise);
// "sensor=S,start=D/A,motor=P", any of the three in any order. False, with a one-line reason in
// `error`, when the text is malformed or a value out of range.
bool parseNoise(std::string_view text, SimNoise& noise, std::string& error);
// The same form back, as parseNoise reads it; "off" when there is no noise.
std::string noiseText(const SimNoise& noise);

// The noise stream of a run seed, apart from the stream of its random branches.
uint64_t noiseSeed(uint64_t runSeed);
// Uniform in [0, 1), 53 bits.
double uniformUnit(SimRandom& random);
// Standard normal deviate (Marsaglia's polar method).
double normalDeviate(SimRandom& random);
// Natural logarithm of a positive finite x from basic arithmetic only: the same bits everywhere.
double portableLog(double x);

// Adds sigma x a normal deviate to each floor value, rounded and clamped to 0..255.
void addSensorNoise(std::array<uint8_t, kFloorPointCount>& floor, double sigma, SimRandom& random);
// Gains scaled by one imbalance drawn within +- percent, rounded and clamped to 0..255.
std::array<uint8_t, 2> imbalancedGains(std::array<uint8_t, 2> gains, double percent, SimRandom& random);
// Moves the robot to a uniform point within `distance` of its pose (kept on the field) and turns it
// uniformly within +- `degrees`.
void jitterPose(SimRobot& robot, double distance, double degrees, SimRandom& random);

}  // namespace trovel
