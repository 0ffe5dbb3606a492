#include <gtest/gtest.h>

#include "editor/clipboard.h"
#include "editor/collision.h"
#include "editor_fixtures.h"

using namespace trovel;
using test::addBlock;
using test::addRepeatPair;

namespace {

class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override { history.resetHistory(program); }
    OptionFlags flags;
    UndoHistory history{flags};
    BlockProgram program;
    Clipboard clipboard;
};

TEST_F(ClipboardTest, DeletingMiddleOfChainLinksFirstToThird) {
    ActionBlock* a = addBlock(program, BlockType::Forward, 0, 0);
    ActionBlock* b = addBlock(program, BlockType::Wait, 0, 90);
    ActionBlock* c = addBlock(program, BlockType::Stop, 0, 180);
    a->next[0] = b;
    b->next[0] = c;
    b->flags |= FlagSelected;
    EditResult r = deleteSelection(program, history);
    ASSERT_EQ(program.blocks.size(), 2u);
    EXPECT_EQ(a->next[0], c);
    EXPECT_EQ(r.blocksChanged, 1);
    EXPECT_TRUE(r.titleNeedsMark);
    EXPECT_EQ(history.state(), (UndoMenuState{true, false}));
}

TEST_F(ClipboardTest, DeletingOneOfTwoBlocksLinkedToEachOtherLeavesTheOutputOpen) {
    ActionBlock* a = addBlock(program, BlockType::Forward, 0, 0);
    ActionBlock* b = addBlock(program, BlockType::Wait, 0, 90);
    a->next[0] = b;
    b->next[0] = a;
    program.currentBlock = b;
    b->flags |= FlagSelected;
    EditResult r = deleteSelection(program, history);
    ASSERT_EQ(program.blocks.size(), 1u);
    EXPECT_EQ(a->next[0], nullptr);
    EXPECT_TRUE(r.currentCleared);
    EXPECT_EQ(program.currentBlock, nullptr);
}

TEST_F(ClipboardTest, DeletingRepeatStartTakesItsEndAndKeepsTheChain) {
    ActionBlock* before = addBlock(program, BlockType::Forward, 0, 0);
    auto [rs, re] = addRepeatPair(program, 0, 90, 0);  // RepeatEnd directly follows RepeatStart
    ActionBlock* after = addBlock(program, BlockType::Stop, 0, 300);
    before->next[0] = rs;
    re->next[0] = after;
    rs->flags |= FlagSelected;
    deleteSelection(program, history);
    ASSERT_EQ(program.blocks.size(), 2u);
    EXPECT_EQ(before->next[0], after);

    // With a body inside the loop the chain runs through the body.
    BlockProgram q;
    ActionBlock* first = addBlock(q, BlockType::Forward, 0, 0);
    auto [s2, e2] = addRepeatPair(q, 0, 90, 0);
    ActionBlock* body = addBlock(q, BlockType::Wait, 200, 90);
    first->next[0] = s2;
    s2->next[0] = body;
    body->next[0] = e2;
    e2->flags |= FlagSelected;  // selecting the end deletes the start too
    UndoHistory h(flags);
    deleteSelection(q, h);
    ASSERT_EQ(q.blocks.size(), 2u);
    EXPECT_EQ(first->next[0], body);
    EXPECT_EQ(body->next[0], nullptr);
}

TEST_F(ClipboardTest, StartAndEndAreNeitherDeletedNorCopied) {
    newProgram(program);
    history.resetHistory(program);
    ActionBlock* f = addBlock(program, BlockType::Forward, 100, 100);
    program.blocks[0]->next[0] = f;
    f->next[0] = program.blocks[1].get();
    selectAll(program);
    copySelection(program, clipboard);
    ASSERT_EQ(clipboard.blocks.size(), 1u);
    EXPECT_EQ(clipboard.blocks[0].nextIndex[0], -1) << "the link into End is dropped";

    deleteSelection(program, history);
    ASSERT_EQ(program.blocks.size(), 2u);
    EXPECT_EQ(program.blocks[0]->next[0], program.blocks[1].get()) << "Start passes on to End";
    for (const auto& b : program.blocks) EXPECT_FALSE(b->flags & FlagSelected);

    pasteClipboard(program, clipboard, history, false);
    ASSERT_EQ(program.blocks.size(), 3u);
    EXPECT_EQ(program.blocks[2]->type, BlockType::Forward);
    EXPECT_EQ(program.blocks[2]->next[0], nullptr);
}

TEST_F(ClipboardTest, CopyOfRepeatEndBringsItsStartAndPasteRenumbers) {
    auto [rs, re] = addRepeatPair(program, 0, 0, 0);
    ActionBlock* body = addBlock(program, BlockType::Forward, 200, 0);
    rs->next[0] = body;
    body->next[0] = re;
    re->flags |= FlagSelected;
    copySelection(program, clipboard);
    ASSERT_EQ(clipboard.blocks.size(), 2u);
    EXPECT_TRUE(rs->flags & FlagSelected) << "the partner is selected too";

    EditResult r = pasteClipboard(program, clipboard, history, false);
    ASSERT_EQ(program.blocks.size(), 5u);
    EXPECT_EQ(r.blocksChanged, 2);
    ActionBlock* ps = program.blocks[3].get();
    ActionBlock* pe = program.blocks[4].get();
    ASSERT_EQ(ps->type, BlockType::RepeatStart);
    ASSERT_EQ(pe->type, BlockType::RepeatEnd);
    EXPECT_EQ(ps->partner, pe);
    EXPECT_EQ(pe->partner, ps);
    EXPECT_EQ(pe->next[1], ps) << "the loop-back points at the pasted start";
    EXPECT_EQ(ps->next[0], nullptr) << "the body was not copied";
    EXPECT_EQ(ps->param[2], 1) << "a new repeat number";
    EXPECT_EQ(pe->param[2], 1);
    EXPECT_EQ(rs->param[2], 0);
    EXPECT_TRUE(ps->flags & FlagSelected) << "pasted blocks come selected";
    EXPECT_FALSE(rs->flags & FlagSelected) << "the old selection is cleared";
}

