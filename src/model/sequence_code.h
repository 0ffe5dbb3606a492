#pragma once
// The robot's byte code: the encoding of every block type, used by the compiler and the decoder.

#include <array>
#include <cstdint>

#include "model/block.h"
#include "model/memory_map.h"

namespace trovel {

constexpr uint8_t kLeftLedMask = 0x01;
constexpr uint8_t kRightLedMask = 0x02;

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
constexpr uint8_t Assign = 0x30;         // 0x30 + CalcOperator: = += -= *= /=
constexpr uint8_t Add = Assign + static_cast<uint8_t>(CalcOperator::Add);  // +=, also a repeat's count
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

// Wheel speeds (0..240) the compiled code of a motion block sets: the running part of a timed block,
// or a continuing one. A timed block of no time stands still.
struct WheelSpeeds {
    uint8_t left;
    uint8_t right;
};
WheelSpeeds motionWheelSpeeds(const ActionBlock& block);

// Compare opcode for a Branch comparison (0 <, 1 =, 2 >), before the memory-operand offset.
uint8_t compareOpcode(uint8_t comparison);
// Inverse: the comparison an opcode (with or without the memory offset) tests.
uint8_t comparisonOf(uint8_t opcode);
bool isCompareOpcode(uint8_t opcode);
// 0x30..0x34 and 0x40..0x44; the operator is calcOperatorOf.
bool isCalcOpcode(uint8_t opcode);
uint8_t calcOperatorOf(uint8_t opcode);
bool hasMemoryOperand(uint8_t opcode);  // a compare or calc opcode whose second operand is an address

// Whether a block compiles to its timed form: a setting, a wait of param[0] tenths, then the
// instruction that undoes the setting (motion blocks with param[1] 0, LEDs in mode 2).
bool isTimed(const ActionBlock& block);

// Instruction numbers a block's code jumps to, resolved by the compiler.
struct BlockTargets {
    uint8_t first = 0xFF;     // the block's own first instruction
    uint8_t next = 0xFF;      // first instruction after next[0]
    uint8_t second = 0xFF;    // first instruction after next[1]
    uint8_t loopExit = 0xFF;  // RepeatStart: first instruction after its RepeatEnd's next[0]
    uint8_t loopTest = 0xFF;  // RepeatEnd: its RepeatStart's counter test
};

// The instructions one block compiles to. An unknown type takes one FF FF FF FF instruction.
struct BlockCode {
    std::array<Instruction, 3> instructions{kEndOfSequence, kEndOfSequence, kEndOfSequence};
    int count = 0;
};
// A RepeatEnd reads its repeat number from its partner when it has one.
BlockCode encodeBlock(const ActionBlock& block, const BlockTargets& targets);

// Number of instructions a block compiles to.
int instructionCount(const ActionBlock& block);

}  // namespace trovel
