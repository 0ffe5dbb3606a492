#pragma once
// An RGB picture in memory, a few drawing primitives, and the 24-bit Windows bitmap writer.

#include <cstdint>
#include <string>
#include <vector>

namespace coursegen {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

struct RasterImage {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // top-down rows
};

RasterImage makeImage(int width, int height, Rgb fill);
void setPixel(RasterImage& img, int x, int y, Rgb c);
void fillRect(RasterImage& img, int x0, int y0, int x1, int y1, Rgb c);  // inclusive-exclusive
void fillDisc(RasterImage& img, double cx, double cy, double radius, Rgb c);
// Rows bottom-up, blue-green-red, each padded to 4 bytes, pixels right after the 54 header bytes.
bool writeBitmap(const RasterImage& img, const std::string& path);

}  // namespace coursegen
