#include "editor/placement.h"

#include "editor/collision.h"

namespace trovel {

PlaceResult placeFromPalette(BlockProgram& program, BlockType type, Point q, bool collision) {
    const PlaceResult placed = PlaceBlock(program, type, q);
    ActionBlock* block = placed.block;
    if (!block) return placed;
    if (collision && block->type == BlockType::RepeatStart && block->partner)
        SeparateForPlacement(program, *block->partner, true);
    program.currentBlock = block;
    if (collision) SeparateForPlacement(program, *block);
    return placed;
}

std::vector<ActionBlock> placementPreview(const BlockProgram& program, BlockType type, Point q, bool collision) {
    // The same placement on a copy of what decides it: every block's type, place, size and repeat number.
    BlockProgram scratch;
    scratch.blocks.reserve(program.blocks.size() + 2);
    for (const auto& b : program.blocks) {
        auto copy = std::make_unique<ActionBlock>();
        copy->type = b->type;
        copy->param = b->param;
        copy->x = b->x;
        copy->y = b->y;
        copy->width = b->width;
        copy->height = b->height;
        append(scratch, std::move(copy));
    }
    const size_t before = scratch.blocks.size();
    std::vector<ActionBlock> landed;
    if (!placeFromPalette(scratch, type, q, collision).block) return landed;
    for (size_t i = before; i < scratch.blocks.size(); ++i) {
        ActionBlock& b = *scratch.blocks[i];
        b.next = {nullptr, nullptr};
        b.partner = nullptr;
        landed.push_back(b);
    }
    return landed;
}

}  // namespace trovel
