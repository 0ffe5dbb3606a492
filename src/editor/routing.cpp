#include "editor/routing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace trovel {

namespace {

constexpr int kGap = 8;                      // clearance each block keeps around itself when classifying
constexpr int kStep = 9;                     // first and last run of a detour
constexpr int kMarkerInset = 12;             // marker tip distance inside the target edge
constexpr double kMarkerSpread = 0.3488889;  // half opening angle of the marker, radians
constexpr double kMarkerLength = 24.0;

RouteCode classifyOutput0(const Rect& s, const Rect& t, Point sc, Point tc) {
    if (s.bottom + kGap < t.top - kGap) return RouteCode::Down;
    if (s.left - kGap > t.right + kGap) return RouteCode::Left;
    if (s.right + kGap < t.left - kGap) return RouteCode::Right;
    if (t.bottom + kGap >= s.top - kGap) return RouteCode::Overlap;
    return sc.x < tc.x ? RouteCode::UpRight : RouteCode::UpLeft;
}

RouteCode classifyOutput1(const Rect& s, const Rect& t, Point sc, Point tc, bool targetIsBlock) {
    if (s.bottom + kGap < t.top - kGap) {
        if (s.right + kGap < tc.x) return RouteCode::SideDownRight;
        if (targetIsBlock && tc.x < s.left - kGap) return RouteCode::SideDownLeft;
        return RouteCode::SideDown;
    }
    if (t.right + kGap < s.left - kGap) return RouteCode::SideLeft;
    if (s.right + kGap < t.left - kGap) return RouteCode::SideRight;
    if (t.bottom + kGap < s.top - kGap) return sc.x < tc.x ? RouteCode::SideUpLeft : RouteCode::SideUpRight;
    return RouteCode::Overlap;
}

int effectiveBend(RouteCode code, int bend, const Rect& s, const Rect& t) {
    int b = bend;
    if (code == RouteCode::Down || code == RouteCode::SideDown) b = std::min(b, std::abs(t.top - s.bottom));
    switch (code) {
    case RouteCode::Down:
    case RouteCode::SideUpRight:
    case RouteCode::SideUpLeft:
    case RouteCode::SideDown:
    case RouteCode::SideLeft:
    case RouteCode::SideRight: return std::max(b, 0);
    default: return b;
    }
}

void setPath(Route& r, std::initializer_list<Point> points) {
    r.pathLength = 0;
    for (Point p : points) r.path[static_cast<size_t>(r.pathLength++)] = p;
}

void buildMarker(Route& r) {
    const Rect& s = r.source;
    const Rect& t = r.target;
    Point sc = r.sourceCentre, tc = r.targetAnchor;
    Point tip;
    if (std::abs(tc.x - sc.x) >= std::abs(tc.y - sc.y)) {
        tip.x = s.right >= t.right ? t.right - kMarkerInset : t.left + kMarkerInset;
        tip.y = (sc.y + tc.y) / 2;
    } else {
        tip.y = t.top >= s.top ? t.top + kMarkerInset : t.bottom - kMarkerInset;
        tip.x = (sc.x + tc.x) / 2;
    }
    double theta = std::atan2(static_cast<double>(tc.y - sc.y), static_cast<double>(tc.x - sc.x));
    auto corner = [&](double angle) {
        return Point{static_cast<int>(tip.x - kMarkerLength * std::cos(angle)),
                     static_cast<int>(tip.y - kMarkerLength * std::sin(angle))};
    };
    r.marker = {tip, corner(theta - kMarkerSpread), corner(theta + kMarkerSpread)};
}

void buildGeometry(Route& r) {
    const Rect& s = r.source;
    const Rect& t = r.target;
    const int scx = r.sourceCentre.x, scy = r.sourceCentre.y;
    const int tcx = r.targetAnchor.x, tcy = r.targetAnchor.y;
    const int B = r.bend;
    switch (r.code) {
    case RouteCode::Overlap:
        r.pathLength = 0;
        buildMarker(r);
        return;
    case RouteCode::Down:
        setPath(r, {{scx, s.bottom}, {scx, s.bottom + B}, {tcx, s.bottom + B}, {tcx, t.top}});
        r.mid = {(scx + tcx) / 2, s.bottom + B};
        return;
    case RouteCode::UpLeft:
    case RouteCode::UpRight: {
        int x = r.code == RouteCode::UpLeft ? std::min(s.left, t.left) - B : std::max(s.right, t.right) + B;
        setPath(r, {{scx, s.bottom},
                    {scx, s.bottom + kStep},
                    {x, s.bottom + kStep},
                    {x, t.top - kStep},
                    {tcx, t.top - kStep},
                    {tcx, t.top}});
        r.mid = {x, scy + (tcy - scy) / 2};
        return;
    }
    case RouteCode::Left:
    case RouteCode::Right: {
        int x = r.code == RouteCode::Left ? t.right + B : t.left - B;
        setPath(r, {{scx, s.bottom},
                    {scx, s.bottom + kStep},
                    {x, s.bottom + kStep},
                    {x, t.top - kStep},
                    {tcx, t.top - kStep},
                    {tcx, t.top}});
        r.mid = {x, tcy + (scy - tcy) / 2};
        return;
    }
    case RouteCode::SideDownRight:
        setPath(r, {{s.right, scy}, {tcx, scy}, {tcx, t.top}});
        r.mid = {tcx, scy + (t.top - scy) / 2};
        return;
    case RouteCode::SideDownLeft:
        setPath(r, {{s.left, scy}, {tcx, scy}, {tcx, t.top}});
        r.mid = {tcx, scy + (t.top - scy) / 2};
        return;
    case RouteCode::SideDown:
        setPath(r, {{s.right, scy},
                    {s.right + kStep, scy},
                    {s.right + kStep, s.bottom + B},
                    {tcx, s.bottom + B},
                    {tcx, t.top}});
        r.mid = {tcx + (s.right - tcx + kStep) / 2, s.bottom + B};
        return;
    case RouteCode::SideLeft:
        setPath(r, {{s.left, scy}, {s.left - B, scy}, {s.left - B, t.top - kStep}, {tcx, t.top - kStep}, {tcx, t.top}});
        r.mid = {s.left - B, scy + (t.top - kStep - scy) / 2};
        return;
    case RouteCode::SideRight:
        setPath(r,
                {{s.right, scy}, {s.right + B, scy}, {s.right + B, t.top - kStep}, {tcx, t.top - kStep}, {tcx, t.top}});
        r.mid = {s.right + B, scy + (t.top - kStep - scy) / 2};
        return;
    case RouteCode::SideUpRight:
    case RouteCode::SideUpLeft: {
        bool right = r.code == RouteCode::SideUpRight;
        int x = right ? std::max(s.right, t.right) + B : std::min(s.left, t.left) - B;
        setPath(r, {{right ? s.right : s.left, scy}, {x, scy}, {x, t.top - kStep}, {tcx, t.top - kStep}, {tcx, t.top}});
        r.mid = {x, scy + (tcy - scy) / 2};
        return;
    }
    }
}

}  // namespace

