#include "raster_image.h"

#include <cmath>
#include <fstream>

namespace coursegen {

RasterImage makeImage(int width, int height, Rgb fill) {
    return {width, height, std::vector<Rgb>(size_t(width) * size_t(height), fill)};
}

void setPixel(RasterImage& img, int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= img.width || y >= img.height) return;
    img.pixels[size_t(y) * size_t(img.width) + size_t(x)] = c;
}

void fillRect(RasterImage& img, int x0, int y0, int x1, int y1, Rgb c) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) setPixel(img, x, y, c);
}

void fillDisc(RasterImage& img, double cx, double cy, double radius, Rgb c) {
    int x0 = int(std::floor(cx - radius)), x1 = int(std::ceil(cx + radius));
    int y0 = int(std::floor(cy - radius)), y1 = int(std::ceil(cy + radius));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            if (dx * dx + dy * dy <= radius * radius) setPixel(img, x, y, c);
        }
}

bool writeBitmap(const RasterImage& img, const std::string& path) {
    const size_t stride = (size_t(img.width) * 3 + 3) / 4 * 4;
    std::vector<uint8_t> bytes(54 + stride * size_t(img.height), 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, uint32_t(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(img.width));
    put32(22, uint32_t(img.height));
    bytes[26] = 1;   // planes
    bytes[28] = 24;  // bits per pixel
    put32(34, uint32_t(stride * size_t(img.height)));
    put32(38, 2835);  // 72 dpi
    put32(42, 2835);
    for (int row = 0; row < img.height; ++row) {
        const Rgb* src = &img.pixels[size_t(img.height - 1 - row) * size_t(img.width)];
        uint8_t* dst = &bytes[54 + stride * size_t(row)];
        for (int x = 0; x < img.width; ++x) {
            dst[3 * x] = src[x].b;
            dst[3 * x + 1] = src[x].g;
            dst[3 * x + 2] = src[x].r;
        }
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

}  // namespace coursegen
