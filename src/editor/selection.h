#pragma once
// Selection and moving of blocks on the program area, without any widget.

#include "editor/geometry.h"
#include "model/program.h"

namespace trovel {

// Clears FlagSelected and both drag bits; a block whose bits changed gets FlagChanged.
void clearSelection(BlockProgram& program);

// Rubber band: sets FlagInBand on exactly the blocks the band touches (diamonds by their shape),
// clears it elsewhere; FlagChanged where the bit changed. The band may be given in any corner order.
void selectInBand(BlockProgram& program, Rect band);
// Whether a block touches a normalised band.
bool touchesBand(const ActionBlock& block, const Rect& band);
// Button up after a band: FlagInBand blocks become selected (and changed); FlagInBand is cleared.
void commitBand(BlockProgram& program);

// One mouse-move step of moving the selection: origin and pointer are snapped to the grid, every
// selected block moves by their difference (clamped at 0), collisions are marked when `collision`
// is on. Returns the snapped pointer, the caller's next origin.
Point moveSelection(BlockProgram& program, Point origin, Point pointer, bool collision);

// The first block in list order whose rectangle contains the point (edges included), except
// `exclude` and Start blocks; null when none. Used for dropping a connector end.
ActionBlock* dropTargetAt(const BlockProgram& program, int x, int y, const ActionBlock* exclude);

}  // namespace trovel
