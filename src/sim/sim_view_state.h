#pragma once
// What the studio shows of the simulator's world and plays beside it: the camera, what the frame
// draws besides the world, the robot held by the mouse, the banners and their sounds. The window's
// commands and what every tick reports feed it; the world never reaches it.

#include <string>
#include <vector>

#include "sim/sim_camera.h"
#include "sim/sim_effects.h"
#include "sim/sim_world.h"

namespace trovel {

struct Simulator;
struct TickEvents;

struct SimViewState {
    SimCamera camera;                           // zoom, scroll and the follow of the robot
    bool showPath = false;                      // the frame draws the path
    bool showGhost = true;                      // the frame draws the ghost of the course's best lap
    bool showLowerRobot = false;                // the sensors-3-and-4 option shows the other robot picture
    bool dragging = false;                      // the robot is held by the mouse
    WorldPoint grabOffset;                      // pointer minus robot centre while dragging
    EffectTable effects;                        // the start, goal, failure and record banners
    std::vector<std::u16string> pendingSounds;  // sound files to play, taken by the window
};

// The simulator opened: zoomed out, no banner, nothing held, no sound waiting. What the frame was
// asked to draw stays.
void resetView(SimViewState& view);
void setZoom(SimViewState& view, float zoom);

// 再生 started a run (PlayOutcome::Started): a timed one shows its start banner.
void showRunStarted(SimViewState& view, const Simulator& sim);
// 停止 or a course choice: every banner goes, a goal's or a failure's would be stale now.
// `runStopped`: the command ended a run, which lets go of the robot.
void showRunStopped(SimViewState& view, bool runStopped);
// After every tick: the goal's banner and sound, the record's banner when the records' owner found
// the goal's lap a record (`newRecord`), a failure's banner and sound; then the banners move on, the
// camera follows the robot, and a run whose program ended lets go of the robot.
void showTick(SimViewState& view, const Simulator& sim, const TickEvents& events, bool newRecord);

// The mouse takes hold of the robot when it may be moved and the point is on it (true), moves it
// with the pointer held to the field, and lets go.
bool grabRobot(SimViewState& view, const Simulator& sim, WorldPoint point);
void dragRobotTo(SimViewState& view, Simulator& sim, WorldPoint point);
void releaseRobot(SimViewState& view);

}  // namespace trovel
