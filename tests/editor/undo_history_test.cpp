#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <tuple>
#include <vector>

#include "editor/clipboard.h"
#include "editor/selection.h"
#include "editor/undo_history.h"
#include "editor_fixtures.h"

using namespace trovel;

namespace {

// Everything a snapshot must bring back, with links as list indices.
struct BlockView {
    int type, x, y, dragX, dragY, anchorX, anchorY, width, height, bend0, bend1, next0, next1, partner;
    uint32_t flags;
    std::array<uint8_t, 10> param;
    std::u16string name;
    friend bool operator==(const BlockView&, const BlockView&) = default;
};

struct ProgramView {
    std::vector<BlockView> blocks;
    int current;
    friend bool operator==(const ProgramView&, const ProgramView&) = default;
};

ProgramView view(const BlockProgram& p) {
    ProgramView v;
    for (const auto& b : p.blocks)
        v.blocks.push_back({static_cast<int>(b->type), b->x, b->y, b->dragX, b->dragY, b->anchorX, b->anchorY, b->width,
                            b->height, b->bend[0], b->bend[1], indexOf(p, b->next[0]), indexOf(p, b->next[1]),
                            indexOf(p, b->partner), b->flags, b->param, b->name});
    v.current = indexOf(p, p.currentBlock);
    return v;
}

// Every link of the program points into its own list.
bool linksStayInside(const BlockProgram& p) {
    for (const auto& b : p.blocks) {
        for (const ActionBlock* n : b->next)
            if (n && indexOf(p, n) < 0) return false;
        if (b->partner && indexOf(p, b->partner) < 0) return false;
    }
    return !p.currentBlock || indexOf(p, p.currentBlock) >= 0;
}

class UndoHistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        newProgram(program);
        history.resetHistory(program);
    }
    OptionFlags flags;
    UndoHistory history{flags};
    BlockProgram program;
};

TEST_F(UndoHistoryTest, MenuStatesThroughEditUndoRedo) {
    EXPECT_EQ(history.state(), (UndoMenuState{false, false})) << "after New both are greyed";
    EXPECT_FALSE(flags.has(Option::Modified));

    program.blocks[0]->x = 36;
    EXPECT_TRUE(history.recordUndoStep(program)) << "first edit puts the mark in the title";
    EXPECT_TRUE(flags.has(Option::Modified));
    EXPECT_TRUE(flags.has(Option::EditMark));
    EXPECT_EQ(history.state(), (UndoMenuState{true, false}));

    program.blocks[0]->x = 45;
    EXPECT_FALSE(history.recordUndoStep(program)) << "already marked";

    UndoStepResult r = history.undo(program);
    EXPECT_TRUE(r.stepped);
    EXPECT_FALSE(r.titleNeedsMark);
    EXPECT_EQ(program.blocks[0]->x, 36);
    EXPECT_EQ(history.state(), (UndoMenuState{true, true}));
    history.undo(program);
    EXPECT_EQ(program.blocks[0]->x, 27);
    EXPECT_EQ(history.state(), (UndoMenuState{false, true}));

    history.redo(program);
    history.redo(program);
    EXPECT_EQ(program.blocks[0]->x, 45);
    EXPECT_EQ(history.state(), (UndoMenuState{true, false}));
}

TEST_F(UndoHistoryTest, EditAfterUndoDiscardsRedoSteps) {
    for (int x : {36, 45, 54}) {
        program.blocks[0]->x = x;
        history.recordUndoStep(program);
    }
    history.undo(program);
    history.undo(program);
    EXPECT_EQ(program.blocks[0]->x, 36);
    program.blocks[0]->y = 90;
    history.recordUndoStep(program);
    EXPECT_EQ(history.state(), (UndoMenuState{true, false}));
    EXPECT_EQ(history.snapshotCount(), 3u);
    EXPECT_FALSE(history.redo(program).stepped);
    EXPECT_EQ(program.blocks[0]->y, 90);
    history.undo(program);
    EXPECT_EQ(program.blocks[0]->x, 36);
    EXPECT_EQ(program.blocks[0]->y, 9);
}

TEST_F(UndoHistoryTest, NothingToStepToStillMarksModified) {
    UndoStepResult r = history.undo(program);
    EXPECT_FALSE(r.stepped);
    EXPECT_TRUE(r.titleNeedsMark);
    EXPECT_TRUE(flags.has(Option::Modified));
    EXPECT_FALSE(flags.has(Option::EditMark)) << "undo sets only the modified bit";
    EXPECT_FALSE(history.redo(program).titleNeedsMark);
}

TEST_F(UndoHistoryTest, ResetClearsModifiedAndHistory) {
    program.blocks[0]->x = 36;
    history.recordUndoStep(program);
    history.resetHistory(program);
    EXPECT_FALSE(flags.has(Option::Modified | Option::EditMark));
    EXPECT_EQ(history.state(), (UndoMenuState{false, false}));
    EXPECT_EQ(history.snapshotCount(), 1u);
}

