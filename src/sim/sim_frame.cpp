#include "sim/sim_frame.h"

#include <algorithm>
#include <cmath>

#include "sim/lap_records.h"
#include "sim/sim_view_state.h"
#include "sim/sim_world.h"
#include "sim/simulator.h"

namespace trovel {

namespace {

constexpr size_t kPathBands = 16;     // colour steps along the path
constexpr float kPathWidth = 3;       // back-buffer pixels
constexpr float kPathMinStep = 1.0f;  // world units between drawn points; a robot at rest adds none
constexpr uint32_t kGhostColour = 0x70FFFFFF;

// The clock of the tick just run, timed from its start: the pulses of the robot and the status row.
uint32_t tickClock(const Simulator& sim) { return sim.ticks > 0 ? sim.clockMs - kTickMs : sim.clockMs; }

uint32_t robotColour(const Simulator& sim, const SimViewState& view) {
    uint32_t pulse = 255 - (tickClock(sim) / 2) % 256;
    if (view.dragging) return 0xFFFF8080;
    if (sim.state == SimState::Running) return 0xFF00FFFF | pulse << 16;
    if (sim.state == SimState::Paused) return 0xFFFFFF00 | pulse;
    return 0xFFFFFFFF;
}

void queueWorldQuad(DrawList& list, const SimRobot& pose, const std::array<Vec2, 4>& local,
                    const std::array<Vec2, 4>& uv, uint32_t colour, int texture, int layer) {
    std::array<Vertex, 4> v;
    for (size_t i = 0; i < 4; ++i) {
        Vec2 w = toWorld(pose, local[i]);
        v[i] = vertex(w.x, w.y, colour, uv[i].x, uv[i].y);
    }
    queueQuad(list, v, texture, true, layer, false);
}

void queueRobotBody(DrawList& list, const SimViewState& view, const SimRobot& pose, uint32_t colour, int layer) {
    const float b = kBodyHalf;
    float dv = view.showLowerRobot ? 0.5f : 0.0f;
    queueWorldQuad(list, pose, {{{-b, b}, {b, b}, {b, -b}, {-b, -b}}},
                   {{{0, 0.5f + dv}, {1, 0.5f + dv}, {1, dv}, {0, dv}}}, colour, Slot::Robot, layer);
}

void queueRobot(DrawList& list, const Simulator& sim, const SimViewState& view) {
    queueRobotBody(list, view, sim.robot, robotColour(sim, view), Layer::Robot);
    const std::array<Vec2, 4> uv{{{0, 1}, {1, 1}, {1, 0}, {0, 0}}};
    uint8_t leds = sim.memory[MemoryMap::Leds];
    if (leds & kSimRightLedBit)
        queueWorldQuad(list, sim.robot, {{{-33, 25}, {-21, 25}, {-21, 7}, {-33, 7}}}, uv, 0xE0FFFFFF, Slot::LedLight,
                       Layer::Leds);
    if (leds & kSimLeftLedBit)
        queueWorldQuad(list, sim.robot, {{{-33, -7}, {-21, -7}, {-21, -25}, {-33, -25}}}, uv, 0xE0FFFFFF,
                       Slot::LedLight, Layer::Leds);
}

// The best lap's robot at this run's lap time, while a run is on.
void queueGhost(DrawList& list, const Simulator& sim, const SimViewState& view, const LapRecords& records) {
    if (!view.showGhost || sim.state == SimState::Stopped || sim.judge.result == RunResult::NotJudged) return;
    const LapGhost* ghost = courseGhost(records, sim.course);
    if (!ghost) return;
    const GhostPose pose = ghostPoseAt(*ghost, sim.judge.lapMs);
    queueRobotBody(list, view, SimRobot{pose.x, pose.y, pose.heading, 0, 0}, kGhostColour, Layer::Ghost);
}

void queueRect(DrawList& list, const CourseRect& r, uint32_t colour) {
    queueQuad(list,
              {vertex(r.x1, r.y2, colour, 0, 0), vertex(r.x2, r.y2, colour, 1, 0), vertex(r.x2, r.y1, colour, 1, 1),
               vertex(r.x1, r.y1, colour, 0, 1)},
              kNoTexture, true, Layer::Judging, false);
}

// Every area is shown, judged or not, so a course author sees all the rectangles the file holds.
void queueJudgingAreas(DrawList& list, const Simulator& sim, const CourseRecord& c) {
    queueRect(list, c.goal, 0x8000FF00);
    queueRect(list, c.forbidden, 0x800000FF);
    float r = sim.courses.robotHalf;
    queueRect(list, {sim.robot.x - r, sim.robot.y - r, sim.robot.x + r, sim.robot.y + r}, 0x80FFFFFF);
    for (const CourseRect& cp : c.checkpoints) queueRect(list, cp, 0x80FF00FF);
}

void queueStatus(DrawList& list, const Simulator& sim, int bestMs) {
    const int result = sim.judge.result;
    if (!(result == RunResult::Armed && sim.state == SimState::Stopped)) {
        uint32_t colour = 0xFFFFFFFF;
        if (result == RunResult::Armed) colour = ((tickClock(sim) / 2) % 256) << 24 | 0x00FFFFFF;
        // One and a half times the strip's row, clear of the time label on its right.
        queueMessageRow(list, result, 120, 0, 466.5f, 46.875f, colour);
    }
    // The time label beside the running time.
    queueMessageRow(list, MessageRow::TimeLabel, 400, 0, 625, 30, 0xFFFFFFFF);
    const int lap = std::min(sim.judge.lapMs, kMaxLapMs);
    uint32_t lapColour = lap == 0 ? 0xFF000000 : result == RunResult::Armed ? 0xFF0000FF : 0xFFFF0000;
    queueTime(list, lap, 565, 0, 15, 30, lapColour);
    // No record is no time: the row stays empty rather than show the 9:59.999 that stands for none.
    if (bestMs < kNoRecordMs) queueTime(list, bestMs, 565, 30, 15, 30, 0xFFFF8080);
}

// The path in colour bands from the start of the run to the robot. The bands span a scale of
// points that doubles as the path grows, so a band once drawn keeps its points and colour until the
// next doubling and a frame changes only the band the robot is in. Neighbouring bands share their
// end point so the line is unbroken.
void queuePath(DrawList& list, const RunPath& path) {
    const std::vector<PathPoint>& p = path.points;
    if (p.size() < 2) return;
    size_t scale = kPathBands;
    while (scale < p.size()) scale *= 2;
    const size_t perBand = scale / kPathBands;
    for (size_t first = 0; first + 1 < p.size(); first += perBand) {
        const size_t last = std::min(first + perBand, p.size() - 1);
        DrawLine line;
        line.colour = pathColour(first + perBand / 2, scale);
        line.width = kPathWidth;
        line.xy = {p[first].x, p[first].y};
        for (size_t i = first + 1; i <= last; ++i) {
            // Points are left out by a rule that later points cannot change, so a growing band only
            // ever gains points at its end; a whole band ends on the next band's first point.
            const float dx = p[i].x - line.xy[line.xy.size() - 2], dy = p[i].y - line.xy.back();
            const bool bandEnd = i == first + perBand;
            if (!bandEnd && std::fabs(dx) < kPathMinStep && std::fabs(dy) < kPathMinStep) continue;
            line.xy.push_back(p[i].x);
            line.xy.push_back(p[i].y);
        }
        list.lines.push_back(std::move(line));
    }
}

}  // namespace

DrawList buildFrame(const Simulator& sim, const SimViewState& view, const LapRecords& records) {
    DrawList list;
    const CourseRecord* course = currentCourse(sim);
    if (course) {
        queueQuad(list,
                  {vertex(-kWorldHalfWidth, kWorldHalfHeight, 0xFFFFFFFF, 0, 1),
                   vertex(kWorldHalfWidth, kWorldHalfHeight, 0xFFFFFFFF, 1, 1),
                   vertex(kWorldHalfWidth, -kWorldHalfHeight, 0xFFFFFFFF, 1, 0),
                   vertex(-kWorldHalfWidth, -kWorldHalfHeight, 0xFFFFFFFF, 0, 0)},
                  Slot::FirstCourse + sim.course, false, Layer::Course, false);
        queueQuad(list,
                  {vertex(618, kScreenHeight, 0x60FFFFFF, 0, 1), vertex(kScreenWidth, kScreenHeight, 0x60FFFFFF, 1, 1),
                   vertex(kScreenWidth, 470, 0x60FFFFFF, 1, 0), vertex(618, 470, 0x60FFFFFF, 0, 0)},
                  Slot::Badge, true, Layer::Course, true);
    }
    if (view.showPath) queuePath(list, sim.path);
    if (course) queueGhost(list, sim, view, records);
    queueRobot(list, sim, view);
    const bool isTimed = course && (course->judgingFlags & JudgeFlag::Timed);
    if (isTimed && sim.courses.drawJudgingAreas && !sim.innerTick) queueJudgingAreas(list, sim, *course);
    if (isTimed) queueStatus(list, sim, bestTime(records, sim.course));
    queueEffects(view.effects, list);
    return list;
}

}  // namespace trovel