int outputCount(BlockType type) {
    if (type == BlockType::End) return 0;
    return hasSecondOutput(type) ? 2 : 1;
}

Route routeConnector(const ActionBlock& block, int output) {
    Route r;
    const size_t i = output == 1 ? 1 : 0;
    r.source = blockRect(block);
    r.sourceCentre = blockCentre(block);
    const uint32_t dragBit = i == 0 ? FlagEndDrag0 : FlagEndDrag1;
    bool stub = false;
    if (const ActionBlock* target = block.next[i]) {
        r.target = blockRect(*target);
        r.targetAnchor = blockCentre(*target);
        r.targetIsBlock = true;
        r.linked = true;
    } else if (block.flags & dragBit) {
        r.target = {block.dragX, block.dragY, block.dragX, block.dragY};
        r.targetAnchor = {block.dragX, block.dragY};
    } else {
        stub = true;
        Point p = i == 0 ? Point{r.sourceCentre.x, r.source.bottom} : Point{r.source.right, r.sourceCentre.y};
        r.target = {p.x, p.y, p.x, p.y};
        r.targetAnchor = p;
    }
    if (stub) r.code = i == 0 ? RouteCode::Down : RouteCode::SideDownRight;
    else if (i == 0) r.code = classifyOutput0(r.source, r.target, r.sourceCentre, r.targetAnchor);
    else r.code = classifyOutput1(r.source, r.target, r.sourceCentre, r.targetAnchor, r.targetIsBlock);
    r.bend = effectiveBend(r.code, block.bend[i], r.source, r.target);
    buildGeometry(r);
    return r;
}

bool hasBendHandle(RouteCode code) {
    return code != RouteCode::Overlap && code != RouteCode::SideDownRight && code != RouteCode::SideDownLeft;
}

bool bendFollowsY(RouteCode code) { return code == RouteCode::Down || code == RouteCode::SideDown; }

std::pair<int, int> bendDragOrigin(const Route& r) {
    const Rect& s = r.source;
    const Rect& t = r.target;
    switch (r.code) {
    case RouteCode::UpLeft:
    case RouteCode::Right: return {s.left, t.left};
    case RouteCode::UpRight: return {t.right, t.left};
    case RouteCode::Down:
    case RouteCode::SideDown: return {s.bottom, t.top};
    case RouteCode::Left: return {s.right, t.right};
    case RouteCode::SideUpRight: return {t.right, s.right};
    case RouteCode::SideUpLeft:
    case RouteCode::SideLeft: return {t.right, s.left};
    case RouteCode::SideRight: return {t.left, s.right};
    default: return {0, 0};
    }
}

int bendFromPointer(RouteCode code, std::pair<int, int> origin, Point pointer) {
    const int value = bendFollowsY(code) ? pointer.y : pointer.x;
    switch (code) {
    case RouteCode::UpRight:
    case RouteCode::Down:
    case RouteCode::SideDown: return value - origin.first;
    case RouteCode::Left:
    case RouteCode::SideUpRight:
    case RouteCode::SideRight: return value - origin.second;
    default: return origin.second - value;
    }
}

}  // namespace trovel
