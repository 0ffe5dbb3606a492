#include "editor/selection.h"

#include <algorithm>

#include "editor/collision.h"

namespace trovel {

namespace {

void setBit(ActionBlock& b, uint32_t bit, bool on) {
    const uint32_t before = b.flags;
    if (on) b.flags |= bit;
    else b.flags &= ~bit;
    if (b.flags != before) b.flags |= FlagChanged;
}

}  // namespace

void clearSelection(BlockProgram& program) {
    for (auto& b : program.blocks) setBit(*b, FlagSelected | FlagEndDrag0 | FlagEndDrag1, false);
}

bool touchesBand(const ActionBlock& block, const Rect& band) {
    const Rect r = blockRect(block);
    const bool xMeets = band.left <= r.right && r.left <= band.right;
    if (!xMeets) return false;
    const bool yMeets = band.top <= r.bottom && r.top <= band.bottom;
    if (!isDiamond(block.type)) return yMeets;
    const Point c = blockCentre(block);
    if (band.top <= c.y && c.y <= band.bottom) return true;
    if (band.left <= c.x && c.x <= band.right && yMeets) return true;
    return insideDiamond(r, band.left, band.top) || insideDiamond(r, band.right, band.top) ||
           insideDiamond(r, band.left, band.bottom) || insideDiamond(r, band.right, band.bottom);
}

void selectInBand(BlockProgram& program, Rect band) {
    Rect n{std::min(band.left, band.right), std::min(band.top, band.bottom), std::max(band.left, band.right),
           std::max(band.top, band.bottom)};
    for (auto& b : program.blocks) setBit(*b, FlagInBand, touchesBand(*b, n));
}

void commitBand(BlockProgram& program) {
    for (auto& b : program.blocks) {
        if (b->flags & FlagInBand) b->flags |= FlagSelected | FlagChanged;
        b->flags &= ~FlagInBand;
    }
}

Point moveSelection(BlockProgram& program, Point origin, Point pointer, bool collision) {
    const Point o{snapToGrid(origin.x), snapToGrid(origin.y)};
    const Point p{snapToGrid(pointer.x), snapToGrid(pointer.y)};
    for (auto& b : program.blocks) {
        if (!(b->flags & FlagSelected)) continue;
        b->x = std::max(snapToGrid(b->x) + p.x - o.x, 0);
        b->y = std::max(snapToGrid(b->y) + p.y - o.y, 0);
    }
    if (collision) markSelectionCollisions(program);
    return p;
}

ActionBlock* dropTargetAt(const BlockProgram& program, int x, int y, const ActionBlock* exclude) {
    for (const auto& b : program.blocks) {
        if (b.get() == exclude || b->type == BlockType::Start) continue;
        if (contains(blockRect(*b), x, y)) return b.get();
    }
    return nullptr;
}

}  // namespace trovel
