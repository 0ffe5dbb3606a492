#include "editor/geometry.h"

#include <cstdlib>

namespace trovel {

bool insideDiamond(const Rect& r, int x, int y) {
    int a = (r.right - r.left) / 2;
    int b = (r.bottom - r.top) / 2;
    if (b <= 0 || a <= 0) return x == r.left + a && y == r.top + b;
    int dx = x - r.left - a;
    int dy = y - r.top - b;
    return a - a * std::abs(dy) / b >= std::abs(dx);
}

bool insideBlockShape(const ActionBlock& b, int x, int y) {
    Rect r = blockRect(b);
    return isDiamond(b.type) ? insideDiamond(r, x, y) : contains(r, x, y);
}

}  // namespace trovel
