#pragma once
// A block picked in the palette put on the chart, by a click or a drop, and where it would land.

#include <vector>

#include "model/program.h"

namespace trovel {

// Places a block of `type` (3..16) at content point `q` as the palette does: PlaceBlock, then with
// the collision option the new loop end and the new block pushed clear of the others. The new
// block (the RepeatStart of a loop) becomes the current block. Nothing changes when PlaceBlock
// refuses.
PlaceResult placeFromPalette(BlockProgram& program, BlockType type, Point q, bool collision);

// The block(s) placeFromPalette would make there, with their final positions and sizes, leaving
// the program as it is; empty when it would refuse.
std::vector<ActionBlock> placementPreview(const BlockProgram& program, BlockType type, Point q, bool collision);

}  // namespace trovel
