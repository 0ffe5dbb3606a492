#include <gtest/gtest.h>

#include "editor/collision.h"
#include "editor/selection.h"
#include "editor_fixtures.h"

using namespace trovel;
using test::addBlock;
using test::makeBlock;

namespace {

TEST(CollisionTest, RectanglesKeepANinePixelMargin) {
    ActionBlock a = makeBlock(BlockType::Forward, 0, 0);
    EXPECT_TRUE(collides(a, makeBlock(BlockType::Forward, 71, 0)));
    EXPECT_FALSE(collides(a, makeBlock(BlockType::Forward, 72, 0)));
    EXPECT_FALSE(collides(a, makeBlock(BlockType::Forward, 0, 72)));
    EXPECT_TRUE(collides(a, makeBlock(BlockType::Forward, -71, -71)));
}

TEST(CollisionTest, DiamondCornersAreFreeSpace) {
    ActionBlock d = makeBlock(BlockType::Branch, 0, 0);  // centre (54, 31)
    // Overlaps the diamond's bounding box (with margin) at its top-right corner, but not the diamond.
    ActionBlock r = makeBlock(BlockType::Forward, 108, -60);
    EXPECT_FALSE(collides(r, d));
    EXPECT_FALSE(collides(d, r));
    // Level with the diamond's right vertex, within the margin.
    ActionBlock side = makeBlock(BlockType::Forward, 110, 0);
    EXPECT_TRUE(collides(side, d));
    EXPECT_TRUE(collides(d, side));
    // Straight above the centre column with the vertical ranges meeting.
    EXPECT_TRUE(collides(makeBlock(BlockType::Forward, 20, -63), d));
}

TEST(CollisionTest, TwoDiamonds) {
    ActionBlock d = makeBlock(BlockType::Branch, 0, 0);
    EXPECT_FALSE(collides(d, makeBlock(BlockType::RandomBranch, 100, 40)));
    EXPECT_TRUE(collides(d, makeBlock(BlockType::RandomBranch, 60, 20)));
    EXPECT_TRUE(collides(makeBlock(BlockType::RandomBranch, 60, 20), d));
}

TEST(PlacementRule, PushesBelowByOwnHeightAndMargin) {
    BlockProgram p;
    addBlock(p, BlockType::Forward, 0, 0);
    ActionBlock* m = addBlock(p, BlockType::Forward, 9, 45);
    separateForPlacement(p, *m);
    EXPECT_EQ(m->x, 9);
    EXPECT_EQ(m->y, 72);
}

TEST(PlacementRule, HorizontalWhenFurtherSidewaysThanDown) {
    BlockProgram p;
    addBlock(p, BlockType::Forward, 100, 0);
    ActionBlock* m = addBlock(p, BlockType::Forward, 60, 9);
    separateForPlacement(p, *m);
    EXPECT_EQ(m->x, 100 - 63 - 9);
    EXPECT_EQ(m->y, 9);
}

// Pushed to the far side of a block of another size, the new block clears all of it: the width of
// a diamond to its left, the height of a taller block above it.
TEST(PlacementRule, ClearsTheOtherBlocksWholeSize) {
    struct Row {
        BlockType other, placed;
        int x, y;
        int wantX, wantY;
    } rows[] = {
        {BlockType::Branch, BlockType::Forward, 90, 9, 108 + 9, 9},       // beside a diamond's right corner
        {BlockType::RandomBranch, BlockType::Wait, 80, 20, 108 + 9, 20},  // its lower right edge
        {BlockType::Forward, BlockType::RepeatStart, 9, 45, 9, 63 + 9},   // a short block under a tall one
    };
    for (const Row& r : rows) {
        BlockProgram p;
        ActionBlock* other = addBlock(p, r.other, 0, 0);
        ActionBlock* m = addBlock(p, r.placed, r.x, r.y);
        separateForPlacement(p, *m);
        EXPECT_EQ(m->x, r.wantX) << int(r.other);
        EXPECT_EQ(m->y, r.wantY) << int(r.other);
        EXPECT_FALSE(collides(*m, *other)) << int(r.other);
    }
}

TEST(PlacementRule, OnePassPushesOnlyTowardsLaterBlocks) {
    // Pushed off the first block onto the second: pushed again.
    BlockProgram p;
    addBlock(p, BlockType::Forward, 0, 0);
    addBlock(p, BlockType::Forward, 0, 72);
    ActionBlock* m = addBlock(p, BlockType::Forward, 0, 9);
    separateForPlacement(p, *m);
    EXPECT_EQ(m->y, 144);

    // Pushed off the second-listed block back onto the first-listed one: stays overlapping it.
    BlockProgram q;
    ActionBlock* lower = addBlock(q, BlockType::Forward, 0, 72);
    addBlock(q, BlockType::Forward, 0, 0);
    ActionBlock* n = addBlock(q, BlockType::Forward, 0, 63);
    separateForPlacement(q, *n);
    EXPECT_EQ(n->y, 72);
    EXPECT_TRUE(collides(*n, *lower));
}

TEST(PlacementRule, NegativeResultIsClampedAndAnchorCanFollow) {
    BlockProgram p;
    addBlock(p, BlockType::Forward, 0, 40);
    ActionBlock* m = addBlock(p, BlockType::Forward, 0, 5);
    m->anchorX = m->anchorY = -1;
    separateForPlacement(p, *m, true);
    EXPECT_EQ(m->y, 0);
    EXPECT_EQ(m->anchorY, 40 - 63 - 9) << "the anchor follows each step, before the final clamp";

    BlockProgram q;
    addBlock(q, BlockType::Forward, 0, 40);
    ActionBlock* n = addBlock(q, BlockType::Forward, 0, 5);
    n->anchorX = n->anchorY = -1;
    separateForPlacement(q, *n, false);
    EXPECT_EQ(n->anchorY, -1);
}

TEST(DropRule, RectangleAgainstRectangleStaysAtItsAnchor) {
    BlockProgram p;
    addBlock(p, BlockType::Forward, 0, 0);
    ActionBlock* m = addBlock(p, BlockType::Forward, 30, 30);
    separateAfterDrop(p, *m);
    EXPECT_EQ(m->x, 30);
    EXPECT_EQ(m->y, 30);
}

TEST(DropRule, RectangleBesideDiamondCentreRowMovesVertically) {
    BlockProgram p;
    addBlock(p, BlockType::Branch, 0, 0);
    ActionBlock* m = addBlock(p, BlockType::Forward, 100, 10);
    separateAfterDrop(p, *m);
    EXPECT_EQ(m->x, 100);
    EXPECT_EQ(m->y, 0 + 63 + 9) << "the diamond's centre is above: below it by own height and margin";
}

TEST(DropRule, RectangleOverDiamondCentreColumnMovesHorizontally) {
    BlockProgram p;
    addBlock(p, BlockType::Branch, 0, 0);
    ActionBlock* m = addBlock(p, BlockType::Forward, 30, 40);
    separateAfterDrop(p, *m);
    EXPECT_EQ(m->x, 0 + 63 + 9);
    EXPECT_EQ(m->y, 40);
}

TEST(DropRule, CornerCaseMovesByThePenetration) {
    BlockProgram p;
    addBlock(p, BlockType::Branch, 0, 0);
    ActionBlock* m = addBlock(p, BlockType::Forward, 70, 40);
    // Half width of the diamond at row 40 is 54 - 54*9/31 = 39; the left edge is 16 from the centre.
    separateAfterDrop(p, *m);
    EXPECT_EQ(m->x, 70 + 23);
    EXPECT_EQ(m->y, 40);
}

TEST(DropRule, TwoDiamondsSeparateVertically) {
    BlockProgram p;
    addBlock(p, BlockType::Branch, 0, 0);
    ActionBlock* m = addBlock(p, BlockType::Branch, 60, 20);
    separateAfterDrop(p, *m);
    EXPECT_EQ(m->x, 60);
    EXPECT_EQ(m->y, 34) << "the other centre is higher, so the dropped one moves down by 34 - 20";
}

TEST(MovingWithCollision, CollidingBlockReturnsToItsLastFreePlace) {
    BlockProgram p;
    addBlock(p, BlockType::Forward, 0, 0);
    ActionBlock* m = addBlock(p, BlockType::Forward, 270, 0);
    m->flags |= FlagSelected;

    Point origin{300, 30};
    origin = moveSelection(p, origin, {210, 30}, true);  // free at x = 180
    EXPECT_EQ(m->x, 180);
    EXPECT_FALSE(m->flags & FlagColliding);
    EXPECT_EQ(m->anchorX, 180);

    moveSelection(p, origin, {70, 30}, true);  // onto the other block
    EXPECT_EQ(m->x, 36);
    EXPECT_TRUE(m->flags & FlagColliding);
    EXPECT_EQ(m->anchorX, 180) << "the anchor keeps the last free position";

    EXPECT_EQ(settleDroppedSelection(p), 1);
    EXPECT_EQ(m->x, 180);
    EXPECT_EQ(m->y, 0);
    EXPECT_FALSE(m->flags & FlagColliding);
}

TEST(MovingWithCollision, OptionOffNeverMarks) {
    BlockProgram p;
    addBlock(p, BlockType::Forward, 0, 0);
    ActionBlock* m = addBlock(p, BlockType::Forward, 90, 0);
    m->flags |= FlagSelected;
    moveSelection(p, {90, 0}, {0, 0}, false);
    EXPECT_EQ(m->x, 0);
    EXPECT_FALSE(m->flags & FlagColliding);
    EXPECT_EQ(settleDroppedSelection(p), 0);
    EXPECT_EQ(m->x, 0);
}

TEST(MovingSelection, SnapsToGridAndClampsAtZero) {
    BlockProgram p;
    ActionBlock* a = addBlock(p, BlockType::Forward, 10, 100);  // off the grid
    ActionBlock* b = addBlock(p, BlockType::Forward, 500, 500);
    a->flags |= FlagSelected;
    Point next = moveSelection(p, {104, 104}, {115, 60}, false);
    EXPECT_EQ(next, (Point{108, 54}));
    EXPECT_EQ(a->x, 9 + 108 - 99);
    EXPECT_EQ(a->y, 99 + 54 - 99);
    EXPECT_EQ(b->x, 500) << "unselected blocks stay";
    moveSelection(p, next, {0, 0}, false);
    EXPECT_EQ(a->x, 0);
    EXPECT_EQ(a->y, 0);
}

TEST(RubberBand, DiamondsAreTouchedByTheirShape) {
    BlockProgram p;
    ActionBlock* d = addBlock(p, BlockType::Branch, 0, 0);
    ActionBlock* r = addBlock(p, BlockType::Forward, 200, 0);
    selectInBand(p, {10, 10, 0, 0});  // any corner order; only the diamond's empty corner
    EXPECT_FALSE(d->flags & FlagInBand);
    selectInBand(p, {0, 25, 5, 35});  // the diamond's centre row
    EXPECT_TRUE(d->flags & FlagInBand);
    EXPECT_TRUE(d->flags & FlagChanged);
    EXPECT_FALSE(r->flags & FlagInBand);
    selectInBand(p, {263, 63, 300, 80});  // a rectangle's corner, edges included
    EXPECT_FALSE(d->flags & FlagInBand);
    EXPECT_TRUE(r->flags & FlagInBand);
    commitBand(p);
    EXPECT_TRUE(r->flags & FlagSelected);
    EXPECT_FALSE(r->flags & FlagInBand);
    EXPECT_FALSE(d->flags & FlagSelected);
}

TEST(DropTarget, SkipsStartAndTheDraggedBlock) {
    BlockProgram p;
    ActionBlock* start = addBlock(p, BlockType::Start, 0, 0);
    ActionBlock* a = addBlock(p, BlockType::Forward, 0, 0);
    ActionBlock* b = addBlock(p, BlockType::Forward, 0, 0);
    EXPECT_EQ(dropTargetAt(p, 10, 10, nullptr), a);
    EXPECT_EQ(dropTargetAt(p, 10, 10, a), b);
    EXPECT_EQ(dropTargetAt(p, 100, 10, a), nullptr) << "only the Start block lies there";
    start->x = 300;
    EXPECT_EQ(dropTargetAt(p, 310, 10, nullptr), nullptr);
}

}  // namespace
