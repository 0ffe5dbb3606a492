#pragma once
// Judging of a timed run: goal, checkpoints, forbidden area, leaving the line, sensor use, lap time.

#include <array>
#include <cstdint>

#include "model/run_program.h"
#include "sim/block_interpreter.h"
#include "sim/course_config.h"
#include "sim/sim_robot.h"

namespace trovel {

namespace RunResult {
constexpr int NotJudged = 0;  // course not timed, or the robot was moved by hand
constexpr int Armed = 1;      // judging and lap timing are active
constexpr int LeftLine = 2;   // all floor points bright for too long
constexpr int NoSensorBranch = 3;
constexpr int PassedGoal = 4;  // ran through the goal of a stop-in-goal course
constexpr int Forbidden = 5;
constexpr int MissedCheckpoint = 6;
constexpr int EndedOutsideGoal = 7;
constexpr int Goal = 8;
}  // namespace RunResult

constexpr int kMaxLapMs = 599999;

struct RunJudge {
    int result = RunResult::NotJudged;
    int nextCheckpoint = 0;                      // 0..n
    bool hasLeftGoal = false;                    // set on the first judged tick outside the goal area
    int offLineTicks = 0;                        // consecutive ticks with all five floor points bright
    bool wasInGoal = false;                      // overlapped the goal on the previous judged tick
    SimState previousState = SimState::Stopped;  // at the end of the previous judged tick
    int lapMs = 0;
};

// What a judged tick decided.
struct JudgeEvents {
    bool goal = false;           // the run reached the goal, in judge.lapMs
    int failure = 0;             // the new RunResult when the run failed this tick, else 0
    bool stoppedInGoal = false;  // the user's 停止 inside a stop-in-goal course's goal: no goal, not judged
};

// Strict overlap of the judging square (half-size r) with a rectangle.
bool overlaps(float x, float y, float r, const CourseRect& rect);
// True when some Branch block's first operand is a floor sensor (addresses 9..12).
bool programUsesFloorSensor(const RunProgram& program);

// Resets judging for the course; the robot's pose is the caller's.
void rearmJudge(RunJudge& judge, const CourseRecord& course);

struct JudgeInput {
    const SimRobot& robot;
    SimState state;
    const std::array<uint8_t, kFloorPointCount>& floor;
    bool motionTick;  // phase 0 and not an inner tick: the off-line rule counts
    float robotHalf;
    bool stoppedByUser = false;  // Stopped by 停止 (or an edit), not by the program's own end
};
// One judged tick, only while the result is Armed. `program` is the run's snapshot, null before the
// first run. Whether a goal's lap is a record is for the records' owner to say.
JudgeEvents judgeTick(RunJudge& judge, const CourseRecord& course, const JudgeInput& in, const RunProgram* program);

}  // namespace trovel