TEST_F(UndoHistoryTest, RestoresLinksPartnersSelectionAndCurrentBlockIntoFreshBlocks) {
    ActionBlock* start = program.blocks[0].get();
    ActionBlock* end = program.blocks[1].get();
    PlaceResult placed = placeBlock(program, BlockType::RepeatStart, {200, 200});
    ASSERT_EQ(placed.error, PlaceError::None);
    start->next[0] = placed.block;
    placed.block->partner->next[0] = end;
    placed.block->flags |= FlagSelected;
    program.currentBlock = placed.block;
    history.recordUndoStep(program);
    const ProgramView before = view(program);

    start->next[0] = end;
    placed.block->flags = 0;
    program.currentBlock = end;
    history.recordUndoStep(program);

    history.undo(program);
    EXPECT_EQ(view(program), before);
    EXPECT_TRUE(linksStayInside(program));
    EXPECT_EQ(program.currentBlock, program.blocks[2].get());
    EXPECT_EQ(program.blocks[2]->partner, program.blocks[3].get());
    EXPECT_EQ(program.blocks[3]->partner, program.blocks[2].get());
    EXPECT_EQ(program.blocks[3]->next[1], program.blocks[2].get());
    EXPECT_TRUE(program.blocks[2]->flags & FlagSelected) << "selection returns with the step";
}

TEST_F(UndoHistoryTest, OnlySavedFieldsCountAsAChange) {
    history.resetHistory(program);
    EXPECT_TRUE(history.matchesCurrent(program));
    ActionBlock* end = program.blocks[1].get();
    // What a plain click changes: selection, repaint and drag marks, the current block.
    end->flags |= FlagSelected | FlagChanged;
    end->anchorX = 99;
    program.currentBlock = end;
    EXPECT_TRUE(history.matchesCurrent(program));
    const std::vector<std::function<void(BlockProgram&)>> edits = {
        [](BlockProgram& p) { p.blocks[1]->y += 9; },
        [](BlockProgram& p) { p.blocks[1]->param[7] = 1; },
        [](BlockProgram& p) { p.blocks[1]->bend[1] = 5; },
        [](BlockProgram& p) { p.blocks[1]->name = u"x"; },
        [](BlockProgram& p) { p.blocks[0]->next[0] = nullptr; },
        [](BlockProgram& p) { p.blocks[0]->partner = nullptr; },
        [](BlockProgram& p) {
            placeBlock(p, BlockType::Wait, {200, 200});
        },
    };
    for (size_t i = 0; i < edits.size(); ++i) {
        BlockProgram copy;
        newProgram(copy);
        history.resetHistory(copy);
        edits[i](copy);
        EXPECT_FALSE(history.matchesCurrent(copy)) << i;
    }
}

TEST_F(UndoHistoryTest, StopHookRunsBeforeTheListChangesAndListenerGetsStates) {
    std::vector<UndoMenuState> states;
    size_t blocksSeenByStop = 0;
    int stops = 0;
    history.setStateListener([&](UndoMenuState s) { states.push_back(s); });
    history.setStopSimulation([&] {
        if (stops++ == 0) blocksSeenByStop = program.blocks.size();
    });
    placeBlock(program, BlockType::Forward, {100, 100});
    history.recordUndoStep(program);
    EXPECT_EQ(stops, 0) << "an edit that keeps every block leaves a simulated run going";
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back(), (UndoMenuState{true, false}));

    stops = 0;
    history.undo(program);
    EXPECT_GE(stops, 1);
    EXPECT_EQ(blocksSeenByStop, 3u) << "the first stop comes before the old list is replaced";
    EXPECT_EQ(program.blocks.size(), 2u);
    EXPECT_EQ(states.back(), (UndoMenuState{false, true}));
}

// Shared snapshots must behave exactly as full copies: a long random edit session is recorded,
// then walked back to the start and forward to the end, comparing every step with a full copy.
TEST_F(UndoHistoryTest, SharedSnapshotsBehaveAsFullCopies) {
    std::mt19937 rng(1234);
    auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
    Clipboard clipboard;
    for (int i = 0; i < 40; ++i) placeBlock(program, static_cast<BlockType>(3 + i % 13), {40 * i, 60 * (i % 7)});
    history.resetHistory(program);
    std::vector<ProgramView> expected{view(program)};

    for (int step = 0; step < 300; ++step) {
        const size_t n = program.blocks.size();
        ActionBlock* b = program.blocks[pick(n)].get();
        switch (rng() % 7) {
        case 0: b->x += 9; break;
        case 1: b->next[0] = program.blocks[pick(n)].get(); break;
        case 2: b->name += u"x"; break;
        case 3: b->param[static_cast<size_t>(pick(10))] ^= 0x5A; break;
        case 4:
            program.currentBlock = b;
            b->flags ^= FlagSelected;
            break;
        case 5: {
            clearSelection(program);
            b->flags |= FlagSelected;
            if (b->type == BlockType::Start || b->type == BlockType::End) break;
            deleteSelection(program, history);
            expected.push_back(view(program));
            continue;
        }
        case 6: {
            b->flags |= FlagSelected;
            copySelection(program, clipboard);
            pasteClipboard(program, clipboard, history, false);
            expected.push_back(view(program));
            continue;
        }
        }
        history.recordUndoStep(program);
        expected.push_back(view(program));
    }
    ASSERT_EQ(history.snapshotCount(), expected.size());
    for (size_t i = expected.size() - 1; i-- > 0;) {
        ASSERT_TRUE(history.undo(program).stepped);
        ASSERT_EQ(view(program), expected[i]) << "undo to step " << i;
        ASSERT_TRUE(linksStayInside(program));
    }
    for (size_t i = 1; i < expected.size(); ++i) {
        ASSERT_TRUE(history.redo(program).stepped);
        ASSERT_EQ(view(program), expected[i]) << "redo to step " << i;
    }
}

}  // namespace
