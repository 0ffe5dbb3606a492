#pragma once
// Where the robot went: one point per tick on which its wheels drove it, from the last re-arm on.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace trovel {

struct PathPoint {
    float x = 0;  // robot centre after the tick, world units
    float y = 0;
    bool operator==(const PathPoint&) const = default;
};

// Ten minutes of driving and more; beyond it the oldest quarter gives way.
constexpr size_t kMaxPathPoints = size_t(1) << 16;

struct RunPath {
    std::vector<PathPoint> points;  // oldest first
    uint64_t dropped = 0;           // points given way to keep within kMaxPathPoints
};

void addPathPoint(RunPath& path, float x, float y);
void clearPath(RunPath& path);

// Colour (ARGB) of the path at `position` of `count` points: blue at the start of the run through
// green and yellow to red at the robot.
uint32_t pathColour(size_t position, size_t count);

}  // namespace trovel
