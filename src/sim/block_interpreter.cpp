#include "sim/block_interpreter.h"

#include <algorithm>

namespace trovel {

namespace {

constexpr int kNoAddress = -1;

int repeatCounterAddress(uint8_t repeatNumber) {
    int address = MemoryMap::FirstRepeatCounter + repeatNumber;
    return address < MemoryMap::Size ? address : kNoAddress;
}

struct Execution {
    int successor = kNoRunBlock;
    uint32_t timeMs = 0;
    bool chain = false;
};

void setMotors(MemoryImage& m, int left, int right) {
    m[MemoryMap::LeftWheel] = static_cast<uint8_t>(left);
    m[MemoryMap::RightWheel] = static_cast<uint8_t>(right);
}

uint32_t motionTime(const RunBlock& b) { return b.param[1] != 0 ? 0u : b.param[0] * 100u; }

bool branchHolds(const RunBlock& b, const MemoryImage& m) {
    int left = m[branchOperandAddress(b.param[0])];
    int right = b.param[3] == 0 ? b.param[2] : m[branchOperandAddress(b.param[4])];
    switch (b.param[1]) {
    case 0: return left < right;
    case 1: return left == right;
    case 2: return left > right;
    default: return true;
    }
}

Execution executeLed(const RunBlock& b, MemoryImage& m, uint8_t bit) {
    Execution e;
    e.successor = b.next[0];
    if (b.param[3] == 0 || b.param[3] == 2) m[MemoryMap::Leds] |= bit;
    else m[MemoryMap::Leds] &= static_cast<uint8_t>(~bit);
    e.timeMs = b.param[3] == 2 ? b.param[0] * 100u : 0u;
    e.chain = e.timeMs == 0;
    return e;
}

Execution executeRepeatEnd(const RunProgram& run, const RunBlock& b, MemoryImage& m) {
    Execution e{b.next[0], 0, true};
    const RunBlock* start = runBlockAt(run, b.partner);
    if (!start) return e;  // an unpaired end just falls through
    int address = repeatCounterAddress(start->param[2]);
    int count = (address == kNoAddress ? 0 : m[address]) + 1;
    if (address != kNoAddress) m[address] = static_cast<uint8_t>(count);
    if (count < start->param[0] || start->param[1] != 0) e.successor = start->next[0];
    return e;
}

// The simulator's bit of an LED block, in the simulator's own bit order.
uint8_t ledBit(const BlockDescriptor& d) { return d.leftLed ? kSimLeftLedBit : kSimRightLedBit; }

// A motor byte holds what a wheel rule gives, cut to 0..255 rather than wrapped round.
uint8_t motorByte(int speed) { return static_cast<uint8_t>(std::clamp(speed, 0, 255)); }

Execution executeMotion(const RunBlock& b, MemoryImage& m) {
    const BlockDescriptor& d = describe(b.type);
    setMotors(m, motorByte(wheelSpeed(d.wheels[0], b.param)), motorByte(wheelSpeed(d.wheels[1], b.param)));
    return {b.next[0], motionTime(b), false};
}

Execution execute(const RunProgram& run, const RunBlock& b, MemoryImage& m, SimRandom& random) {
    Execution e;
    e.successor = b.next[0];
    const auto& p = b.param;
    switch (describe(b.type).action) {
    case BlockAction::Start:
    case BlockAction::End: setMotors(m, 0, 0); break;
    case BlockAction::Motion: return executeMotion(b, m);
    case BlockAction::Branch:
        e.successor = branchHolds(b, m) ? b.next[0] : b.next[1];
        e.chain = true;
        break;
    case BlockAction::RandomBranch:
        e.successor = (nextRandom(random) & 1) ? b.next[1] : b.next[0];
        e.chain = true;
        break;
    case BlockAction::Wait: e.timeMs = p[0] * 100u; break;
    case BlockAction::Led: return executeLed(b, m, ledBit(describe(b.type)));
    case BlockAction::Calc: {
        uint8_t dest = calcOperandAddress(p[0]);
        uint8_t source = p[3] == 0 ? p[4] : m[calcOperandAddress(p[2])];
        m[dest] = applyCalc(m[dest], source, p[1]);
        e.chain = dest != MemoryMap::LeftWheel && dest != MemoryMap::RightWheel;
        break;
    }
    case BlockAction::RepeatStart: {
        int address = repeatCounterAddress(p[2]);
        if (address != kNoAddress) m[address] = 0;
        e.chain = true;
        break;
    }
    case BlockAction::RepeatEnd: return executeRepeatEnd(run, b, m);
    case BlockAction::Unknown: break;  // ends the tick, goes on with next[0]
    }
    return e;
}

// A timed LED goes off; a timed motion block that runs a wheel stops both (Stop has nothing to stop).
void applyExpiry(BlockType type, const std::array<uint8_t, 10>& p, MemoryImage& m) {
    const BlockDescriptor& d = describe(type);
    if (d.action == BlockAction::Led && p[3] == 2) m[MemoryMap::Leds] &= static_cast<uint8_t>(~ledBit(d));
    bool runsAWheel = d.wheels[0].drive != WheelDrive::Stopped || d.wheels[1].drive != WheelDrive::Stopped;
    if (d.action == BlockAction::Motion && runsAWheel && p[1] == 0) setMotors(m, 0, 0);
}

}  // namespace

uint8_t wheelControlSpeed(uint8_t percent) {
    // Robots give back up to 106 % (254); only what no byte holds is cut, never wrapped round.
    return motorByte(wheelSpeed({WheelDrive::PercentOf, 0}, {percent}));
}

uint8_t applyCalc(uint8_t a, uint8_t b, uint8_t op) {
    int r = a;
    switch (static_cast<CalcOperator>(op)) {
    case CalcOperator::Assign: r = b; break;
    case CalcOperator::Add: r = a + b; break;
    case CalcOperator::Subtract: r = a - b; break;
    case CalcOperator::Multiply: r = a * b; break;
    case CalcOperator::Divide:
        if (a != 0) r = b == 0 ? 255 : a / b;  // division by zero saturates and the run goes on
        break;
    default: break;
    }
    return static_cast<uint8_t>(std::clamp(r, 0, 255));
}

void startRun(BlockInterpreter& interp, SimState& state, MemoryImage& memory,
              std::shared_ptr<const RunProgram> program) {
    state = SimState::Running;
    interp.program = std::move(program);
    const size_t count = interp.program ? interp.program->blocks.size() : 0;
    interp.current = count > 0 ? 0 : kNoRunBlock;
    interp.last = kNoRunBlock;
    interp.waitMs = 0;
    interp.chainPending = false;
    interp.held = kNoRunBlock;
    interp.holdReason = HoldReason::None;
    interp.stopAtNextBlock = false;
    interp.breakpoints.assign(count, false);
    for (size_t i = 0; i < count; ++i) interp.breakpoints[i] = interp.program->blocks[i].breakpoint;
    memory[MemoryMap::Leds] = 0;
}

void stopRun(BlockInterpreter& interp, SimState& state, MemoryImage& memory) {
    memory[MemoryMap::LeftWheel] = 0;
    memory[MemoryMap::RightWheel] = 0;
    state = SimState::Stopped;
    interp.current = kNoRunBlock;
    interp.last = kNoRunBlock;
    interp.waitMs = 0;
    interp.chainPending = false;
    interp.held = kNoRunBlock;
    interp.holdReason = HoldReason::None;
    interp.stopAtNextBlock = false;
}

void stopAtNextBlock(BlockInterpreter& interp) { interp.stopAtNextBlock = true; }

bool runHolds(const BlockInterpreter& interp, SimState state, int block) {
    return state != SimState::Stopped && block != kNoRunBlock && (block == interp.current || block == interp.last);
}

bool setRunBreakpoint(BlockInterpreter& interp, int block, bool on) {
    if (block < 0 || size_t(block) >= interp.breakpoints.size()) return false;
    interp.breakpoints[size_t(block)] = on;
    return true;
}

StepOutcome stepInterpreter(BlockInterpreter& interp, SimState& state, MemoryImage& memory, bool slowMotion,
                            const HighlightFn& highlight) {
    interp.chainPending = false;
    if (interp.waitMs != 0) {
        interp.waitMs -= kTickMs;
        if (interp.waitMs == 0) applyExpiry(interp.lastType, interp.lastParam, memory);
        return StepOutcome::TickEnded;
    }
    static const RunProgram kNothing;
    const RunProgram& run = interp.program ? *interp.program : kNothing;
    for (int chained = 0;;) {
        const RunBlock* found = runBlockAt(run, interp.current);
        if (!found) {
            stopRun(interp, state, memory);
            return StepOutcome::RunStopped;
        }
        const RunBlock& block = *found;
        const int index = interp.current;
        const bool breakpoint = size_t(index) < interp.breakpoints.size() && interp.breakpoints[size_t(index)];
        if (index != interp.held && breakpoint) {
            interp.holdReason = HoldReason::Breakpoint;
            interp.held = index;
            interp.stopAtNextBlock = false;
            state = SimState::Paused;
            if (highlight) highlight(index);
            return StepOutcome::Held;
        }
        interp.held = kNoRunBlock;
        interp.holdReason = HoldReason::None;
        Execution e = execute(run, block, memory, interp.random);
        interp.last = index;
        ++interp.executed;
        interp.lastType = block.type;
        interp.lastParam = block.param;
        if ((!e.chain || slowMotion) && highlight) highlight(index);
        interp.current = e.successor;
        interp.waitMs = e.timeMs - e.timeMs % kTickMs;
        if (interp.stopAtNextBlock) {
            interp.stopAtNextBlock = false;
            interp.holdReason = HoldReason::BlockStep;
            state = SimState::Paused;
            if (e.chain && !slowMotion && highlight) highlight(index);
            return StepOutcome::Held;
        }
        if (!e.chain) return StepOutcome::TickEnded;
        if (++chained >= kChainBudget) {
            interp.chainPending = true;
            return StepOutcome::BudgetExhausted;
        }
    }
}

}  // namespace trovel
