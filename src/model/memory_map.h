#pragma once
// The robot's 32-byte working memory as byte code addresses it. The robot link keeps a copy of the
// robot's, the simulator an image of its own with the same addresses.

#include <array>
#include <cstdint>

namespace trovel {

namespace MemoryMap {
constexpr int Size = 32;
constexpr uint8_t LeftWheel = 5;  // 0 stopped .. kFullSpeed
constexpr uint8_t RightWheel = 6;
constexpr uint8_t LeftMotorSetting = 7;  // motor speed setting: percent * 255 / 100
constexpr uint8_t RightMotorSetting = 8;
constexpr uint8_t LeftSensor = 9;  // floor sensors: 9 left, 10 right, 11..14 sensors 3..6
constexpr uint8_t RightSensor = 10;
constexpr uint8_t Sensor3 = 11;
constexpr uint8_t Sensor4 = 12;
constexpr uint8_t Sensor6 = 14;
constexpr uint8_t Leds = 15;                // LED bits; the robot's and the simulator's order differ
constexpr uint8_t FirstVariable = 16;       // 16..23 variables 1..8
constexpr uint8_t FirstRepeatCounter = 24;  // 24 + repeat number
}  // namespace MemoryMap

using MemoryImage = std::array<uint8_t, MemoryMap::Size>;

// Wheel speed of a running wheel; 0 is stopped.
constexpr uint8_t kFullSpeed = 240;

}  // namespace trovel
