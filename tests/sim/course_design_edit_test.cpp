#include "sim/course_design_edit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace trovel;

namespace {

CourseElement line(double x1, double y1, double x2, double y2, double width = 20) {
    return {CourseElementKind::Line, {x1, y1, x2, y2}, width};
}

CourseDesign twoStrokes() {
    CourseDesign d;
    d.nameEn = u"Test";
    d.startX = -200;
    d.startY = 0;
    d.elements = {line(-100, 0, 100, 0), line(100, 0, 100, 200)};
    return d;
}

// Snapping: an end within reach wins over the grid, the element being dragged never snaps to
// itself, and with both rules off the point stays where it is.
TEST(CourseDesignEdit, SnapsToEndsThenGrid) {
    const CourseDesign d = twoStrokes();
    struct Row {
        const char* what;
        DesignPoint p;
        SnapRule rule;
        int skip;
        DesignPoint expected;
    };
    const Row rows[] = {
        {"near an end", {104, 6}, {}, -1, {100, 0}},
        {"near an end, off the grid", {97, 203}, {}, -1, {100, 200}},
        {"end out of reach: grid", {-87, 14}, {}, -1, {-90, 10}},
        {"own end skipped: the other stroke's", {103, 194}, {}, 0, {100, 200}},
        {"own end skipped: grid", {103, 194}, {}, 1, {100, 190}},
        {"an end of the skipped stroke only", {-94, 3}, {}, -1, {-100, 0}},
        {"the same with that stroke skipped", {-94, 3}, {}, 0, {-90, 0}},
        {"ends off", {104, 6}, {true, false}, -1, {100, 10}},
        {"nothing", {104.5, 6.25}, {false, false}, -1, {104.5, 6.25}},
        {"coarse grid", {37, -26}, {true, true, 25, 10}, -1, {25, -25}},
    };
    for (const Row& r : rows) {
        const DesignPoint got = snapPoint(d, r.p, r.rule, r.skip);
        EXPECT_NEAR(got.x, r.expected.x, 1e-9) << r.what;
        EXPECT_NEAR(got.y, r.expected.y, 1e-9) << r.what;
    }
}

// Hit testing: the selected element's handles first, then the start, strokes from the top, the
// judging areas beneath; a click just outside a stroke's ink misses it.
TEST(CourseDesignEdit, HitTestOrder) {
    CourseDesign d = twoStrokes();
    setGoal(d, {-20, -40, 20, 40});
    ASSERT_TRUE(addCheckpoint(d, {60, 150, 140, 250}));
    ASSERT_TRUE(setForbidden(d, {200, -200, 300, -100}));
    d.elements.push_back({CourseElementKind::Arc, {0, 0, 100, 0, 90}, 10});  // from (100, 0) to (0, 100)
    struct Row {
        const char* what;
        DesignPoint p;
        int selected;
        DesignHit expected;
    };
    const Row rows[] = {
        {"on the first stroke", {-50, 9}, -1, {DesignPart::Element, 0}},
        {"just off its ink", {-50, 13}, -1, {}},
        {"on the goal, over the first stroke", {0, 5}, -1, {DesignPart::Element, 0}},
        {"goal beneath no stroke", {0, 30}, -1, {DesignPart::Goal}},
        {"overlapping strokes: the last drawn", {100, 0}, -1, {DesignPart::Element, 2}},
        {"on the arc's bow", {70.7, 70.7}, -1, {DesignPart::Element, 2}},
        {"inside the arc's circle, off its ink", {40, 40}, -1, {}},
        {"handle of the selected element", {100, 200}, 1, {DesignPart::Handle, 1, 1}},
        {"same place unselected", {100, 200}, -1, {DesignPart::Element, 1}},
        {"arc's middle handle", {70.7, 70.7}, 2, {DesignPart::Handle, 2, 1}},
        {"start", {-210, 15}, -1, {DesignPart::Start}},
        {"start's rotation handle", {-155, 0}, -1, {DesignPart::StartHandle}},
        {"checkpoint under no stroke", {70, 240}, -1, {DesignPart::Checkpoint, 0}},
        {"forbidden area", {250, -150}, -1, {DesignPart::Forbidden}},
        {"empty paper", {-300, 200}, -1, {}},
    };
    for (const Row& r : rows) EXPECT_EQ(hitDesign(d, r.p, 2, r.selected), r.expected) << r.what;
}

// Handles reshape the element; moves that would break it leave it as it was.
TEST(CourseDesignEdit, HandlesReshapeOrRefuse) {
    CourseElement arc;
    ASSERT_TRUE(arcThrough({100, 0}, {0, 100}, {-100, 0}, 20, arc));
    EXPECT_NEAR(arc.v[0], 0, 1e-9);
    EXPECT_NEAR(arc.v[1], 0, 1e-9);
    EXPECT_NEAR(arc.v[2], 100, 1e-9);
    EXPECT_NEAR(arc.v[4], 180, 1e-9);  // through the bottom: clockwise on the screen
    CourseElement other;
    ASSERT_TRUE(arcThrough({100, 0}, {0, -100}, {-100, 0}, 20, other));
    EXPECT_NEAR(other.v[4], -180, 1e-9);

    const std::vector<DesignPoint> ends = elementEnds(arc);
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_NEAR(ends[1].x, -100, 1e-9);
    EXPECT_NEAR(ends[1].y, 0, 1e-9);

    CourseElement kept = arc;
    EXPECT_FALSE(moveHandle(kept, 1, {0, 0}));  // on the line through the two ends
    EXPECT_EQ(kept, arc);
    EXPECT_FALSE(moveHandle(kept, 3, {5, 5}));
    EXPECT_FALSE(moveHandle(kept, 0, {20000, 0}));
    EXPECT_EQ(kept, arc);
    ASSERT_TRUE(moveHandle(kept, 1, {0, 50}));
    const std::vector<DesignPoint> after = elementHandles(kept);
    EXPECT_NEAR(after[0].x, 100, 1e-2);
    EXPECT_NEAR(after[2].x, -100, 1e-2);
    EXPECT_NEAR(after[1].y, 50, 1e-2);

    CourseElement l = line(0, 0, 10, 0);
    EXPECT_FALSE(moveHandle(l, 0, {10, 0}));
    ASSERT_TRUE(moveHandle(l, 1, {0, 30}));
    EXPECT_EQ(l.v, (std::vector<double>{0, 0, 0, 30}));

    CourseElement made;
    EXPECT_FALSE(makeElement(CourseElementKind::Curve, {5, 5}, {5, 5}, 20, made));
    ASSERT_TRUE(makeElement(CourseElementKind::Arc, {-50, 0}, {50, 0}, 20, made));
    EXPECT_NEAR(made.v[2], 50, 1e-9);  // half a circle over the drag
    moveElement(made, 10, -5);
    EXPECT_NEAR(made.v[0], 10, 1e-9);
    EXPECT_NEAR(made.v[1], -5, 1e-9);
    EXPECT_NEAR(made.v[2], 50, 1e-9);  // the radius does not move
}

// Judging areas stay whole and inside the field; the goal carries what needs it.
TEST(CourseDesignEdit, JudgingAreasStayValid) {
    CourseDesign d = twoStrokes();
    EXPECT_FALSE(addCheckpoint(d, {0, 0, 10, 10}));
    EXPECT_FALSE(setForbidden(d, {0, 0, 10, 10}));
    EXPECT_EQ(fieldRect({400.4, 10.6}, {300.2, -300}), (CourseRect{300, -250, 350, 11}));
    setGoal(d, {-20, -20, 20, 20});
    for (size_t i = 0; i < kMaxCheckpoints; ++i) ASSERT_TRUE(addCheckpoint(d, {0, 0, 10, 10}));
    EXPECT_FALSE(addCheckpoint(d, {0, 0, 10, 10}));
    // The passing order: the last checkpoint taken first, the ends kept.
    d.checkpoints.back() = {100, 100, 110, 110};
    ASSERT_TRUE(reorderCheckpoint(d, int(kMaxCheckpoints) - 1, 0));
    EXPECT_EQ(d.checkpoints.front(), (CourseRect{100, 100, 110, 110}));
    EXPECT_EQ(d.checkpoints.back(), (CourseRect{0, 0, 10, 10}));
    EXPECT_FALSE(reorderCheckpoint(d, 0, int(kMaxCheckpoints)));
    EXPECT_FALSE(reorderCheckpoint(d, -1, 0));
    EXPECT_EQ(d.checkpoints.front(), (CourseRect{100, 100, 110, 110}));
    ASSERT_TRUE(movePart(d, {DesignPart::Goal}, 1000.4, 2.6));
    EXPECT_EQ(d.goal, (CourseRect{310, -17, 350, 23}));
    ASSERT_TRUE(movePart(d, {DesignPart::Start}, -1000, 0));
    EXPECT_EQ(d.startX, -350);
    d.judgingFlags |= JudgeFlag::StopInGoal | JudgeFlag::OffLine;
    ASSERT_TRUE(setForbidden(d, {100, 100, 120, 120}));
    ASSERT_TRUE(deletePart(d, {DesignPart::Goal}));
    EXPECT_EQ(d.judgingFlags, 0);
    EXPECT_TRUE(d.checkpoints.empty());
    EXPECT_FALSE(deletePart(d, {DesignPart::Forbidden}));
    // Whatever was edited, the design still writes a file that reads back as it is.
    CourseDesign back;
    const std::string text = writeCourseFile(d);
    ASSERT_TRUE(parseCourseFile({text.begin(), text.end()}, back).ok());
    EXPECT_EQ(back, d);
}

// Undo and redo walk the snapshots without running off either end; a new edit drops the redo
// branch, an unchanged design records nothing, and the oldest steps go past the limit.
TEST(CourseDesignEdit, HistoryBounds) {
    DesignHistory h;
    h.limit = 3;
    CourseDesign d = twoStrokes();
    resetHistory(h, d);
    EXPECT_FALSE(canUndo(h));
    EXPECT_FALSE(undoDesign(h, d));
    EXPECT_FALSE(recordDesign(h, d));
    for (int i = 1; i <= 5; ++i) {
        d.startX = i;
        ASSERT_TRUE(recordDesign(h, d));
    }
    EXPECT_EQ(h.steps.size(), 4u);
    int undone = 0;
    while (undoDesign(h, d)) ++undone;
    EXPECT_EQ(undone, 3);
    EXPECT_EQ(d.startX, 2);
    ASSERT_TRUE(redoDesign(h, d));
    EXPECT_EQ(d.startX, 3);
    d.startX = 42;
    ASSERT_TRUE(recordDesign(h, d));
    EXPECT_FALSE(canRedo(h));
    EXPECT_FALSE(redoDesign(h, d));
    ASSERT_TRUE(undoDesign(h, d));
    EXPECT_EQ(d.startX, 3);
}

}  // namespace
