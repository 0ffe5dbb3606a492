#include <gtest/gtest.h>

#include "editor/hit_test.h"
#include "editor_fixtures.h"

using namespace trovel;
using test::addBlock;

namespace {

TEST(HitTestPriorities, EmptyProgramAndEmptySpaceHitNothing) {
    BlockProgram p;
    EXPECT_EQ(hitTest(p, 10, 10).code, HitCode::Nothing);
    addBlock(p, BlockType::Forward, 0, 0);
    HitResult r = hitTest(p, 500, 500);
    EXPECT_EQ(r.code, HitCode::Nothing);
    EXPECT_EQ(r.blockIndex, -1);
}

TEST(HitTestPriorities, EarlierBlockWinsWhereBlocksOverlap) {
    BlockProgram p;
    addBlock(p, BlockType::Forward, 0, 0);
    addBlock(p, BlockType::Forward, 9, 9);
    HitResult r = hitTest(p, 30, 30);
    EXPECT_EQ(r.code, HitCode::Body);
    EXPECT_EQ(r.blockIndex, 0);
    EXPECT_EQ(hitTest(p, 70, 70).blockIndex, 1) << "outside the first block the second is hit";
}

TEST(HitTestPriorities, HandleOfEarlierBlockBeatsBodyOfLaterOne) {
    // The first block's open output sits at its bottom centre (31, 63), inside the second block.
    BlockProgram p;
    addBlock(p, BlockType::Forward, 0, 0);
    addBlock(p, BlockType::Forward, 0, 54);
    HitResult r = hitTest(p, 31, 66);
    EXPECT_EQ(r.code, HitCode::End0);
    EXPECT_EQ(r.blockIndex, 0);

    // With the order reversed the body of the now-earlier block wins.
    BlockProgram q;
    addBlock(q, BlockType::Forward, 0, 54);
    addBlock(q, BlockType::Forward, 0, 0);
    r = hitTest(q, 31, 66);
    EXPECT_EQ(r.code, HitCode::Body);
    EXPECT_EQ(r.blockIndex, 0);
}

TEST(HitTestPriorities, ArrowheadOnTargetTopDependsOnListOrder) {
    // A connector enters the top centre (31, 117) of its target.
    BlockProgram p;
    ActionBlock* a = addBlock(p, BlockType::Forward, 0, 0);
    ActionBlock* b = addBlock(p, BlockType::Forward, 0, 117);
    a->next[0] = b;
    HitResult r = hitTest(p, 33, 121);
    EXPECT_EQ(r.code, HitCode::End0) << "source first: the click grabs the connector's end";
    EXPECT_EQ(r.blockIndex, 0);

    BlockProgram q;
    ActionBlock* target = addBlock(q, BlockType::Forward, 0, 117);
    ActionBlock* source = addBlock(q, BlockType::Forward, 0, 0);
    source->next[0] = target;
    r = hitTest(q, 33, 121);
    EXPECT_EQ(r.code, HitCode::Body) << "target first: the same click selects the target";
    EXPECT_EQ(r.blockIndex, 0);
}

TEST(HitTestHandles, StartHandleBoxIsAsymmetric) {
    BlockProgram p;
    ActionBlock* a = addBlock(p, BlockType::Forward, 0, 0);
    ActionBlock* b = addBlock(p, BlockType::Forward, 0, 200);
    a->next[0] = b;   // start point (31, 63)
    a->bend[0] = 60;  // keeps the bend handle (31, 123) away from the start handle
    EXPECT_EQ(hitTest(p, 31 - 8, 63 + 7).code, HitCode::End0);
    EXPECT_EQ(hitTest(p, 31 + 7, 63 + 7).code, HitCode::End0);
    EXPECT_EQ(hitTest(p, 31 + 8, 68).code, HitCode::Nothing);
    EXPECT_EQ(hitTest(p, 31, 63 + 8).code, HitCode::Nothing);
}

TEST(HitTestHandles, BendHandleOfDownRoute) {
    BlockProgram p;
    ActionBlock* a = addBlock(p, BlockType::Forward, 0, 0);
    ActionBlock* b = addBlock(p, BlockType::Forward, 90, 200);
    a->next[0] = b;  // run at y = 63 + 13 = 76, mid x = (31 + 121) / 2 = 76
    HitResult r = hitTest(p, 76 + 7, 76 - 7);
    EXPECT_EQ(r.code, HitCode::Bend0);
    EXPECT_EQ(r.blockIndex, 0);
    EXPECT_EQ(hitTest(p, 76 + 8, 76).code, HitCode::Nothing);
}

TEST(HitTestHandles, SideDownRouteHasNoBendHandle) {
    BlockProgram p;
    ActionBlock* br = addBlock(p, BlockType::Branch, 100, 100);
    ActionBlock* t = addBlock(p, BlockType::Forward, 300, 250);
    ActionBlock* t0 = addBlock(p, BlockType::Forward, 100, 400);
    br->next = {t0, t};  // output 1: code 11, mid (331, 190)
    EXPECT_EQ(hitTest(p, 331, 190).code, HitCode::Nothing);
    EXPECT_EQ(hitTest(p, 331, 245).code, HitCode::End1) << "its arrowhead still grabs the end";
    EXPECT_EQ(hitTest(p, 210, 131).code, HitCode::End1) << "and so does its start handle";
}

TEST(HitTestHandles, OverlapMarkerIsTheOnlyHandle) {
    BlockProgram p;
    ActionBlock* a = addBlock(p, BlockType::Forward, 0, 0);
    ActionBlock* b = addBlock(p, BlockType::Forward, 0, 36);
    a->next[0] = b;
    // Marker corners (31,48), (22,25), (39,25): centroid (30, 32).
    HitResult r = hitTest(p, 30, 32);
    EXPECT_EQ(r.code, HitCode::End0);
    EXPECT_EQ(r.blockIndex, 0);
    EXPECT_EQ(hitTest(p, 34, 35).code, HitCode::Body) << "distance 5 from the centroid is not a hit";
    EXPECT_EQ(hitTest(p, 31, 63).code, HitCode::Body) << "no start handle on an overlap route";
    EXPECT_EQ(hitTest(p, 100000, 100000).code, HitCode::Nothing) << "far points must not wrap into a hit";
    EXPECT_EQ(hitTest(p, -70000, 30).code, HitCode::Nothing);
}

TEST(HitTestRepeat, LoopBackCannotBeGrabbedButItsBendCan) {
    BlockProgram p;
    auto [rs, re] = test::addRepeatPair(p, 0, 0, 0);
    // RepeatEnd's loop-back: code 6, start (108, 108), run at x = 135, mid (135, 63), tip (54, 0).
    ASSERT_EQ(routeConnector(*re, 1).code, RouteCode::SideUpRight);
    EXPECT_EQ(hitTest(p, 112, 108).code, HitCode::Nothing) << "start handle of the loop-back is ignored";
    HitResult r = hitTest(p, 135, 63);
    EXPECT_EQ(r.code, HitCode::Bend1);
    EXPECT_EQ(r.blockIndex, 1);
    // Output 0 of the RepeatEnd still has its normal open handle at its bottom centre.
    r = hitTest(p, 54, 128);
    EXPECT_EQ(r.code, HitCode::End0);
    EXPECT_EQ(r.blockIndex, 1);
    (void)rs;
}

TEST(HitTestBodies, DiamondBodyExcludesTheCorners) {
    BlockProgram p;
    addBlock(p, BlockType::Branch, 0, 0);  // 108 x 63, centre (54, 31)
    EXPECT_EQ(hitTest(p, 54, 31).code, HitCode::Body);
    EXPECT_EQ(hitTest(p, 5, 31).code, HitCode::Body);
    EXPECT_EQ(hitTest(p, 2, 2).code, HitCode::Nothing);
    EXPECT_EQ(hitTest(p, 100, 58).code, HitCode::Nothing);
    // A rectangle's edges are part of it.
    BlockProgram q;
    addBlock(q, BlockType::Wait, 0, 0);
    EXPECT_EQ(hitTest(q, 63, 0).code, HitCode::Body);
    EXPECT_EQ(hitTest(q, 64, 0).code, HitCode::Nothing);
}

TEST(HitTestBodies, EndHasNoOutputs) {
    BlockProgram p;
    addBlock(p, BlockType::End, 0, 0);  // 108 x 45; an output would sit at (54, 45)
    EXPECT_EQ(hitTest(p, 54, 50).code, HitCode::Nothing);
    EXPECT_EQ(hitTest(p, 54, 44).code, HitCode::Body);
}

}  // namespace
