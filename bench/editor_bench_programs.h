#pragma once
// A large chart for the editor benchmarks: blocks of every kind on a grid, chained in list order.

#include <memory>

#include "model/program.h"

namespace trovel::bench {

inline void buildLargeProgram(BlockProgram& p, int count) {
    newProgram(p);
    ActionBlock* prev = p.blocks[0].get();
    for (int i = 0; p.blocks.size() < static_cast<size_t>(count); ++i) {
        const int type = 3 + i % 13;  // LeftForward .. Calc, Branch and RandomBranch included
        PlaceResult r = placeBlock(p, static_cast<BlockType>(type), {31 + 117 * (i % 30), 18 + 117 * (i / 30 + 1)});
        if (!r.block) break;
        prev->next[0] = r.block;
        if (hasSecondOutput(prev->type)) prev->next[1] = p.blocks[static_cast<size_t>(i / 2 + 1)].get();
        prev = r.block;
    }
    prev->next[0] = p.blocks[1].get();
}

}  // namespace trovel::bench
