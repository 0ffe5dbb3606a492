#pragma once
// The picture of the simulator's state, built when the window is about to draw: course, badge,
// path, ghost, robot and LEDs, judging areas, status and effects. Ticks never draw.

#include "sim/draw_list.h"

namespace trovel {

struct Simulator;
struct SimViewState;
struct LapRecords;

// The frame as the last tick left the world, with what the view shows beside it (the path and the
// ghost when asked for, the banners) and the course's best time and ghost from the records. The same
// state always gives the same frame.
DrawList buildFrame(const Simulator& sim, const SimViewState& view, const LapRecords& records);

}  // namespace trovel
