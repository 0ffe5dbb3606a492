#include "sim/run_judge.h"

#include <cmath>

namespace trovel {

bool overlaps(float x, float y, float r, const CourseRect& rect) {
    float hw = (rect.x2 - rect.x1) / 2;
    float hh = (rect.y2 - rect.y1) / 2;
    float cx = rect.x1 + hw, cy = rect.y1 + hh;
    return std::fabs(x - cx) < hw + r && std::fabs(y - cy) < hh + r;
}

bool programUsesFloorSensor(const RunProgram& program) {
    for (const RunBlock& block : program.blocks) {
        if (block.type != BlockType::Branch) continue;
        uint8_t address = branchOperandAddress(block.param[0]);
        if (address >= MemoryMap::LeftSensor && address <= MemoryMap::Sensor4) return true;
    }
    return false;
}

void rearmJudge(RunJudge& judge, const CourseRecord& course) {
    judge.result = (course.judgingFlags & JudgeFlag::Timed) ? RunResult::Armed : RunResult::NotJudged;
    judge.nextCheckpoint = 0;
    judge.hasLeftGoal = false;
    judge.offLineTicks = 0;
    judge.lapMs = 0;
}

JudgeEvents judgeTick(RunJudge& j, const CourseRecord& course, const JudgeInput& in, const RunProgram* program) {
    JudgeEvents events;
    if (j.result != RunResult::Armed) return events;
    const int flags = course.judgingFlags;
    const float r = in.robotHalf;
    const float x = in.robot.x, y = in.robot.y;
    // Every rule that fails the run writes its result, so the last rule broken in a tick is the one shown.
    auto fail = [&](int result) { j.result = result; };

    if (in.state == SimState::Running) {
        if ((flags & JudgeFlag::OffLine) && in.motionTick) {
            bool allBright = true;
            for (uint8_t v : in.floor) allBright = allBright && v < course.offLineThreshold;
            if (allBright) {
                if (j.offLineTicks > course.offLineTicks) fail(RunResult::LeftLine);
                ++j.offLineTicks;
            } else {
                j.offLineTicks = 0;
            }
        }
        if ((flags & JudgeFlag::Forbidden) && overlaps(x, y, r, course.forbidden)) fail(RunResult::Forbidden);
        if (flags & JudgeFlag::Checkpoints) {
            for (int k = 0; k < static_cast<int>(course.checkpoints.size()); ++k) {
                if (!overlaps(x, y, r, course.checkpoints[size_t(k)])) continue;
                if (k == j.nextCheckpoint) {
                    ++j.nextCheckpoint;
                } else if (k > j.nextCheckpoint) {
                    fail(RunResult::MissedCheckpoint);
                    break;
                }
            }
        }
        if ((flags & JudgeFlag::SensorUse) && j.previousState == SimState::Stopped &&
            !(program && programUsesFloorSensor(*program)))
            fail(RunResult::NoSensorBranch);
    }

    const bool inside = overlaps(x, y, r, course.goal);
    const bool stopInGoal = (flags & JudgeFlag::StopInGoal) != 0;
    const bool ranUntilNow = j.previousState == SimState::Running;
    const bool stoppedNow = in.state == SimState::Stopped && j.previousState != SimState::Stopped;
    // Only the program can stop the robot in the goal: the user's 停止 ends the run but is no goal.
    const bool userStopped = stoppedNow && in.stoppedByUser;
    bool goal = false;
    if (inside && j.hasLeftGoal) {
        if ((flags & JudgeFlag::Checkpoints) && j.nextCheckpoint < static_cast<int>(course.checkpoints.size()))
            fail(RunResult::MissedCheckpoint);
        else if (!stopInGoal) goal = true;
        else if (userStopped) events.stoppedInGoal = true;
        else
            goal = (ranUntilNow && in.robot.leftSpeed == 0 && in.robot.rightSpeed == 0) ||
                   (in.state == SimState::Stopped && ranUntilNow);
    } else if (!inside && !j.hasLeftGoal) {
        j.hasLeftGoal = true;
    } else if (!inside && j.hasLeftGoal) {
        if (j.wasInGoal && stopInGoal) fail(RunResult::PassedGoal);
        else if ((ranUntilNow || userStopped) && in.state == SimState::Stopped)
            fail(RunResult::EndedOutsideGoal);  // also after a pause: a stopped run is never timed on
    }
    // Not a goal and no failure of the program: the run is simply not judged any more.
    if (events.stoppedInGoal) j.result = RunResult::NotJudged;
    // The goal is judged last: reached on the tick a rule fails, it is still a goal.
    if (goal) {
        j.result = RunResult::Goal;
        events.goal = true;
    }
    j.wasInGoal = inside;
    if (j.result != RunResult::Armed && j.result != RunResult::Goal && j.result != RunResult::NotJudged)
        events.failure = j.result;
    j.previousState = in.state;
    return events;
}

}  // namespace trovel
