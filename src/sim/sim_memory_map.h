#pragma once
// The simulator's own image of the robot's memory map.

#include <cstdint>

#include "model/memory_map.h"

namespace trovel {

// The simulator's MemoryImage has the robot's addresses; 7 and 8 are copied from the simulator motor
// gains every tick, 13 and 14 stay 0, and the LED bits are in the reverse of the robot's order.

constexpr uint8_t kSimRightLedBit = 0x01;
constexpr uint8_t kSimLeftLedBit = 0x02;

}  // namespace trovel
