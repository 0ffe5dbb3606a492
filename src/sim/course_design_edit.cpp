#include "sim/course_design_edit.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "sim/sim_world.h"

namespace trovel {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kPieceLength = 3;  // world units of centre line per straight piece
constexpr int kMaxPieces = 720;

double radians(double degrees) { return degrees * kPi / 180; }
double degrees(double radians) { return radians * 180 / kPi; }

// Angles and computed coordinates are kept to a thousandth, so that a saved file stays short and
// reads back to the same numbers.
double tidy(double v) { return std::round(v * 1000) / 1000; }

double distance(DesignPoint a, DesignPoint b) { return std::hypot(b.x - a.x, b.y - a.y); }

double segmentDistance(DesignPoint p, DesignPoint a, DesignPoint b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return distance(p, {a.x + t * dx, a.y + t * dy});
}

int piecesFor(double length) { return std::clamp(int(std::ceil(length / kPieceLength)), 1, kMaxPieces); }

DesignPoint arcPoint(const std::vector<double>& v, double angle) {
    return {v[0] + v[2] * std::cos(radians(angle)), v[1] + v[2] * std::sin(radians(angle))};
}

bool shaped(const CourseElement& e) {
    static constexpr size_t kValues[] = {4, 5, 8, 4};
    return e.v.size() == kValues[int(e.kind)];
}

bool withinDrawingRange(DesignPoint p) {
    return std::fabs(p.x) <= kMaxDrawingCoordinate && std::fabs(p.y) <= kMaxDrawingCoordinate;
}

bool insideRect(const CourseRect& area, DesignPoint p, double slack) {
    const CourseRect r = normalised(area);
    return p.x >= r.x1 - slack && p.x <= r.x2 + slack && p.y >= r.y1 - slack && p.y <= r.y2 + slack;
}

// Whole units, shifted back inside the field where the move would take it out.
CourseRect shiftedRect(const CourseRect& area, double dx, double dy) {
    const CourseRect r = normalised(area);
    double sx = std::round(dx), sy = std::round(dy);
    sx = std::clamp(sx, double(-kWorldHalfWidth - r.x1), double(kWorldHalfWidth - r.x2));
    sy = std::clamp(sy, double(-kWorldHalfHeight - r.y1), double(kWorldHalfHeight - r.y2));
    return {float(r.x1 + sx), float(r.y1 + sy), float(r.x2 + sx), float(r.y2 + sy)};
}

}  // namespace

DesignBounds unite(const DesignBounds& a, const DesignBounds& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return {std::min(a.x1, b.x1), std::min(a.y1, b.y1), std::max(a.x2, b.x2), std::max(a.y2, b.y2)};
}

std::vector<DesignPoint> elementPath(const CourseElement& e) {
    std::vector<DesignPoint> points;
    if (!shaped(e)) return points;
    const std::vector<double>& v = e.v;
    switch (e.kind) {
    case CourseElementKind::Line: points = {{v[0], v[1]}, {v[2], v[3]}}; break;
    case CourseElementKind::Arc: {
        const int n = piecesFor(std::fabs(v[2] * radians(v[4])));
        for (int i = 0; i <= n; ++i) points.push_back(arcPoint(v, v[3] + v[4] * i / n));
        break;
    }
    case CourseElementKind::Curve: {
        const DesignPoint p[4] = {{v[0], v[1]}, {v[2], v[3]}, {v[4], v[5]}, {v[6], v[7]}};
        const double around = distance(p[0], p[1]) + distance(p[1], p[2]) + distance(p[2], p[3]);
        const int n = std::max(8, piecesFor(around));
        for (int i = 0; i <= n; ++i) {
            const double t = double(i) / n, u = 1 - t;
            const double b0 = u * u * u, b1 = 3 * u * u * t, b2 = 3 * u * t * t, b3 = t * t * t;
            points.push_back({b0 * p[0].x + b1 * p[1].x + b2 * p[2].x + b3 * p[3].x,
                              b0 * p[0].y + b1 * p[1].y + b2 * p[2].y + b3 * p[3].y});
        }
        break;
    }
    case CourseElementKind::Box: points = {{v[0], v[1]}, {v[2], v[1]}, {v[2], v[3]}, {v[0], v[3]}, {v[0], v[1]}}; break;
    }
    return points;
}

DesignBounds elementBounds(const CourseElement& e) {
    DesignBounds b;
    const std::vector<DesignPoint> path = elementPath(e);
    if (path.empty()) return b;
    b = {path[0].x, path[0].y, path[0].x, path[0].y};
    for (const DesignPoint& p : path) b = unite(b, {p.x, p.y, p.x, p.y});
    const double grow = e.kind == CourseElementKind::Box ? 0 : e.width / 2;
    return {b.x1 - grow, b.y1 - grow, b.x2 + grow, b.y2 + grow};
}

