#include "model/sequence_decoder.h"

#include <algorithm>
#include <vector>

#include "model/sequence_code.h"

namespace trovel {

namespace {

struct Decoded {
    std::unique_ptr<ActionBlock> block;
    int first = 0;                    // number of the block's first instruction
    std::array<int, 2> next{-1, -1};  // instruction numbers of the successors
    int repeatStart = -1;             // a RepeatEnd's RepeatStart instruction number
};

struct Reader {
    std::vector<Instruction> code;
    Instruction at(size_t n) const { return n < code.size() ? code[n] : kEndOfSequence; }
};

// Addresses 24..30 are the counters of repeat numbers 0..6; 30/31 on any other address is arithmetic.
bool isRepeatCounter(uint8_t address) {
    return address >= MemoryMap::FirstRepeatCounter && address < MemoryMap::FirstRepeatCounter + kMaxRepeats;
}

uint8_t percentBack(uint8_t speed) { return static_cast<uint8_t>((kFullSpeed - speed) * 100 / kFullSpeed); }

// One motion block from 01 L R n, with its timed form 01 L R, 03 t, 01 00 00 n.
int decodeMotion(const Reader& r, size_t k, Decoded& d) {
    Instruction i0 = r.at(k), i1 = r.at(k + 1), i2 = r.at(k + 2);
    uint8_t L = i0[1], R = i0[2];
    ActionBlock& b = *d.block;
    if (L == kFullSpeed && R == kFullSpeed) {
        b.type = BlockType::Forward;
    } else if (L == kFullSpeed && R == 0) {
        b.type = BlockType::TurnRight;
    } else if (L == 0 && R == kFullSpeed) {
        b.type = BlockType::TurnLeft;
    } else if (L == 0 && R == 0) {
        b.type = BlockType::Stop;
    } else if (L == kFullSpeed) {
        b.type = BlockType::RightForward;
        b.param[3] = percentBack(R);
    } else if (R == kFullSpeed) {
        b.type = BlockType::LeftForward;
        b.param[3] = percentBack(L);
    } else {
        b.type = BlockType::WheelControl;
        b.param[2] = static_cast<uint8_t>((L + 1) * 100 / kFullSpeed);
        b.param[3] = static_cast<uint8_t>((R + 1) * 100 / kFullSpeed);
    }
    bool timed = k + 2 < r.code.size() && i1[0] == Op::Wait && i2[0] == Op::SetWheels && i2[1] == 0 && i2[2] == 0;
    if (timed) {
        b.param[0] = i1[1];
        b.param[1] = 0;
        d.next[0] = i2[3];
        return 3;
    }
    b.param[0] = 15;
    b.param[1] = 1;
    d.next[0] = i0[3];
    return 1;
}

// Decodes the instruction(s) at k into d; returns how many instructions were used.
int decodeOne(const Reader& r, size_t k, Decoded& d) {
    Instruction i0 = r.at(k), i1 = r.at(k + 1), i2 = r.at(k + 2);
    const uint8_t op = i0[0];
    auto make = [&](BlockType t) {
        d.block = std::make_unique<ActionBlock>();
        d.block->type = t;
        return d.block.get();
    };
    switch (op) {
    case Op::Start:
        if (i0[3] == 0) return 1;
        make(BlockType::Start);
        d.next[0] = i1[3];
        return 2;
    case Op::SetWheels:
        make(BlockType::Forward);
        return decodeMotion(r, k, d);
    case Op::Wait:
        make(BlockType::Wait)->param[0] = i0[1];
        d.next[0] = i0[2];
        return 1;
    case Op::RandomJump:
        make(BlockType::RandomBranch);
        d.next = {i0[1], i0[2]};
        return 1;
    case Op::IfEqual:
    case Op::IfGreater:
    case Op::IfLess:
    case Op::IfEqual + Op::MemoryOperand:
    case Op::IfGreater + Op::MemoryOperand:
    case Op::IfLess + Op::MemoryOperand: {
        ActionBlock* b = make(BlockType::Branch);
        b->param[0] = static_cast<uint8_t>(branchOperandIndex(i0[1]));
        b->param[1] = comparisonOf(op);
        if (op & 0x20) {
            b->param[3] = 1;
            b->param[4] = static_cast<uint8_t>(branchOperandIndex(i0[2]));
        } else {
            b->param[2] = i0[2];
        }
        d.next = {i0[3], i1[1]};
        return 2;
    }
    case Op::Assign:
    case Op::Assign + 1:
    case Op::Assign + 2:
    case Op::Assign + 3:
    case Op::Assign + 4:
        if (op == Op::Assign && isRepeatCounter(i0[1])) {
            ActionBlock* b = make(BlockType::RepeatStart);
            b->param[2] = static_cast<uint8_t>(i0[1] - MemoryMap::FirstRepeatCounter);
            b->param[0] = i1[2];
            b->param[1] = i1[3] == i2[1] ? 1 : 0;
            d.next = {i2[1], i1[3]};
            return 3;
        }
        if (op == Op::Assign + 1 && isRepeatCounter(i0[1])) {
            ActionBlock* b = make(BlockType::RepeatEnd);
            b->param[2] = static_cast<uint8_t>(i0[1] - MemoryMap::FirstRepeatCounter);
            d.repeatStart = i1[1] - 1;
            return 2;
        } else {
            ActionBlock* b = make(BlockType::Calc);
            b->param[0] = static_cast<uint8_t>(calcOperandIndex(i0[1]));
            b->param[1] = static_cast<uint8_t>(op - Op::Assign);
            b->param[4] = i0[2];
            d.next[0] = i0[3];
            return 1;
        }
    case Op::And: {
        ActionBlock* b = make(i0[2] == static_cast<uint8_t>(~kLeftLedMask) ? BlockType::LeftLed : BlockType::RightLed);
        b->param[3] = 1;
        b->param[0] = 10;
        d.next[0] = i0[3];
        return 1;
    }
    case Op::Or: {
        ActionBlock* b = make(i0[2] == kLeftLedMask ? BlockType::LeftLed : BlockType::RightLed);
        if (i1[0] == Op::Wait && i2[0] == Op::And && i2[2] == static_cast<uint8_t>(~i0[2])) {
            b->param[3] = 2;
            b->param[0] = i1[1];
            d.next[0] = i2[3];
            return 3;
        }
        b->param[3] = 0;
        b->param[0] = 10;
        d.next[0] = i0[3];
        return 1;
    }
    case Op::Assign + Op::MemoryOperand:
    case Op::Assign + Op::MemoryOperand + 1:
    case Op::Assign + Op::MemoryOperand + 2:
    case Op::Assign + Op::MemoryOperand + 3:
    case Op::Assign + Op::MemoryOperand + 4: {
        ActionBlock* b = make(BlockType::Calc);
        b->param[0] = static_cast<uint8_t>(calcOperandIndex(i0[1]));
        b->param[1] = static_cast<uint8_t>(op - Op::Assign - Op::MemoryOperand);
        b->param[2] = static_cast<uint8_t>(calcOperandIndex(i0[2]));
        b->param[3] = 1;
        d.next[0] = i0[3];
        return 1;
    }
    case Op::End:
        make(BlockType::End);
        return 1;
    default:
        return 1;
    }
}

}  // namespace

void DecodeSequence(BlockProgram& program, const uint8_t* bytes, size_t count) {
    Reader r;
    count = std::min<size_t>(count, kSequenceBytes);
    r.code.reserve(count / kInstructionBytes);
    for (size_t at = 0; bytes && at + kInstructionBytes <= count; at += kInstructionBytes) {
        Instruction ins{bytes[at], bytes[at + 1], bytes[at + 2], bytes[at + 3]};
        if (ins == kEndOfSequence) break;
        r.code.push_back(ins);
    }

    std::vector<Decoded> decoded;
    decoded.reserve(r.code.size());
    const int startWidth = blockSize(BlockType::Start).width;
    int column = startWidth + 27;
    bool anchored = false;  // a Start or End has fixed the column and the bottom reference
    int bottom = 0;
    for (size_t k = 0; k < r.code.size();) {
        Decoded d;
        d.first = static_cast<int>(k);
        int used = decodeOne(r, k, d);
        k += static_cast<size_t>(used);
        if (!d.block) continue;
        ActionBlock& b = *d.block;
        BlockSize size = blockSize(b.type);
        b.width = size.width;
        b.height = size.height;
        b.bend = {27, 27};
        if (b.type == BlockType::Start || b.type == BlockType::End) {
            b.x = 27;
            b.y = b.type == BlockType::Start ? 9 : 477;
            if (!anchored) {
                anchored = true;
                column = startWidth + 27 + 27;
                bottom = b.y;
            }
        } else {
            b.x = column;
            b.y = bottom + 27;
            bottom = b.y + b.height;
        }
        decoded.push_back(std::move(d));
    }

    // Instruction number -> decoded block starting there, and its decoding record.
    std::vector<int> byFirst(r.code.size() + 1, -1);
    for (size_t i = 0; i < decoded.size(); ++i) byFirst[static_cast<size_t>(decoded[i].first)] = static_cast<int>(i);
    auto record = [&](int n) -> Decoded* {
        if (n < 0 || static_cast<size_t>(n) >= r.code.size() || byFirst[static_cast<size_t>(n)] < 0) return nullptr;
        return &decoded[static_cast<size_t>(byFirst[static_cast<size_t>(n)])];
    };
    auto find = [&](int n) -> ActionBlock* {
        Decoded* d = record(n);
        return d ? d->block.get() : nullptr;
    };
    for (auto& d : decoded) {
        ActionBlock& b = *d.block;
        b.next[0] = find(d.next[0]);
        if (isDiamond(b.type)) b.next[1] = find(d.next[1]);
    }
    for (auto& d : decoded) {
        ActionBlock& end = *d.block;
        if (end.type != BlockType::RepeatEnd) continue;
        Decoded* startRecord = record(d.repeatStart);
        ActionBlock* start = startRecord ? startRecord->block.get() : nullptr;
        if (!start || start->type != BlockType::RepeatStart || start->partner) continue;
        start->partner = &end;
        end.partner = start;
        end.param[0] = start->param[0];
        end.param[1] = start->param[1];
        end.next[1] = start;
        end.next[0] = start->param[1] != 0 ? nullptr : find(startRecord->next[1]);
    }

    // A repeat block left without its partner (a damaged sequence) could be neither compiled nor
    // saved and opened again: it is left out, and links into it pass on to what followed it.
    auto unpaired = [](const ActionBlock* b) { return b && isRepeat(b->type) && !b->partner; };
    for (auto& d : decoded) {
        for (ActionBlock*& next : d.block->next)
            for (size_t hops = 0; unpaired(next) && hops <= decoded.size(); ++hops) next = next->next[0];
        for (ActionBlock*& next : d.block->next)
            if (unpaired(next)) next = nullptr;
    }

    clear(program);
    program.blocks.reserve(decoded.size());
    for (auto& d : decoded)
        if (!unpaired(d.block.get())) append(program, std::move(d.block));
    program.filePath.clear();
}

}  // namespace trovel
