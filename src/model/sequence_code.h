#pragma once
// The robot's byte code and memory map: one encoding table used by the compiler and the decoder.

#include <array>
#include <cstdint>

#include "model/block.h"

namespace trovel {

// Memory map (32 byte addresses).
namespace MemoryMap {
constexpr int Size = 32;
constexpr uint8_t LeftWheel = 5;    // 0..240
constexpr uint8_t RightWheel = 6;   // 0..240
constexpr uint8_t LeftMotorSetting = 7;   // percent * 255 / 100
constexpr uint8_t RightMotorSetting = 8;
constexpr uint8_t FirstSensor = 9;  // 9 left, 10 right, 11..14 sensors 3..6
constexpr uint8_t LeftSensor = 9;
constexpr uint8_t RightSensor = 10;
constexpr uint8_t Leds = 15;        // bit 0 left, bit 1 right
constexpr uint8_t FirstVariable = 16;  // 16..23 variables 1..8
constexpr uint8_t FirstRepeatCounter = 24;  // 24 + repeat number
constexpr int ImageBytes = 58;      // memory-map block written by the boot loader
}  // namespace MemoryMap

constexpr uint8_t kLeftLedMask = 0x01;
constexpr uint8_t kRightLedMask = 0x02;
constexpr uint8_t kFullSpeed = 240;

// Motor percent setting <-> robot byte.
constexpr uint8_t motorSettingByte(int percent) { return static_cast<uint8_t>(percent * 255 / 100); }
constexpr int motorSettingPercent(uint8_t value) { return (value + 1) * 100 / 255; }

namespace Op {
constexpr uint8_t Start = 0x00;
constexpr uint8_t SetWheels = 0x01;
constexpr uint8_t Wait = 0x03;
constexpr uint8_t Jump = 0x06;
constexpr uint8_t RandomJump = 0x09;
constexpr uint8_t IfEqual = 0x10;
constexpr uint8_t IfGreater = 0x12;
constexpr uint8_t IfLess = 0x13;
constexpr uint8_t MemoryOperand = 0x10;  // added to compare and calc opcodes: operand is an address
constexpr uint8_t Assign = 0x30;         // 0x30..0x34: = += -= *= /=
constexpr uint8_t And = 0x36;
constexpr uint8_t Or = 0x37;
constexpr uint8_t End = 0xFE;
constexpr uint8_t Unused = 0xFF;
}  // namespace Op

// The sequence area in the robot and the compiler's output buffer.
constexpr uint32_t kSequenceAddress = 0x3E00;
constexpr int kSequenceBytes = 1024;
constexpr int kInstructionBytes = 4;
// A program may use at most this many instructions (8 bytes counted per instruction).
constexpr int kMaxInstructions = 128;

using Instruction = std::array<uint8_t, 4>;
constexpr Instruction kEndOfSequence{0xFF, 0xFF, 0xFF, 0xFF};

struct SequenceImage {
    std::array<uint8_t, kSequenceBytes> bytes;  // unused bytes are 0xFF
    int length = 0;                             // bytes used: 4 x instructions
    SequenceImage() { bytes.fill(0xFF); }
    int instructionCount() const { return length / kInstructionBytes; }
    Instruction instruction(int n) const {
        return {bytes[n * 4], bytes[n * 4 + 1], bytes[n * 4 + 2], bytes[n * 4 + 3]};
    }
};

// Wheel speeds (0..240) a motion block sets: the running part of a timed block, or a continuing one.
struct WheelSpeeds {
    uint8_t left;
    uint8_t right;
};
WheelSpeeds motionWheelSpeeds(const ActionBlock& block);

// Compare opcode for a Branch comparison (0 <, 1 =, 2 >), before the memory-operand offset.
uint8_t compareOpcode(uint8_t comparison);
// Inverse: the comparison an opcode (with or without the memory offset) tests.
uint8_t comparisonOf(uint8_t opcode);

// Number of instructions a block compiles to.
int instructionCount(const ActionBlock& block);

}  // namespace trovel
