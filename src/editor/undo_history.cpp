#include "editor/undo_history.h"

#include <algorithm>
#include <unordered_map>

namespace trovel {

namespace {

// Blocks per shared chunk: a one-block edit copies one chunk's pointers, not the whole list's.
constexpr size_t kChunkSize = 32;

using Record = std::shared_ptr<const ActionBlock>;  // a block copy: pointers null, links as indices

struct Chunk {
    std::vector<Record> records;
};

// Whether a stored record equals what a fresh copy of `live` with these link indices would be.
bool sameRecord(const ActionBlock& rec, const ActionBlock& live, int next0, int next1, int partner) {
    return rec.type == live.type && rec.param == live.param && rec.x == live.x && rec.y == live.y &&
           rec.dragX == live.dragX && rec.dragY == live.dragY && rec.anchorX == live.anchorX &&
           rec.anchorY == live.anchorY && rec.width == live.width && rec.height == live.height &&
           rec.bend == live.bend && rec.flags == live.flags && rec.nextIndex[0] == next0 && rec.nextIndex[1] == next1 &&
           rec.partnerIndex == partner && rec.name == live.name;
}

Record makeRecord(const ActionBlock& live, int next0, int next1, int partner) {
    auto rec = std::make_shared<ActionBlock>(live);
    rec->next = {nullptr, nullptr};
    rec->partner = nullptr;
    rec->nextIndex = {next0, next1};
    rec->partnerIndex = partner;
    return rec;
}

}  // namespace

struct UndoHistory::Snapshot {
    int count = 0;
    int currentIndex = -1;
    std::vector<std::shared_ptr<const Chunk>> chunks;

