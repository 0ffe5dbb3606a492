#include <gtest/gtest.h>

#include "model/program.h"

using namespace trovel;

TEST(NewProgram, HoldsStartLinkedToEnd) {
    BlockProgram p;
    placeBlock(p, BlockType::Forward, {100, 100});
    p.filePath = u"old.qxp";
    newProgram(p);
    ASSERT_EQ(p.blocks.size(), 2u);
    ActionBlock* s = blockAt(p, 0);
    ActionBlock* e = blockAt(p, 1);
    EXPECT_EQ(s->type, BlockType::Start);
    EXPECT_EQ(e->type, BlockType::End);
    EXPECT_EQ(s->x, 27);
    EXPECT_EQ(s->y, 9);
    EXPECT_EQ(e->x, 27);
    EXPECT_EQ(e->y, 477);
    EXPECT_EQ(s->next[0], e);
    EXPECT_EQ(s->partner, e);
    EXPECT_EQ(e->partner, s);
    EXPECT_EQ(s->bend[0], 27);
    EXPECT_EQ(s->width, 108);
    EXPECT_EQ(s->height, 45);
    EXPECT_EQ(p.currentBlock, s);
    EXPECT_TRUE(p.filePath.empty());
}

TEST(ProgramList, IndexOfAndBlockAtHandleOutsiders) {
    BlockProgram p;
    newProgram(p);
    ActionBlock stranger;
    EXPECT_EQ(indexOf(p, nullptr), -1);
    EXPECT_EQ(indexOf(p, &stranger), -1);
    EXPECT_EQ(indexOf(p, blockAt(p, 1)), 1);
    EXPECT_EQ(blockAt(p, 2), nullptr);
    EXPECT_EQ(blockAt(p, -1), nullptr);
}

TEST(ProgramList, RemoveBlocksClearsLinksIntoThem) {
    BlockProgram p;
    newProgram(p);
    ActionBlock* s = blockAt(p, 0);
    ActionBlock* e = blockAt(p, 1);
    p.currentBlock = e;
    removeBlocks(p, {e});
    ASSERT_EQ(p.blocks.size(), 1u);
    EXPECT_EQ(s->next[0], nullptr);
    EXPECT_EQ(s->partner, nullptr);
    EXPECT_EQ(p.currentBlock, nullptr);
}

TEST(PlaceBlock, NamesCountUpPerCaption) {
    BlockProgram p;
    newProgram(p);
    ActionBlock* a = placeBlock(p, BlockType::Forward, {100, 100}).block;
    ActionBlock* b = placeBlock(p, BlockType::Forward, {200, 100}).block;
    ActionBlock* w = placeBlock(p, BlockType::Wait, {300, 100}).block;
    EXPECT_EQ(a->name, u"前に進む 1");
    EXPECT_EQ(b->name, u"前に進む 2");
    EXPECT_EQ(w->name, u"ウェイト 1");
    // The number follows the last block in list order naming the caption, not the highest.
    b->name = u"前に進む 7";
    a->name = u"前に進む 40";
    EXPECT_EQ(nextLabelNumber(p, BlockType::Forward), 8);
}

TEST(PlaceBlock, UsesDefaultsGridAndBends) {
    BlockProgram p;
    newProgram(p);
    ActionBlock* b = placeBlock(p, BlockType::LeftForward, {100, 60}).block;
    // (100 - 31, 60 - 18) = (69, 42), rounded down onto the 9-pixel grid.
    EXPECT_EQ(b->x, 63);
    EXPECT_EQ(b->y, 36);
    EXPECT_EQ(b->bend[0], 13);
    EXPECT_EQ(b->bend[1], 27);
    EXPECT_EQ(b->param[0], 15);
    EXPECT_EQ(b->param[2], 50);
    EXPECT_EQ(b->param[3], 50);
    // Rounding goes toward zero on the negative side too.
    ActionBlock* n = placeBlock(p, BlockType::Wait, {20, 10}).block;
    EXPECT_EQ(n->x, -9);
    EXPECT_EQ(n->y, -0);
}

TEST(PlaceBlock, RefusesTypesOutsidePalette) {
    BlockProgram p;
    newProgram(p);
    EXPECT_EQ(placeBlock(p, BlockType::Start, {0, 0}).error, PlaceError::InvalidType);
    EXPECT_EQ(placeBlock(p, BlockType::RepeatEnd, {0, 0}).error, PlaceError::InvalidType);
    EXPECT_EQ(p.blocks.size(), 2u);
}

TEST(PlaceBlock, RepeatStartComesWithItsEnd) {
    BlockProgram p;
    newProgram(p);
    ActionBlock* s = placeBlock(p, BlockType::RepeatStart, {200, 200}).block;
    ASSERT_EQ(p.blocks.size(), 4u);
    ActionBlock* e = blockAt(p, 3);
    EXPECT_EQ(e->type, BlockType::RepeatEnd);
    EXPECT_EQ(e->y, s->y + 90);
    EXPECT_EQ(s->next[0], e);
    EXPECT_EQ(e->next[1], s);
    EXPECT_EQ(e->next[0], nullptr);
    EXPECT_EQ(s->partner, e);
    EXPECT_EQ(e->partner, s);
    EXPECT_EQ(e->param[0], 3);
    EXPECT_EQ(e->param[2], s->param[2]);
}

TEST(PlaceBlock, SevenRepeatsAtMostAndNumbersAreReused) {
    BlockProgram p;
    newProgram(p);
    std::vector<ActionBlock*> starts;
    for (int i = 0; i < 7; ++i) {
        PlaceResult r = placeBlock(p, BlockType::RepeatStart, {100, 100 + 200 * i});
        ASSERT_EQ(r.error, PlaceError::None);
        EXPECT_EQ(r.block->param[2], i);
        starts.push_back(r.block);
    }
    size_t before = p.blocks.size();
    EXPECT_EQ(freeRepeatIndex(p), -1);
    EXPECT_EQ(placeBlock(p, BlockType::RepeatStart, {0, 0}).error, PlaceError::TooManyRepeats);
    EXPECT_EQ(p.blocks.size(), before);
    removeBlocks(p, {starts[3], starts[3]->partner});
    EXPECT_EQ(freeRepeatIndex(p), 3);
    EXPECT_EQ(placeBlock(p, BlockType::RepeatStart, {0, 0}).block->param[2], 3);

    // Loaded files may give two starts one number, or 255: the limit still counts the blocks.
    starts[5]->param[2] = 4;
    starts[6]->param[2] = 255;
    ASSERT_GE(freeRepeatIndex(p), 0);
    before = p.blocks.size();
    EXPECT_EQ(placeBlock(p, BlockType::RepeatStart, {0, 0}).error, PlaceError::TooManyRepeats);
    EXPECT_EQ(p.blocks.size(), before);
}

TEST(SelectAll, MarksEveryBlock) {
    BlockProgram p;
    newProgram(p);
    selectAll(p);
    for (auto& b : p.blocks) EXPECT_EQ(b->flags & (FlagSelected | FlagChanged), FlagSelected | FlagChanged);
}
