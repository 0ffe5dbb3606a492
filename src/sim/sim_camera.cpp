#include "sim/sim_camera.h"

#include <cmath>

namespace trovel {

void updateCamera(SimCamera& c, float robotX, float robotY) {
    if (c.zoom <= 1) {
        c.x = -kWorldHalfWidth / c.zoom;
        c.y = -kWorldHalfHeight / c.zoom;
        c.following = false;
        return;
    }
    float hx = kWorldHalfWidth / c.zoom, hy = kWorldHalfHeight / c.zoom;
    float margin = 35 * c.zoom;
    if (std::fabs(robotX - (c.x + hx)) > hx - margin || std::fabs(robotY - (c.y + hy)) > hy - margin) {
        c.following = true;
        c.targetX = robotX - hx;
        c.targetY = robotY - hy;
    }
    if (!c.following) return;
    float divisor = 40 / c.zoom;
    c.x += (c.targetX - c.x) / divisor;
    c.y += (c.targetY - c.y) / divisor;
    if (std::fabs(c.targetX - c.x) < 2 && std::fabs(c.targetY - c.y) < 2) {
        c.x = c.targetX;
        c.y = c.targetY;
        c.following = false;
    }
}

WorldPoint viewToWorld(const SimCamera& c, float px, float py, float w, float h) {
    return {px / (w / 2) * kWorldHalfWidth / c.zoom + c.x, py / (h / 2) * kWorldHalfHeight / c.zoom + c.y};
}

}  // namespace trovel