    const ActionBlock& record(size_t i) const { return *chunks[i / kChunkSize]->records[i % kChunkSize]; }
};

namespace {

using Snapshot = UndoHistory::Snapshot;

// A snapshot of the program, sharing every chunk and record of `previous` that did not change.
std::shared_ptr<const Snapshot> takeSnapshot(const BlockProgram& program, int currentIndex, const Snapshot* previous) {
    auto snap = std::make_shared<Snapshot>();
    const size_t count = program.blocks.size();
    snap->count = static_cast<int>(count);
    snap->currentIndex = currentIndex;
    std::unordered_map<const ActionBlock*, int> index;
    index.reserve(count);
    for (size_t i = 0; i < count; ++i) index.emplace(program.blocks[i].get(), static_cast<int>(i));
    auto indexOfLink = [&](const ActionBlock* b) {
        if (!b) return -1;
        auto it = index.find(b);
        return it == index.end() ? -1 : it->second;
    };

    const size_t prevCount = previous ? static_cast<size_t>(previous->count) : 0;
    for (size_t start = 0; start < count; start += kChunkSize) {
        const size_t end = std::min(start + kChunkSize, count);
        const size_t c = start / kChunkSize;
        const Chunk* prevChunk = previous && c < previous->chunks.size() ? previous->chunks[c].get() : nullptr;
        auto chunk = std::make_shared<Chunk>();
        chunk->records.reserve(end - start);
        bool allShared = prevChunk && prevChunk->records.size() == end - start;
        for (size_t i = start; i < end; ++i) {
            const ActionBlock& live = *program.blocks[i];
            const int n0 = indexOfLink(live.next[0]), n1 = indexOfLink(live.next[1]);
            const int p = indexOfLink(live.partner);
            if (i < prevCount && prevChunk) {
                const Record& old = prevChunk->records[i - start];
                if (sameRecord(*old, live, n0, n1, p)) {
                    chunk->records.push_back(old);
                    continue;
                }
            }
            allShared = false;
            chunk->records.push_back(makeRecord(live, n0, n1, p));
        }
        if (allShared) snap->chunks.push_back(previous->chunks[c]);
        else snap->chunks.push_back(std::move(chunk));
    }
    return snap;
}

// Rebuilds the program's block list from a snapshot; indices outside the list become null links.
void restoreSnapshot(BlockProgram& program, const Snapshot& snap) {
    const size_t count = static_cast<size_t>(snap.count);
    std::vector<std::unique_ptr<ActionBlock>> blocks;
    blocks.reserve(count);
    for (size_t i = 0; i < count; ++i) blocks.push_back(std::make_unique<ActionBlock>(snap.record(i)));
    auto at = [&](int idx) -> ActionBlock* {
        return idx >= 0 && static_cast<size_t>(idx) < count ? blocks[static_cast<size_t>(idx)].get() : nullptr;
    };
    for (auto& b : blocks) {
        b->next = {at(b->nextIndex[0]), at(b->nextIndex[1])};
        b->partner = at(b->partnerIndex);
    }
    program.currentBlock = at(snap.currentIndex);
    program.blocks = std::move(blocks);
}

}  // namespace

UndoHistory::UndoHistory(OptionFlags& flags) : m_flags(flags) {}
UndoHistory::~UndoHistory() = default;

bool UndoHistory::recordUndoStep(const BlockProgram& program) {
    const Snapshot* previous = m_snapshots.empty() ? nullptr : m_snapshots[m_current].get();
    auto snap = takeSnapshot(program, indexOf(program, program.currentBlock), previous);
    if (!m_snapshots.empty()) m_snapshots.resize(m_current + 1);
    m_snapshots.push_back(std::move(snap));
    m_current = m_snapshots.size() - 1;
    const bool needsMark = !m_flags.has(Option::Modified);
    m_flags.set(Option::Modified | Option::EditMark);
    updateUndoState();
    return needsMark;
}

void UndoHistory::resetHistory(const BlockProgram& program) {
    m_snapshots.clear();
    m_snapshots.push_back(takeSnapshot(program, 0, nullptr));
    m_current = 0;
    m_flags.clear(Option::Modified | Option::EditMark);
    updateUndoState();
}

UndoStepResult UndoHistory::stepTo(BlockProgram& program, size_t target, bool allowed) {
    UndoStepResult result;
    if (m_snapshots.empty()) return result;
    if (allowed) {
        if (m_stopSimulation) m_stopSimulation();
        m_current = target;
        restoreSnapshot(program, *m_snapshots[m_current]);
        result.stepped = true;
        updateUndoState();
    }
    result.titleNeedsMark = !m_flags.has(Option::Modified);
    m_flags.set(Option::Modified);
    return result;
}

UndoStepResult UndoHistory::undo(BlockProgram& program) {
    const bool can = !m_snapshots.empty() && m_current > 0;
    return stepTo(program, can ? m_current - 1 : m_current, can);
}

UndoStepResult UndoHistory::redo(BlockProgram& program) {
    const bool can = !m_snapshots.empty() && m_current + 1 < m_snapshots.size();
    return stepTo(program, can ? m_current + 1 : m_current, can);
}

UndoMenuState UndoHistory::state() const {
    if (m_snapshots.empty()) return {};
    return {m_current > 0, m_current + 1 < m_snapshots.size()};
}

UndoMenuState UndoHistory::updateUndoState() {
    const UndoMenuState s = state();
    if (m_listener) m_listener(s);
    return s;
}

bool UndoHistory::matchesCurrent(const BlockProgram& program) const {
    if (m_snapshots.empty()) return false;
    const Snapshot& snap = *m_snapshots[m_current];
    if (static_cast<size_t>(snap.count) != program.blocks.size()) return false;
    const auto index = indexMap(program);
    auto indexOfLink = [&](const ActionBlock* b) {
        auto it = index.find(b);
        return it == index.end() ? -1 : it->second;
    };
    for (size_t i = 0; i < program.blocks.size(); ++i) {
        const ActionBlock& live = *program.blocks[i];
        const ActionBlock& rec = snap.record(i);
        if (rec.type != live.type || rec.param != live.param || rec.x != live.x || rec.y != live.y ||
            rec.bend != live.bend || rec.name != live.name || rec.nextIndex[0] != indexOfLink(live.next[0]) ||
            rec.nextIndex[1] != indexOfLink(live.next[1]) || rec.partnerIndex != indexOfLink(live.partner))
            return false;
    }
    return true;
}

}  // namespace trovel
