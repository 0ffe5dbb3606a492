#pragma once
// Orthogonal connector routes from a block output to its target; the drawing and the mouse
// both use this one routine, so what is drawn is exactly what can be grabbed.

#include <array>
#include <utility>

#include "editor/geometry.h"

namespace trovel {

// How a connector runs. The values are stable: bend dragging picks its reference edges by them.
enum class RouteCode : int {
    Overlap = 0,         // blocks too close: no route, only the marker triangle
    UpLeft = 1,          // output 0, target above, vertical run left of both blocks
    UpRight = 2,         // output 0, target above, vertical run right of both blocks
    Down = 3,            // output 0, target below; also an open output 0
    Left = 4,            // output 0, target entirely to the left
    Right = 5,           // output 0, target entirely to the right
    SideUpRight = 6,     // output 1, target above, run right of both blocks
    SideUpLeft = 7,      // output 1, target above, run left of both blocks
    SideDown = 8,        // output 1, target below and not clear to either side
    SideLeft = 9,        // output 1, target to the left
    SideRight = 10,      // output 1, target to the right
    SideDownRight = 11,  // output 1, straight right then down; also an open output 1
    SideDownLeft = 12,   // output 1, straight left then down
};

constexpr int kHandleHalf = 7;  // start handle and arrowhead half size, pixels
constexpr int kMidRadius = 5;   // mid circle radius, pixels
constexpr int kMaxRoutePoints = 6;

struct Route {
    RouteCode code = RouteCode::Overlap;
    Rect source;         // S
    Rect target;         // T: the target block, or zero-size at a dragged end / open output
    Point sourceCentre;  // (Scx, Scy)
    Point targetAnchor;  // (Tcx, Tcy): T's centre, or the point itself
    int bend = 0;        // effective bend; the block's stored bend is never changed
    bool targetIsBlock = false;
    bool linked = false;  // the output has a target block (next[i] set)
    // Codes 1..12:
    std::array<Point, kMaxRoutePoints> path{};  // path[0] is the start point; the last is T's top centre
    int pathLength = 0;                         // points used in path (0 for code 0)
    Point mid;                                  // bend handle centre, where the circle or label sits
    // Code 0 only: tip first, then the two back corners.
    std::array<Point, 3> marker{};
};

// Outputs a block of this type has: 0 for End, 2 for Branch, RandomBranch and RepeatEnd, else 1.
int outputCount(BlockType type);

// Classifies output `output` (0 or 1) of the block and builds its geometry. The output's target is
// next[output], else the dragged end when that output's drag bit is set, else an open stub.
Route routeConnector(const ActionBlock& block, int output);

inline Point startPoint(const Route& r) { return r.path[0]; }
// (Tcx, Ty): the tip of the arrowhead.
inline Point arrowTip(const Route& r) { return {r.targetAnchor.x, r.target.top}; }
// Codes 11 and 12 have no bend handle, code 0 has none either.
bool hasBendHandle(RouteCode code);
// Whether the movable segment of this route runs horizontally, so its bend follows the pointer's y
// (codes 3 and 8); otherwise the bend follows x.
bool bendFollowsY(RouteCode code);

// Reference values (first, second) captured when a bend drag starts, in the same coordinates as the
// pointer positions later given to bendFromPointer (content, or client when both are client).
std::pair<int, int> bendDragOrigin(const Route& r);
// The new bend for the pointer position `pointer` (x, or y for codes 3 and 8); no snapping.
int bendFromPointer(RouteCode code, std::pair<int, int> origin, Point pointer);

}  // namespace trovel
