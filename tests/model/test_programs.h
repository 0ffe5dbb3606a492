#pragma once
// Small builders for programs in tests.

#include <filesystem>
#include <string>

#include "model/program.h"
#include "scratch_dir.h"

namespace trovel::test {

// A block of the given type appended to the list, with its type's defaults and size.
inline ActionBlock* add(BlockProgram& p, BlockType type, std::array<uint8_t, 10> params = {}, bool useDefaults = true) {
    auto b = std::make_unique<ActionBlock>();
    b->type = type;
    b->param = useDefaults ? defaultParams(type) : params;
    BlockSize s = blockSize(type);
    b->width = s.width;
    b->height = s.height;
    b->y = static_cast<int>(p.blocks.size()) * 72;
    return append(p, std::move(b));
}

inline ActionBlock* addWith(BlockProgram& p, BlockType type, std::array<uint8_t, 10> params) {
    return add(p, type, params, false);
}

// A RepeatStart/RepeatEnd pair with the given repeat number and count, linked start -> end.
inline std::pair<ActionBlock*, ActionBlock*> addRepeat(BlockProgram& p, int number, int count = 3,
                                                       bool endless = false) {
    ActionBlock* s = addWith(p, BlockType::RepeatStart, {uint8_t(count), uint8_t(endless), uint8_t(number)});
    ActionBlock* e = addWith(p, BlockType::RepeatEnd, {uint8_t(count), uint8_t(endless), uint8_t(number)});
    s->partner = e;
    e->partner = s;
    s->next[0] = e;
    e->next[1] = s;
    return {s, e};
}

inline void link(ActionBlock* from, ActionBlock* to, int output = 0) { from->next[static_cast<size_t>(output)] = to; }

}  // namespace trovel::test
