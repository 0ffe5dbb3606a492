#include "sim/block_interpreter.h"

#include <gtest/gtest.h>

#include "model/compiler.h"

#include "sim_test_support.h"

namespace trovel {
namespace {

using simtest::add;
using simtest::chain;

struct Interp {
    BlockInterpreter interp;
    SimState state = SimState::Stopped;
    MemoryImage memory{};
    std::vector<int> highlighted;  // snapshot indices
    bool slow = false;

    explicit Interp(const BlockProgram& p) { startRun(interp, state, memory, shareSnapshot(p)); }
    StepOutcome step() {
        return stepInterpreter(interp, state, memory, slow, [this](int b) { highlighted.push_back(b); });
    }
};

TEST(BlockInterpreter, TimedForwardHoldsMotorsThenStopsThenMovesOn) {
    // 1.0 s: motors on for 62 ticks (992 ms), off on the 63rd, the Wait after it runs on the 64th.
    BlockProgram p = chain({{BlockType::Forward, {10, 0}}, {BlockType::Wait, {5}}});
    Interp r(p);
    r.step();  // Start
    const ActionBlock* wait = blockAt(p, 2);
    for (int tick = 1; tick <= 62; ++tick) {
        r.step();
        EXPECT_EQ(r.memory[MemoryMap::LeftWheel], 240) << tick;
        EXPECT_EQ(r.memory[MemoryMap::RightWheel], 240) << tick;
    }
    r.step();
    EXPECT_EQ(r.memory[MemoryMap::LeftWheel], 0);
    EXPECT_EQ(r.memory[MemoryMap::RightWheel], 0);
    EXPECT_EQ(r.interp.current, indexOf(p, wait));
    r.step();
    EXPECT_EQ(r.interp.lastType, BlockType::Wait);
    EXPECT_EQ(r.interp.waitMs, 496u);  // 0.5 s rounded down to 31 ticks
}

TEST(BlockInterpreter, ContinuingAndZeroDurationMotionKeepWheelsRunning) {
    BlockProgram p =
        chain({{BlockType::TurnLeft, {15, 1}}, {BlockType::RightForward, {0, 0, 0, 50}}, {BlockType::Stop, {0, 1}}});
    Interp r(p);
    r.step();
    r.step();
    EXPECT_EQ(r.memory[MemoryMap::LeftWheel], 0);
    EXPECT_EQ(r.memory[MemoryMap::RightWheel], 240);
    EXPECT_EQ(r.interp.waitMs, 0u);
    r.step();  // duration 0, timed: behaves like continuing
    EXPECT_EQ(r.memory[MemoryMap::LeftWheel], 240);
    EXPECT_EQ(r.memory[MemoryMap::RightWheel], 120);
    EXPECT_EQ(r.interp.waitMs, 0u);
    r.step();
    EXPECT_EQ(r.memory[MemoryMap::LeftWheel], 0);
    EXPECT_EQ(r.memory[MemoryMap::RightWheel], 0);
}

TEST(BlockInterpreter, StopIsNotStoppedAgainAtExpiryAndEndStopsTheRun) {
    BlockProgram p = chain({{BlockType::Stop, {1, 0}}});
    Interp r(p);
    r.step();
    r.step();                             // Stop, 100 ms -> 96 ms = 6 ticks
    r.memory[MemoryMap::LeftWheel] = 77;  // as if a Calc had written it
    for (int i = 0; i < 6; ++i) r.step();
    EXPECT_EQ(r.memory[MemoryMap::LeftWheel], 77);
    r.step();  // End
    EXPECT_EQ(r.state, SimState::Running);
    EXPECT_EQ(r.step(), StepOutcome::RunStopped);
    EXPECT_EQ(r.state, SimState::Stopped);
    EXPECT_EQ(r.memory[MemoryMap::LeftWheel], 0);
}

TEST(BlockInterpreter, WheelControlAndSlowDownLimits) {
    BlockProgram p = chain({{BlockType::WheelControl, {0, 1, 50, 101}}, {BlockType::LeftForward, {0, 1, 0, 150}}});
    Interp r(p);
    r.step();
    r.step();
    EXPECT_EQ(r.memory[MemoryMap::LeftWheel], 120);
    EXPECT_EQ(r.memory[MemoryMap::RightWheel], 242);  // above 100 % keeps the rule while it fits a byte
    r.step();
    EXPECT_EQ(r.memory[MemoryMap::LeftWheel], 0);  // slow-down beyond 100 % stops the inner wheel
    EXPECT_EQ(r.memory[MemoryMap::RightWheel], 240);

    // Robots give back up to 106 %; only a value that no byte holds is cut, to 255.
    const std::pair<uint8_t, uint8_t> speeds[] = {{0, 0},     {33, 79},   {100, 240}, {101, 242},
                                                  {104, 249}, {106, 254}, {107, 255}, {255, 255}};
    for (auto [percent, motor] : speeds) EXPECT_EQ(wheelControlSpeed(percent), motor) << int(percent);
}

TEST(BlockInterpreter, LedModesUseTheSimulatorBitOrder) {
    BlockProgram p = chain({{BlockType::LeftLed, {0, 0, 0, 0}},
                            {BlockType::RightLed, {3, 0, 0, 2}},
                            {BlockType::Wait, {0}},
                            {BlockType::LeftLed, {0, 0, 0, 1}},
                            {BlockType::LeftLed, {0, 0, 0, 2}},
                            {BlockType::Wait, {0}}});
    Interp r(p);
    r.step();  // Start
    r.step();  // LeftLed on chains into the timed RightLed
    EXPECT_EQ(r.memory[MemoryMap::Leds], 0x03);
    EXPECT_EQ(r.interp.waitMs, 288u);
    for (int i = 0; i < 17; ++i) r.step();
    EXPECT_EQ(r.memory[MemoryMap::Leds], 0x03);
    r.step();  // expiry clears the right LED (bit 0) only
    EXPECT_EQ(r.memory[MemoryMap::Leds], kSimLeftLedBit);
    r.step();  // Wait 0 ends the tick
    r.step();  // LeftLed off, timed LeftLed of 0 s chains and stays on, Wait ends the tick
    EXPECT_EQ(r.memory[MemoryMap::Leds], kSimLeftLedBit);
    EXPECT_EQ(r.interp.waitMs, 0u);
}

TEST(BlockInterpreter, CalcClampsAndDividesSafely) {
    EXPECT_EQ(applyCalc(100, 200, 1), 255);
    EXPECT_EQ(applyCalc(10, 20, 2), 0);
    EXPECT_EQ(applyCalc(16, 16, 3), 255);
    EXPECT_EQ(applyCalc(7, 2, 4), 3);
    EXPECT_EQ(applyCalc(0, 0, 4), 0);
    EXPECT_EQ(applyCalc(9, 0, 4), 255);
    EXPECT_EQ(applyCalc(9, 4, 0), 4);
    EXPECT_EQ(applyCalc(9, 4, 7), 9);
}

TEST(BlockInterpreter, CalcChainsUnlessItWritesAMotor) {
    // variable 1 := 100; variable 1 += 200; variable 2 := variable 1; left motor := 30
    BlockProgram p = chain({{BlockType::Calc, {0, 0, 0, 0, 100}},
                            {BlockType::Calc, {0, 1, 0, 0, 200}},
                            {BlockType::Calc, {1, 0, 0, 1, 0}},
                            {BlockType::Calc, {9, 0, 0, 0, 30}},
                            {BlockType::Wait, {1}}});
    Interp r(p);
    r.step();
    EXPECT_EQ(r.step(), StepOutcome::TickEnded);
    EXPECT_EQ(r.memory[16], 255);
    EXPECT_EQ(r.memory[17], 255);
    EXPECT_EQ(r.memory[MemoryMap::LeftWheel], 30);
    EXPECT_EQ(r.interp.lastType, BlockType::Calc);  // the motor write ended the tick before the Wait
}

TEST(BlockInterpreter, CalcWritesTheAddressTheCompilerEncodes) {
    // Operand indices past the table come only from damaged files; the robot and the simulator
    // must still agree on which byte such a block writes.
    for (uint8_t index : {0, 10, 16, 17, 27, 200, 255}) {
        SCOPED_TRACE(int(index));
        BlockProgram p = chain({{BlockType::Calc, {index, 0, 0, 0, 77}}, {BlockType::Wait, {1}}});
        const Instruction calc = compileProgram(p).image.instruction(2);
        ASSERT_EQ(calc[0], Op::Assign);
        Interp r(p);
        r.step();
        r.step();
        for (int address = 0; address < MemoryMap::Size; ++address)
            EXPECT_EQ(r.memory[size_t(address)], address == calc[1] ? 77 : 0) << address;
    }
}

TEST(BlockInterpreter, BranchComparesAtTheBoundary) {
    BlockProgram p;
    ActionBlock* start = add(p, BlockType::Start);
    ActionBlock* less = add(p, BlockType::Branch, {0, 0, 60, 0, 0});  // left sensor < 60
    ActionBlock* yes = add(p, BlockType::Wait, {1});
    ActionBlock* no = add(p, BlockType::Wait, {2});
    start->next[0] = less;
    less->next = {yes, no};
    for (auto [sensor, expected] : {std::pair{59, yes}, std::pair{60, no}}) {
        Interp r(p);
        r.memory[MemoryMap::LeftSensor] = uint8_t(sensor);
        r.step();
        r.step();
        EXPECT_EQ(r.interp.lastParam[0], expected->param[0]) << sensor;
    }
    // Equal and greater, against a memory operand, and an unknown comparison that always holds.
    less->param = {6, 1, 0, 1, 7};  // variable 1 == variable 2
    Interp eq(p);
    eq.memory[16] = eq.memory[17] = 5;
    eq.step();
    eq.step();
    EXPECT_EQ(eq.interp.lastParam[0], 1);
    less->param = {6, 2, 5, 0, 0};  // variable 1 > 5
    Interp gt(p);
    gt.memory[16] = 5;
    gt.step();
    gt.step();
    EXPECT_EQ(gt.interp.lastParam[0], 2);
    less->param = {200, 9, 0, 0, 0};  // operand past the table and comparison 9: holds
    Interp odd(p);
    odd.step();
    odd.step();
    EXPECT_EQ(odd.interp.lastParam[0], 1);
}

TEST(BlockInterpreter, CountedRepeatRunsItsBodyCountTimesAndOnceForZero) {
    for (auto [count, expectedRuns] : {std::pair{3, 3}, std::pair{0, 1}, std::pair{1, 1}}) {
        BlockProgram p;
        ActionBlock* start = add(p, BlockType::Start);
        auto [rs, re] = simtest::addRepeat(p, 2, uint8_t(count), false);
        ActionBlock* body = add(p, BlockType::Calc, {0, 1, 0, 0, 1});  // variable 1 += 1
        ActionBlock* end = add(p, BlockType::End);
        start->next[0] = rs;
        rs->next[0] = body;
        body->next[0] = re;
        re->next[0] = end;
        Interp r(p);
        for (int i = 0; i < 10 && r.state == SimState::Running; ++i) r.step();
        EXPECT_EQ(r.memory[16], expectedRuns) << "count " << count;
        EXPECT_EQ(r.state, SimState::Stopped);
    }
}

TEST(BlockInterpreter, EndlessRepeatCounterWraps) {
    BlockProgram p;
    ActionBlock* start = add(p, BlockType::Start);
    auto [rs, re] = simtest::addRepeat(p, 0, 3, true);
    ActionBlock* wait = add(p, BlockType::Wait, {0});
    start->next[0] = rs;
    rs->next[0] = wait;
    wait->next[0] = re;
    Interp r(p);
    for (int i = 0; i < 260; ++i) r.step();
    EXPECT_EQ(r.state, SimState::Running);
    EXPECT_EQ(r.memory[MemoryMap::FirstRepeatCounter], (259 - 1) % 256);
}

TEST(BlockInterpreter, BranchOnlyLoopUsesTheBudgetAndResumes) {
    BlockProgram p;
    ActionBlock* start = add(p, BlockType::Start);
    ActionBlock* a = add(p, BlockType::Branch, {0, 0, 0, 0, 0});  // never holds: next[1]
    ActionBlock* b = add(p, BlockType::Branch, {0, 0, 0, 0, 0});
    start->next[0] = a;
    a->next[1] = b;
    b->next[1] = a;
    Interp r(p);
    r.step();
    r.highlighted.clear();
    EXPECT_EQ(r.step(), StepOutcome::BudgetExhausted);
    EXPECT_TRUE(r.interp.chainPending);
    EXPECT_EQ(r.interp.current, indexOf(p, a));  // an even number of blocks, so the loop is back at the first
    EXPECT_TRUE(r.highlighted.empty());          // chained blocks are shown only in slow motion
    r.slow = true;
    EXPECT_EQ(r.step(), StepOutcome::BudgetExhausted);
    EXPECT_EQ(r.highlighted.size(), size_t(kChainBudget));
}

TEST(BlockInterpreter, AChainThatEndsFinishesInItsTick) {
    // 255 passes over a body of 120 chained Calc blocks, then a Wait: one step, no budget used up.
    BlockProgram p;
    ActionBlock* start = add(p, BlockType::Start);
    auto [rs, re] = simtest::addRepeat(p, 0, 255, false);
    start->next[0] = rs;
    ActionBlock* prev = rs;
    for (int i = 0; i < 120; ++i) {
        ActionBlock* calc = add(p, BlockType::Calc, {0, 1, 0, 0, 1});  // variable 1 += 1
        prev->next[0] = calc;
        prev = calc;
    }
    prev->next[0] = re;
    ActionBlock* wait = add(p, BlockType::Wait, {1});
    re->next[0] = wait;
    Interp r(p);
    r.step();  // Start
    EXPECT_EQ(r.step(), StepOutcome::TickEnded);
    EXPECT_EQ(r.interp.lastType, BlockType::Wait);
    EXPECT_EQ(r.memory[MemoryMap::FirstRepeatCounter], 255);
    EXPECT_EQ(r.memory[MemoryMap::FirstVariable], 255);
}

TEST(BlockInterpreter, RandomBranchFollowsTheSeed) {
    auto pathFor = [](uint64_t seed) {
        BlockProgram p;
        ActionBlock* start = add(p, BlockType::Start);
        ActionBlock* rnd = add(p, BlockType::RandomBranch);
        ActionBlock* even = add(p, BlockType::Calc, {0, 1, 0, 0, 1});  // variable 1 += 1, chains
        ActionBlock* odd = add(p, BlockType::Calc, {1, 1, 0, 0, 1});   // variable 2 += 1
        ActionBlock* wait = add(p, BlockType::Wait, {0});
        start->next[0] = rnd;
        rnd->next = {even, odd};
        even->next[0] = wait;
        odd->next[0] = wait;
        wait->next[0] = rnd;
        Interp r(p);
        seedRandom(r.interp.random, seed);
        for (int i = 0; i < 200; ++i) r.step();
        return std::pair{r.memory[16], r.memory[17]};
    };
    auto a = pathFor(5), b = pathFor(5), c = pathFor(6);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(a.first + a.second, 199);
    EXPECT_GT(a.first, 60);  // both outputs are taken
    EXPECT_GT(a.second, 60);
}

TEST(BlockInterpreter, UnknownCodesAndBrokenRepeatsDoNotDerail) {
    BlockProgram p = chain({{BlockType(42), {}}, {BlockType::RepeatStart, {3, 0, 200}}, {BlockType::Wait, {0}}});
    ActionBlock* orphanEnd = add(p, BlockType::RepeatEnd, {3, 0, 0});  // no partner
    blockAt(p, 3)->next[0] = orphanEnd;
    orphanEnd->next[0] = blockAt(p, 4);  // End
    Interp r(p);
    MemoryImage before = r.memory;
    r.step();
    EXPECT_EQ(r.step(), StepOutcome::TickEnded);  // unknown code ends the tick
    r.step();                                     // RepeatStart with repeat number 200 writes nothing, Wait ends
    EXPECT_EQ(r.memory, before);
    r.step();  // orphan RepeatEnd falls through to End
    EXPECT_EQ(r.step(), StepOutcome::RunStopped);
}

TEST(BlockInterpreter, SecondRunKeepsVariablesButClearsLeds) {
    BlockProgram p = chain({{BlockType::Calc, {0, 1, 0, 0, 7}}, {BlockType::LeftLed, {}}});
    Interp r(p);
    for (int i = 0; i < 5; ++i) r.step();
    EXPECT_EQ(r.memory[16], 7);
    EXPECT_EQ(r.memory[MemoryMap::Leds], kSimLeftLedBit);
    startRun(r.interp, r.state, r.memory, shareSnapshot(p));
    EXPECT_EQ(r.memory[16], 7);
    EXPECT_EQ(r.memory[MemoryMap::Leds], 0);
}

}  // namespace
}  // namespace trovel
