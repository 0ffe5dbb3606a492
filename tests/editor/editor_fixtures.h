#pragma once
// Small builders for editor tests: blocks of a type at a position, appended to a program.

#include <memory>
#include <string>
#include <vector>

#include "model/program.h"

namespace trovel::test {

inline ActionBlock* addBlock(BlockProgram& p, BlockType type, int x, int y) {
    auto b = std::make_unique<ActionBlock>();
    b->type = type;
    b->param = defaultParams(type);
    BlockSize s = blockSize(type);
    b->width = s.width;
    b->height = s.height;
    b->x = x;
    b->y = y;
    b->anchorX = x;
    b->anchorY = y;
    b->bend = {13, 27};
    return append(p, std::move(b));
}

inline ActionBlock makeBlock(BlockType type, int x, int y) {
    ActionBlock b;
    b.type = type;
    BlockSize s = blockSize(type);
    b.width = s.width;
    b.height = s.height;
    b.x = x;
    b.y = y;
    return b;
}

// RepeatStart at (x, y) with its RepeatEnd 90 pixels lower, linked and paired as the palette makes them.
inline std::pair<ActionBlock*, ActionBlock*> addRepeatPair(BlockProgram& p, int x, int y, uint8_t number) {
    ActionBlock* s = addBlock(p, BlockType::RepeatStart, x, y);
    ActionBlock* e = addBlock(p, BlockType::RepeatEnd, x, y + 90);
    s->param[2] = number;
    e->param[2] = number;
    s->next[0] = e;
    e->next[1] = s;
    s->partner = e;
    e->partner = s;
    return {s, e};
}

}  // namespace trovel::test
