#include "sim/simulator.h"

#include <algorithm>
#include <cmath>

namespace trovel {

namespace {

constexpr float kTurnStep = 0.39269906f;  // pi / 8
constexpr float kFullTurn = 6.283185f;

void toStartPose(Simulator& sim) {
    if (const CourseRecord* c = currentCourse(sim)) {
        sim.robot.x = c->startX;
        sim.robot.y = c->startY;
        sim.robot.heading = c->startHeading;
    }
}

bool timed(const Simulator& sim) {
    const CourseRecord* c = currentCourse(sim);
    return c && (c->judgingFlags & JudgeFlag::Timed);
}

// The simulation step of one tick: interpreter, motion, walls, sensors, judging, path and lap poses.
TickEvents simulationStep(Simulator& sim) {
    TickEvents events;
    const bool chainGoesOn = sim.interp.chainPending;
    if (sim.slowDivisor > 0 && !chainGoesOn) sim.slowPhase = (sim.slowPhase + 1) % sim.slowDivisor;
    sim.innerTick = false;
    if (sim.state == SimState::Running && sim.slowPhase == 0) {
        const HighlightFn show = [&events](int block) { events.shownBlock = block; };
        StepOutcome outcome = stepInterpreter(sim.interp, sim.state, sim.memory, sim.slowDivisor > 0, show);
        events.runStopped = outcome == StepOutcome::RunStopped;
        sim.innerTick = outcome == StepOutcome::BudgetExhausted;
    }
    sim.memory[MemoryMap::LeftMotorSetting] = sim.gains[0];
    sim.memory[MemoryMap::RightMotorSetting] = sim.gains[1];

    const bool motionTick = sim.slowPhase == 0 && !sim.innerTick;
    const bool timing = sim.judge.result == RunResult::Armed && sim.state == SimState::Running;
    const bool moved = sim.state != SimState::Paused && motionTick;
    if (moved) {
        moveRobot(sim.robot, sim.memory);
        if (timing) sim.judge.lapMs += kTickMs;
    }
    pushFromWalls(sim.robot);
    // A robot at rest after its run adds nothing: the path grows only while the wheels drive it.
    if (moved && (sim.state == SimState::Running || sim.robot.leftSpeed != 0 || sim.robot.rightSpeed != 0))
        addPathPoint(sim.path, sim.robot.x, sim.robot.y);
    if (moved && timing && !sim.lapPoses.empty() && sim.lapPoses.size() < kMaxGhostPoses)
        sim.lapPoses.push_back({sim.robot.x, sim.robot.y, sim.robot.heading});

    const CourseRecord* course = currentCourse(sim);
    const bool isTimed = course && (course->judgingFlags & JudgeFlag::Timed);

    const CoursePicture* picture = hasCourse(sim) ? coursePicture(sim.courses, sim.course) : nullptr;
    if (!sim.innerTick && picture) {
        sim.floor = readFloorSensors(sim.robot, *picture);
        if (sim.noise.sensorSigma > 0) addSensorNoise(sim.floor, sim.noise.sensorSigma, sim.noiseRandom);
        std::copy_n(sim.floor.begin(), 4, sim.memory.begin() + MemoryMap::LeftSensor);
    }
    sim.monitor = sim.memory;

    if (course && sim.judge.result == RunResult::Armed) {
        JudgeEvents ev = judgeTick(
            sim.judge, *course, {sim.robot, sim.state, sim.floor, motionTick, sim.courses.robotHalf, sim.stoppedByUser},
            sim.interp.program.get());
        events.goal = ev.goal;
        if (ev.goal) events.lapMs = sim.judge.lapMs;
        events.failure = ev.failure;
        if (ev.stoppedInGoal) {
            sim.notice = RunNotice::StoppedInGoal;
            sim.lapPoses.clear();
        }
    }
    if (isTimed) sim.judge.lapMs = std::min(sim.judge.lapMs, kMaxLapMs);
    return events;
}

}  // namespace

bool hasCourse(const Simulator& sim) { return sim.course >= 0 && sim.course < courseCount(sim.courses); }

const CourseRecord* currentCourse(const Simulator& sim) {
    return hasCourse(sim) ? &sim.courses.courses[size_t(sim.course)] : nullptr;
}

void rearm(Simulator& sim) {
    toStartPose(sim);
    clearPath(sim.path);
    sim.lapPoses.clear();
    sim.notice = RunNotice::None;
    if (const CourseRecord* c = currentCourse(sim)) rearmJudge(sim.judge, *c);
    else rearmJudge(sim.judge, CourseRecord{});
}

void resetSimulator(Simulator& sim) {
    sim.memory.fill(0);
    sim.monitor.fill(0);
    sim.robot = SimRobot{};
    sim.state = SimState::Stopped;
    sim.interp = BlockInterpreter{.random = sim.interp.random};
    sim.memory[MemoryMap::LeftMotorSetting] = sim.gains[0];
    sim.memory[MemoryMap::RightMotorSetting] = sim.gains[1];
    sim.floor.fill(0);
    sim.course = 0;
    sim.slowDivisor = 0;
    sim.slowPhase = 0;
    rearm(sim);
}

PlayOutcome playCommand(Simulator& sim, const BlockProgram& program) {
    if (sim.state == SimState::Running) return PlayOutcome::AlreadyRunning;
    // A course that did not load is never run.
    if (!hasCourse(sim)) return PlayOutcome::NoCourse;
    startRun(sim.interp, sim.state, sim.memory, shareSnapshot(program));
    sim.stoppedByUser = false;
    sim.slowPhase = 0;
    sim.judge.lapMs = 0;
    const CourseRecord& c = *currentCourse(sim);
    if (c.courseFlags & CourseFlag::PlayReturnsToStart) toStartPose(sim);
    // A new run draws a new path, not a line from where the last one ended.
    clearPath(sim.path);
    sim.lapPoses.clear();
    sim.notice = RunNotice::None;
    if (judgingArmed(sim)) {
        sim.lapPoses.push_back({sim.robot.x, sim.robot.y, sim.robot.heading});
    } else if (timed(sim)) {
        // The last run's goal or failure belongs to that run: this one is a free run.
        sim.judge.result = RunResult::NotJudged;
        sim.notice = RunNotice::NotTimed;
    }
    return PlayOutcome::Started;
}

const RunProgram* runProgram(const Simulator& sim) { return sim.interp.program.get(); }

bool judgingArmed(const Simulator& sim) { return timed(sim) && sim.judge.result == RunResult::Armed; }

bool stopCommand(Simulator& sim) {
    if (sim.state != SimState::Stopped) {
        stopRun(sim.interp, sim.state, sim.memory);
        sim.stoppedByUser = true;
        return true;
    }
    if (sim.robot.leftSpeed == 0 && sim.robot.rightSpeed == 0) rearm(sim);
    return false;
}

void pauseCommand(Simulator& sim) {
    sim.interp.holdReason = HoldReason::None;  // the user's own pause, or going on
    if (sim.state == SimState::Running) sim.state = SimState::Paused;
    else if (sim.state == SimState::Paused) sim.state = SimState::Running;
}

bool selectCourse(Simulator& sim, int course) {
    if (course < 0 || course >= courseCount(sim.courses)) return false;
    sim.course = course;
    rearm(sim);
    stopCommand(sim);
    return true;
}

void setSlowMotion(Simulator& sim, int divisor) {
    sim.slowDivisor = divisor;
    sim.slowPhase = 0;
}

bool robotMovable(const Simulator& sim) {
    const CourseRecord* c = currentCourse(sim);
    int flags = c ? c->courseFlags : 0;
    if (flags & CourseFlag::NotMovable) return false;
    if (sim.state == SimState::Running) return false;
    if (sim.state == SimState::Paused && (flags & CourseFlag::NotMovableWhilePaused)) return false;
    return true;
}

bool onRobot(const Simulator& sim, WorldPoint p) {
    return std::fabs(p.x - sim.robot.x) <= kBodyHalf && std::fabs(p.y - sim.robot.y) <= kBodyHalf;
}

void placeRobot(Simulator& sim, float x, float y) {
    sim.robot.x = x;
    sim.robot.y = y;
    sim.judge.result = RunResult::NotJudged;
}

bool rotateRobot(Simulator& sim, WorldPoint p) {
    if (!robotMovable(sim) || !onRobot(sim, p)) return false;
    float h = sim.robot.heading + kTurnStep;
    if (h > kFullTurn) h -= kFullTurn;
    else if (h < -kFullTurn) h += kFullTurn;
    sim.robot.heading = h;
    sim.judge.result = RunResult::NotJudged;
    return true;
}

TickEvents stepSimulation(Simulator& sim) {
    const TickEvents events = simulationStep(sim);
    sim.clockMs += kTickMs;
    ++sim.ticks;
    return events;
}

bool stepOneTick(Simulator& sim, const TickHandler& afterTick) {
    if (sim.state != SimState::Paused) return false;
    sim.interp.holdReason = HoldReason::None;
    sim.state = SimState::Running;
    const TickEvents events = stepSimulation(sim);
    if (afterTick) afterTick(events);
    if (sim.state == SimState::Running) sim.state = SimState::Paused;
    return true;
}

bool stepOneBlock(Simulator& sim) {
    if (sim.state != SimState::Paused) return false;
    sim.interp.holdReason = HoldReason::None;
    stopAtNextBlock(sim.interp);
    sim.state = SimState::Running;
    return true;
}

}  // namespace trovel
