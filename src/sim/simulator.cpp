#include "sim/simulator.h"

#include <algorithm>
#include <cmath>

#include "sim/sim_world.h"
#include "sim/sensor_trace.h"

namespace trovel {

namespace {

constexpr float kTurnStep = 0.39269906f;  // pi / 8
constexpr float kFullTurn = 6.283185f;

void emit(Simulator& sim, int type, int parameter, int timeMs = 0) {
    if (!emitEffect(sim.effects, type, parameter, timeMs)) return;
    const std::u16string* sound = nullptr;
    if (type == EffectType::Goal) sound = &sim.courses.goalSound;
    if (type == EffectType::Failure) sound = &sim.courses.failSound;
    if (sound && !sound->empty()) sim.pendingSounds.push_back(*sound);
}

void toStartPose(Simulator& sim) {
    if (const CourseRecord* c = currentCourse(sim)) {
        sim.robot.x = c->startX;
        sim.robot.y = c->startY;
        sim.robot.heading = c->startHeading;
    }
}

// The run that set the record becomes the course's ghost, when every one of its timed ticks was kept.
void keepGhost(Simulator& sim, const CourseRecord& course) {
    if (sim.ghosts.size() != sim.courses.courses.size()) sim.ghosts.resize(sim.courses.courses.size());
    LapGhost& ghost = sim.ghosts[size_t(sim.course)];
    if (sim.lapPoses.size() == size_t(course.bestMs) / kTickMs + 1) {
        ghost.lapMs = course.bestMs;
        ghost.poses = sim.lapPoses;
        ghost.saved = false;
    } else {
        ghost = LapGhost{.saved = false};  // an older ghost no longer shows the best lap
    }
    sim.lapPoses.clear();
}

bool timed(const Simulator& sim) {
    const CourseRecord* c = currentCourse(sim);
    return c && (c->judgingFlags & JudgeFlag::Timed);
}

// The simulation step of one tick: interpreter, motion, walls, sensors, judging, path and ghost.
void simulationStep(Simulator& sim) {
    const bool chainGoesOn = sim.interp.chainPending;
    if (sim.slowDivisor > 0 && !chainGoesOn) sim.slowPhase = (sim.slowPhase + 1) % sim.slowDivisor;
    sim.innerTick = false;
    if (sim.state == SimState::Running && sim.slowPhase == 0) {
        StepOutcome outcome = stepInterpreter(sim.interp, sim.state, sim.memory, sim.slowDivisor > 0, sim.highlight);
        if (outcome == StepOutcome::RunStopped) sim.dragging = false;
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

    CourseRecord* course = hasCourse(sim) ? &sim.courses.courses[size_t(sim.course)] : nullptr;
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
            sim.judge, *course,
            {sim.robot, sim.state, sim.floor, motionTick, sim.courses.robotHalf, sim.stoppedByUser},
            sim.interp.program.get());
        if (ev.goal) emit(sim, EffectType::Goal, RunResult::Goal);
        if (ev.newRecord) {
            emit(sim, EffectType::NewRecord, MessageRow::NewRecord, course->bestMs);
            keepGhost(sim, *course);
        }
        if (ev.failure) emit(sim, EffectType::Failure, ev.failure);
        if (ev.stoppedInGoal) {
            sim.notice = RunNotice::StoppedInGoal;
            sim.lapPoses.clear();
        }
    }
    if (isTimed) sim.judge.lapMs = std::min(sim.judge.lapMs, kMaxLapMs);
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
    if (const CourseRecord* c = currentCourse(sim))
        rearmJudge(sim.judge, *c);
    else
        rearmJudge(sim.judge, CourseRecord{});
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
    sim.effects = EffectTable{};
    sim.course = 0;
    sim.camera = SimCamera{};
    sim.slowDivisor = 0;
    sim.slowPhase = 0;
    sim.dragging = false;
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
    if (timed(sim) && sim.judge.result == RunResult::Armed) {
        emit(sim, EffectType::Start, MessageRow::Start);
        sim.lapPoses.push_back({sim.robot.x, sim.robot.y, sim.robot.heading});
    } else if (timed(sim)) {
        // The last run's goal or failure belongs to that run: this one is a free run.
        sim.judge.result = RunResult::NotJudged;
        sim.notice = RunNotice::NotTimed;
    }
    return PlayOutcome::Started;
}

const RunProgram* runProgram(const Simulator& sim) { return sim.interp.program.get(); }

void stopCommand(Simulator& sim) {
    // A goal or failure banner of the run, or one of another course, would be stale now.
    clearEffects(sim.effects);
    if (sim.state != SimState::Stopped) {
        stopRun(sim.interp, sim.state, sim.memory);
        sim.stoppedByUser = true;
        sim.dragging = false;
    } else if (sim.robot.leftSpeed == 0 && sim.robot.rightSpeed == 0) {
        rearm(sim);
    }
}

void pauseCommand(Simulator& sim) {
    sim.interp.holdReason = HoldReason::None;  // the user's own pause, or going on
    if (sim.state == SimState::Running)
        sim.state = SimState::Paused;
    else if (sim.state == SimState::Paused)
        sim.state = SimState::Running;
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

void setZoom(Simulator& sim, float zoom) { sim.camera.zoom = zoom; }

bool robotMovable(const Simulator& sim) {
    const CourseRecord* c = currentCourse(sim);
    int flags = c ? c->courseFlags : 0;
    if (flags & CourseFlag::NotMovable) return false;
    if (sim.state == SimState::Running) return false;
    if (sim.state == SimState::Paused && (flags & CourseFlag::NotMovableWhilePaused)) return false;
    return true;
}

namespace {
bool onRobot(const Simulator& sim, WorldPoint p) {
    return std::fabs(p.x - sim.robot.x) <= kBodyHalf && std::fabs(p.y - sim.robot.y) <= kBodyHalf;
}
}  // namespace

bool grabRobot(Simulator& sim, WorldPoint p) {
    if (!robotMovable(sim) || !onRobot(sim, p)) return false;
    sim.dragging = true;
    sim.grabOffset = {p.x - sim.robot.x, p.y - sim.robot.y};
    return true;
}

void dragRobotTo(Simulator& sim, WorldPoint p) {
    if (!sim.dragging) return;
    sim.robot.x = std::clamp(p.x, -kWorldHalfWidth, kWorldHalfWidth) - sim.grabOffset.x;
    sim.robot.y = std::clamp(p.y, -kWorldHalfHeight, kWorldHalfHeight) - sim.grabOffset.y;
    sim.judge.result = RunResult::NotJudged;
}

void releaseRobot(Simulator& sim) { sim.dragging = false; }

bool rotateRobot(Simulator& sim, WorldPoint p) {
    if (!robotMovable(sim) || !onRobot(sim, p)) return false;
    float h = sim.robot.heading + kTurnStep;
    if (h > kFullTurn)
        h -= kFullTurn;
    else if (h < -kFullTurn)
        h += kFullTurn;
    sim.robot.heading = h;
    sim.judge.result = RunResult::NotJudged;
    return true;
}

void stepSimulation(Simulator& sim) {
    simulationStep(sim);
    advanceEffects(sim.effects, sim.innerTick);
    updateCamera(sim.camera, sim.robot.x, sim.robot.y);
    sim.clockMs += kTickMs;
    ++sim.ticks;
    if (sim.trace) recordTick(*sim.trace, sim);
}

bool stepOneTick(Simulator& sim) {
    if (sim.state != SimState::Paused) return false;
    sim.interp.holdReason = HoldReason::None;
    sim.state = SimState::Running;
    stepSimulation(sim);
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

const LapGhost* courseGhost(const Simulator& sim, int course) {
    if (course < 0 || size_t(course) >= sim.ghosts.size() || course >= courseCount(sim.courses)) return nullptr;
    const LapGhost& ghost = sim.ghosts[size_t(course)];
    // A reset record takes its ghost along.
    if (ghost.poses.empty() || ghost.lapMs != sim.courses.courses[size_t(course)].bestMs) return nullptr;
    return &ghost;
}

}  // namespace trovel
