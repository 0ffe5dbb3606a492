#include "sim/course_raster.h"

#include <algorithm>
#include <cmath>

#include "sim/sim_world.h"

namespace trovel {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kChord = 2.0;    // curves are drawn as chords at least this long
constexpr int kMaxChords = 4096;  // per curve

// Pixel space: x = world x + 350 across, y = world y + 250 down; pixel (col, row) has its centre
// at (col + 0.5, row + 0.5). The picture stores rows bottom-up.
struct Canvas {
    CoursePicture& picture;
    uint8_t* at(int col, int row) {
        return picture.pixels.data() + 3 * (size_t(col) + size_t(kCourseWidth) * size_t(kCourseHeight - 1 - row));
    }
    void span(int row, double lo, double hi) {
        const int first = std::max(0, int(std::ceil(lo - 0.5)));
        const int last = std::min(kCourseWidth - 1, int(std::floor(hi - 0.5)));
        for (int col = first; col <= last; ++col) {
            uint8_t* p = at(col, row);
            p[0] = p[1] = p[2] = 0;
        }
    }
};

struct Point {
    double x, y;
};

Point toPixel(double wx, double wy) { return {wx + kWorldHalfWidth, wy + kWorldHalfHeight}; }

// The rows whose centres lie in [top, bottom].
void rowRange(double top, double bottom, int& first, int& last) {
    first = std::max(0, int(std::ceil(std::max(top, -1.0) - 0.5)));
    last = std::min(kCourseHeight - 1, int(std::floor(std::min(bottom, double(kCourseHeight) + 1) - 0.5)));
}

// Every pixel within `radius` of the segment a-b (a stroke with round ends). The shape is convex,
// so on each row it covers one run: from the leftmost to the rightmost point where the row meets
// its two end discs or the sides of its body.
void capsule(Canvas& c, Point a, Point b, double radius) {
    int first = 0, last = -1;
    rowRange(std::min(a.y, b.y) - radius, std::max(a.y, b.y) + radius, first, last);
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length = std::sqrt(dx * dx + dy * dy);
    Point corners[4] = {};
    if (length > 0) {
        const double nx = -dy / length * radius, ny = dx / length * radius;
        corners[0] = {a.x + nx, a.y + ny};
        corners[1] = {b.x + nx, b.y + ny};
        corners[2] = {b.x - nx, b.y - ny};
        corners[3] = {a.x - nx, a.y - ny};
    }
    for (int row = first; row <= last; ++row) {
        const double y = row + 0.5;
        double lo = HUGE_VAL, hi = -HUGE_VAL;
        for (const Point& p : {a, b}) {
            const double d = y - p.y;
            if (std::fabs(d) > radius) continue;
            const double h = std::sqrt(radius * radius - d * d);
            lo = std::min(lo, p.x - h);
            hi = std::max(hi, p.x + h);
        }
        if (length > 0) {
            for (int i = 0; i < 4; ++i) {
                const Point& p = corners[i];
                const Point& q = corners[(i + 1) % 4];
                if ((p.y - y) * (q.y - y) > 0) continue;
                if (p.y == q.y) {
                    lo = std::min({lo, p.x, q.x});
                    hi = std::max({hi, p.x, q.x});
                    continue;
                }
                const double x = p.x + (y - p.y) / (q.y - p.y) * (q.x - p.x);
                lo = std::min(lo, x);
                hi = std::max(hi, x);
            }
        }
        if (lo <= hi) c.span(row, lo, hi);
    }
}

void polyline(Canvas& c, const std::vector<Point>& points, double radius) {
    for (size_t i = 0; i + 1 < points.size(); ++i) capsule(c, points[i], points[i + 1], radius);
    if (points.size() == 1) capsule(c, points[0], points[0], radius);
}

// Chords no longer than a quarter of the stroke width, so that each overlaps the next and a wide
// stroke is not drawn a hundred times over.
int chordsFor(double length, double strokeRadius) {
    const double chord = std::max(kChord, strokeRadius / 2);
    return std::clamp(int(std::ceil(length / chord)), 1, kMaxChords);
}

// Every pixel within `radius` of the arc: the ring of the arc's circle inside the sweep, and a disc
// at each end. Exact, so an arc drawn here and one drawn as a chain of short strokes agree.
void arc(Canvas& c, const std::vector<double>& v, double radius) {
    const Point centre = toPixel(v[0], v[1]);
    const double r = v[2];
    const double a0 = v[3] * kPi / 180, sweep = v[4] * kPi / 180;
    const double a1 = a0 + sweep;
    const Point start{centre.x + r * std::cos(a0), centre.y + r * std::sin(a0)};
    const Point end{centre.x + r * std::cos(a1), centre.y + r * std::sin(a1)};
    capsule(c, start, start, radius);
    capsule(c, end, end, radius);
    // Directions seen from the centre, turned so that the sweep runs counter-clockwise in them.
    const double turn = sweep < 0 ? -1 : 1;
    const double sx = std::cos(a0), sy = std::sin(a0) * turn;
    const double ex = std::cos(a1), ey = std::sin(a1) * turn;
    const bool wide = std::fabs(sweep) > kPi;
    const bool whole = std::fabs(sweep) >= 2 * kPi;
    auto inSweep = [&](double dx, double dy) {
        if (whole) return true;
        dy *= turn;
        const bool afterStart = sx * dy - sy * dx >= 0;
        const bool beforeEnd = dx * ey - dy * ex >= 0;
        return wide ? afterStart || beforeEnd : afterStart && beforeEnd;
    };
    const double outer = r + radius, inner = r - radius;
    int first = 0, last = -1;
    rowRange(centre.y - outer, centre.y + outer, first, last);
    for (int row = first; row <= last; ++row) {
        const double dy = row + 0.5 - centre.y;
        if (std::fabs(dy) > outer) continue;
        const double half = std::sqrt(outer * outer - dy * dy);
        const int lo = std::max(0, int(std::ceil(centre.x - half - 0.5)));
        const int hi = std::min(kCourseWidth - 1, int(std::floor(centre.x + half - 0.5)));
        for (int col = lo; col <= hi; ++col) {
            const double dx = col + 0.5 - centre.x;
            const double d2 = dx * dx + dy * dy;
            if (d2 > outer * outer || (inner > 0 && d2 < inner * inner) || !inSweep(dx, dy)) continue;
            uint8_t* p = c.at(col, row);
            p[0] = p[1] = p[2] = 0;
        }
    }
}

std::vector<Point> curvePoints(const std::vector<double>& v, double strokeRadius) {
    const Point p[4] = {{v[0], v[1]}, {v[2], v[3]}, {v[4], v[5]}, {v[6], v[7]}};
    double around = 0;  // the control polygon is never shorter than the curve
    for (int i = 0; i < 3; ++i) around += std::hypot(p[i + 1].x - p[i].x, p[i + 1].y - p[i].y);
    const int n = chordsFor(around, strokeRadius);
    std::vector<Point> points;
    for (int i = 0; i <= n; ++i) {
        const double t = double(i) / n, u = 1 - t;
        const double b0 = u * u * u, b1 = 3 * u * u * t, b2 = 3 * u * t * t, b3 = t * t * t;
        points.push_back(toPixel(b0 * p[0].x + b1 * p[1].x + b2 * p[2].x + b3 * p[3].x,
                                 b0 * p[0].y + b1 * p[1].y + b2 * p[2].y + b3 * p[3].y));
    }
    return points;
}

// A filled world rectangle in whole pixels: the columns and rows its edges enclose.
void fill(Canvas& c, const CourseRect& area, Tint tint) {
    const CourseRect r = normalised(area);
    const int x1 = std::clamp(int(std::lround(r.x1 + kWorldHalfWidth)), 0, kCourseWidth);
    const int x2 = std::clamp(int(std::lround(r.x2 + kWorldHalfWidth)), 0, kCourseWidth);
    const int y1 = std::clamp(int(std::lround(r.y1 + kWorldHalfHeight)), 0, kCourseHeight);
    const int y2 = std::clamp(int(std::lround(r.y2 + kWorldHalfHeight)), 0, kCourseHeight);
    for (int row = y1; row < y2; ++row)
        for (int col = x1; col < x2; ++col) {
            uint8_t* p = c.at(col, row);
            p[0] = tint.b;
            p[1] = tint.g;
            p[2] = tint.r;
        }
}

// A filled box of the drawing: every pixel whose centre lies inside it.
void box(Canvas& c, const std::vector<double>& v) {
    const Point a = toPixel(std::min(v[0], v[2]), std::min(v[1], v[3]));
    const Point b = toPixel(std::max(v[0], v[2]), std::max(v[1], v[3]));
    int first = 0, last = -1;
    rowRange(a.y, b.y, first, last);
    for (int row = first; row <= last; ++row) c.span(row, a.x, b.x);
}

}  // namespace

