#pragma once
// What a point of the program area touches: nothing, a block body, a bend handle or a connector end.

#include "editor/routing.h"
#include "model/program.h"

namespace trovel {

enum class HitCode : int {
    Nothing = 0,
    Body = 3,
    Bend0 = 9,   // bend handle of output 0
    Bend1 = 10,  // bend handle of output 1
    End0 = 11,   // start handle, arrowhead or overlap marker of output 0
    End1 = 12,   // the same for output 1
};

struct HitResult {
    HitCode code = HitCode::Nothing;
    int blockIndex = -1;  // list index of the block hit; -1 for Nothing
};

// Blocks are tried in list order and the first hit wins; per block its outputs come before its body.
HitResult hitTest(const BlockProgram& program, int x, int y);
// The same test for one block (Nothing when the point misses it).
HitCode hitBlock(const ActionBlock& block, int x, int y);

inline int outputOf(HitCode code) { return (static_cast<int>(code) - 9) % 2; }

}  // namespace trovel
