#include "model/compiler.h"

#include <unordered_map>
#include <vector>

#include "model/text_convert.h"

namespace trovel {

namespace {

constexpr uint8_t X = 0xFF;  // an operand the instruction does not use

struct Emitter {
    std::vector<Instruction> table;
    std::unordered_map<const ActionBlock*, int> first;  // block -> its first instruction
    uint8_t defaultTarget = X;

    // First instruction of the linked block, or the default target for an open output.
    uint8_t after(const ActionBlock* linked) const {
        if (!linked) return defaultTarget;
        auto it = first.find(linked);
        return it == first.end() ? X : static_cast<uint8_t>(it->second);
    }
};

uint8_t ledMask(const ActionBlock& b) { return b.type == BlockType::LeftLed ? kLeftLedMask : kRightLedMask; }

void emit(Emitter& e, const ActionBlock& b, int k) {
    auto at = [&](int n) -> Instruction& { return e.table[static_cast<size_t>(k + n)]; };
    auto num = [&](int n) { return static_cast<uint8_t>(k + n); };
    const uint8_t next = e.after(b.next[0]);
    switch (b.type) {
    case BlockType::Start:
        at(0) = {Op::Start, num(1), X, X};
        at(1) = {Op::SetWheels, 0, 0, next};
        break;
    case BlockType::End:
        at(0) = {Op::End, X, X, X};
        break;
    case BlockType::LeftForward:
    case BlockType::Forward:
    case BlockType::RightForward:
    case BlockType::TurnLeft:
    case BlockType::Stop:
    case BlockType::TurnRight:
    case BlockType::WheelControl: {
        WheelSpeeds s = motionWheelSpeeds(b);
        if (b.param[1] != 0) {
            at(0) = {Op::SetWheels, s.left, s.right, next};
        } else {
            at(0) = {Op::SetWheels, s.left, s.right, num(1)};
            at(1) = {Op::Wait, b.param[0], num(2), X};
            at(2) = {Op::SetWheels, 0, 0, next};
        }
        break;
    }
    case BlockType::Branch: {
        uint8_t op = compareOpcode(b.param[1]);
        uint8_t left = BranchOperandTable[b.param[0] % kOperandCount];
        uint8_t right = b.param[2];
        if (b.param[3] != 0) {
            op = static_cast<uint8_t>(op + Op::MemoryOperand);
            right = BranchOperandTable[b.param[4] % kOperandCount];
        }
        at(0) = {op, left, right, next};
        at(1) = {Op::Jump, e.after(b.next[1]), X, X};
        break;
    }
    case BlockType::RandomBranch:
        at(0) = {Op::RandomJump, next, e.after(b.next[1]), X};
        break;
    case BlockType::Wait:
        at(0) = {Op::Wait, b.param[0], next, X};
        break;
    case BlockType::LeftLed:
    case BlockType::RightLed: {
        uint8_t mask = ledMask(b);
        uint8_t notMask = static_cast<uint8_t>(~mask);
        if (b.param[3] == 1) {
            at(0) = {Op::And, MemoryMap::Leds, notMask, next};
        } else if (b.param[3] == 2) {
            at(0) = {Op::Or, MemoryMap::Leds, mask, num(1)};
            at(1) = {Op::Wait, b.param[0], num(2), X};
            at(2) = {Op::And, MemoryMap::Leds, notMask, next};
        } else {
            at(0) = {Op::Or, MemoryMap::Leds, mask, next};
        }
        break;
    }
    case BlockType::Calc: {
        uint8_t op = static_cast<uint8_t>(Op::Assign + (b.param[1] % 5));
        uint8_t dest = CalcOperandTable[b.param[0] % kOperandCount];
        uint8_t source = b.param[4];
        if (b.param[3] != 0) {
            op = static_cast<uint8_t>(op + Op::MemoryOperand);
            source = CalcOperandTable[b.param[2] % kOperandCount];
        }
        at(0) = {op, dest, source, next};
        break;
    }
    case BlockType::RepeatStart: {
        uint8_t counter = static_cast<uint8_t>(MemoryMap::FirstRepeatCounter + b.param[2]);
        uint8_t exit = b.param[1] != 0 ? next : e.after(b.partner->next[0]);
        at(0) = {Op::Assign, counter, 0, num(1)};
        at(1) = {Op::IfEqual, counter, b.param[0], exit};
        at(2) = {Op::Jump, next, X, X};
        break;
    }
    case BlockType::RepeatEnd: {
        const ActionBlock& start = *b.partner;
        uint8_t counter = static_cast<uint8_t>(MemoryMap::FirstRepeatCounter + start.param[2]);
        at(0) = {static_cast<uint8_t>(Op::Assign + 1), counter, 1, num(1)};
        at(1) = {Op::Jump, static_cast<uint8_t>(e.after(&start) + 1), X, X};
        break;
    }
    }
}

// The encoding of a repeat needs its partner's first instruction and repeat number.
bool soundRepeatPair(const ActionBlock& b) {
    BlockType other = b.type == BlockType::RepeatStart ? BlockType::RepeatEnd : BlockType::RepeatStart;
    return b.partner && b.partner->type == other && b.partner->partner == &b && b.param[2] < kMaxRepeats &&
           b.partner->param[2] < kMaxRepeats;
}

}  // namespace

CompileResult compileProgram(const BlockProgram& program) {
    CompileResult result;
    // Pass 1: count, note the last End as the target of every open output.
    int n = 0;
    int endAt = -1;
    for (size_t i = 0; i < program.blocks.size(); ++i) {
        const ActionBlock& b = *program.blocks[i];
        if (isRepeat(b.type) && !soundRepeatPair(b)) {
            result.status = CompileStatus::BrokenRepeat;
            result.blockIndex = static_cast<int>(i);
            return result;
        }
        if (b.type == BlockType::End) endAt = n;
        n += instructionCount(b);
    }
    if (endAt < 0) ++n;
    result.instructions = n;
    if (n > kMaxInstructions) {
        result.status = CompileStatus::TooLarge;
        result.bytesOver = 8 * n - kSequenceBytes;
        return result;
    }

    Emitter e;
    e.table.assign(static_cast<size_t>(n), kEndOfSequence);
    if (endAt < 0) {
        endAt = n - 1;
        e.table.back() = {Op::End, X, X, X};
    }
    e.defaultTarget = static_cast<uint8_t>(endAt);
    // Pass 2: where each block starts.
    int k = 0;
    for (const auto& b : program.blocks) {
        e.first.emplace(b.get(), k);
        k += instructionCount(*b);
    }
    // Pass 3: emit.
    k = 0;
    for (const auto& b : program.blocks) {
        emit(e, *b, k);
        k += instructionCount(*b);
    }
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < kInstructionBytes; ++j) result.image.bytes[static_cast<size_t>(i * 4 + j)] = e.table[static_cast<size_t>(i)][static_cast<size_t>(j)];
    result.image.length = n * kInstructionBytes;
    return result;
}

std::u16string tooLargeMessage(std::u16string_view string32, int bytesOver) {
    return std::u16string(string32) + u" \r\n(" + fromNumber(bytesOver) + u" Byte over)";
}

}  // namespace trovel
