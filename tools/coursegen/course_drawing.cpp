#include "course_drawing.h"

#include <cmath>

namespace coursegen {

namespace {
constexpr double kRad = M_PI / 180;
constexpr double kStep = 0.5;

void stamp(RasterImage& img, double x, double y, Rgb c) { fillDisc(img, x + 350, y + 250, kLineWidth / 2, c); }
}  // namespace

void forward(RasterImage& img, Turtle& t, double length, Rgb colour) {
    double dx = std::cos(t.heading * kRad), dy = std::sin(t.heading * kRad);
    for (double s = 0; s <= length; s += kStep) stamp(img, t.x + dx * s, t.y + dy * s, colour);
    t.x += dx * length;
    t.y += dy * length;
}

void arc(RasterImage& img, Turtle& t, double radius, double degrees, bool left, Rgb colour) {
    double sign = left ? -1 : 1;
    // Centre of the turn lies to the turning side of the heading.
    double nx = -std::sin(t.heading * kRad) * sign, ny = std::cos(t.heading * kRad) * sign;
    double cx = t.x + nx * radius, cy = t.y + ny * radius;
    double a0 = std::atan2(t.y - cy, t.x - cx);
    double sweep = degrees * kRad * sign;
    int steps = int(std::ceil(std::fabs(sweep) * radius / kStep));
    for (int i = 0; i <= steps; ++i) {
        double a = a0 + sweep * i / steps;
        stamp(img, cx + radius * std::cos(a), cy + radius * std::sin(a), colour);
    }
    t.x = cx + radius * std::cos(a0 + sweep);
    t.y = cy + radius * std::sin(a0 + sweep);
    t.heading += degrees * sign;
}

void worldRect(RasterImage& img, double x1, double y1, double x2, double y2, Rgb colour) {
    fillRect(img, int(std::lround(x1 + 350)), int(std::lround(y1 + 250)), int(std::lround(x2 + 350)),
             int(std::lround(y2 + 250)), colour);
}

}  // namespace coursegen
