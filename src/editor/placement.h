#pragma once
// A block picked in the palette put on the chart, by a click or a drop, and where it would land.

#include <vector>

#include "model/program.h"

namespace trovel {

// Places a block of `type` (3..16) at content point `q` as the palette does: placeBlock, then with
// the collision option the new loop end and the new block pushed clear of the others. A block of
// one output that lands on a connector is put in its way (see insertIntoConnector). The new block
// (the RepeatStart of a loop) becomes the current block. Nothing changes when placeBlock refuses.
PlaceResult placeFromPalette(BlockProgram& program, BlockType type, Point q, bool collision);

// When a connector runs through the unlinked `block`'s body, the block is put in its way: the
// connector's source now leads to it, and it leads on to the connector's old target. A line drawn
// through a block reads as passing through it. Only blocks of one output (not loops) are put in;
// the first such connector in list order is taken. True when the block was put in.
bool insertIntoConnector(BlockProgram& program, ActionBlock& block);

// The block(s) placeFromPalette would make there, with their final positions and sizes, leaving
// the program as it is; empty when it would refuse.
std::vector<ActionBlock> placementPreview(const BlockProgram& program, BlockType type, Point q, bool collision);

}  // namespace trovel