double distanceToElement(const CourseElement& e, DesignPoint p) {
    const std::vector<DesignPoint> path = elementPath(e);
    if (path.empty()) return std::numeric_limits<double>::infinity();
    if (e.kind == CourseElementKind::Box) {
        const DesignBounds b = elementBounds(e);
        const double dx = std::max({b.x1 - p.x, 0.0, p.x - b.x2});
        const double dy = std::max({b.y1 - p.y, 0.0, p.y - b.y2});
        return std::hypot(dx, dy);
    }
    double nearest = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i + 1 < path.size(); ++i) nearest = std::min(nearest, segmentDistance(p, path[i], path[i + 1]));
    return std::max(0.0, nearest - e.width / 2);
}

std::vector<DesignPoint> elementEnds(const CourseElement& e) {
    if (!shaped(e) || e.kind == CourseElementKind::Box) return {};
    const std::vector<double>& v = e.v;
    switch (e.kind) {
    case CourseElementKind::Line: return {{v[0], v[1]}, {v[2], v[3]}};
    case CourseElementKind::Arc: return {arcPoint(v, v[3]), arcPoint(v, v[3] + v[4])};
    default: return {{v[0], v[1]}, {v[6], v[7]}};
    }
}

std::vector<DesignPoint> elementHandles(const CourseElement& e) {
    if (!shaped(e)) return {};
    const std::vector<double>& v = e.v;
    switch (e.kind) {
    case CourseElementKind::Arc: return {arcPoint(v, v[3]), arcPoint(v, v[3] + v[4] / 2), arcPoint(v, v[3] + v[4])};
    case CourseElementKind::Curve: return {{v[0], v[1]}, {v[2], v[3]}, {v[4], v[5]}, {v[6], v[7]}};
    default: return {{v[0], v[1]}, {v[2], v[3]}};
    }
}

bool moveHandle(CourseElement& e, int handle, DesignPoint to) {
    std::vector<DesignPoint> handles = elementHandles(e);
    if (handle < 0 || size_t(handle) >= handles.size() || !withinDrawingRange(to)) return false;
    handles[size_t(handle)] = to;
    switch (e.kind) {
    case CourseElementKind::Arc: return arcThrough(handles[0], handles[1], handles[2], e.width, e);
    case CourseElementKind::Line:
        if (handles[0] == handles[1]) return false;
        [[fallthrough]];
    case CourseElementKind::Box:
    case CourseElementKind::Curve:
        e.v.clear();
        for (const DesignPoint& p : handles) e.v.insert(e.v.end(), {p.x, p.y});
        return true;
    }
    return false;
}

void moveElement(CourseElement& e, double dx, double dy) {
    // An arc's values after its centre are a radius and angles.
    const size_t points = e.kind == CourseElementKind::Arc ? 2 : e.v.size();
    for (size_t i = 0; i < points && i < e.v.size(); ++i) e.v[i] += i % 2 == 0 ? dx : dy;
}

bool arcThrough(DesignPoint a, DesignPoint m, DesignPoint b, double width, CourseElement& arc) {
    const double d = 2 * (a.x * (m.y - b.y) + m.x * (b.y - a.y) + b.x * (a.y - m.y));
    if (a == b || a == m || m == b || d == 0) return false;
    const double a2 = a.x * a.x + a.y * a.y, m2 = m.x * m.x + m.y * m.y, b2 = b.x * b.x + b.y * b.y;
    const DesignPoint c{(a2 * (m.y - b.y) + m2 * (b.y - a.y) + b2 * (a.y - m.y)) / d,
                        (a2 * (b.x - m.x) + m2 * (a.x - b.x) + b2 * (m.x - a.x)) / d};
    const double r = distance(a, c);
    // Nearly on one line: a circle far larger than anything a course file may hold.
    if (!withinDrawingRange(c) || !(r > 0) || r > kMaxDrawingCoordinate) return false;
    auto around = [](double from, double to) {  // degrees from `from` to `to`, clockwise on the screen, 0..360
        double t = std::fmod(to - from, 360.0);
        return t < 0 ? t + 360 : t;
    };
    const double start = degrees(std::atan2(a.y - c.y, a.x - c.x));
    const double toMiddle = around(start, degrees(std::atan2(m.y - c.y, m.x - c.x)));
    const double toEnd = around(start, degrees(std::atan2(b.y - c.y, b.x - c.x)));
    const double sweep = toMiddle < toEnd ? toEnd : toEnd - 360;
    if (tidy(sweep) == 0 || tidy(r) == 0) return false;
    arc.kind = CourseElementKind::Arc;
    arc.v = {tidy(c.x), tidy(c.y), tidy(r), tidy(start), tidy(sweep)};
    arc.width = width;
    return true;
}

