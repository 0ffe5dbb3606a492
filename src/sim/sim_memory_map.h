#pragma once
// The simulator's own 32-byte image of the robot's memory map.

#include <array>
#include <cstdint>

namespace trovel {

constexpr int kSimMemorySize = 32;
using SimMemoryMap = std::array<uint8_t, kSimMemorySize>;

namespace SimAddr {
constexpr int LeftMotor = 5;    // 0 stopped .. 240 full speed
constexpr int RightMotor = 6;
constexpr int LeftGain = 7;     // 0..255, copied from the simulator motor gains every tick
constexpr int RightGain = 8;
constexpr int LeftSensor = 9;   // 9..12 written by the floor sensors; 13, 14 stay 0
constexpr int RightSensor = 10;
constexpr int Sensor3 = 11;
constexpr int Sensor4 = 12;
constexpr int Leds = 15;        // bit 0 right LED, bit 1 left LED (the robot's own order is reversed)
constexpr int FirstVariable = 16;  // variables 1..8 at 16..23
constexpr int FirstRepeatCounter = 24;  // counter of repeat number n at 24 + n
}  // namespace SimAddr

constexpr uint8_t kSimRightLedBit = 0x01;
constexpr uint8_t kSimLeftLedBit = 0x02;
constexpr int kFullMotor = 240;

}  // namespace trovel
