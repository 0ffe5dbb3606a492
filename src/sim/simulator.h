#pragma once
// All simulator state in one record, and the commands and the 16 ms tick that drive it.
// The window and the command line drive the same functions; nothing here reads a clock.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/program.h"
#include "sim/block_interpreter.h"
#include "sim/course_config.h"
#include "sim/lap_ghost.h"
#include "sim/run_judge.h"
#include "sim/run_path.h"
#include "sim/sim_camera.h"
#include "sim/sim_effects.h"
#include "sim/sim_noise.h"
#include "sim/sim_robot.h"

namespace trovel {

struct SensorTrace;

constexpr uint8_t kDefaultSimGain = 152;

// What the status line tells the pupil about the timing of the run, besides why it is paused.
enum class RunNotice : uint8_t {
    None,
    StoppedInGoal,  // 停止 inside the goal of a stop-in-goal course: no goal, no record
    NotTimed,       // 再生 on a timed course after a judged run or a move by hand, without a re-arm
};

struct Simulator {
    CourseSet courses;             // from texture.ini
    int course = 0;                // current course index
    SimRobot robot;
    SimMemoryMap memory{};         // cleared only when the simulator opens
    SimMemoryMap monitor{};        // copy for the memory-map window, taken every tick
    BlockInterpreter interp;
    SimState state = SimState::Stopped;
    std::array<uint8_t, 2> gains{kDefaultSimGain, kDefaultSimGain};  // left, right motor gains 0..255
    int slowDivisor = 0;           // 0 normal, 10 or 20
    int slowPhase = 0;
    bool innerTick = false;        // this tick ran out of chain budget: nothing moved or was sampled
    RunJudge judge;
    bool stoppedByUser = false;    // the last run was ended by 停止, not by the program
    RunNotice notice = RunNotice::None;
    std::array<uint8_t, kFloorPointCount> floor{};  // last floor values
    EffectTable effects;
    SimCamera camera;
    bool dragging = false;         // the robot is held by the mouse
    WorldPoint grabOffset;         // pointer minus robot centre while dragging
    bool showLowerRobot = false;   // the sensors-3-and-4 option shows the other robot picture
    uint32_t clockMs = 0;          // simulated milliseconds since the simulator opened
    uint64_t ticks = 0;            // ticks stepped since the simulator opened
    std::vector<std::u16string> pendingSounds;  // sound files to play, taken by the window
    HighlightFn highlight;         // shows the executed block (a snapshot index) in the editor; may be empty
    SimNoise noise;                // opt-in; the studio never sets it
    SimRandom noiseRandom;         // draws of the noise, apart from the random branches
    RunPath path;                  // where the robot drove since the last re-arm
    bool showPath = false;         // the frame draws the path
    std::vector<LapGhost> ghosts;  // per course; lapMs 0 = none
    std::vector<GhostPose> lapPoses;  // this timed run's pose at lap time 0, 16, 32 ... ms
    bool showGhost = true;         // the frame draws the ghost of the course's best lap
    SensorTrace* trace = nullptr;  // when set, every tick is offered to it (the sensor plot's)
};

bool hasCourse(const Simulator& sim);
const CourseRecord* currentCourse(const Simulator& sim);

// Simulator open: clears memory, wheels and state, copies the gains, course 0, re-armed, zoomed out,
// normal speed. The courses must already be loaded.
void resetSimulator(Simulator& sim);
// Robot to the course's start pose, judging and lap time reset.
void rearm(Simulator& sim);

enum class PlayOutcome { Started, AlreadyRunning, NoCourse };
// 再生 after the repeat check: run a snapshot of the program from Start, lap time 0, start pose if the
// course asks, start banner, a new path. A timed course that is not armed runs untimed, with the
// notice that says why. The run keeps its snapshot: later edits of the program do not reach it.
PlayOutcome playCommand(Simulator& sim, const BlockProgram& program);
// The snapshot the current or last run executes, or null before the first 再生.
const RunProgram* runProgram(const Simulator& sim);
// 停止: stops a run (the user's stop, never a goal); when already stopped with both wheels at rest,
// re-arms. Either way the banners of the run go.
void stopCommand(Simulator& sim);
// 一時停止: Running <-> Paused.
void pauseCommand(Simulator& sim);
// Course choice: re-arm on the new course, then 停止. False for an index that is not a course.
bool selectCourse(Simulator& sim, int course);
void setSlowMotion(Simulator& sim, int divisor);
// While paused: one tick as if running (1ステップ); false when not paused.
bool stepOneTick(Simulator& sim);
// While paused: runs on until the next block starts, and pauses right after it (1ブロック).
bool stepOneBlock(Simulator& sim);
// The ghost of the course's best lap, or null when the course has none.
const LapGhost* courseGhost(const Simulator& sim, int course);
void setZoom(Simulator& sim, float zoom);

// Mouse: whether the robot may be moved by hand now, and the moves themselves (world points).
bool robotMovable(const Simulator& sim);
bool grabRobot(Simulator& sim, WorldPoint point);  // true when the point is on the robot
void dragRobotTo(Simulator& sim, WorldPoint point);
void releaseRobot(Simulator& sim);
bool rotateRobot(Simulator& sim, WorldPoint point);  // a right click on the robot turns it by pi/8

// One 16 ms tick: the simulation step (interpreter, motion, sensors, judging, path and ghost
// recording), the effect timers and the camera. Drawing is the frame's (sim_frame.h).
void stepSimulation(Simulator& sim);

}  // namespace trovel