bool makeElement(CourseElementKind kind, DesignPoint from, DesignPoint to, double width, CourseElement& made) {
    if (from == to || !withinDrawingRange(from) || !withinDrawingRange(to)) return false;
    made = CourseElement{};
    made.kind = kind;
    made.width = width;
    // Half the way, turned to the right of it (y points down, so (x, y) -> (-y, x) turns clockwise).
    const double hx = (to.x - from.x) / 2, hy = (to.y - from.y) / 2;
    const DesignPoint bend{-hy, hx};
    switch (kind) {
    case CourseElementKind::Line:
    case CourseElementKind::Box: made.v = {from.x, from.y, to.x, to.y}; return true;
    case CourseElementKind::Arc: return arcThrough(from, {from.x + hx + bend.x, from.y + hy + bend.y}, to, width, made);
    case CourseElementKind::Curve:
        made.v = {from.x,
                  from.y,
                  tidy(from.x + hx * 2 / 3 + bend.x / 2),
                  tidy(from.y + hy * 2 / 3 + bend.y / 2),
                  tidy(to.x - hx * 2 / 3 + bend.x / 2),
                  tidy(to.y - hy * 2 / 3 + bend.y / 2),
                  to.x,
                  to.y};
        return true;
    }
    return false;
}

DesignPoint snapPoint(const CourseDesign& d, DesignPoint p, const SnapRule& rule, int skipElement) {
    if (rule.toEnds) {
        double best = rule.reach;
        DesignPoint found = p;
        bool any = false;
        for (size_t i = 0; i < d.elements.size(); ++i) {
            if (int(i) == skipElement) continue;
            for (const DesignPoint& end : elementEnds(d.elements[i])) {
                const double gap = distance(p, end);
                if (gap <= best) {
                    best = gap;
                    found = end;
                    any = true;
                }
            }
        }
        if (any) return {tidy(found.x), tidy(found.y)};
    }
    if (rule.toGrid && rule.grid > 0)
        return {std::round(p.x / rule.grid) * rule.grid, std::round(p.y / rule.grid) * rule.grid};
    return p;
}

DesignPoint startHandle(const CourseDesign& d) {
    return {d.startX + kStartHandleDistance * std::cos(radians(d.startHeading)),
            d.startY + kStartHandleDistance * std::sin(radians(d.startHeading))};
}

DesignHit hitDesign(const CourseDesign& d, DesignPoint p, double slack, int selectedElement) {
    if (selectedElement >= 0 && size_t(selectedElement) < d.elements.size()) {
        const std::vector<DesignPoint> handles = elementHandles(d.elements[size_t(selectedElement)]);
        for (size_t i = 0; i < handles.size(); ++i)
            if (distance(p, handles[i]) <= slack + 3) return {DesignPart::Handle, selectedElement, int(i)};
    }
    if (distance(p, startHandle(d)) <= slack + 5) return {DesignPart::StartHandle};
    if (std::fabs(p.x - d.startX) <= kStartGrabHalf + slack && std::fabs(p.y - d.startY) <= kStartGrabHalf + slack)
        return {DesignPart::Start};
    for (size_t i = d.elements.size(); i-- > 0;)
        if (distanceToElement(d.elements[i], p) <= slack) return {DesignPart::Element, int(i)};
    for (size_t i = d.checkpoints.size(); i-- > 0;)
        if (insideRect(d.checkpoints[i], p, slack)) return {DesignPart::Checkpoint, int(i)};
    if ((d.judgingFlags & JudgeFlag::Timed) && insideRect(d.goal, p, slack)) return {DesignPart::Goal};
    if ((d.judgingFlags & JudgeFlag::Forbidden) && insideRect(d.forbidden, p, slack)) return {DesignPart::Forbidden};
    return {};
}

CourseRect fieldRect(DesignPoint a, DesignPoint b) {
    auto x = [](double v) {
        return float(std::clamp(std::round(v), double(-kWorldHalfWidth), double(kWorldHalfWidth)));
    };
    auto y = [](double v) {
        return float(std::clamp(std::round(v), double(-kWorldHalfHeight), double(kWorldHalfHeight)));
    };
    return normalised({x(a.x), y(a.y), x(b.x), y(b.y)});
}

void setGoal(CourseDesign& d, const CourseRect& goal) {
    d.goal = normalised(goal);
    d.judgingFlags |= JudgeFlag::Timed;
}

void removeGoal(CourseDesign& d) {
    d.judgingFlags = 0;
    d.goal = {};
    d.forbidden = {};
    d.checkpoints.clear();
}

bool addCheckpoint(CourseDesign& d, const CourseRect& r) {
    if (!(d.judgingFlags & JudgeFlag::Timed) || d.checkpoints.size() >= kMaxCheckpoints) return false;
    d.checkpoints.push_back(normalised(r));
    d.judgingFlags |= JudgeFlag::Checkpoints;
    return true;
}

