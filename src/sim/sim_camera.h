#pragma once
// The view onto the 700 x 500 field: zoom, scroll, and the smooth follow of the robot when zoomed in.

#include "sim/sim_world.h"

namespace trovel {

constexpr float kZoomOut = 0.99f;

struct SimCamera {
    float x = -kWorldHalfWidth / kZoomOut;  // world coordinates of the view's top-left corner
    float y = -kWorldHalfHeight / kZoomOut;
    float zoom = kZoomOut;   // 0.99, 2 or 4
    bool following = false;  // scrolling toward the target
    float targetX = 0;
    float targetY = 0;
};

// Once per tick: zoomed out the whole field shows; zoomed in the view scrolls to keep the robot in it.
void updateCamera(SimCamera& camera, float robotX, float robotY);

// A point of the view (client pixels of a w x h view) on the field.
WorldPoint viewToWorld(const SimCamera& camera, float px, float py, float w, float h);

}  // namespace trovel
