#pragma once
// Draws course lines as a turtle in world units (x -350..350, y -250..250, y down, heading 0 = +x,
// positive headings turn clockwise), one pixel per unit.

#include "raster_image.h"

namespace coursegen {

constexpr double kLineWidth = 20;

struct Turtle {
    double x = 0;
    double y = 0;
    double heading = 0;  // degrees
};

void forward(RasterImage& img, Turtle& t, double length, Rgb colour);
// Arc of `degrees` with the given radius; left turns counter-clockwise on the screen.
void arc(RasterImage& img, Turtle& t, double radius, double degrees, bool left, Rgb colour);
// A filled world rectangle.
void worldRect(RasterImage& img, double x1, double y1, double x2, double y2, Rgb colour);

}  // namespace coursegen
