#include "editor/placement.h"

#include <algorithm>

#include "editor/collision.h"
#include "editor/routing.h"

namespace trovel {

namespace {

// Whether the route's path crosses the inside of `body` (touching its edge does not count).
bool crosses(const Route& route, const Rect& body) {
    for (int i = 0; i + 1 < route.pathLength; ++i) {
        const Point a = route.path[size_t(i)], b = route.path[size_t(i) + 1];
        const int left = std::min(a.x, b.x), right = std::max(a.x, b.x);
        const int top = std::min(a.y, b.y), bottom = std::max(a.y, b.y);
        if (left < body.right && right > body.left && top < body.bottom && bottom > body.top) return true;
    }
    return false;
}

}  // namespace

bool insertIntoConnector(BlockProgram& program, ActionBlock& block) {
    if (outputCount(block.type) != 1 || block.type == BlockType::RepeatStart || block.next[0]) return false;
    const Rect body{block.x, block.y, block.x + block.width, block.y + block.height};
    for (const auto& owner : program.blocks) {
        ActionBlock& source = *owner;
        if (&source == &block) continue;
        for (int output = 0; output < outputCount(source.type); ++output) {
            ActionBlock* target = source.next[size_t(output)];
            if (!target || target == &block || !crosses(routeConnector(source, output), body)) continue;
            source.next[size_t(output)] = &block;
            block.next[0] = target;
            return true;
        }
    }
    return false;
}

PlaceResult placeFromPalette(BlockProgram& program, BlockType type, Point q, bool collision) {
    const PlaceResult placed = placeBlock(program, type, q);
    ActionBlock* block = placed.block;
    if (!block) return placed;
    if (collision && block->type == BlockType::RepeatStart && block->partner)
        separateForPlacement(program, *block->partner, true);
    program.currentBlock = block;
    if (collision) separateForPlacement(program, *block);
    insertIntoConnector(program, *block);
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
