#pragma once
// The simulator's world: what a run needs and nothing of how it is shown, and the commands and the
// 16 ms tick that drive it. The window and the command line drive the same functions; nothing here
// reads a clock. Beside the world, the studio keeps what it shows (sim_view_state.h) and the lap
// records (lap_records.h), both fed by what each tick reports.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/program.h"
#include "sim/block_interpreter.h"
#include "sim/course_config.h"
#include "sim/lap_ghost.h"
#include "sim/run_judge.h"
#include "sim/run_path.h"
#include "sim/sim_noise.h"
#include "sim/sim_robot.h"
#include "sim/sim_world.h"

namespace trovel {

constexpr uint8_t kDefaultSimGain = 152;

// What the status line tells the pupil about the timing of the run, besides why it is paused.
enum class RunNotice : uint8_t {
    None,
    StoppedInGoal,  // 停止 inside the goal of a stop-in-goal course: no goal, no record
    NotTimed,       // 再生 on a timed course after a judged run or a move by hand, without a re-arm
};

struct Simulator {
    CourseSet courses;  // from texture.ini; the world reads them and never writes them
    int course = 0;     // current course index
    SimRobot robot;
    MemoryImage memory{};   // cleared only when the simulator opens
    MemoryImage monitor{};  // copy for the memory-map window, taken every tick
    BlockInterpreter interp;
    SimState state = SimState::Stopped;
    std::array<uint8_t, 2> gains{kDefaultSimGain, kDefaultSimGain};  // left, right motor gains 0..255
    int slowDivisor = 0;                                             // 0 normal, 10 or 20
    int slowPhase = 0;
    bool innerTick = false;  // this tick ran out of chain budget: nothing moved or was sampled
    RunJudge judge;
    bool stoppedByUser = false;  // the last run was ended by 停止, not by the program
    RunNotice notice = RunNotice::None;
    std::array<uint8_t, kFloorPointCount> floor{};  // last floor values
    uint32_t clockMs = 0;                           // simulated milliseconds since the simulator opened
    uint64_t ticks = 0;                             // ticks stepped since the simulator opened
    SimNoise noise;                                 // opt-in; the studio never sets it
    SimRandom noiseRandom;                          // draws of the noise, apart from the random branches
    RunPath path;                                   // where the robot drove since the last re-arm
    std::vector<GhostPose> lapPoses;  // this timed run's pose at lap time 0, 16, 32 ... ms: a record's ghost
};

// What one tick did that the lap records, the view and the editor follow.
struct TickEvents {
    bool goal = false;        // the run reached the goal
    int lapMs = 0;            // the goal's lap time; a record when the records' owner finds it faster
    int failure = 0;          // the RunResult of a run that failed in this tick, else 0
    bool runStopped = false;  // the run's program ended in this tick (the wheels may still coast)
    int shownBlock = -1;      // snapshot index of the block the editor shows as running: the one that
                              // ended the tick or is held at its breakpoint, in slow motion the last
                              // one executed; -1 none
};

// Called after a tick with what it reported, before anything else moves the world.
using TickHandler = std::function<void(const TickEvents& events)>;

bool hasCourse(const Simulator& sim);
const CourseRecord* currentCourse(const Simulator& sim);

// Simulator open: clears memory, wheels and state, copies the gains, course 0, re-armed, normal
// speed. The courses must already be loaded.
void resetSimulator(Simulator& sim);
// Robot to the course's start pose, judging and lap time reset.
void rearm(Simulator& sim);

enum class PlayOutcome { Started, AlreadyRunning, NoCourse };
// 再生 after the repeat check: run a snapshot of the program from Start, lap time 0, start pose if the
// course asks, a new path. A timed course that is not armed runs untimed, with the notice that says
// why. The run keeps its snapshot: later edits of the program do not reach it.
PlayOutcome playCommand(Simulator& sim, const BlockProgram& program);
// The snapshot the current or last run executes, or null before the first 再生.
const RunProgram* runProgram(const Simulator& sim);
// A timed course with its judging armed: a run started now is timed (and shows its start banner).
bool judgingArmed(const Simulator& sim);
// 停止: stops a run (the user's stop, never a goal) and returns true; when already stopped with both
// wheels at rest, re-arms.
bool stopCommand(Simulator& sim);
// 一時停止: Running <-> Paused.
void pauseCommand(Simulator& sim);
// Course choice: re-arm on the new course, then 停止. False for an index that is not a course.
bool selectCourse(Simulator& sim, int course);
void setSlowMotion(Simulator& sim, int divisor);
// While paused: one tick as if running (1ステップ), handed to `afterTick` (may be empty) while it
// still counts as running; false when not paused.
bool stepOneTick(Simulator& sim, const TickHandler& afterTick);
// While paused: runs on until the next block starts, and pauses right after it (1ブロック).
bool stepOneBlock(Simulator& sim);
// Moves by hand: whether the robot may be moved now, whether a field point is on it, and the moves.
bool robotMovable(const Simulator& sim);
bool onRobot(const Simulator& sim, WorldPoint point);
// Puts the robot's centre at (x, y): a run moved by hand is no longer judged.
void placeRobot(Simulator& sim, float x, float y);
bool rotateRobot(Simulator& sim, WorldPoint point);  // a right click on the robot turns it by pi/8

// One 16 ms tick: interpreter, motion, walls, sensors, judging, path and lap poses. Drawing is the
// frame's (sim_frame.h); the banners, the camera and the records follow what it returns.
TickEvents stepSimulation(Simulator& sim);

}  // namespace trovel
