#pragma once
// The simulated robot: motor ramp, two-wheel kinematics, the field walls and the floor sensors.

#include <array>
#include <cstdint>

#include "sim/course_picture.h"
#include "sim/sim_memory_map.h"

namespace trovel {

// World: 700 x 500 units, origin at the centre, y down; heading 0 faces +x, positive turns clockwise.
struct SimRobot {
    float x = 0;          // centre, -350..350 within the field
    float y = 0;          // centre, -250..250 within the field
    float heading = 0;    // radians
    float leftSpeed = 0;  // wheel speeds on the motor byte scale 0..240, ramped toward the commands
    float rightSpeed = 0;
};

struct Vec2 {
    float x = 0;
    float y = 0;
};

// Robot coordinates (x forward, y toward the robot's right) to world coordinates.
Vec2 toWorld(const SimRobot& robot, Vec2 local);

constexpr float kBodyHalf = 35;  // drawn picture and mouse grab square
constexpr float kWallHalf = 28;  // corners kept inside the walls
constexpr float kWallLimitX = 367;
constexpr float kWallLimitY = 267;
constexpr float kWheelBase = 35;
constexpr int kRampStep = 90;
constexpr int kFloorPointCount = 5;
// Left sensor, right sensor, sensor 3, sensor 4, and the point used only by the off-line rule.
constexpr std::array<Vec2, kFloorPointCount> kFloorPoints{{{24, -14}, {24, 14}, {24, -5.25f}, {24, 5.25f}, {24, 17}}};
constexpr uint8_t kWhiteSensorValue = 10;

// One ramp step of a wheel speed toward its motor byte.
float rampWheel(float speed, int target);
// Ramps both wheels toward addresses 5 and 6, then moves by the gains at addresses 7 and 8.
void moveRobot(SimRobot& robot, const MemoryImage& memory);
// Pushes the robot back so that its wall square stays within +-367 x +-267.
void pushFromWalls(SimRobot& robot);
// Sensor value of a floor point from the sum of its 27 colour bytes: 10 on white, 162 on black.
uint8_t sensorValue(int colourSum);
// The five floor values under the robot's floor points (edge pixels outside the picture).
std::array<uint8_t, kFloorPointCount> readFloorSensors(const SimRobot& robot, const CoursePicture& picture);

}  // namespace trovel
