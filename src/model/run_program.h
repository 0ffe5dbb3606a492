#pragma once
// The program a run executes: a snapshot of the open program taken when the run starts, addressed
// by index, so the editor may change, move or free its own blocks while the run goes on.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/program.h"

namespace trovel {

constexpr int kNoRunBlock = -1;

struct RunBlock {
    BlockType type = BlockType::Start;
    std::array<uint8_t, 10> param{};
    std::array<int, 2> next{kNoRunBlock, kNoRunBlock};  // snapshot indices of the outputs, -1 open
    int partner = kNoRunBlock;                          // snapshot index of the partner, -1 none
    bool breakpoint = false;                            // the editor's mark when the snapshot was taken
    int source = kNoRunBlock;                           // list index in the program it was taken from
};

struct RunProgram {
    std::vector<RunBlock> blocks;  // blocks[0] is where a run starts; empty when there is nothing to run
};

// Copies every block of the program in list order, its links turned into indices.
RunProgram snapshotProgram(const BlockProgram& program);
// The same snapshot, frozen, for a run and whoever looks at it while it goes on.
std::shared_ptr<const RunProgram> shareSnapshot(const BlockProgram& program);

// The block at a snapshot index, null when out of range (also for -1).
inline const RunBlock* runBlockAt(const RunProgram& run, int index) {
    return index >= 0 && size_t(index) < run.blocks.size() ? &run.blocks[size_t(index)] : nullptr;
}

}  // namespace trovel
