#pragma once
// Rectangles of the program area and the block shapes (rectangle or inscribed diamond).

#include "model/block.h"
#include "model/program.h"

namespace trovel {

// Content coordinates in pixels; right and bottom are the far edges (left + width, top + height).
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

inline Rect blockRect(const ActionBlock& b) { return {b.x, b.y, b.x + b.width, b.y + b.height}; }
inline Point blockCentre(const ActionBlock& b) { return {b.x + b.width / 2, b.y + b.height / 2}; }
// Edges included.
inline bool contains(const Rect& r, int x, int y) { return r.left <= x && x <= r.right && r.top <= y && y <= r.bottom; }

// Whether (x, y) lies in the diamond inscribed in r (integer arithmetic, edges included).
bool insideDiamond(const Rect& r, int x, int y);
// The block's own shape: its diamond for Branch and RandomBranch, its rectangle otherwise.
bool insideBlockShape(const ActionBlock& b, int x, int y);

}  // namespace trovel