bool setForbidden(CourseDesign& d, const CourseRect& r) {
    if (!(d.judgingFlags & JudgeFlag::Timed)) return false;
    d.forbidden = normalised(r);
    d.judgingFlags |= JudgeFlag::Forbidden;
    return true;
}

bool reorderCheckpoint(CourseDesign& d, int index, int to) {
    const int count = int(d.checkpoints.size());
    if (index < 0 || index >= count || to < 0 || to >= count) return false;
    const CourseRect moved = d.checkpoints[size_t(index)];
    d.checkpoints.erase(d.checkpoints.begin() + index);
    d.checkpoints.insert(d.checkpoints.begin() + to, moved);
    return true;
}

bool movePart(CourseDesign& d, const DesignHit& hit, double dx, double dy) {
    switch (hit.part) {
    case DesignPart::Element:
        if (hit.index < 0 || size_t(hit.index) >= d.elements.size()) return false;
        moveElement(d.elements[size_t(hit.index)], dx, dy);
        return true;
    case DesignPart::Start:
        d.startX = std::clamp(d.startX + dx, double(-kWorldHalfWidth), double(kWorldHalfWidth));
        d.startY = std::clamp(d.startY + dy, double(-kWorldHalfHeight), double(kWorldHalfHeight));
        return true;
    case DesignPart::Goal:
        if (!(d.judgingFlags & JudgeFlag::Timed)) return false;
        d.goal = shiftedRect(d.goal, dx, dy);
        return true;
    case DesignPart::Forbidden:
        if (!(d.judgingFlags & JudgeFlag::Forbidden)) return false;
        d.forbidden = shiftedRect(d.forbidden, dx, dy);
        return true;
    case DesignPart::Checkpoint:
        if (hit.index < 0 || size_t(hit.index) >= d.checkpoints.size()) return false;
        d.checkpoints[size_t(hit.index)] = shiftedRect(d.checkpoints[size_t(hit.index)], dx, dy);
        return true;
    default: return false;
    }
}

bool deletePart(CourseDesign& d, const DesignHit& hit) {
    switch (hit.part) {
    case DesignPart::Element:
    case DesignPart::Handle:
        if (hit.index < 0 || size_t(hit.index) >= d.elements.size()) return false;
        d.elements.erase(d.elements.begin() + hit.index);
        return true;
    case DesignPart::Goal:
        if (!(d.judgingFlags & JudgeFlag::Timed)) return false;
        removeGoal(d);
        return true;
    case DesignPart::Forbidden:
        if (!(d.judgingFlags & JudgeFlag::Forbidden)) return false;
        d.judgingFlags &= ~JudgeFlag::Forbidden;
        d.forbidden = {};
        return true;
    case DesignPart::Checkpoint:
        if (hit.index < 0 || size_t(hit.index) >= d.checkpoints.size()) return false;
        d.checkpoints.erase(d.checkpoints.begin() + hit.index);
        if (d.checkpoints.empty()) d.judgingFlags &= ~JudgeFlag::Checkpoints;
        return true;
    default: return false;
    }
}

double normalisedHeading(double degrees) {
    double h = std::fmod(degrees, 360.0);
    if (h <= -180) h += 360;
    if (h > 180) h -= 360;
    return h;
}

void aimStart(CourseDesign& d, DesignPoint toward, double step) {
    if (toward.x == d.startX && toward.y == d.startY) return;
    const double s = step > 1 ? step : 1;
    const double heading = degrees(std::atan2(toward.y - d.startY, toward.x - d.startX));
    d.startHeading = normalisedHeading(std::round(heading / s) * s);
}

void resetHistory(DesignHistory& h, const CourseDesign& d) {
    h.steps.assign(1, d);
    h.current = 0;
}

bool recordDesign(DesignHistory& h, const CourseDesign& d) {
    if (h.steps.empty()) {
        resetHistory(h, d);
        return true;
    }
    if (h.steps[h.current] == d) return false;
    h.steps.resize(h.current + 1);
    h.steps.push_back(d);
    if (h.steps.size() > h.limit + 1) h.steps.erase(h.steps.begin(), h.steps.end() - std::ptrdiff_t(h.limit + 1));
    h.current = h.steps.size() - 1;
    return true;
}

bool canUndo(const DesignHistory& h) { return h.current > 0 && h.current < h.steps.size(); }
bool canRedo(const DesignHistory& h) { return h.current + 1 < h.steps.size(); }

bool undoDesign(DesignHistory& h, CourseDesign& d) {
    if (!canUndo(h)) return false;
    d = h.steps[--h.current];
    return true;
}

bool redoDesign(DesignHistory& h, CourseDesign& d) {
    if (!canRedo(h)) return false;
    d = h.steps[++h.current];
    return true;
}

}  // namespace trovel
