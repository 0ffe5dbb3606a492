#include <gtest/gtest.h>

#include <vector>

#include "editor/routing.h"
#include "editor_fixtures.h"

using namespace trovel;

namespace {

std::vector<Point> pathOf(const Route& r) { return {r.path.begin(), r.path.begin() + r.pathLength}; }

// Source Forward at (0,0): S = (0,0)-(63,63), centre (31,31).
struct Output0Case {
    const char* name;
    int tx, ty;
    RouteCode code;
    std::vector<Point> path;
    Point mid;
};

class Output0Routes : public ::testing::TestWithParam<Output0Case> {};

TEST_P(Output0Routes, ClassifiesAndBuildsTheDrawnPath) {
    const Output0Case& c = GetParam();
    ActionBlock target = test::makeBlock(BlockType::Forward, c.tx, c.ty);
    ActionBlock s = test::makeBlock(BlockType::Forward, 0, 0);
    s.bend = {13, 27};
    s.next[0] = &target;
    Route r = routeConnector(s, 0);
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(pathOf(r), c.path);
    EXPECT_EQ(r.mid, c.mid);
    EXPECT_EQ(arrowTip(r), (Point{c.tx + 31, c.ty}));
    EXPECT_EQ(s.bend[0], 13) << "routing must never change the stored bend";
}

INSTANTIATE_TEST_SUITE_P(Codes, Output0Routes,
                         ::testing::Values(
                             // Below: down 13 pixels, across to the target's centre column, down into its top.
                             Output0Case{
                                 "Down", 9, 117, RouteCode::Down, {{31, 63}, {31, 76}, {40, 76}, {40, 117}}, {35, 76}},
                             // Entirely left: run at Tr + bend.
                             Output0Case{"Left",
                                         -200,
                                         -10,
                                         RouteCode::Left,
                                         {{31, 63}, {31, 72}, {-124, 72}, {-124, -19}, {-169, -19}, {-169, -10}},
                                         {-124, 26}},
                             // Entirely right: run at Tx - bend.
                             Output0Case{"Right",
                                         200,
                                         -10,
                                         RouteCode::Right,
                                         {{31, 63}, {31, 72}, {187, 72}, {187, -19}, {231, -19}, {231, -10}},
                                         {187, 26}},
                             // Above, target centre to the right: run right of both.
                             Output0Case{"UpRight",
                                         9,
                                         -200,
                                         RouteCode::UpRight,
                                         {{31, 63}, {31, 72}, {85, 72}, {85, -209}, {40, -209}, {40, -200}},
                                         {85, -69}},
                             // Above, target centre not to the right: run left of both.
                             Output0Case{"UpLeft",
                                         -9,
                                         -200,
                                         RouteCode::UpLeft,
                                         {{31, 63}, {31, 72}, {-22, 72}, {-22, -209}, {22, -209}, {22, -200}},
                                         {-22, -69}},
                             // Boxes grown by 8 pixels overlap: no path at all.
                             Output0Case{"Overlap", 0, 36, RouteCode::Overlap, {}, {0, 0}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Output0Routes, EffectiveBendIsClampedOnTheDownRouteOnly) {
    ActionBlock target = test::makeBlock(BlockType::Forward, 9, 117);  // gap of 54 below the source
    ActionBlock s = test::makeBlock(BlockType::Forward, 0, 0);
    s.next[0] = &target;

    s.bend[0] = 100;
    Route r = routeConnector(s, 0);
    EXPECT_EQ(r.bend, 54) << "limited to the vertical gap";
    EXPECT_EQ(r.path[1], (Point{31, 117}));

    s.bend[0] = -5;
    EXPECT_EQ(routeConnector(s, 0).bend, 0) << "a negative bend is drawn as 0 on a down route";

    // On a left route a negative bend moves the run inside the target's right edge.
    ActionBlock left = test::makeBlock(BlockType::Forward, -200, -10);  // Tr = -137
    s.next[0] = &left;
    s.bend[0] = -20;
    r = routeConnector(s, 0);
    EXPECT_EQ(r.code, RouteCode::Left);
    EXPECT_EQ(r.bend, -20);
    EXPECT_EQ(r.path[2].x, -157);
}

// Source Branch at (100,100): S = (100,100)-(208,163), centre (154,131).
struct Output1Case {
    const char* name;
    int tx, ty;
    RouteCode code;
    std::vector<Point> path;
    Point mid;
};

class Output1Routes : public ::testing::TestWithParam<Output1Case> {};

TEST_P(Output1Routes, ClassifiesAndBuildsTheDrawnPath) {
    const Output1Case& c = GetParam();
    ActionBlock target = test::makeBlock(BlockType::Forward, c.tx, c.ty);
    ActionBlock s = test::makeBlock(BlockType::Branch, 100, 100);
    s.bend = {13, 27};
    s.next[1] = &target;
    Route r = routeConnector(s, 1);
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(pathOf(r), c.path);
    if (hasBendHandle(r.code) || r.code == RouteCode::SideDownRight || r.code == RouteCode::SideDownLeft) {
        EXPECT_EQ(r.mid, c.mid);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, Output1Routes,
    ::testing::Values(
        Output1Case{"DownRight", 300, 250, RouteCode::SideDownRight, {{208, 131}, {331, 131}, {331, 250}}, {331, 190}},
        Output1Case{"DownLeft", 0, 250, RouteCode::SideDownLeft, {{100, 131}, {31, 131}, {31, 250}}, {31, 190}},
        Output1Case{"Down",
                    130,
                    250,
                    RouteCode::SideDown,
                    {{208, 131}, {217, 131}, {217, 190}, {161, 190}, {161, 250}},
                    {189, 190}},
        Output1Case{
            "Left", 0, 100, RouteCode::SideLeft, {{100, 131}, {73, 131}, {73, 91}, {31, 91}, {31, 100}}, {73, 111}},
        Output1Case{"Right",
                    300,
                    100,
                    RouteCode::SideRight,
                    {{208, 131}, {235, 131}, {235, 91}, {331, 91}, {331, 100}},
                    {235, 111}},
        // Above with the target's centre to the right: the run goes round the left.
        Output1Case{"UpLeft",
                    150,
                    -100,
                    RouteCode::SideUpLeft,
                    {{100, 131}, {73, 131}, {73, -109}, {181, -109}, {181, -100}},
                    {73, 31}},
        Output1Case{"UpRight",
                    120,
                    -100,
                    RouteCode::SideUpRight,
                    {{208, 131}, {235, 131}, {235, -109}, {151, -109}, {151, -100}},
                    {235, 31}},
        Output1Case{"Overlap", 120, 120, RouteCode::Overlap, {}, {0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Output1Routes, NegativeBendBecomesZeroOnSideRoutes) {
    ActionBlock target = test::makeBlock(BlockType::Forward, 300, 100);
    ActionBlock s = test::makeBlock(BlockType::Branch, 100, 100);
    s.next[1] = &target;
    s.bend[1] = -30;
    Route r = routeConnector(s, 1);
    EXPECT_EQ(r.code, RouteCode::SideRight);
    EXPECT_EQ(r.bend, 0);
    EXPECT_EQ(r.path[1], (Point{208, 131}));
}

TEST(OpenAndDraggedOutputs, StubsAndDraggedEnds) {
    ActionBlock s = test::makeBlock(BlockType::Branch, 100, 100);
    s.bend = {13, 27};

    Route open0 = routeConnector(s, 0);
    EXPECT_EQ(open0.code, RouteCode::Down);
    EXPECT_FALSE(open0.linked);
    EXPECT_EQ(startPoint(open0), (Point{154, 163}));
    EXPECT_EQ(arrowTip(open0), (Point{154, 163})) << "an open output shows handle and arrowhead at one point";

    Route open1 = routeConnector(s, 1);
    EXPECT_EQ(open1.code, RouteCode::SideDownRight);
    EXPECT_EQ(arrowTip(open1), (Point{208, 131}));

    // A dragged end below and far left of the branch would be code 12 for a block, but never for a point.
    s.flags |= FlagEndDrag1;
    s.dragX = 31;
    s.dragY = 300;
    Route dragged = routeConnector(s, 1);
    EXPECT_EQ(dragged.code, RouteCode::SideDown);
    EXPECT_FALSE(dragged.targetIsBlock);
    EXPECT_EQ(arrowTip(dragged), (Point{31, 300}));

    // The drag bit of output 1 does not touch output 0, and a link wins over the drag bit.
    EXPECT_EQ(routeConnector(s, 0).code, RouteCode::Down);
    ActionBlock target = test::makeBlock(BlockType::Forward, 300, 250);
    s.next[1] = &target;
    EXPECT_EQ(routeConnector(s, 1).code, RouteCode::SideDownRight);
}

TEST(OverlapMarker, TipAndCornersFollowTheDirectionBetweenCentres) {
    ActionBlock target = test::makeBlock(BlockType::Forward, 0, 36);
    ActionBlock s = test::makeBlock(BlockType::Forward, 0, 0);
    s.next[0] = &target;
    Route r = routeConnector(s, 0);
    ASSERT_EQ(r.code, RouteCode::Overlap);
    // Mostly vertical: tip 12 pixels inside the target's top, corners 24 pixels back at +-20 degrees.
    EXPECT_EQ(r.marker[0], (Point{31, 48}));
    EXPECT_EQ(r.marker[1], (Point{22, 25}));
    EXPECT_EQ(r.marker[2], (Point{39, 25}));

    // Mostly horizontal, target to the right: tip 12 inside the target's left edge, at mid height.
    ActionBlock side = test::makeBlock(BlockType::Forward, 50, 10);
    s.next[0] = &side;
    r = routeConnector(s, 0);
    ASSERT_EQ(r.code, RouteCode::Overlap);
    EXPECT_EQ(r.marker[0], (Point{62, 36}));
    EXPECT_LT(r.marker[1].x, r.marker[0].x);
    EXPECT_LT(r.marker[2].x, r.marker[0].x);
}

TEST(BendDragging, PointerPositionGivesBackTheBendThatDrawsTheRunThere) {
    // For every draggable route, placing the pointer on the drawn movable run must give the same bend.
    struct Case {
        BlockType type;
        int output, tx, ty;
    };
    const Case cases[] = {
        {BlockType::Forward, 0, 9, 200},     // Down
        {BlockType::Forward, 0, -200, -10},  // Left
        {BlockType::Forward, 0, 200, -10},   // Right
        {BlockType::Forward, 0, 9, -200},    // UpRight
        {BlockType::Forward, 0, -9, -200},   // UpLeft
        {BlockType::Branch, 1, 40, 300},     // SideDown
        {BlockType::Branch, 1, -100, 50},    // SideLeft
        {BlockType::Branch, 1, 300, 50},     // SideRight
        {BlockType::Branch, 1, 20, -200},    // SideUpRight
        {BlockType::Branch, 1, 40, -200},    // SideUpLeft
    };
    for (const Case& c : cases) {
        ActionBlock target = test::makeBlock(BlockType::Forward, c.tx, c.ty);
        ActionBlock s = test::makeBlock(c.type, 0, 0);
        s.bend = {20, 20};
        s.next[static_cast<size_t>(c.output)] = &target;
        Route r = routeConnector(s, c.output);
        ASSERT_TRUE(hasBendHandle(r.code));
        auto origin = bendDragOrigin(r);
        EXPECT_EQ(bendFromPointer(r.code, origin, r.mid), 20) << "route code " << static_cast<int>(r.code);
    }
}

TEST(Outputs, CountPerType) {
    EXPECT_EQ(outputCount(BlockType::End), 0);
    EXPECT_EQ(outputCount(BlockType::Start), 1);
    EXPECT_EQ(outputCount(BlockType::Forward), 1);
    EXPECT_EQ(outputCount(BlockType::Branch), 2);
    EXPECT_EQ(outputCount(BlockType::RandomBranch), 2);
    EXPECT_EQ(outputCount(BlockType::RepeatEnd), 2);
    EXPECT_EQ(outputCount(BlockType::RepeatStart), 1);
}

}  // namespace
