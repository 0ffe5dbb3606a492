#include "editor/geometry.h"

#include <cstdint>
#include <cstdlib>

namespace trovel {

bool insideDiamond(const Rect& r, int x, int y) {
    int a = (r.right - r.left) / 2;
    int b = (r.bottom - r.top) / 2;
    if (b <= 0 || a <= 0) return x == r.left + a && y == r.top + b;
    // 64-bit: positions from a loaded file may be far apart.
    const int64_t dx = int64_t{x} - r.left - a;
    const int64_t dy = int64_t{y} - r.top - b;
    return a - a * std::abs(dy) / b >= std::abs(dx);
}

bool insideBlockShape(const ActionBlock& b, int x, int y) {
    Rect r = blockRect(b);
    return isDiamond(b.type) ? insideDiamond(r, x, y) : contains(r, x, y);
}

}  // namespace trovel
