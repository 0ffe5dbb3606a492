#pragma once
// The picture of the simulator's state, built when the window is about to draw: course, badge,
// path, ghost, robot and LEDs, judging areas, status and effects. Ticks never draw.

#include "sim/draw_list.h"

namespace trovel {

struct Simulator;

// The frame as the last tick left the state; the same state always gives the same frame.
DrawList buildFrame(const Simulator& sim);

}  // namespace trovel
