#include "sim/simulator.h"

#include <algorithm>

#include "sim/lap_records.h"
#include "sim/run_setup.h"
#include "sim/sim_frame.h"
#include "sim/sim_speed.h"

#include <gtest/gtest.h>

#include "sim/run_setup.h"
#include "sim_test_support.h"

namespace trovel {
namespace {

using simtest::chain;

struct Bench : simtest::Studio {
    BlockProgram program;

    Bench(int flags, BlockProgram p) : program(std::move(p)) {
        sim.courses = simtest::plainCourses(1, flags);
        sim.courses.robotHalf = 10;
        sim.courses.goalSound = u"goal.wav";
        sim.courses.failSound = u"fail.wav";
        course().goal = {-20, -20, 20, 20};  // around the start pose at the origin
        records.courses.resize(1);
        best() = 1000;
        sim.gains = {255, 255};
    }
    CourseRecord& course() { return sim.courses.courses[0]; }
    int& best() { return records.courses[0].bestMs; }
    void play() {
        ASSERT_EQ(prepareRun(sim, program, {.gains = sim.gains}), PlayOutcome::Started);
        started(true);
    }
    void at(float x, float y) {
        sim.robot.x = x;
        sim.robot.y = y;
    }
    // A lap of five ticks: three in the goal, one outside it, one back in.
    void lapOfFiveTicks() {
        step(3);
        at(100, 0);
        step();
        at(-2, 0);
        step();
    }
};

BlockProgram forwardForever() { return chain({{BlockType::Forward, {0, 1}}, {BlockType::Wait, {250}}}); }

TEST(RunJudging, LeavingAndReturningIsAGoalWithNewRecordAndSound) {
    Bench b(JudgeFlag::Timed, forwardForever());
    b.play();
    EXPECT_EQ(b.sim.judge.result, RunResult::Armed);
    b.step(3);
    EXPECT_EQ(b.sim.judge.result, RunResult::Armed);  // still inside: nothing yet
    b.at(100, 0);
    b.step();
    EXPECT_TRUE(b.sim.judge.hasLeftGoal);
    b.at(-2, 0);
    b.step();
    EXPECT_EQ(b.sim.judge.result, RunResult::Goal);
    EXPECT_EQ(b.sim.judge.lapMs, 5 * 16);
    EXPECT_EQ(b.best(), 80);
    EXPECT_EQ(b.view.pendingSounds, std::vector<std::u16string>{u"goal.wav"});
    int lap = b.sim.judge.lapMs;
    b.step(10);
    EXPECT_EQ(b.sim.judge.lapMs, lap);  // the timer stops with the judgement
    EXPECT_EQ(b.sim.judge.result, RunResult::Goal);
}

TEST(RunJudging, CheckpointsMustBeTakenInOrderBeforeTheGoal) {
    Bench b(JudgeFlag::Timed | JudgeFlag::Checkpoints, forwardForever());
    b.course().checkpoints = {{100, -10, 120, 10}, {200, -10, 220, 10}};
    b.play();
    b.at(110, 0);
    b.step();
    EXPECT_EQ(b.sim.judge.nextCheckpoint, 1);
    b.at(0, 0);
    b.step();
    EXPECT_EQ(b.sim.judge.result, RunResult::MissedCheckpoint);  // goal with one checkpoint left
    EXPECT_EQ(b.view.pendingSounds, std::vector<std::u16string>{u"fail.wav"});

    Bench skip(JudgeFlag::Timed | JudgeFlag::Checkpoints, forwardForever());
    skip.course().checkpoints = {{100, -10, 120, 10}, {200, -10, 220, 10}};
    skip.play();
    skip.at(210, 0);
    skip.step();
    EXPECT_EQ(skip.sim.judge.result, RunResult::MissedCheckpoint);
}

TEST(RunJudging, ForbiddenAreaAndOffLineRule) {
    Bench f(JudgeFlag::Timed | JudgeFlag::Forbidden, forwardForever());
    f.course().forbidden = {100, 100, 150, 150};
    f.play();
    f.at(95, 95);  // the judging square reaches in
    f.step();
    EXPECT_EQ(f.sim.judge.result, RunResult::Forbidden);

    Bench o(JudgeFlag::Timed | JudgeFlag::OffLine, forwardForever());
    o.course().offLineThreshold = 40;
    o.course().offLineTicks = 3;
    o.play();
    o.step(4);
    EXPECT_EQ(o.sim.judge.result, RunResult::Armed);
    o.step();
    EXPECT_EQ(o.sim.judge.result, RunResult::LeftLine);
}

TEST(RunJudging, SensorUseRuleFailsOnTheFirstTick) {
    Bench b(JudgeFlag::Timed | 2, forwardForever());
    b.play();
    b.step();
    EXPECT_EQ(b.sim.judge.result, RunResult::NoSensorBranch);
    Bench ok(JudgeFlag::Timed | 4, simtest::lineFollower(false));
    ok.play();
    ok.step(5);
    EXPECT_EQ(ok.sim.judge.result, RunResult::Armed);
}

TEST(RunJudging, StopInGoalCourses) {
    Bench through(JudgeFlag::Timed | JudgeFlag::StopInGoal, forwardForever());
    through.play();
    through.at(100, 0);
    through.step();
    through.at(0, 0);
    through.step();
    EXPECT_EQ(through.sim.judge.result, RunResult::Armed);  // wheels still turning inside the goal
    through.at(100, 0);
    through.step();
    EXPECT_EQ(through.sim.judge.result, RunResult::PassedGoal);

    Bench stop(JudgeFlag::Timed | JudgeFlag::StopInGoal, chain({{BlockType::Forward, {1, 0}}}));
    stop.play();
    stop.at(100, 0);
    stop.step();
    stop.at(0, 0);
    for (int i = 0; i < 20 && stop.sim.judge.result == RunResult::Armed; ++i) {
        stop.step();
        stop.at(0, 0);
    }
    EXPECT_EQ(stop.sim.judge.result, RunResult::Goal);
    EXPECT_EQ(stop.sim.notice, RunNotice::None);
}

TEST(RunJudging, TheUsersStopInsideTheStopGoalIsNoGoal) {
    // A program that never stops; the user presses 停止 while the robot is where the row puts it.
    struct Row {
        const char* name;
        BlockProgram program;
        bool inside;       // in the goal, after having left it; else outside
        bool pausedFirst;  // 一時停止 before 停止
        int result;
    };
    // 30 % wheels (72) come to rest on the very tick after the stop, fast ones (240) coast on.
    auto slow = [] { return chain({{BlockType::WheelControl, {0, 1, 30, 30}}, {BlockType::Wait, {250}}}); };
    Row rows[] = {
        {"fast wheels in the goal", forwardForever(), true, false, RunResult::NotJudged},
        {"slow wheels in the goal", slow(), true, false, RunResult::NotJudged},
        {"paused in the goal", forwardForever(), true, true, RunResult::NotJudged},
        {"outside the goal", forwardForever(), false, false, RunResult::EndedOutsideGoal},
        {"paused outside the goal", forwardForever(), false, true, RunResult::EndedOutsideGoal},
    };
    for (Row& row : rows) {
        SCOPED_TRACE(row.name);
        Bench b(JudgeFlag::Timed | JudgeFlag::StopInGoal, std::move(row.program));
        b.best() = kNoRecordMs;
        b.play();
        b.step(3);
        b.at(100, 0);
        b.step();
        if (row.inside) b.at(0, 0);
        b.step();
        ASSERT_EQ(b.sim.judge.result, RunResult::Armed);  // the wheels still turn
        if (row.pausedFirst) {
            pauseCommand(b.sim);
            b.step(2);
        }
        b.stop();
        for (int i = 0; i < 5; ++i) {
            if (row.inside) b.at(0, 0);
            b.step();
        }
        EXPECT_EQ(b.sim.judge.result, row.result);
        EXPECT_EQ(b.best(), kNoRecordMs);
        EXPECT_EQ(courseGhost(b.records, 0), nullptr);
        EXPECT_EQ(b.sim.notice, row.inside ? RunNotice::StoppedInGoal : RunNotice::None);
        if (row.inside) {
            EXPECT_TRUE(b.view.pendingSounds.empty());  // neither goal nor failure
        }
    }
}

TEST(RunJudging, StoppingOutsideTheGoalAndMovingByHand) {
    Bench b(JudgeFlag::Timed, forwardForever());
    b.play();
    b.at(100, 0);
    b.step();
    b.stop();
    b.step();
    EXPECT_EQ(b.sim.judge.result, RunResult::EndedOutsideGoal);

    Bench hand(JudgeFlag::Timed, forwardForever());
    hand.play();
    hand.stop();
    hand.step(5);
    hand.stop();  // stopped and at rest: re-arm
    EXPECT_EQ(hand.sim.judge.result, RunResult::Armed);
    ASSERT_TRUE(grabRobot(hand.view, hand.sim, {10, 10}));
    dragRobotTo(hand.view, hand.sim, {500, 60});
    EXPECT_EQ(hand.sim.robot.x, 340);  // pointer clamped to the field, minus the grab offset
    EXPECT_EQ(hand.sim.judge.result, RunResult::NotJudged);
    EXPECT_FALSE(grabRobot(hand.view, hand.sim, {0, 0}));  // off the robot now
}

TEST(RunJudging, TheLastRuleBrokenInATickDecidesAndTheGoalComesLast) {
    // Forbidden area first, then a checkpoint taken out of order: the checkpoint result stands.
    Bench cp(JudgeFlag::Timed | JudgeFlag::Forbidden | JudgeFlag::Checkpoints, forwardForever());
    cp.course().forbidden = {100, -10, 150, 10};
    cp.course().checkpoints = {{300, -10, 320, 10}, {120, -10, 130, 10}};
    cp.play();
    cp.at(125, 0);
    cp.step();
    EXPECT_EQ(cp.sim.judge.result, RunResult::MissedCheckpoint);
    EXPECT_EQ(cp.view.pendingSounds, std::vector<std::u16string>{u"fail.wav"});  // one failure, one sound

    // Off the line and in the forbidden area on the same tick: the forbidden area is judged later.
    Bench off(JudgeFlag::Timed | JudgeFlag::OffLine | JudgeFlag::Forbidden, forwardForever());
    off.course().offLineThreshold = 40;
    off.course().offLineTicks = 0;
    off.course().forbidden = {100, -10, 150, 10};
    off.play();
    off.step();
    EXPECT_EQ(off.sim.judge.result, RunResult::Armed);
    off.at(125, 0);
    off.step();
    EXPECT_EQ(off.sim.judge.result, RunResult::Forbidden);

    // The goal is judged last: entered on the tick a rule fails, it is a goal with its record, and
    // no failure banner or sound.
    Bench goal(JudgeFlag::Timed | JudgeFlag::Forbidden, forwardForever());
    goal.course().forbidden = {-5, -5, 5, 5};
    goal.play();
    goal.at(100, 0);
    goal.step();
    goal.at(0, 0);
    goal.step();
    EXPECT_EQ(goal.sim.judge.result, RunResult::Goal);
    EXPECT_EQ(goal.best(), goal.sim.judge.lapMs);
    EXPECT_EQ(goal.view.pendingSounds, std::vector<std::u16string>{u"goal.wav"});

    // So is an off-line limit that runs out on the tick the goal is entered.
    Bench lastTick(JudgeFlag::Timed | JudgeFlag::OffLine, forwardForever());
    lastTick.course().offLineThreshold = 40;  // the plain white picture is bright everywhere
    lastTick.course().offLineTicks = 1;
    lastTick.play();
    lastTick.at(100, 0);
    lastTick.step(2);
    EXPECT_EQ(lastTick.sim.judge.result, RunResult::Armed);
    lastTick.at(0, 0);
    lastTick.step();
    EXPECT_EQ(lastTick.sim.judge.result, RunResult::Goal);
}

TEST(RunJudging, BannersGoOnStopAndAReplayWithoutRearmIsUntimedOnANewPath) {
    Bench b(JudgeFlag::Timed, forwardForever());
    b.best() = kNoRecordMs;
    b.view.showPath = true;
    b.play();
    b.lapOfFiveTicks();
    ASSERT_EQ(b.sim.judge.result, RunResult::Goal);
    EXPECT_EQ(effectsInUse(b.view.effects), 3);  // start, goal, new record
    // The record banner shows the record it was set for, whatever becomes of the course's best time.
    auto banner = [&b] {
        std::vector<DrawItem> digits;
        for (const DrawItem& it : b.frame().items)
            if (it.texture == Slot::Digits && it.vertices[0].y > 300) digits.push_back(it);
        return digits;
    };
    const std::vector<DrawItem> shown = banner();
    ASSERT_EQ(shown.size(), 8u);
    resetBestTime(b.records, 0);
    EXPECT_EQ(banner(), shown);
    b.best() = 80;

    b.stop();  // the run ends and its banners with it
    EXPECT_EQ(effectsInUse(b.view.effects), 0);
    b.step(5);
    const size_t pathBefore = b.sim.path.points.size();
    ASSERT_GT(pathBefore, 2u);
    const float xAtPlay = b.sim.robot.x;
    ASSERT_EQ(playCommand(b.sim, b.program), PlayOutcome::Started);  // no re-arm: untimed, and the status line says why
    b.started(false);
    EXPECT_EQ(b.sim.notice, RunNotice::NotTimed);
    EXPECT_EQ(b.sim.judge.result, RunResult::NotJudged);  // the old goal does not show over the free run
    EXPECT_EQ(effectsInUse(b.view.effects), 0);           // no start banner
    b.step(5);
    EXPECT_EQ(b.sim.judge.lapMs, 0);
    // A new path from where this run began, not a line from the old one.
    ASSERT_EQ(b.sim.path.points.size(), 5u);
    EXPECT_EQ(b.sim.path.points.front().x, xAtPlay);  // Start stops the motors: the first tick stays put

    // Choosing a course stops the run and re-arms: no banner, no notice, timed again.
    emitEffect(b.view.effects, EffectType::Goal, RunResult::Goal);
    ASSERT_TRUE(b.choose(0));
    EXPECT_EQ(effectsInUse(b.view.effects), 0);
    EXPECT_EQ(b.sim.notice, RunNotice::None);
    b.step(10);
    b.stop();
    EXPECT_EQ(b.sim.judge.result, RunResult::Armed);
    EXPECT_EQ(b.sim.notice, RunNotice::None);
}

TEST(Simulator, BranchLoopNeitherMovesNorSamplesNorTimes) {
    BlockProgram p;
    ActionBlock* start = simtest::add(p, BlockType::Start);
    ActionBlock* a = simtest::add(p, BlockType::Branch, {6, 1, 9, 0, 0});  // variable 1 == 9: never
    start->next[0] = a;
    a->next[1] = a;
    Bench b(JudgeFlag::Timed, std::move(p));
    b.play();
    b.sim.robot.leftSpeed = b.sim.robot.rightSpeed = 240;
    b.sim.memory[MemoryMap::LeftWheel] = b.sim.memory[MemoryMap::RightWheel] = 240;
    b.sim.memory[MemoryMap::LeftSensor] = 99;
    b.step();  // Start sets the motors to 0 and ends the tick; the robot coasts
    float x = b.sim.robot.x;
    int lap = b.sim.judge.lapMs;
    b.step(50);
    EXPECT_TRUE(b.sim.innerTick);
    EXPECT_EQ(b.sim.robot.x, x);
    EXPECT_EQ(b.sim.judge.lapMs, lap);
    EXPECT_EQ(b.sim.state, SimState::Running);
    EXPECT_FALSE(b.frame().items.empty());  // drawing goes on
}

TEST(Simulator, PauseFreezesMotionAndLapTime) {
    Bench b(JudgeFlag::Timed, forwardForever());
    b.play();
    b.step(5);
    pauseCommand(b.sim);
    float x = b.sim.robot.x;
    int lap = b.sim.judge.lapMs;
    b.step(10);
    EXPECT_EQ(b.sim.robot.x, x);
    EXPECT_EQ(b.sim.judge.lapMs, lap);
    pauseCommand(b.sim);
    b.step();
    EXPECT_GT(b.sim.robot.x, x);
}

TEST(Simulator, SlowMotionAdvancesEveryTenthTick) {
    Bench b(0, forwardForever());
    b.play();
    setSlowMotion(b.sim, 10);
    b.step(30);
    EXPECT_EQ(b.sim.robot.leftSpeed, 240);  // three motion ticks: Start, then 90, 240
    EXPECT_GT(b.sim.robot.x, 0);
    float x = b.sim.robot.x;
    b.step(9);
    EXPECT_EQ(b.sim.robot.x, x);
}

TEST(Simulator, NoCourseNeverRuns) {
    Simulator sim;
    resetSimulator(sim);
    BlockProgram p = forwardForever();
    EXPECT_EQ(playCommand(sim, p), PlayOutcome::NoCourse);
    EXPECT_FALSE(selectCourse(sim, 0));
    stepSimulation(sim);
    EXPECT_EQ(sim.state, SimState::Stopped);
}

TEST(Simulator, DrawListLayersAndStatusGlyphs) {
    Bench b(JudgeFlag::Timed, forwardForever());
    b.sim.courses.drawJudgingAreas = true;
    b.course().checkpoints = {{300, -10, 320, 10}, {120, -10, 130, 10}};
    b.play();
    b.sim.memory[MemoryMap::Leds] = kSimLeftLedBit | kSimRightLedBit;
    b.step();
    const DrawList frame = b.frame();
    const auto& items = frame.items;
    for (size_t i = 1; i < items.size(); ++i) ASSERT_GE(items[i - 1].layer, items[i].layer);
    EXPECT_EQ(items.front().texture, Slot::FirstCourse);
    EXPECT_EQ(items.back().layer, Layer::Judging);
    int leds = 0, glyphs = 0;
    for (const DrawItem& it : items) {
        leds += it.texture == Slot::LedLight;
        glyphs += it.texture == Slot::Digits;
    }
    EXPECT_EQ(leds, 2);
    EXPECT_EQ(glyphs, 16);   // lap and best time
    b.best() = kNoRecordMs;  // no record is no time: only the lap is shown
    const DrawList noRecord = b.frame();
    EXPECT_EQ(std::count_if(noRecord.items.begin(), noRecord.items.end(),
                            [](const DrawItem& it) { return it.texture == Slot::Digits; }),
              8);
    // The time label stands on the running time's row; the status text is large enough to read.
    float lapTop = 1e9f;
    for (const DrawItem& it : items)
        if (it.texture == Slot::Digits) lapTop = std::min(lapTop, it.vertices[3].y);
    int labels = 0, statuses = 0;
    for (const DrawItem& it : items) {
        if (it.texture != Slot::Messages) continue;
        const float height = it.vertices[0].y - it.vertices[3].y;
        if (it.vertices[3].v == 10.0f / kMessageRows) {
            ++labels;
            EXPECT_EQ(it.vertices[3].y, lapTop);
        } else if (it.vertices[3].y == 0) {  // the status row; banners lie lower
            ++statuses;
            EXPECT_GE(height, 45.0f);
        }
    }
    EXPECT_EQ(labels, 1);
    EXPECT_EQ(statuses, 1);
    // Goal, forbidden area, robot square and both checkpoints, though only the time is judged.
    EXPECT_EQ(std::count_if(items.begin(), items.end(), [](const DrawItem& it) { return it.layer == Layer::Judging; }),
              5);
    EXPECT_EQ(timeGlyphs(61234), u"1:01.234");
    EXPECT_EQ(timeGlyphs(5000000), u"9:59.999");
}

TEST(Effects, GoalBannerShrinksHoldsAndGrows) {
    EffectTable t;
    ASSERT_TRUE(emitEffect(t, EffectType::Goal, RunResult::Goal));
    std::vector<float> widths;
    for (int i = 0; i < 200; ++i) {
        DrawList list;
        advanceEffects(t, false);
        queueEffects(t, list);
        widths.push_back(list.items.empty() ? 0 : list.items[0].vertices[1].x - list.items[0].vertices[0].x);
    }
    EXPECT_EQ(widths[0], 0);            // scale 0 draws nothing
    EXPECT_FLOAT_EQ(widths[25], 2000);  // scale 0.5
    EXPECT_FLOAT_EQ(widths[100], 1000);
    EXPECT_EQ(effectsInUse(t), 0);
    for (int i = 0; i < kEffectSlots; ++i) EXPECT_TRUE(emitEffect(t, EffectType::Start, 12));
    EXPECT_FALSE(emitEffect(t, EffectType::Goal, 8));  // full table drops it
}

TEST(Effects, FailureBannerBouncesSettlesAndFades) {
    EffectTable t;
    emitEffect(t, EffectType::Failure, 5);
    int ticks = 0;
    while (effectsInUse(t) && ticks < 1000) {
        DrawList list;
        advanceEffects(t, ticks % 3 == 0);  // inner ticks draw without advancing
        queueEffects(t, list);
        ++ticks;
    }
    EXPECT_LT(ticks, 1000);
    EXPECT_GT(ticks, 60);
}

TEST(Camera, FollowsWhenZoomedInAndSnapsBackZoomedOut) {
    SimCamera c;
    c.zoom = 2;
    c.x = -175;
    c.y = -125;
    updateCamera(c, 0, 0);
    EXPECT_FALSE(c.following);
    EXPECT_EQ(c.x, -175);
    for (int i = 0; i < 200; ++i) updateCamera(c, 150, 0);
    EXPECT_FALSE(c.following);
    EXPECT_EQ(c.x, 150 - 175);
    c.zoom = kZoomOut;
    updateCamera(c, 150, 0);
    EXPECT_FLOAT_EQ(c.x, -350 / 0.99f);
}

// ---- speeds, stepping, breakpoints, path, ghost ------------------------------------------------

TEST(Speeds, ATickIsTheSameTickAtEverySpeed) {
    const BlockProgram follower = simtest::lineFollower(false);
    simtest::Studio one;
    ASSERT_TRUE(loadCourseConfig(one.sim.courses, TROVEL_APP_DIR).loaded);
    readRecords(one.records, one.sim.courses, TROVEL_APP_DIR);
    ASSERT_EQ(prepareRun(one.sim, follower, {.course = 1}), PlayOutcome::Started);
    one.started(true);
    simtest::Studio reference = one;
    constexpr int kTicks = 777;  // not a multiple of any batch
    reference.step(kTicks);
    for (SimSpeed speed : {SimSpeed::Double, SimSpeed::Five, SimSpeed::Ten, SimSpeed::Fastest}) {
        SCOPED_TRACE(int(speed));
        simtest::Studio fast = one;
        int done = 0;
        while (done < kTicks)
            done += runTicks(fast.sim, std::min(frameTicks(fast.sim, speed), kTicks - done), fast.follower());
        EXPECT_EQ(fast.sim.ticks, reference.sim.ticks);
        EXPECT_EQ(fast.sim.clockMs, reference.sim.clockMs);
        EXPECT_EQ(fast.sim.robot.x, reference.sim.robot.x);
        EXPECT_EQ(fast.sim.robot.y, reference.sim.robot.y);
        EXPECT_EQ(fast.sim.robot.heading, reference.sim.robot.heading);
        EXPECT_EQ(fast.sim.memory, reference.sim.memory);
        EXPECT_EQ(fast.sim.judge.lapMs, reference.sim.judge.lapMs);
        EXPECT_EQ(fast.sim.judge.result, reference.sim.judge.result);
        EXPECT_EQ(fast.sim.path.points, reference.sim.path.points);
        EXPECT_EQ(fast.sim.lapPoses, reference.sim.lapPoses);
        EXPECT_EQ(fast.frame(), reference.frame());
    }
    EXPECT_GT(reference.sim.judge.lapMs, 0);
}

TEST(Speeds, AFastFrameStopsAtTheTickThatPausedTheRun) {
    BlockProgram p = chain({{BlockType::Forward, {10, 0}}, {BlockType::Wait, {5}}});
    ActionBlock* wait = p.blocks[2].get();
    wait->breakpoint = true;
    Bench b(0, std::move(p));
    b.play();
    // Start on tick 1; Forward on tick 2 holds for 62 ticks and stops on the 63rd; Wait would start next.
    EXPECT_EQ(runTicks(b.sim, 1000, b.follower()), 65);
    EXPECT_EQ(b.sim.state, SimState::Paused);
    EXPECT_EQ(frameTicks(b.sim, SimSpeed::Ten), 1);  // paused: normal pace
    EXPECT_EQ(slowDivisorOf(SimSpeed::Slower), 20);
}

// Start -> Forward 1.0 s -> Wait 0.5 s -> End.
BlockProgram forwardThenWait() { return chain({{BlockType::Forward, {10, 0}}, {BlockType::Wait, {5}}}); }

TEST(Stepping, OneStepRunsOneTickAndOneBlockStopsRightAfterTheNextBlockStarts) {
    Bench b(0, forwardThenWait());
    const ActionBlock* start = b.program.blocks[0].get();
    const ActionBlock* forward = b.program.blocks[1].get();
    const ActionBlock* wait = b.program.blocks[2].get();
    b.play();
    pauseCommand(b.sim);
    ASSERT_TRUE(stepOneBlock(b.sim));
    // Until the block starts: ticks run, then the run pauses with the block started.
    struct Row {
        const ActionBlock* started;
        const ActionBlock* next;
        uint64_t ticks;  // ticks the press took
    };
    const Row rows[] = {{forward, wait, 1}, {wait, b.program.blocks[3].get(), 63}};
    // The first press was made above: Start starts on the first tick.
    int n = runTicks(b.sim, 1000, b.follower());
    EXPECT_EQ(n, 1);
    EXPECT_EQ(b.sim.interp.last, indexOf(b.program, start));
    EXPECT_EQ(b.sim.state, SimState::Paused);
    EXPECT_EQ(b.sim.interp.holdReason, HoldReason::BlockStep);
    for (const Row& row : rows) {
        ASSERT_TRUE(stepOneBlock(b.sim));
        EXPECT_EQ(uint64_t(runTicks(b.sim, 1000, b.follower())), row.ticks);
        EXPECT_EQ(b.sim.interp.last, indexOf(b.program, row.started));
        EXPECT_EQ(b.sim.interp.current, indexOf(b.program, row.next));
        EXPECT_EQ(b.sim.state, SimState::Paused);
    }
    // One step is one tick: the Wait counts down by 16 ms, and the state stays Paused.
    const uint32_t waitBefore = b.sim.interp.waitMs;
    ASSERT_TRUE(stepOneTick(b.sim, b.follower()));
    EXPECT_EQ(b.sim.interp.waitMs, waitBefore - kTickMs);
    EXPECT_EQ(b.sim.state, SimState::Paused);
    pauseCommand(b.sim);
    EXPECT_FALSE(stepOneTick(b.sim, b.follower()));  // only while paused
    EXPECT_FALSE(stepOneBlock(b.sim));
}

TEST(Stepping, BreakpointStopsBeforeTheBlockRunsAlsoInsideAChain) {
    struct Row {
        const char* name;
        int breakAt;     // index into the blocks below
        uint64_t ticks;  // tick on which the run pauses
        int variable;    // variable 1 when it pauses: the Calc before ran, the block itself did not
    };
    // Start -> Forward 0.5 s -> Branch (chains) -> Calc var1 := 7 (chains) -> TurnLeft (ends the tick) -> End.
    const Row rows[] = {
        {"timed block", 1, 2, 0},
        {"first of a chain", 2, 34, 0},
        {"reached through the chain", 4, 34, 7},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        BlockProgram p = chain({{BlockType::Forward, {5, 0}},
                                {BlockType::Branch, {6, 3, 0, 0, 0}},  // any test value holds
                                {BlockType::Calc, {0, 0, 0, 0, 7}},
                                {BlockType::TurnLeft, {0, 1}}});
        ActionBlock* target = p.blocks[size_t(row.breakAt)].get();
        target->breakpoint = true;
        Bench b(0, std::move(p));
        std::vector<int> shown;  // snapshot indices, the blocks' list indices here
        b.play();
        runTicks(b.sim, 1000, [&](const TickEvents& events) {
            b.follow(events);
            if (events.shownBlock >= 0) shown.push_back(events.shownBlock);
        });
        EXPECT_EQ(b.sim.ticks, row.ticks);
        EXPECT_EQ(b.sim.state, SimState::Paused);
        EXPECT_EQ(b.sim.interp.current, indexOf(b.program, target));
        EXPECT_EQ(b.sim.interp.holdReason, HoldReason::Breakpoint);
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back(), indexOf(b.program, target));
        EXPECT_EQ(b.sim.memory[MemoryMap::FirstVariable], row.variable);
        const uint8_t leftMotor = b.sim.memory[MemoryMap::LeftWheel];
        b.step(5);  // held: nothing runs
        EXPECT_EQ(b.sim.interp.current, indexOf(b.program, target));
        EXPECT_EQ(b.sim.memory[MemoryMap::LeftWheel], leftMotor);
        // Going on runs the held block once, without stopping at it again.
        pauseCommand(b.sim);
        b.step();
        EXPECT_NE(b.sim.interp.current, indexOf(b.program, target));
        EXPECT_EQ(b.sim.state, SimState::Running);
    }
}

TEST(RunPathRecording, OnePointPerMotionTickClearedOnRearm) {
    Bench b(0, forwardForever());
    b.play();
    setSlowMotion(b.sim, 10);
    b.step(30);  // three motion ticks
    EXPECT_EQ(b.sim.path.points.size(), 3u);
    pauseCommand(b.sim);
    b.step(10);  // paused: no motion
    EXPECT_EQ(b.sim.path.points.size(), 3u);
    pauseCommand(b.sim);
    setSlowMotion(b.sim, 0);
    b.step(5);
    ASSERT_EQ(b.sim.path.points.size(), 8u);
    EXPECT_EQ(b.sim.path.points.back(), (PathPoint{b.sim.robot.x, b.sim.robot.y}));
    b.stop();
    b.step(10);  // the wheels ramp down 240, 150, 0: one more tick of driving, then at rest
    EXPECT_EQ(b.sim.path.points.size(), 9u);
    b.stop();  // stopped and at rest: re-arm
    EXPECT_TRUE(b.sim.path.points.empty());
    // The frame draws it only when asked, as unbroken bands from blue to red.
    b.play();
    b.step(40);
    EXPECT_TRUE(b.frame().lines.empty());
    b.view.showPath = true;
    const DrawList frame = b.frame();
    ASSERT_GE(frame.lines.size(), 2u);
    for (size_t i = 1; i < frame.lines.size(); ++i) {
        const auto& before = frame.lines[i - 1].xy;
        EXPECT_EQ(frame.lines[i].xy[0], before[before.size() - 2]);
    }
    EXPECT_EQ(pathColour(0, 40), 0xFF2040FFu);
    EXPECT_EQ(pathColour(39, 40), 0xFFFF2020u);
}

TEST(LapGhostRecording, ARecordKeepsTheLapAndTheNextRunShowsIt) {
    Bench b(JudgeFlag::Timed, forwardForever());
    b.best() = kNoRecordMs;
    b.play();
    EXPECT_EQ(courseGhost(b.records, 0), nullptr);
    b.lapOfFiveTicks();
    ASSERT_EQ(b.sim.judge.result, RunResult::Goal);
    const LapGhost* ghost = courseGhost(b.records, 0);
    ASSERT_NE(ghost, nullptr);
    EXPECT_EQ(ghost->lapMs, 80);
    ASSERT_EQ(ghost->poses.size(), 6u);  // lap time 0, 16 ... 80
    EXPECT_EQ(ghost->poses[0], (GhostPose{0, 0, 0}));
    EXPECT_EQ(ghost->poses[5].x, b.sim.robot.x);  // where the goal tick's motion left it
    EXPECT_FALSE(ghost->saved);

    // The next run shows the ghost at its own lap time, translucent, under the robot.
    b.stop();
    b.step(10);
    b.stop();
    b.play();
    b.step(3);
    auto ghostItems = [&b] {
        std::vector<DrawItem> items;
        for (const DrawItem& it : b.frame().items)
            if (it.layer == Layer::Ghost) items.push_back(it);
        return items;
    };
    auto items = ghostItems();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].texture, Slot::Robot);
    EXPECT_LT(items[0].vertices[0].colour >> 24, 0xFFu);
    const GhostPose at = ghostPoseAt(*ghost, b.sim.judge.lapMs);
    EXPECT_FLOAT_EQ((items[0].vertices[0].x + items[0].vertices[2].x) / 2, at.x);
    b.view.showGhost = false;
    EXPECT_TRUE(ghostItems().empty());
    b.view.showGhost = true;
    // A slower lap keeps the old ghost; a cleared record takes it along.
    b.best() = kNoRecordMs;
    EXPECT_EQ(courseGhost(b.records, 0), nullptr);
    EXPECT_TRUE(ghostItems().empty());
}

}  // namespace
}  // namespace trovel