CoursePicture drawCourse(const CourseDesign& design, const CoursePicture* background) {
    CoursePicture picture;
    picture.width = kCourseWidth;
    picture.height = kCourseHeight;
    const size_t bytes = size_t(kCourseWidth) * size_t(kCourseHeight) * 3;
    const bool useBackground = background && background->width == kCourseWidth && background->height == kCourseHeight &&
                               background->pixels.size() == bytes;
    if (useBackground) picture.pixels = background->pixels;
    else picture.pixels.assign(bytes, 255);
    Canvas canvas{picture};
    if (!useBackground) {
        if (design.judgingFlags & JudgeFlag::Timed) fill(canvas, design.goal, kGoalTint);
        for (const CourseRect& r : design.checkpoints) fill(canvas, r, kCheckpointTint);
        if (design.judgingFlags & JudgeFlag::Forbidden) fill(canvas, design.forbidden, kForbiddenTint);
    }
    for (const CourseElement& e : design.elements) {
        const double radius = e.width / 2;
        switch (e.kind) {
        case CourseElementKind::Line:
            if (e.v.size() == 4) capsule(canvas, toPixel(e.v[0], e.v[1]), toPixel(e.v[2], e.v[3]), radius);
            break;
        case CourseElementKind::Arc:
            if (e.v.size() == 5) arc(canvas, e.v, radius);
            break;
        case CourseElementKind::Curve:
            if (e.v.size() == 8) polyline(canvas, curvePoints(e.v, radius), radius);
            break;
        case CourseElementKind::Box:
            if (e.v.size() == 4) box(canvas, e.v);
            break;
        }
    }
    return picture;
}

}  // namespace trovel