TEST_F(ClipboardTest, EachPasteLandsNinePixelsFurther) {
    ActionBlock* a = addBlock(program, BlockType::Forward, 90, 90);
    a->flags |= FlagSelected;
    copySelection(program, clipboard);
    pasteClipboard(program, clipboard, history, false);
    pasteClipboard(program, clipboard, history, false);
    ASSERT_EQ(program.blocks.size(), 3u);
    EXPECT_EQ(program.blocks[1]->x, 99);
    EXPECT_EQ(program.blocks[2]->x, 108);
    EXPECT_EQ(program.blocks[2]->y, 108);
    EXPECT_EQ(history.snapshotCount(), 3u);
}

TEST_F(ClipboardTest, InternalLinksArePreservedAmongPastedBlocks) {
    ActionBlock* br = addBlock(program, BlockType::Branch, 0, 0);
    ActionBlock* yes = addBlock(program, BlockType::Forward, 0, 100);
    ActionBlock* no = addBlock(program, BlockType::Stop, 150, 100);
    ActionBlock* outside = addBlock(program, BlockType::Wait, 300, 300);
    br->next = {yes, no};
    yes->next[0] = outside;
    br->flags |= FlagSelected;
    yes->flags |= FlagSelected;
    no->flags |= FlagSelected;
    copySelection(program, clipboard);
    program.blocks.erase(program.blocks.begin() + 1);  // the originals may go away before pasting
    pasteClipboard(program, clipboard, history, false);
    ASSERT_EQ(program.blocks.size(), 6u);
    ActionBlock* pbr = program.blocks[3].get();
    EXPECT_EQ(pbr->next[0], program.blocks[4].get());
    EXPECT_EQ(pbr->next[1], program.blocks[5].get());
    EXPECT_EQ(program.blocks[4]->next[0], nullptr) << "links leaving the copy are dropped";
}

TEST_F(ClipboardTest, SevenRepeatsLeaveNoRoomForAPastedPair) {
    for (uint8_t n = 0; n < 7; ++n) addRepeatPair(program, 0, 200 * n, n);
    program.blocks[0]->flags |= FlagSelected;
    copySelection(program, clipboard);
    ASSERT_EQ(clipboard.blocks.size(), 2u);
    EditResult r = pasteClipboard(program, clipboard, history, false);
    EXPECT_EQ(r.blocksChanged, 0);
    EXPECT_EQ(program.blocks.size(), 14u);
    EXPECT_EQ(history.snapshotCount(), 2u) << "an empty paste still records a step";

    // One pair removed: the copy fits and takes the freed number.
    program.blocks[6]->flags |= FlagSelected;  // RepeatStart number 3
    deleteSelection(program, history);
    pasteClipboard(program, clipboard, history, false);
    ASSERT_EQ(program.blocks.size(), 14u);
    EXPECT_EQ(program.blocks[12]->param[2], 3);
    EXPECT_EQ(freeRepeatIndex(program), -1);
}

TEST_F(ClipboardTest, PastedNumberStaysWhenItIsTheOnlyFreeOne) {
    for (uint8_t n = 0; n < 6; ++n) addRepeatPair(program, 0, 200 * n, n);
    auto [rs, re] = addRepeatPair(program, 300, 0, 6);
    rs->flags |= FlagSelected;
    copySelection(program, clipboard);
    deleteSelection(program, history);
    pasteClipboard(program, clipboard, history, false);
    ASSERT_EQ(program.blocks.size(), 14u);
    EXPECT_EQ(program.blocks[12]->param[2], 6) << "never an out-of-range number";
}

TEST_F(ClipboardTest, PasteWithCollisionPushesEachNewBlockClear) {
    ActionBlock* a = addBlock(program, BlockType::Forward, 0, 0);
    a->flags |= FlagSelected;
    copySelection(program, clipboard);
    pasteClipboard(program, clipboard, history, true);
    ASSERT_EQ(program.blocks.size(), 2u);
    const ActionBlock& pasted = *program.blocks[1];
    EXPECT_FALSE(collides(pasted, *a));
    EXPECT_EQ(pasted.x, 9);
    EXPECT_EQ(pasted.y, 72);

    UndoHistory h(flags);
    BlockProgram q;
    ActionBlock* b = addBlock(q, BlockType::Forward, 0, 0);
    b->flags |= FlagSelected;
    Clipboard c;
    copySelection(q, c);
    pasteClipboard(q, c, h, false);
    EXPECT_EQ(q.blocks[1]->y, 9) << "without the option the paste may overlap";
}

TEST_F(ClipboardTest, CutIsCopyThenDeleteAndUndoBringsItBack) {
    ActionBlock* a = addBlock(program, BlockType::Forward, 0, 0);
    addBlock(program, BlockType::Wait, 0, 100);
    history.resetHistory(program);
    a->flags |= FlagSelected;
    cutSelection(program, clipboard, history);
    EXPECT_EQ(program.blocks.size(), 1u);
    EXPECT_EQ(clipboard.blocks.size(), 1u);
    history.undo(program);
    ASSERT_EQ(program.blocks.size(), 2u);
    EXPECT_EQ(program.blocks[0]->type, BlockType::Forward);
    history.redo(program);
    EXPECT_EQ(program.blocks.size(), 1u);
    EXPECT_EQ(clipboard.blocks.size(), 1u) << "undo does not touch the clipboard";
}

}  // namespace
