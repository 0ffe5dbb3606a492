#include "editor/collision.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "editor/geometry.h"

namespace trovel {

namespace {

constexpr int M = kCollisionMargin;

bool xRangesCollide(const ActionBlock& a, const ActionBlock& b) {
    return b.x < a.x + a.width + M && a.x < b.x + b.width + M;
}

bool rectsCollide(const ActionBlock& a, const ActionBlock& b) {
    return xRangesCollide(a, b) && b.y < a.y + a.height + M && a.y < b.y + b.height + M;
}

bool rectCollidesDiamond(const ActionBlock& r, const ActionBlock& d) {
    if (!xRangesCollide(r, d)) return false;
    const Rect rr = blockRect(r);
    const Point dc = blockCentre(d);
    if (rr.top <= dc.y && dc.y <= rr.bottom) return true;
    if (rr.left <= dc.x && dc.x <= rr.right && d.y <= rr.bottom && rr.top <= d.y + d.height) return true;
    const Rect dr = blockRect(d);
    return insideDiamond(dr, rr.left, rr.top) || insideDiamond(dr, rr.right, rr.top) ||
           insideDiamond(dr, rr.left, rr.bottom) || insideDiamond(dr, rr.right, rr.bottom);
}

bool diamondsCollide(const ActionBlock& a, const ActionBlock& b) {
    if (!xRangesCollide(a, b)) return false;
    const Point ac = blockCentre(a), bc = blockCentre(b);
    const int ws = (a.width + M) / 2 + (b.width + M) / 2;
    const int hs = (a.height + M) / 2 + (b.height + M) / 2;
    if (ws <= 0) return false;
    const int dx = std::abs(bc.x - ac.x), dy = std::abs(bc.y - ac.y);
    return dy < hs * (ws - dx) / ws;
}

void clampToOrigin(ActionBlock& b) {
    b.x = std::max(b.x, 0);
    b.y = std::max(b.y, 0);
}

// The drop rule for one pair where at least one block is a diamond.
void pushAwayAfterDrop(ActionBlock& m, const ActionBlock& o) {
    const Point mc = blockCentre(m), oc = blockCentre(o);
    const bool mDiamond = isDiamond(m.type), oDiamond = isDiamond(o.type);
    if (mDiamond && oDiamond) {
        const int ws = (m.width + M) / 2 + (o.width + M) / 2;
        const int hs = (m.height + M) / 2 + (o.height + M) / 2;
        if (ws <= 0) return;
        const int dx = oc.x - mc.x, dy = oc.y - mc.y;
        const int l = hs * std::abs(ws - std::abs(dx)) / ws;
        if (std::abs(dy) < l) {
            const int by = l - std::abs(dy);
            m.y += dy >= 0 ? -by : by;  // up when the other block's centre is lower or level
        }
        return;
    }
    const ActionBlock& r = mDiamond ? o : m;
    const ActionBlock& d = mDiamond ? m : o;
    const Rect rr = blockRect(r);
    const Point dc = blockCentre(d);
    if (rr.top <= dc.y && dc.y <= rr.bottom) {
        m.y = oc.y < mc.y ? o.y + m.height + M : o.y - m.height - M;
    } else if (rr.left <= dc.x && dc.x <= rr.right) {
        if (d.y <= rr.bottom && rr.top <= d.y + d.height) m.x = oc.x < mc.x ? o.x + m.width + M : o.x - m.width - M;
    } else {
        const int a = d.width / 2, b = d.height / 2;
        if (b <= 0) return;
        // 64-bit: the rows may be far from the diamond's centre.
        const int64_t w1 = a - a * std::abs(int64_t{rr.top} - dc.y) / b;
        const int64_t w2 = a - a * std::abs(int64_t{rr.bottom} - dc.y) / b;
        const int64_t l = std::abs(int64_t{rr.left} - dc.x), rgt = std::abs(int64_t{rr.right} - dc.x);
        int64_t p = 0;
        if (l <= w1) p = w1 - l;
        else if (l <= w2) p = w2 - l;
        else if (rgt <= w1) p = w1 - rgt;
        else if (rgt <= w2) p = w2 - rgt;
        m.x += static_cast<int>(oc.x < mc.x ? p : -p);
    }
}

}  // namespace

bool collides(const ActionBlock& a, const ActionBlock& b) {
    const bool ad = isDiamond(a.type), bd = isDiamond(b.type);
    if (!ad && !bd) return rectsCollide(a, b);
    if (ad && bd) return diamondsCollide(a, b);
    return ad ? rectCollidesDiamond(b, a) : rectCollidesDiamond(a, b);
}

void separateForPlacement(const BlockProgram& program, ActionBlock& moved, bool trackAnchor) {
    for (const auto& other : program.blocks) {
        const ActionBlock& o = *other;
        if (&o == &moved) continue;
        if (rectsCollide(moved, o)) {
            // Pushed past the far side of the other block by that block's own size: a small block
            // pushed off a wide diamond or a tall block must clear all of it, not its own size.
            const int dx = moved.x - o.x, dy = moved.y - o.y;
            if (std::abs(dy) >= std::abs(dx)) moved.y = dy < 0 ? o.y - moved.height - M : o.y + o.height + M;
            else moved.x = dx < 0 ? o.x - moved.width - M : o.x + o.width + M;
        }
        if (trackAnchor) {
            moved.anchorX = moved.x;
            moved.anchorY = moved.y;
        }
    }
    clampToOrigin(moved);
}

void separateAfterDrop(const BlockProgram& program, ActionBlock& moved) {
    for (const auto& other : program.blocks) {
        const ActionBlock& o = *other;
        if (&o == &moved) continue;
        if (!isDiamond(moved.type) && !isDiamond(o.type)) continue;
        if (!xRangesCollide(moved, o)) continue;
        pushAwayAfterDrop(moved, o);
    }
    clampToOrigin(moved);
}

int markSelectionCollisions(BlockProgram& program) {
    int colliding = 0;
    for (auto& block : program.blocks) {
        ActionBlock& m = *block;
        if (!(m.flags & FlagSelected)) continue;
        m.flags &= ~FlagColliding;
        bool hit = false;
        for (const auto& other : program.blocks) {
            if (other.get() != &m && collides(m, *other)) {
                hit = true;
                break;
            }
        }
        if (hit) {
            m.flags |= FlagColliding;
            ++colliding;
        } else {
            m.anchorX = m.x;
            m.anchorY = m.y;
        }
        clampToOrigin(m);
    }
    return colliding;
}

int settleDroppedSelection(BlockProgram& program) {
    int settled = 0;
    for (auto& block : program.blocks) {
        ActionBlock& m = *block;
        if ((m.flags & (FlagSelected | FlagColliding)) != (FlagSelected | FlagColliding)) continue;
        m.x = m.anchorX;
        m.y = m.anchorY;
        m.flags &= ~FlagColliding;
        separateAfterDrop(program, m);
        ++settled;
    }
    return settled;
}

}  // namespace trovel
