#include "editor/clipboard.h"

#include <algorithm>
#include <unordered_map>

#include "editor/collision.h"
#include "editor/selection.h"

namespace trovel {

namespace {

bool isStartOrEnd(BlockType t) { return t == BlockType::Start || t == BlockType::End; }

int countOfType(const BlockProgram& program, BlockType type) {
    int n = 0;
    for (const auto& b : program.blocks) n += b->type == type;
    return n;
}

// Hands every link into `gone` on to gone's next[0] (null where that would be a self-link).
void passOnLinks(BlockProgram& program, const ActionBlock* gone) {
    ActionBlock* successor = gone->next[0] == gone ? nullptr : gone->next[0];
    for (auto& b : program.blocks) {
        if (b.get() == gone) continue;
        for (auto& n : b->next)
            if (n == gone) n = successor == b.get() ? nullptr : successor;
    }
}

}  // namespace

void copySelection(BlockProgram& program, Clipboard& clipboard) {
    clipboard.blocks.clear();
    clipboard.sourceCount = static_cast<int>(program.blocks.size());
    for (auto& b : program.blocks)
        if ((b->flags & FlagSelected) && isRepeat(b->type) && b->partner) b->partner->flags |= FlagSelected;

    std::unordered_map<const ActionBlock*, int> copyIndex;
    std::vector<const ActionBlock*> sources;
    for (const auto& b : program.blocks) {
        if (!(b->flags & FlagSelected) || isStartOrEnd(b->type)) continue;
        copyIndex.emplace(b.get(), static_cast<int>(sources.size()));
        sources.push_back(b.get());
    }
    auto mapped = [&](const ActionBlock* target) {
        auto it = copyIndex.find(target);
        return it == copyIndex.end() ? -1 : it->second;
    };
    clipboard.blocks.reserve(sources.size());
    for (const ActionBlock* src : sources) {
        ActionBlock copy = *src;
        copy.nextIndex = {mapped(src->next[0]), mapped(src->next[1])};
        copy.partnerIndex = isRepeat(src->type) ? mapped(src->partner) : -1;
        copy.next = {nullptr, nullptr};
        copy.partner = nullptr;
        clipboard.blocks.push_back(std::move(copy));
    }
}

std::vector<const ActionBlock*> selectionToDelete(const BlockProgram& program) {
    std::vector<const ActionBlock*> doomed;
    for (const auto& b : program.blocks) {
        if (!(b->flags & FlagSelected) || isStartOrEnd(b->type)) continue;
        doomed.push_back(b.get());
        if (isRepeat(b->type) && b->partner) doomed.push_back(b->partner);
    }
    return doomed;
}

EditResult deleteSelection(BlockProgram& program, UndoHistory& history) {
    EditResult result;
    std::vector<const ActionBlock*> doomed;
    auto remove = [&](ActionBlock* b) {
        passOnLinks(program, b);
        if (program.currentBlock == b) {
            program.currentBlock = nullptr;
            result.currentCleared = true;
        }
        b->flags &= ~FlagSelected;
        b->next = {nullptr, nullptr};
        doomed.push_back(b);
    };
    for (size_t i = 0; i < program.blocks.size(); ++i) {
        ActionBlock* b = program.blocks[i].get();
        if (!(b->flags & FlagSelected) || isStartOrEnd(b->type)) continue;
        if (std::find(doomed.begin(), doomed.end(), b) != doomed.end()) continue;
        ActionBlock* partner = isRepeat(b->type) ? b->partner : nullptr;
        if (partner) partner->flags &= ~FlagSelected;
        remove(b);
        if (partner && std::find(doomed.begin(), doomed.end(), partner) == doomed.end()) remove(partner);
    }
    // Links were already passed on; removal also clears any partner still pointing at the doomed.
    removeBlocks(program, doomed);
    result.blocksChanged = static_cast<int>(doomed.size());
    clearSelection(program);
    result.titleNeedsMark = history.recordUndoStep(program);
    return result;
}

EditResult cutSelection(BlockProgram& program, Clipboard& clipboard, UndoHistory& history) {
    copySelection(program, clipboard);
    return deleteSelection(program, history);
}

EditResult pasteClipboard(BlockProgram& program, Clipboard& clipboard, UndoHistory& history, bool collision) {
    EditResult result;
    clearSelection(program);
    const size_t firstNew = program.blocks.size();
    const size_t n = clipboard.blocks.size();
    std::vector<ActionBlock*> copyOf(n, nullptr);

    // A repeat pair goes in whole or not at all, so the pairing invariant always holds.
    std::vector<bool> skip(n, false);
    int starts = countOfType(program, BlockType::RepeatStart);
    int ends = countOfType(program, BlockType::RepeatEnd);
    for (size_t i = 0; i < n; ++i) {
        const ActionBlock& c = clipboard.blocks[i];
        if (isStartOrEnd(c.type)) {
            skip[i] = true;
        } else if (isRepeat(c.type)) {
            int& count = c.type == BlockType::RepeatStart ? starts : ends;
            if (count >= kMaxRepeats) skip[i] = true;
            else ++count;
        }
    }
    for (size_t i = 0; i < n; ++i) {
        const int p = clipboard.blocks[i].partnerIndex;
        if (!skip[i] && isRepeat(clipboard.blocks[i].type) && p >= 0 && static_cast<size_t>(p) < n && skip[p])
            skip[i] = true;
    }

    for (size_t i = 0; i < n; ++i) {
        if (skip[i]) continue;
        ActionBlock& c = clipboard.blocks[i];
        c.x = std::min(c.x + kGrid, kMaxCoordinate);
        c.y = std::min(c.y + kGrid, kMaxCoordinate);
        auto copy = std::make_unique<ActionBlock>(c);
        copy->next = {nullptr, nullptr};
        copy->partner = nullptr;
        copy->nextIndex = {-1, -1};
        copy->partnerIndex = -1;
        copyOf[i] = append(program, std::move(copy));
    }
    if (collision)
        for (size_t i = firstNew; i < program.blocks.size(); ++i) separateForPlacement(program, *program.blocks[i]);

    auto mapped = [&](int idx) -> ActionBlock* {
        return idx >= 0 && static_cast<size_t>(idx) < n ? copyOf[static_cast<size_t>(idx)] : nullptr;
    };
    for (size_t i = 0; i < n; ++i) {
        ActionBlock* b = copyOf[i];
        if (!b) continue;
        const ActionBlock& c = clipboard.blocks[i];
        b->next = {mapped(c.nextIndex[0]), mapped(c.nextIndex[1])};
        if (isRepeat(b->type)) b->partner = mapped(c.partnerIndex);
        if (b->type == BlockType::RepeatStart) {
            // When all seven numbers are taken the copied number is the one no other block uses.
            const int free = freeRepeatIndex(program);
            if (free >= 0) b->param[2] = static_cast<uint8_t>(free);
            if (b->partner) b->partner->param[2] = b->param[2];
        }
        ++result.blocksChanged;
    }
    result.titleNeedsMark = history.recordUndoStep(program);
    return result;
}

}  // namespace trovel
