#include "model/sequence_code.h"

namespace trovel {

namespace {

uint8_t percentOfFull(int percent) { return static_cast<uint8_t>(percent * kFullSpeed / 100); }

}  // namespace

WheelSpeeds motionWheelSpeeds(const ActionBlock& block) {
    if (block.param[1] == 0 && block.param[0] == 0) return {0, 0};
    switch (block.type) {
    case BlockType::Forward: return {kFullSpeed, kFullSpeed};
    case BlockType::TurnLeft: return {0, kFullSpeed};
    case BlockType::TurnRight: return {kFullSpeed, 0};
    case BlockType::Stop: return {0, 0};
    case BlockType::LeftForward: return {percentOfFull(100 - block.param[3]), kFullSpeed};
    case BlockType::RightForward: return {kFullSpeed, percentOfFull(100 - block.param[3])};
    case BlockType::WheelControl: return {percentOfFull(block.param[2]), percentOfFull(block.param[3])};
    default: return {0, 0};
    }
}

uint8_t compareOpcode(uint8_t comparison) {
    switch (comparison) {
    case 0: return Op::IfLess;
    case 1: return Op::IfEqual;
    default: return Op::IfGreater;
    }
}

uint8_t comparisonOf(uint8_t opcode) {
    switch (opcode & 0x0F) {
    case Op::IfLess & 0x0F: return 0;
    case Op::IfEqual & 0x0F: return 1;
    default: return 2;
    }
}

int instructionCount(const ActionBlock& block) {
    switch (block.type) {
    case BlockType::Start: return 2;
    case BlockType::End: return 1;
    case BlockType::LeftForward:
    case BlockType::Forward:
    case BlockType::RightForward:
    case BlockType::TurnLeft:
    case BlockType::Stop:
    case BlockType::TurnRight:
    case BlockType::WheelControl: return block.param[1] != 0 ? 1 : 3;
    case BlockType::Branch: return 2;
    case BlockType::RandomBranch: return 1;
    case BlockType::Wait: return 1;
    case BlockType::LeftLed:
    case BlockType::RightLed: return block.param[3] == 2 ? 3 : 1;
    case BlockType::Calc: return 1;
    case BlockType::RepeatStart: return 3;
    case BlockType::RepeatEnd: return 2;
    }
    return 1;
}

}  // namespace trovel
