#include "model/sequence_decoder.h"

#include <algorithm>
#include <vector>

#include "model/chart_layout.h"
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

// The motion type whose wheel rules fit the speeds, preferring the rules that fix more wheels:
// 240/240 is Forward, 240/x RightForward, x/240 LeftForward, anything unfixed WheelControl.
BlockType motionType(uint8_t left, uint8_t right) {
    auto fits = [](WheelDrive drive, uint8_t speed) {
        return drive == WheelDrive::Stopped ? speed == 0 : drive == WheelDrive::Full ? speed == kFullSpeed : true;
    };
    auto fixed = [](WheelDrive drive) { return drive == WheelDrive::Stopped || drive == WheelDrive::Full; };
    BlockType best = BlockType::WheelControl;
    int bestFixed = -1;
    for (int code = kFirstBlockType; code <= kLastBlockType; ++code) {
        const BlockDescriptor& d = describe(static_cast<BlockType>(code));
        if (d.action != BlockAction::Motion || !fits(d.wheels[0].drive, left) || !fits(d.wheels[1].drive, right))
            continue;
        int n = fixed(d.wheels[0].drive) + fixed(d.wheels[1].drive);
        if (n > bestFixed) {
            best = static_cast<BlockType>(code);
            bestFixed = n;
        }
    }
    return best;
}

// A setting at k followed by a wait and the instruction that undoes it: one timed block.
bool timedForm(const Reader& r, size_t k, bool (*undoes)(const Instruction& set, const Instruction& undo)) {
    return k + 2 < r.code.size() && r.at(k + 1)[0] == Op::Wait && undoes(r.at(k), r.at(k + 2));
}

bool stopsWheels(const Instruction&, const Instruction& undo) {
    return undo[0] == Op::SetWheels && undo[1] == 0 && undo[2] == 0;
}

bool clearsLed(const Instruction& set, const Instruction& undo) {
    return undo[0] == Op::And && undo[2] == static_cast<uint8_t>(~set[2]);
}

// Timed: param[0] from the wait, next from the undoing instruction; otherwise `tenths` and the
// setting's own next. Returns the instructions used.
int readTiming(const Reader& r, size_t k, bool timed, uint8_t tenths, Decoded& d) {
    d.block->param[0] = timed ? r.at(k + 1)[1] : tenths;
    d.next[0] = timed ? r.at(k + 2)[3] : r.at(k)[3];
    return timed ? 3 : 1;
}

// One motion block from 01 L R n, with its timed form 01 L R, 03 t, 01 00 00 n.
int decodeMotion(const Reader& r, size_t k, Decoded& d) {
    const Instruction i0 = r.at(k);
    ActionBlock& b = *d.block;
    b.type = motionType(i0[1], i0[2]);
    const BlockDescriptor& desc = describe(b.type);
    for (int wheel = 0; wheel < 2; ++wheel) {
        WheelRule rule = desc.wheels[static_cast<size_t>(wheel)];
        if (rule.drive == WheelDrive::SlowedBy || rule.drive == WheelDrive::PercentOf)
            b.param[rule.slot] = wheelParameter(rule.drive, i0[static_cast<size_t>(1 + wheel)]);
    }
    bool timed = timedForm(r, k, stopsWheels);
    b.param[1] = timed ? 0 : 1;
    return readTiming(r, k, timed, defaultParams(b.type)[0], d);
}

// 37 0F mask n (on), 36 0F ~mask n (off), or the timed form 37, 03 t, 36.
int decodeLed(const Reader& r, size_t k, Decoded& d) {
    const Instruction i0 = r.at(k);
    ActionBlock& b = *d.block;
    bool on = i0[0] == Op::Or;
    uint8_t mask = on ? i0[2] : static_cast<uint8_t>(~i0[2]);
    b.type = mask == kLeftLedMask ? BlockType::LeftLed : BlockType::RightLed;
    bool timed = on && timedForm(r, k, clearsLed);
    b.param[3] = timed ? 2 : on ? 0 : 1;
    return readTiming(r, k, timed, defaultParams(b.type)[0], d);
}

int decodeBranch(const Instruction& i0, const Instruction& i1, Decoded& d) {
    ActionBlock& b = *d.block;
    b.param[0] = static_cast<uint8_t>(branchOperandIndex(i0[1]));
    b.param[1] = comparisonOf(i0[0]);
    if (hasMemoryOperand(i0[0])) {
        b.param[3] = 1;
        b.param[4] = static_cast<uint8_t>(branchOperandIndex(i0[2]));
    } else {
        b.param[2] = i0[2];
    }
    d.next = {i0[3], i1[1]};
    return 2;
}

