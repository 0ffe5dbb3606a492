#include "sim/block_interpreter.h"

#include <algorithm>

namespace trovel {

namespace {

constexpr int kNoAddress = -1;

int repeatCounterAddress(uint8_t repeatNumber) {
    int address = SimAddr::FirstRepeatCounter + repeatNumber;
    return address < kSimMemorySize ? address : kNoAddress;
}

struct Execution {
    const ActionBlock* successor = nullptr;
    uint32_t timeMs = 0;
    bool chain = false;
};

void setMotors(SimMemoryMap& m, int left, int right) {
    m[SimAddr::LeftMotor] = static_cast<uint8_t>(left);
    m[SimAddr::RightMotor] = static_cast<uint8_t>(right);
}

uint32_t motionTime(const ActionBlock& b) { return b.param[1] != 0 ? 0u : b.param[0] * 100u; }

bool branchHolds(const ActionBlock& b, const SimMemoryMap& m) {
    int left = m[branchOperandAddress(b.param[0])];
    int right = b.param[3] == 0 ? b.param[2] : m[branchOperandAddress(b.param[4])];
    switch (b.param[1]) {
    case 0: return left < right;
    case 1: return left == right;
    case 2: return left > right;
    default: return true;
    }
}

Execution executeLed(const ActionBlock& b, SimMemoryMap& m, uint8_t bit) {
    Execution e;
    e.successor = b.next[0];
    if (b.param[3] == 0 || b.param[3] == 2)
        m[SimAddr::Leds] |= bit;
    else
        m[SimAddr::Leds] &= static_cast<uint8_t>(~bit);
    e.timeMs = b.param[3] == 2 ? b.param[0] * 100u : 0u;
    e.chain = e.timeMs == 0;
    return e;
}

Execution executeRepeatEnd(const ActionBlock& b, SimMemoryMap& m) {
    Execution e{b.next[0], 0, true};
    const ActionBlock* start = b.partner;
    if (!start) return e;  // an unpaired end just falls through
    int address = repeatCounterAddress(start->param[2]);
    int count = (address == kNoAddress ? 0 : m[address]) + 1;
    if (address != kNoAddress) m[address] = static_cast<uint8_t>(count);
    if (count < start->param[0] || start->param[1] != 0) e.successor = start->next[0];
    return e;
}

Execution execute(const ActionBlock& b, SimMemoryMap& m, SimRandom& random) {
    Execution e;
    e.successor = b.next[0];
    const auto& p = b.param;
    switch (b.type) {
    case BlockType::Start:
    case BlockType::End: setMotors(m, 0, 0); break;
    case BlockType::LeftForward: setMotors(m, slowedWheel(p[3]), kFullMotor); e.timeMs = motionTime(b); break;
    case BlockType::Forward: setMotors(m, kFullMotor, kFullMotor); e.timeMs = motionTime(b); break;
    case BlockType::RightForward: setMotors(m, kFullMotor, slowedWheel(p[3])); e.timeMs = motionTime(b); break;
    case BlockType::TurnLeft: setMotors(m, 0, kFullMotor); e.timeMs = motionTime(b); break;
    case BlockType::Stop: setMotors(m, 0, 0); e.timeMs = motionTime(b); break;
    case BlockType::TurnRight: setMotors(m, kFullMotor, 0); e.timeMs = motionTime(b); break;
    case BlockType::WheelControl:
        setMotors(m, wheelControlSpeed(p[2]), wheelControlSpeed(p[3]));
        e.timeMs = motionTime(b);
        break;
    case BlockType::Branch:
        e.successor = branchHolds(b, m) ? b.next[0] : b.next[1];
        e.chain = true;
        break;
    case BlockType::RandomBranch:
        e.successor = (nextRandom(random) & 1) ? b.next[1] : b.next[0];
        e.chain = true;
        break;
    case BlockType::Wait: e.timeMs = p[0] * 100u; break;
    case BlockType::LeftLed: return executeLed(b, m, kSimLeftLedBit);
    case BlockType::RightLed: return executeLed(b, m, kSimRightLedBit);
    case BlockType::Calc: {
        uint8_t dest = calcOperandAddress(p[0]);
        uint8_t source = p[3] == 0 ? p[4] : m[calcOperandAddress(p[2])];
        m[dest] = applyCalc(m[dest], source, p[1]);
        e.chain = dest != SimAddr::LeftMotor && dest != SimAddr::RightMotor;
        break;
    }
    case BlockType::RepeatStart: {
        int address = repeatCounterAddress(p[2]);
        if (address != kNoAddress) m[address] = 0;
        e.chain = true;
        break;
    }
    case BlockType::RepeatEnd: return executeRepeatEnd(b, m);
    default: break;  // unknown code: ends the tick, goes on with next[0]
    }
    return e;
}

void applyExpiry(BlockType type, const std::array<uint8_t, 10>& p, SimMemoryMap& m) {
    switch (type) {
    case BlockType::RightLed:
        if (p[3] == 2) m[SimAddr::Leds] &= static_cast<uint8_t>(~kSimRightLedBit);
        break;
    case BlockType::LeftLed:
        if (p[3] == 2) m[SimAddr::Leds] &= static_cast<uint8_t>(~kSimLeftLedBit);
        break;
    case BlockType::LeftForward:
    case BlockType::Forward:
    case BlockType::RightForward:
    case BlockType::TurnLeft:
    case BlockType::TurnRight:
    case BlockType::WheelControl:
        if (p[1] == 0) setMotors(m, 0, 0);
        break;
    default: break;
    }
}

}  // namespace

uint8_t slowedWheel(uint8_t slowDownPercent) {
    if (slowDownPercent >= 100) return 0;
    return static_cast<uint8_t>((100 - slowDownPercent) * kFullMotor / 100);
}

uint8_t wheelControlSpeed(uint8_t percent) {
    // Robots give back up to 106 % (254); only what no byte holds is cut, never wrapped round.
    return static_cast<uint8_t>(std::min(percent * kFullMotor / 100, 255));
}

uint8_t branchOperandAddress(uint8_t index) {
    return index < BranchOperandTable.size() ? BranchOperandTable[index] : 0;
}

uint8_t calcOperandAddress(uint8_t index) {
    return index < CalcOperandTable.size() ? CalcOperandTable[index] : 0;
}

uint8_t applyCalc(uint8_t a, uint8_t b, uint8_t op) {
    int r = a;
    switch (op) {
    case 0: r = b; break;
    case 1: r = a + b; break;
    case 2: r = a - b; break;
    case 3: r = a * b; break;
    case 4:
        if (a != 0) r = b == 0 ? 255 : a / b;  // division by zero saturates and the run goes on
        break;
    default: break;
    }
    return static_cast<uint8_t>(std::clamp(r, 0, 255));
}

void startRun(BlockInterpreter& interp, SimState& state, SimMemoryMap& memory, const BlockProgram& program) {
    state = SimState::Running;
    interp.current = head(program);
    interp.last = nullptr;
    interp.waitMs = 0;
    interp.chainPending = false;
    memory[SimAddr::Leds] = 0;
}

void stopRun(BlockInterpreter& interp, SimState& state, SimMemoryMap& memory) {
    memory[SimAddr::LeftMotor] = 0;
    memory[SimAddr::RightMotor] = 0;
    state = SimState::Stopped;
    interp.current = nullptr;
    interp.last = nullptr;
    interp.waitMs = 0;
    interp.chainPending = false;
}

bool runHolds(const BlockInterpreter& interp, SimState state, const ActionBlock* block) {
    return state != SimState::Stopped && block && (block == interp.current || block == interp.last);
}

StepOutcome stepInterpreter(BlockInterpreter& interp, SimState& state, SimMemoryMap& memory,
                            bool slowMotion, const HighlightFn& highlight) {
    interp.chainPending = false;
    if (interp.waitMs != 0) {
        interp.waitMs -= kTickMs;
        if (interp.waitMs == 0) applyExpiry(interp.lastType, interp.lastParam, memory);
        return StepOutcome::TickEnded;
    }
    for (int chained = 0;;) {
        if (!interp.current) {
            stopRun(interp, state, memory);
            return StepOutcome::RunStopped;
        }
        const ActionBlock& block = *interp.current;
        Execution e = execute(block, memory, interp.random);
        interp.last = &block;
        ++interp.executed;
        interp.lastType = block.type;
        interp.lastParam = block.param;
        if ((!e.chain || slowMotion) && highlight) highlight(block);
        interp.current = e.successor;
        interp.waitMs = e.timeMs - e.timeMs % kTickMs;
        if (!e.chain) return StepOutcome::TickEnded;
        if (++chained >= kChainBudget) {
            interp.chainPending = true;
            return StepOutcome::BudgetExhausted;
        }
    }
}

}  // namespace trovel
