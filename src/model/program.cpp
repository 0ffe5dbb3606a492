#include "model/program.h"

#include <algorithm>
#include <unordered_set>

#include "model/text_convert.h"

namespace trovel {

ActionBlock* head(const BlockProgram& program) {
    return program.blocks.empty() ? nullptr : program.blocks.front().get();
}

ActionBlock* tail(const BlockProgram& program) {
    return program.blocks.empty() ? nullptr : program.blocks.back().get();
}

void clear(BlockProgram& program) {
    program.blocks.clear();
    program.currentBlock = nullptr;
}

ActionBlock* append(BlockProgram& program, std::unique_ptr<ActionBlock> block) {
    program.blocks.push_back(std::move(block));
    return program.blocks.back().get();
}

int indexOf(const BlockProgram& program, const ActionBlock* block) {
    if (!block) return -1;
    for (size_t i = 0; i < program.blocks.size(); ++i)
        if (program.blocks[i].get() == block) return static_cast<int>(i);
    return -1;
}

ActionBlock* blockAt(const BlockProgram& program, int index) {
    if (index < 0 || static_cast<size_t>(index) >= program.blocks.size()) return nullptr;
    return program.blocks[static_cast<size_t>(index)].get();
}

std::unordered_map<const ActionBlock*, int> indexMap(const BlockProgram& program) {
    std::unordered_map<const ActionBlock*, int> map;
    map.reserve(program.blocks.size());
    for (size_t i = 0; i < program.blocks.size(); ++i) map.emplace(program.blocks[i].get(), static_cast<int>(i));
    return map;
}

void removeBlocks(BlockProgram& program, const std::vector<const ActionBlock*>& doomed) {
    if (doomed.empty()) return;
    std::unordered_set<const ActionBlock*> gone(doomed.begin(), doomed.end());
    for (auto& b : program.blocks) {
        for (auto*& n : b->next)
            if (gone.count(n)) n = nullptr;
        if (gone.count(b->partner)) b->partner = nullptr;
    }
    if (gone.count(program.currentBlock)) program.currentBlock = nullptr;
    std::erase_if(program.blocks, [&](const std::unique_ptr<ActionBlock>& b) { return gone.count(b.get()) != 0; });
}

namespace {

std::unique_ptr<ActionBlock> makeBlock(BlockType type, int x, int y) {
    auto block = std::make_unique<ActionBlock>();
    block->type = type;
    block->param = defaultParams(type);
    block->x = x;
    block->y = y;
    BlockSize size = blockSize(type);
    block->width = size.width;
    block->height = size.height;
    return block;
}

}  // namespace

void newProgram(BlockProgram& program) {
    clear(program);
    auto start = makeBlock(BlockType::Start, kStartPosition.x, kStartPosition.y);
    auto end = makeBlock(BlockType::End, kEndPosition.x, kEndPosition.y);
    start->name = end->name = u"main";
    start->bend[0] = end->bend[0] = kLayoutGap;
    ActionBlock* s = append(program, std::move(start));
    ActionBlock* e = append(program, std::move(end));
    s->next[0] = e;
    s->partner = e;
    e->partner = s;
    program.filePath.clear();
    program.currentBlock = s;
}

int nextLabelNumber(const BlockProgram& program, BlockType type) {
    std::u16string_view caption = blockCaption(type);
    if (caption.empty()) return 1;
    for (auto it = program.blocks.rbegin(); it != program.blocks.rend(); ++it) {
        const std::u16string& name = (*it)->name;
        size_t at = name.find(caption);
        if (at == std::u16string::npos) continue;
        size_t pos = at + caption.size();
        if (pos < name.size() && name[pos] == u' ') ++pos;
        long long number = 0;
        while (pos < name.size() && name[pos] >= u'0' && name[pos] <= u'9' && number < 100000000)
            number = number * 10 + (name[pos++] - u'0');
        return static_cast<int>(number) + 1;
    }
    return 1;
}

int freeRepeatIndex(const BlockProgram& program) {
    bool used[kMaxRepeats] = {};
    for (const auto& b : program.blocks)
        if (b->type == BlockType::RepeatStart && b->param[2] < kMaxRepeats) used[b->param[2]] = true;
    for (int n = 0; n < kMaxRepeats; ++n)
        if (!used[n]) return n;
    return -1;
}

PlaceResult placeBlock(BlockProgram& program, BlockType type, Point point) {
    if (type < BlockType::LeftForward || type > BlockType::RepeatStart) return {nullptr, PlaceError::InvalidType};
    int repeatNumber = 0;
    if (type == BlockType::RepeatStart) {
        // The limit counts blocks: loaded files may hold two starts with one number, or none at all.
        const auto starts = std::count_if(program.blocks.begin(), program.blocks.end(),
                                          [](const auto& b) { return b->type == BlockType::RepeatStart; });
        repeatNumber = freeRepeatIndex(program);
        if (starts >= kMaxRepeats || repeatNumber < 0) return {nullptr, PlaceError::TooManyRepeats};
    }
    auto block = makeBlock(type, snapToGrid(point.x - 31), snapToGrid(point.y - 18));
    block->name = std::u16string(blockCaption(type)) + u" " + fromNumber(nextLabelNumber(program, type));
    block->bend = {13, 27};
    ActionBlock* placed = append(program, std::move(block));
    if (type == BlockType::RepeatStart) {
        placed->param[2] = static_cast<uint8_t>(repeatNumber);
        auto end = std::make_unique<ActionBlock>(*placed);
        end->type = BlockType::RepeatEnd;
        end->y += 90;
        BlockSize size = blockSize(BlockType::RepeatEnd);
        end->width = size.width;
        end->height = size.height;
        ActionBlock* e = append(program, std::move(end));
        placed->next[0] = e;
        e->next = {nullptr, placed};
        placed->partner = e;
        e->partner = placed;
    }
    return {placed, PlaceError::None};
}

void selectAll(BlockProgram& program) {
    for (auto& b : program.blocks) b->flags |= FlagSelected | FlagChanged;
}

}  // namespace trovel