// 30 c 00, 10 c count exit, 06 body: a RepeatStart; 31 c 01, 06 test: a RepeatEnd; else a Calc.
int decodeCalcOrRepeat(const Instruction& i0, const Instruction& i1, const Instruction& i2, Decoded& d) {
    ActionBlock& b = *d.block;
    if ((i0[0] == Op::Assign || i0[0] == Op::Add) && isRepeatCounter(i0[1])) {
        b.param[2] = static_cast<uint8_t>(i0[1] - MemoryMap::FirstRepeatCounter);
        if (i0[0] == Op::Add) {
            b.type = BlockType::RepeatEnd;
            d.repeatStart = i1[1] - 1;
            return 2;
        }
        b.type = BlockType::RepeatStart;
        b.param[0] = i1[2];
        b.param[1] = i1[3] == i2[1] ? 1 : 0;
        d.next = {i2[1], i1[3]};
        return 3;
    }
    b.type = BlockType::Calc;
    b.param[0] = static_cast<uint8_t>(calcOperandIndex(i0[1]));
    b.param[1] = calcOperatorOf(i0[0]);
    if (hasMemoryOperand(i0[0])) {
        b.param[2] = static_cast<uint8_t>(calcOperandIndex(i0[2]));
        b.param[3] = 1;
    } else {
        b.param[4] = i0[2];
    }
    d.next[0] = i0[3];
    return 1;
}

// Decodes the instruction(s) at k into d; returns how many instructions were used.
int decodeOne(const Reader& r, size_t k, Decoded& d) {
    const Instruction i0 = r.at(k), i1 = r.at(k + 1), i2 = r.at(k + 2);
    const uint8_t op = i0[0];
    // The decoders below settle the type where the opcode alone does not.
    auto make = [&](BlockType t) -> ActionBlock& {
        d.block = std::make_unique<ActionBlock>();
        d.block->type = t;
        return *d.block;
    };
    if (isCompareOpcode(op)) {
        make(BlockType::Branch);
        return decodeBranch(i0, i1, d);
    }
    if (isCalcOpcode(op)) {
        make(BlockType::Calc);
        return decodeCalcOrRepeat(i0, i1, i2, d);
    }
    switch (op) {
    case Op::Start:
        if (i0[3] == 0) return 1;
        make(BlockType::Start);
        d.next[0] = i1[3];
        return 2;
    case Op::SetWheels: make(BlockType::Forward); return decodeMotion(r, k, d);
    case Op::Wait:
        make(BlockType::Wait).param[0] = i0[1];
        d.next[0] = i0[2];
        return 1;
    case Op::RandomJump:
        make(BlockType::RandomBranch);
        d.next = {i0[1], i0[2]};
        return 1;
    case Op::And:
    case Op::Or: make(BlockType::LeftLed); return decodeLed(r, k, d);
    case Op::End: make(BlockType::End); return 1;
    default: return 1;
    }
}

Reader readSequence(const uint8_t* bytes, size_t count) {
    Reader r;
    count = std::min<size_t>(count, kSequenceBytes);
    r.code.reserve(count / kInstructionBytes);
    for (size_t at = 0; bytes && at + kInstructionBytes <= count; at += kInstructionBytes) {
        Instruction ins{bytes[at], bytes[at + 1], bytes[at + 2], bytes[at + 3]};
        if (ins == kEndOfSequence) break;
        r.code.push_back(ins);
    }
    return r;
}

// Turns the successors' instruction numbers into links and pairs each RepeatEnd with its RepeatStart.
void linkBlocks(std::vector<Decoded>& decoded, size_t instructions) {
    // Instruction number -> decoded block starting there, and its decoding record.
    std::vector<int> byFirst(instructions + 1, -1);
    for (size_t i = 0; i < decoded.size(); ++i) byFirst[static_cast<size_t>(decoded[i].first)] = static_cast<int>(i);
    auto record = [&](int n) -> Decoded* {
        if (n < 0 || static_cast<size_t>(n) >= instructions || byFirst[static_cast<size_t>(n)] < 0) return nullptr;
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
}

bool unpaired(const ActionBlock* b) { return b && isRepeat(b->type) && !b->partner; }

// A repeat block left without its partner (a damaged sequence) could be neither compiled nor
// saved and opened again: links into it pass on to what followed it.
void bypassUnpaired(std::vector<Decoded>& decoded) {
    for (auto& d : decoded) {
        for (ActionBlock*& next : d.block->next)
            for (size_t hops = 0; unpaired(next) && hops <= decoded.size(); ++hops) next = next->next[0];
        for (ActionBlock*& next : d.block->next)
            if (unpaired(next)) next = nullptr;
    }
}

}  // namespace

void decodeSequence(BlockProgram& program, const uint8_t* bytes, size_t count) {
    const Reader r = readSequence(bytes, count);
    std::vector<Decoded> decoded;
    decoded.reserve(r.code.size());
    for (size_t k = 0; k < r.code.size();) {
        Decoded d;
        d.first = static_cast<int>(k);
        k += static_cast<size_t>(decodeOne(r, k, d));
        if (!d.block) continue;
        const BlockSize size = blockSize(d.block->type);
        d.block->width = size.width;
        d.block->height = size.height;
        decoded.push_back(std::move(d));
    }
    linkBlocks(decoded, r.code.size());
    bypassUnpaired(decoded);

    clear(program);
    program.blocks.reserve(decoded.size());
    for (auto& d : decoded)
        if (!unpaired(d.block.get())) append(program, std::move(d.block));
    // The robot keeps no positions: the chart is laid out afresh from its links.
    layoutChart(program);
    program.filePath.clear();
}

}  // namespace trovel
