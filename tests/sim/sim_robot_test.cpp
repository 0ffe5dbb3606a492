#include "sim/sim_robot.h"

#include <gtest/gtest.h>

#include <cmath>

#include "sim_test_support.h"

namespace trovel {
namespace {

MemoryImage motors(int left, int right, int gain = 255) {
    MemoryImage m{};
    m[MemoryMap::LeftWheel] = uint8_t(left);
    m[MemoryMap::RightWheel] = uint8_t(right);
    m[MemoryMap::LeftMotorSetting] = m[MemoryMap::RightMotorSetting] = uint8_t(gain);
    return m;
}

TEST(SimRobotMotion, RampReachesFullSpeedInTwoTicksAndDrivesStraight) {
    SimRobot r;
    MemoryImage m = motors(240, 240);
    moveRobot(r, m);
    EXPECT_EQ(r.leftSpeed, 90);
    moveRobot(r, m);
    EXPECT_EQ(r.leftSpeed, 240);
    float x = r.x;
    moveRobot(r, m);
    EXPECT_EQ(r.rightSpeed, 240);
    EXPECT_FLOAT_EQ(r.x - x, 4.8f);
    EXPECT_EQ(r.y, 0);
    EXPECT_EQ(r.heading, 0);
    // Braking: 240 -> 150 -> 60 -> 0.
    m = motors(0, 0);
    moveRobot(r, m);
    EXPECT_EQ(r.leftSpeed, 150);
    moveRobot(r, m);
    moveRobot(r, m);
    EXPECT_EQ(r.leftSpeed, 0);
    EXPECT_EQ(rampWheel(100, 120), 120);
}

TEST(SimRobotMotion, RightWheelOnlyTurnsCounterClockwiseAndMovesByItsSpeed) {
    SimRobot r;
    r.rightSpeed = 240;
    MemoryImage m = motors(0, 240);
    moveRobot(r, m);
    float expectedTurn = std::atan2(2.4f, 35.0f);
    EXPECT_FLOAT_EQ(r.heading, -expectedTurn);
    EXPECT_NEAR(std::hypot(r.x, r.y), 2.4f, 1e-5);
    EXPECT_LT(r.y, 0);  // toward the top of the screen
}

TEST(SimRobotMotion, GainsScaleTheSpeed) {
    SimRobot r;
    r.leftSpeed = r.rightSpeed = 240;
    moveRobot(r, motors(240, 240, 152));
    EXPECT_NEAR(r.x, 4.8f * 152 / 255, 1e-4);
}

TEST(SimRobotWalls, PushBackSumsEveryCornerPastTheWall) {
    SimRobot r;
    r.x = 345;  // both right corners at 373: 6 past the wall each
    pushFromWalls(r);
    EXPECT_FLOAT_EQ(r.x, 333);
    r = SimRobot{};
    r.x = 300;
    r.y = -250;  // top corners at -278: 11 past
    pushFromWalls(r);
    EXPECT_FLOAT_EQ(r.y, -228);
    EXPECT_FLOAT_EQ(r.x, 300);
    r = SimRobot{};
    r.x = 300;
    pushFromWalls(r);
    EXPECT_FLOAT_EQ(r.x, 300);  // inside: untouched
}

TEST(SimRobotWalls, DrivingIntoTheWallNeverLeavesACornerOutside) {
    SimRobot r;
    r.heading = 0.3f;
    r.leftSpeed = r.rightSpeed = 240;
    for (int i = 0; i < 200; ++i) {
        moveRobot(r, motors(240, 240));
        pushFromWalls(r);
        for (Vec2 c : {Vec2{-28, 28}, Vec2{28, 28}, Vec2{28, -28}, Vec2{-28, -28}}) {
            Vec2 w = toWorld(r, c);
            ASSERT_LE(w.x, 367.01f) << i;
            ASSERT_LE(w.y, 267.01f) << i;
        }
    }
}

TEST(SimRobotSensors, ValuesOnWhiteBlackAndGrey) {
    SimRobot r;
    for (auto [grey, expected] : {std::pair{255, 10}, std::pair{0, 162}, std::pair{128, 47}}) {
        CoursePicture pic = simtest::plainPicture(uint8_t(grey), uint8_t(grey), uint8_t(grey));
        auto v = readFloorSensors(r, pic);
        for (uint8_t value : v) EXPECT_EQ(value, expected) << grey;
    }
}

TEST(SimRobotSensors, EachPointSamplesItsOwnPlaceAndRowsCountFromTheBottom) {
    CoursePicture pic = simtest::plainPicture(255, 255, 255);
    // Paint the 3 x 3 block under the left sensor black. The robot at the origin faces +x, so the
    // left sensor is at world (24, -14): column 374, row 500 - 236 = 264 from the bottom.
    for (int row = 263; row <= 265; ++row)
        for (int col = 373; col <= 375; ++col)
            for (int k = 0; k < 3; ++k) pic.pixels[3 * (size_t(col) + 700 * size_t(row)) + size_t(k)] = 0;
    SimRobot r;
    auto v = readFloorSensors(r, pic);
    EXPECT_EQ(v[0], 162);
    EXPECT_EQ(v[1], 10);
    EXPECT_LT(v[2], 162);
    r.heading = 3.14159265f;  // turned round, the right sensor is over the patch's mirror: white
    v = readFloorSensors(r, pic);
    EXPECT_EQ(v[0], 10);
}

TEST(SimRobotSensors, PointsOffThePictureReadTheEdge) {
    CoursePicture pic = simtest::plainPicture(255, 255, 255);
    for (int row = 0; row < 500; ++row)
        for (int k = 0; k < 3; ++k) pic.pixels[3 * (699 + 700 * size_t(row)) + size_t(k)] = 0;
    SimRobot r;
    r.x = 5000;  // far outside: clamped to the right edge column, which is black
    auto v = readFloorSensors(r, pic);
    EXPECT_EQ(v[0], 162);  // every clamped column is the black edge column
    CoursePicture empty;
    EXPECT_EQ(readFloorSensors(r, empty)[0], 0);
}

}  // namespace
}  // namespace trovel
