#pragma once
// Keeping blocks at least 9 pixels apart when the block collision option is on.

#include "model/program.h"

namespace trovel {

constexpr int kCollisionMargin = 9;

// The test used while moving: rectangles with the 9-pixel margin, Branch/RandomBranch as diamonds.
bool collides(const ActionBlock& a, const ActionBlock& b);

// Placement and paste rule: one pass over the other blocks in list order, moving only `moved`
// clear of each block it overlaps (rectangle test for every pair), above, below, left or right of
// it, whichever is nearer its own position. When `trackAnchor` is set the
// block's anchor follows its position after each block tested. Negative coordinates end up at 0.
void separateForPlacement(const BlockProgram& program, ActionBlock& moved, bool trackAnchor = false);

// Drop rule for a block already put back at its anchor: one pass, only pairs involving a diamond
// are pushed apart. Negative coordinates end up at 0.
void separateAfterDrop(const BlockProgram& program, ActionBlock& moved);

// While a selection moves: every selected block gets FlagColliding when it collides with another
// block, else its anchor becomes its position. Returns how many selected blocks collide.
int markSelectionCollisions(BlockProgram& program);

// When a move ends: every colliding selected block goes back to its anchor, loses FlagColliding and
// is pushed clear by the drop rule. Returns how many blocks were put back.
int settleDroppedSelection(BlockProgram& program);

}  // namespace trovel
