#pragma once
// The field the robot drives on, in world units: the origin at its centre, x to the right, y down.
// The course picture covers it exactly.

namespace trovel {

constexpr float kWorldHalfWidth = 350;
constexpr float kWorldHalfHeight = 250;

struct WorldPoint {
    float x = 0;
    float y = 0;
};

}  // namespace trovel
