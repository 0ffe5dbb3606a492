#include "sim/sim_robot.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "model/portable_math.h"
#include "sim/sim_world.h"

namespace trovel {

Vec2 toWorld(const SimRobot& robot, Vec2 local) {
    float c = portableCos(robot.heading);
    float s = portableSin(robot.heading);
    return {robot.x + local.x * c - local.y * s, robot.y + local.x * s + local.y * c};
}

float rampWheel(float speed, int target) {
    float t = static_cast<float>(target);
    if (speed > t) speed -= kRampStep;
    else if (speed < t) speed += kRampStep;
    if (std::fabs(speed - t) <= kRampStep) speed = t;
    return speed;
}

void moveRobot(SimRobot& robot, const MemoryImage& memory) {
    robot.leftSpeed = rampWheel(robot.leftSpeed, memory[MemoryMap::LeftWheel]);
    robot.rightSpeed = rampWheel(robot.rightSpeed, memory[MemoryMap::RightWheel]);
    const float k = 0.01f;
    float vL = robot.leftSpeed * k * memory[MemoryMap::LeftMotorSetting] / 255.0f;
    float vR = robot.rightSpeed * k * memory[MemoryMap::RightMotorSetting] / 255.0f;
    robot.heading = robot.heading - portableAtan2(vR - vL, kWheelBase);
    float d = vL + vR;
    robot.x = robot.x + d * portableCos(robot.heading);
    robot.y = robot.y + d * portableSin(robot.heading);
}

void pushFromWalls(SimRobot& robot) {
    const std::array<Vec2, 4> corners{
        {{-kWallHalf, kWallHalf}, {kWallHalf, kWallHalf}, {kWallHalf, -kWallHalf}, {-kWallHalf, -kWallHalf}}};
    std::array<Vec2, 4> world;
    for (size_t i = 0; i < corners.size(); ++i) world[i] = toWorld(robot, corners[i]);
    // Corners are not moved by the push, so two corners past the same wall both push.
    for (const Vec2& p : world) {
        float dx = 0, dy = 0;
        if (p.x < -kWallLimitX) dx = -(p.x + kWallLimitX);
        else if (p.x > kWallLimitX) dx = -(p.x - kWallLimitX);
        if (p.y < -kWallLimitY) dy = -(p.y + kWallLimitY);
        else if (p.y > kWallLimitY) dy = -(p.y - kWallLimitY);
        robot.x += dx;
        robot.y += dy;
    }
}

uint8_t sensorValue(int colourSum) {
    int darkness = 255 - colourSum / 27;
    long double scaled = static_cast<long double>(darkness) * darkness * static_cast<long double>(0.0485f) *
                         static_cast<long double>(0.0485f);
    return static_cast<uint8_t>(static_cast<int>(scaled) + kWhiteSensorValue);
}

std::array<uint8_t, kFloorPointCount> readFloorSensors(const SimRobot& robot, const CoursePicture& picture) {
    std::array<uint8_t, kFloorPointCount> values{};
    const int w = picture.width, h = picture.height;
    if (w <= 0 || h <= 0 || picture.pixels.size() < size_t(w) * size_t(h) * 3) return values;
    const uint8_t* px = picture.pixels.data();
    for (int k = 0; k < kFloorPointCount; ++k) {
        Vec2 p = toWorld(robot, kFloorPoints[size_t(k)]);
        // Casting far-off floats to int is undefined, so the sample point is first held near the field.
        float fc = std::clamp((p.x + kWorldHalfWidth) / (2 * kWorldHalfWidth) * static_cast<float>(w), -2.0f,
                              static_cast<float>(w) + 2);
        float fr = std::clamp((1.0f - (p.y + kWorldHalfHeight) / (2 * kWorldHalfHeight)) * static_cast<float>(h), -2.0f,
                              static_cast<float>(h) + 2);
        int col = static_cast<int>(fc);
        int row = static_cast<int>(fr);
        int sum = 0;
        for (int j = row - 1; j <= row + 1; ++j) {
            int rj = std::clamp(j, 0, h - 1);
            for (int i = col - 1; i <= col + 1; ++i) {
                int ci = std::clamp(i, 0, w - 1);
                const uint8_t* q = px + 3 * (size_t(ci) + size_t(w) * size_t(rj));
                sum += q[0] + q[1] + q[2];
            }
        }
        values[size_t(k)] = sensorValue(sum);
    }
    return values;
}

}  // namespace trovel
