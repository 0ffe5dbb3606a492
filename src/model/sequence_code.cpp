#include "model/sequence_code.h"

#include <initializer_list>

namespace trovel {

namespace {

constexpr uint8_t X = Op::Unused;  // an operand the instruction does not use

// A compiled speed is the rule's value stored in one byte; odd values from a damaged file wrap round.
uint8_t speedByte(int speed) { return static_cast<uint8_t>(speed); }

uint8_t repeatCounter(const ActionBlock& block) {
    return static_cast<uint8_t>(MemoryMap::FirstRepeatCounter + block.param[2]);
}

uint8_t ledMask(const ActionBlock& block) { return describe(block.type).leftLed ? kLeftLedMask : kRightLedMask; }

BlockCode code(std::initializer_list<Instruction> instructions) {
    BlockCode c;
    for (const Instruction& i : instructions) c.instructions[static_cast<size_t>(c.count++)] = i;
    return c;
}

// The instruction of a comparing or calculating block: the operator's opcode with the first
// address, and a constant or, in the memory form, the second address.
Instruction operandInstruction(uint8_t opcode, uint8_t first, uint8_t constant, bool memory, uint8_t second,
                               uint8_t next) {
    if (!memory) return {opcode, first, constant, next};
    return {static_cast<uint8_t>(opcode + Op::MemoryOperand), first, second, next};
}

// A setting alone, or in the timed form the setting, a wait of `tenths` and the instruction `undo`.
BlockCode settingCode(Instruction set, bool timed, uint8_t tenths, Instruction undo, const BlockTargets& t) {
    if (!timed) {
        set[3] = t.next;
        return code({set});
    }
    const auto following = [&](int n) { return static_cast<uint8_t>(t.first + n); };
    set[3] = following(1);
    undo[3] = t.next;
    return code({set, {Op::Wait, tenths, following(2), X}, undo});
}

// A compare or calc opcode without its memory-operand offset.
uint8_t plainOpcode(uint8_t opcode) {
    return hasMemoryOperand(opcode) ? static_cast<uint8_t>(opcode - Op::MemoryOperand) : opcode;
}

}  // namespace

WheelSpeeds motionWheelSpeeds(const ActionBlock& block) {
    if (block.param[1] == 0 && block.param[0] == 0) return {0, 0};
    const BlockDescriptor& d = describe(block.type);
    return {speedByte(wheelSpeed(d.wheels[0], block.param)), speedByte(wheelSpeed(d.wheels[1], block.param))};
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

bool hasMemoryOperand(uint8_t opcode) {
    uint8_t high = opcode & 0xF0;
    return high == Op::IfEqual + Op::MemoryOperand || high == Op::Assign + Op::MemoryOperand;
}

bool isCompareOpcode(uint8_t opcode) {
    uint8_t plain = plainOpcode(opcode);
    return plain == Op::IfEqual || plain == Op::IfGreater || plain == Op::IfLess;
}

bool isCalcOpcode(uint8_t opcode) {
    uint8_t plain = plainOpcode(opcode);
    return plain >= Op::Assign && plain < Op::Assign + kCalcOperatorCount;
}

uint8_t calcOperatorOf(uint8_t opcode) { return static_cast<uint8_t>(plainOpcode(opcode) - Op::Assign); }

bool isTimed(const ActionBlock& block) {
    switch (describe(block.type).action) {
    case BlockAction::Motion: return block.param[1] == 0;
    case BlockAction::Led: return block.param[3] == 2;
    default: return false;
    }
}

BlockCode encodeBlock(const ActionBlock& b, const BlockTargets& t) {
    const auto following = [&](int n) { return static_cast<uint8_t>(t.first + n); };
    const auto& p = b.param;
    switch (describe(b.type).action) {
    case BlockAction::Start: return code({{Op::Start, following(1), X, X}, {Op::SetWheels, 0, 0, t.next}});
    case BlockAction::End: return code({{Op::End, X, X, X}});
    case BlockAction::Motion: {
        WheelSpeeds s = motionWheelSpeeds(b);
        return settingCode({Op::SetWheels, s.left, s.right}, isTimed(b), p[0], {Op::SetWheels, 0, 0}, t);
    }
    case BlockAction::Led: {
        uint8_t mask = ledMask(b);
        Instruction on{Op::Or, MemoryMap::Leds, mask}, off{Op::And, MemoryMap::Leds, static_cast<uint8_t>(~mask)};
        return settingCode(p[3] == 1 ? off : on, isTimed(b), p[0], off, t);
    }
    case BlockAction::Branch:
        return code({operandInstruction(compareOpcode(p[1]), branchOperandAddress(p[0]), p[2], p[3] != 0,
                                        branchOperandAddress(p[4]), t.next),
                     {Op::Jump, t.second, X, X}});
    case BlockAction::RandomBranch: return code({{Op::RandomJump, t.next, t.second, X}});
    case BlockAction::Wait: return code({{Op::Wait, p[0], t.next, X}});
    case BlockAction::Calc:
        return code({operandInstruction(static_cast<uint8_t>(Op::Assign + p[1] % kCalcOperatorCount),
                                        calcOperandAddress(p[0]), p[4], p[3] != 0, calcOperandAddress(p[2]), t.next)});
    case BlockAction::RepeatStart: {
        // An endless repeat enters the body whichever way the counter test goes.
        uint8_t exit = p[1] != 0 ? t.next : t.loopExit;
        return code({{Op::Assign, repeatCounter(b), 0, following(1)},
                     {Op::IfEqual, repeatCounter(b), p[0], exit},
                     {Op::Jump, t.next, X, X}});
    }
    case BlockAction::RepeatEnd:
        return code(
            {{Op::Add, repeatCounter(b.partner ? *b.partner : b), 1, following(1)}, {Op::Jump, t.loopTest, X, X}});
    case BlockAction::Unknown: break;
    }
    return code({kEndOfSequence});
}

int instructionCount(const ActionBlock& block) { return encodeBlock(block, {}).count; }

}  // namespace trovel
