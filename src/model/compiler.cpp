#include "model/compiler.h"

#include <algorithm>
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

// Resolves a block's links to instruction numbers and writes its code at k; returns its length.
int emit(Emitter& e, const ActionBlock& b, int k) {
    BlockTargets t;
    t.first = static_cast<uint8_t>(k);
    t.next = e.after(b.next[0]);
    t.second = e.after(b.next[1]);
    if (b.type == BlockType::RepeatStart) t.loopExit = e.after(b.partner->next[0]);
    if (b.type == BlockType::RepeatEnd) t.loopTest = static_cast<uint8_t>(e.after(b.partner) + 1);
    BlockCode code = encodeBlock(b, t);
    std::copy_n(code.instructions.begin(), code.count, e.table.begin() + k);
    return code.count;
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
    Emitter e;
    // Pass 1: count, note where each block starts and the last End as the target of every open output.
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
        e.first.emplace(&b, n);
        n += instructionCount(b);
    }
    if (endAt < 0) ++n;
    result.instructions = n;
    if (n > kMaxInstructions) {
        result.status = CompileStatus::TooLarge;
        result.bytesOver = 8 * n - kSequenceBytes;
        return result;
    }

    e.table.assign(static_cast<size_t>(n), kEndOfSequence);
    if (endAt < 0) {
        endAt = n - 1;
        e.table.back() = {Op::End, X, X, X};
    }
    e.defaultTarget = static_cast<uint8_t>(endAt);
    // Pass 2: emit.
    int k = 0;
    for (const auto& b : program.blocks) k += emit(e, *b, k);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < kInstructionBytes; ++j)
            result.image.bytes[static_cast<size_t>(i * 4 + j)] =
                e.table[static_cast<size_t>(i)][static_cast<size_t>(j)];
    result.image.length = n * kInstructionBytes;
    return result;
}

std::u16string tooLargeMessage(std::u16string_view string32, int bytesOver) {
    return std::u16string(string32) + u" \r\n(" + fromNumber(bytesOver) + u" Byte over)";
}

}  // namespace trovel
