#include "sim/run_path.h"

#include <algorithm>
#include <array>

namespace trovel {

void addPathPoint(RunPath& path, float x, float y) {
    if (path.points.size() >= kMaxPathPoints) {
        const size_t drop = kMaxPathPoints / 4;
        path.points.erase(path.points.begin(), path.points.begin() + std::ptrdiff_t(drop));
        path.dropped += drop;
    }
    path.points.push_back({x, y});
}

void clearPath(RunPath& path) {
    path.points.clear();
    path.dropped = 0;
}

uint32_t pathColour(size_t position, size_t count) {
    // Blue, cyan, green, yellow, red: easy to tell apart on the light course pictures.
    constexpr std::array<uint32_t, 5> stops{0x2040FF, 0x00B0E0, 0x20C040, 0xF0C000, 0xFF2020};
    if (count < 2) return 0xFF000000u | stops.back();
    const double t = double(std::min(position, count - 1)) / double(count - 1) * double(stops.size() - 1);
    const size_t i = std::min(size_t(t), stops.size() - 2);
    const double f = t - double(i);
    uint32_t colour = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const double a = (stops[i] >> shift) & 0xFF, b = (stops[i + 1] >> shift) & 0xFF;
        colour |= uint32_t(a + (b - a) * f + 0.5) << shift;
    }
    return colour;
}

}  // namespace trovel
