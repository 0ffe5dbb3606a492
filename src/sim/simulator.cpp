#include "sim/simulator.h"

#include <algorithm>
#include <cmath>

#include "sim/sensor_trace.h"

namespace trovel {

namespace {

constexpr float kTurnStep = 0.39269906f;  // pi / 8
constexpr float kFullTurn = 6.283185f;

void emit(Simulator& sim, int type, int parameter) {
    if (!emitEffect(sim.effects, type, parameter)) return;
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

bool timed(const Simulator& sim) {
    const CourseRecord* c = currentCourse(sim);
    return c && (c->judgingFlags & JudgeFlag::Timed);
}

uint32_t robotColour(const Simulator& sim) {
    uint32_t pulse = 255 - (sim.clockMs / 2) % 256;
    if (sim.dragging) return 0xFFFF8080;
    if (sim.state == SimState::Running) return 0xFF00FFFF | pulse << 16;
    if (sim.state == SimState::Paused) return 0xFFFFFF00 | pulse;
    return 0xFFFFFFFF;
}

void queueWorldQuad(Simulator& sim, const std::array<Vec2, 4>& local, const std::array<Vec2, 4>& uv,
                    uint32_t colour, int texture, int layer) {
    std::array<Vertex, 4> v;
    for (size_t i = 0; i < 4; ++i) {
        Vec2 w = toWorld(sim.robot, local[i]);
        v[i] = vertex(w.x, w.y, colour, uv[i].x, uv[i].y);
    }
    queueQuad(sim.draw, v, texture, true, layer, false);
}

void queueRect(DrawList& list, const CourseRect& r, uint32_t colour) {
    queueQuad(list,
              {vertex(r.x1, r.y2, colour, 0, 0), vertex(r.x2, r.y2, colour, 1, 0), vertex(r.x2, r.y1, colour, 1, 1),
               vertex(r.x1, r.y1, colour, 0, 1)},
              kNoTexture, true, Layer::Judging, false);
}

void queueRobot(Simulator& sim) {
    const float b = kBodyHalf;
    float dv = sim.showLowerRobot ? 0.5f : 0.0f;
    queueWorldQuad(sim, {{{-b, b}, {b, b}, {b, -b}, {-b, -b}}}, {{{0, 0.5f + dv}, {1, 0.5f + dv}, {1, dv}, {0, dv}}},
                   robotColour(sim), Slot::Robot, Layer::Robot);
    const std::array<Vec2, 4> uv{{{0, 1}, {1, 1}, {1, 0}, {0, 0}}};
    uint8_t leds = sim.memory[SimAddr::Leds];
    if (leds & kSimRightLedBit)
        queueWorldQuad(sim, {{{-33, 25}, {-21, 25}, {-21, 7}, {-33, 7}}}, uv, 0xE0FFFFFF, Slot::LedLight, Layer::Leds);
    if (leds & kSimLeftLedBit)
        queueWorldQuad(sim, {{{-33, -7}, {-21, -7}, {-21, -25}, {-33, -25}}}, uv, 0xE0FFFFFF, Slot::LedLight,
                       Layer::Leds);
}

// Every area is shown, judged or not, so a course author sees all the rectangles the file holds.
void queueJudgingAreas(Simulator& sim, const CourseRecord& c) {
    queueRect(sim.draw, c.goal, 0x8000FF00);
    queueRect(sim.draw, c.forbidden, 0x800000FF);
    float r = sim.courses.robotHalf;
    queueRect(sim.draw, {sim.robot.x - r, sim.robot.y - r, sim.robot.x + r, sim.robot.y + r}, 0x80FFFFFF);
    for (const CourseRect& cp : c.checkpoints) queueRect(sim.draw, cp, 0x80FF00FF);
}

void queueStatus(Simulator& sim, const CourseRecord& c) {
    const int result = sim.judge.result;
    if (!(result == RunResult::Armed && sim.state == SimState::Stopped)) {
        uint32_t colour = 0xFFFFFFFF;
        if (result == RunResult::Armed) colour = ((sim.clockMs / 2) % 256) << 24 | 0x00FFFFFF;
        // One and a half times the strip's row, clear of the time label on its right.
        queueMessageRow(sim.draw, result, 120, 0, 466.5f, 46.875f, colour);
    }
    // The time label beside the running time.
    queueMessageRow(sim.draw, 10, 400, 0, 625, 30, 0xFFFFFFFF);
    const int lap = std::min(sim.judge.lapMs, kMaxLapMs);
    uint32_t lapColour = lap == 0 ? 0xFF000000 : result == RunResult::Armed ? 0xFF0000FF : 0xFFFF0000;
    queueTime(sim.draw, lap, 565, 0, 15, 30, lapColour);
    queueTime(sim.draw, c.bestMs, 565, 30, 15, 30, 0xFFFF8080);
}

// The simulation step of one tick: interpreter, motion, walls, sensors, judging, status.
void simulationStep(Simulator& sim, const BlockProgram& program) {
    const bool chainGoesOn = sim.interp.chainPending;
    if (sim.slowDivisor > 0 && !chainGoesOn) sim.slowPhase = (sim.slowPhase + 1) % sim.slowDivisor;
    sim.innerTick = false;
    if (sim.state == SimState::Running && sim.slowPhase == 0) {
        StepOutcome outcome = stepInterpreter(sim.interp, sim.state, sim.memory, sim.slowDivisor > 0, sim.highlight);
        if (outcome == StepOutcome::RunStopped) sim.dragging = false;
        sim.innerTick = outcome == StepOutcome::BudgetExhausted;
    }
    sim.memory[SimAddr::LeftGain] = sim.gains[0];
    sim.memory[SimAddr::RightGain] = sim.gains[1];

    const bool motionTick = sim.slowPhase == 0 && !sim.innerTick;
    if (sim.state != SimState::Paused && motionTick) {
        moveRobot(sim.robot, sim.memory);
        if (sim.judge.result == RunResult::Armed && sim.state == SimState::Running) sim.judge.lapMs += kTickMs;
    }
    pushFromWalls(sim.robot);

    CourseRecord* course = hasCourse(sim) ? &sim.courses.courses[size_t(sim.course)] : nullptr;
    const bool isTimed = course && (course->judgingFlags & JudgeFlag::Timed);
    if (sim.drawEnabled) {
        queueRobot(sim);
        if (isTimed && sim.courses.drawJudgingAreas && !sim.innerTick) queueJudgingAreas(sim, *course);
    }

    const CoursePicture* picture = hasCourse(sim) ? coursePicture(sim.courses, sim.course) : nullptr;
    if (!sim.innerTick && picture) {
        sim.floor = readFloorSensors(sim.robot, *picture);
        if (sim.noise.sensorSigma > 0) addSensorNoise(sim.floor, sim.noise.sensorSigma, sim.noiseRandom);
        std::copy_n(sim.floor.begin(), 4, sim.memory.begin() + SimAddr::LeftSensor);
    }
    sim.monitor = sim.memory;

    if (course && sim.judge.result == RunResult::Armed) {
        JudgeEvents ev = judgeTick(sim.judge, *course,
                                   {sim.robot, sim.state, sim.floor, motionTick, sim.courses.robotHalf}, program);
        if (ev.goal) emit(sim, EffectType::Goal, RunResult::Goal);
        if (ev.newRecord) emit(sim, EffectType::NewRecord, 11);
        if (ev.failure) emit(sim, EffectType::Failure, ev.failure);
    }
    if (isTimed) sim.judge.lapMs = std::min(sim.judge.lapMs, kMaxLapMs);
    if (isTimed && sim.drawEnabled) queueStatus(sim, *course);
}

}  // namespace

bool hasCourse(const Simulator& sim) { return sim.course >= 0 && sim.course < courseCount(sim.courses); }

const CourseRecord* currentCourse(const Simulator& sim) {
    return hasCourse(sim) ? &sim.courses.courses[size_t(sim.course)] : nullptr;
}

void rearm(Simulator& sim) {
    toStartPose(sim);
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
    sim.memory[SimAddr::LeftGain] = sim.gains[0];
    sim.memory[SimAddr::RightGain] = sim.gains[1];
    sim.floor.fill(0);
    sim.effects = EffectTable{};
    sim.draw.items.clear();
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
    startRun(sim.interp, sim.state, sim.memory, program);
    sim.slowPhase = 0;
    sim.judge.lapMs = 0;
    const CourseRecord& c = *currentCourse(sim);
    if (c.courseFlags & CourseFlag::PlayReturnsToStart) toStartPose(sim);
    if (timed(sim) && sim.judge.result == RunResult::Armed) emit(sim, EffectType::Start, 12);
    return PlayOutcome::Started;
}

void stopCommand(Simulator& sim) {
    if (sim.state != SimState::Stopped) {
        stopRun(sim.interp, sim.state, sim.memory);
        sim.dragging = false;
    } else if (sim.robot.leftSpeed == 0 && sim.robot.rightSpeed == 0) {
        rearm(sim);
    }
}

void pauseCommand(Simulator& sim) {
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
    sim.robot.x = std::clamp(p.x, -350.0f, 350.0f) - sim.grabOffset.x;
    sim.robot.y = std::clamp(p.y, -250.0f, 250.0f) - sim.grabOffset.y;
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

void stepSimulation(Simulator& sim, const BlockProgram& program) {
    sim.draw.items.clear();
    if (sim.drawEnabled && hasCourse(sim)) {
        queueQuad(sim.draw,
                  {vertex(-350, 250, 0xFFFFFFFF, 0, 1), vertex(350, 250, 0xFFFFFFFF, 1, 1),
                   vertex(350, -250, 0xFFFFFFFF, 1, 0), vertex(-350, -250, 0xFFFFFFFF, 0, 0)},
                  Slot::FirstCourse + sim.course, false, Layer::Course, false);
        queueQuad(sim.draw,
                  {vertex(618, 500, 0x60FFFFFF, 0, 1), vertex(700, 500, 0x60FFFFFF, 1, 1),
                   vertex(700, 470, 0x60FFFFFF, 1, 0), vertex(618, 470, 0x60FFFFFF, 0, 0)},
                  Slot::Badge, true, Layer::Course, true);
    }
    simulationStep(sim, program);
    const CourseRecord* c = currentCourse(sim);
    DrawList scratch;
    queueEffects(sim.effects, sim.drawEnabled ? sim.draw : scratch, sim.innerTick, c ? c->bestMs : kNoRecordMs);
    updateCamera(sim.camera, sim.robot.x, sim.robot.y);
    sim.clockMs += kTickMs;
    ++sim.ticks;
    if (sim.trace) recordTick(*sim.trace, sim, program);
}

}  // namespace trovel
