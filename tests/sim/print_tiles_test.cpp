// A course printed at its real size in tiles: how many pages, and that the tiles cover the mat once
// apart from the strips where neighbours overlap.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/course_picture.h"
#include "sim/print_tiles.h"

namespace trovel {
namespace {

TEST(PrintTiles, PagesOfTheShippedMatOnA4AndA3) {
    struct Row {
        Paper paper;
        bool landscape;
        double pageWidth, pageHeight;
        int columns, rows;
    };
    const MatSize mat = defaultMatSize(20);  // the shipped courses' judging half-size
    ASSERT_DOUBLE_EQ(mat.width, 1400);
    ASSERT_DOUBLE_EQ(mat.height, 1000);
    // A4 standing holds 186 x 273 mm of the mat, each next tile 10 mm back: 8 x 4 tiles.
    for (const Row& row : {Row{Paper::A4, false, 210, 297, 8, 4}, Row{Paper::A4, true, 297, 210, 6, 6},
                           Row{Paper::A3, false, 297, 420, 6, 3}, Row{Paper::A3, true, 420, 297, 4, 4}}) {
        const TilePlan plan = planTiles({mat, row.paper, row.landscape});
        SCOPED_TRACE(std::string(paperName(row.paper)) + (row.landscape ? " landscape" : " portrait"));
        ASSERT_EQ(plan.status, TilePlanStatus::Ok);
        EXPECT_EQ(plan.page.width, row.pageWidth);
        EXPECT_EQ(plan.page.height, row.pageHeight);
        EXPECT_EQ(plan.columns, row.columns);
        EXPECT_EQ(plan.rows, row.rows);
        EXPECT_EQ(printedPageCount(plan), row.columns * row.rows + 1);
        EXPECT_DOUBLE_EQ(plan.mmPerUnit, 2.0);
    }
    // A mat that fits inside the margins is one tile.
    const TilePlan one = planTiles({{186, 186 * 5 / 7.0}, Paper::A4, false});
    EXPECT_EQ(one.tiles.size(), 1u);
}

TEST(PrintTiles, TilesCoverTheMatOnceApartFromTheOverlap) {
    const TileRequest requests[] = {
        {{1400, 1000}, Paper::A4, false},
        {{1400, 1000}, Paper::A3, true},
        {fitCourseToMat({1200, 900}), Paper::A4, true},
        {{5000, 5000 * 5 / 7.0}, Paper::A4, false},
        // Exactly two full pages across: no sliver of a third.
        {{186 + 176, (186 + 176) * 5 / 7.0}, Paper::A4, false},
        {{140, 100}, Paper::A3, false},
        {{1400, 1000}, Paper::A4, false, 5, 0},
    };
    for (const TileRequest& request : requests) {
        const TilePlan plan = planTiles(request);
        SCOPED_TRACE(std::to_string(request.mat.width) + " x " + std::to_string(request.mat.height) + " on " +
                     std::string(paperName(request.paper)));
        ASSERT_EQ(plan.status, TilePlanStatus::Ok);
        ASSERT_EQ(plan.tiles.size(), size_t(plan.rows) * plan.columns);
        const double areaWidth = plan.page.width - 2 * request.marginMm;
        const double areaHeight = plan.page.height - 2 * request.marginMm;
        for (const PrintTile& t : plan.tiles) {
            // On the page inside the margins, and the picture's part matches the mat's.
            EXPECT_LE(t.mat.width, areaWidth + 1e-9);
            EXPECT_LE(t.mat.height, areaHeight + 1e-9);
            EXPECT_GT(t.mat.width, request.overlapMm);
            EXPECT_GT(t.mat.height, request.overlapMm);
            EXPECT_DOUBLE_EQ(t.page.x, request.marginMm);
            EXPECT_DOUBLE_EQ(t.page.y, request.marginMm);
            EXPECT_DOUBLE_EQ(t.page.width, t.mat.width);
            EXPECT_NEAR(t.source.x * plan.mat.width / kCourseWidth, t.mat.x, 1e-9);
            EXPECT_NEAR(t.source.bottom() * plan.mat.height / kCourseHeight, t.mat.bottom(), 1e-9);
            // Neighbours share exactly the overlap.
            if (t.column + 1 < plan.columns) {
                const PrintTile& right = plan.tiles[size_t(t.row * plan.columns + t.column + 1)];
                EXPECT_NEAR(t.mat.right() - right.mat.x, request.overlapMm, 1e-9);
                EXPECT_DOUBLE_EQ(right.mat.y, t.mat.y);
            }
            if (t.row + 1 < plan.rows) {
                const PrintTile& below = plan.tiles[size_t((t.row + 1) * plan.columns + t.column)];
                EXPECT_NEAR(t.mat.bottom() - below.mat.y, request.overlapMm, 1e-9);
            }
        }
        const PrintTile& last = plan.tiles.back();
        EXPECT_NEAR(last.mat.right(), plan.mat.width, 1e-9);
        EXPECT_NEAR(last.mat.bottom(), plan.mat.height, 1e-9);
        EXPECT_NEAR(last.source.right(), kCourseWidth, 1e-9);
        EXPECT_NEAR(last.source.bottom(), kCourseHeight, 1e-9);

        // Every point of the mat is on a page; outside the shared strips on exactly one.
        auto inStrip = [&](double v, bool across) {
            for (const PrintTile& t : plan.tiles) {
                const double start = across ? t.mat.x : t.mat.y;
                if (start > 0 && v >= start && v <= start + request.overlapMm) return true;
            }
            return false;
        };
        const int steps = 173;
        for (int i = 0; i <= steps; ++i) {
            for (int j = 0; j <= steps; ++j) {
                const double x = plan.mat.width * i / steps, y = plan.mat.height * j / steps;
                int covering = 0;
                for (const PrintTile& t : plan.tiles) covering += t.mat.contains(x, y);
                ASSERT_GE(covering, 1) << x << ", " << y;
                if (!inStrip(x, true) && !inStrip(y, false)) { ASSERT_EQ(covering, 1) << x << ", " << y; }
            }
        }

        // Every alignment mark is on both pages it joins, inside their overlap.
        const std::vector<MmPoint> marks = alignmentMarks(plan);
        EXPECT_EQ(marks.size(), size_t(2 * (plan.rows * (plan.columns - 1) + plan.columns * (plan.rows - 1))));
        for (const MmPoint& m : marks) {
            int covering = 0;
            for (const PrintTile& t : plan.tiles) covering += t.mat.contains(m.x, m.y);
            EXPECT_GE(covering, 2) << m.x << ", " << m.y;
            EXPECT_TRUE(inStrip(m.x, true) || inStrip(m.y, false)) << m.x << ", " << m.y;
        }
    }
}

TEST(PrintTiles, MatSizesAndRefusals) {
    // The default keeps the robot's real size against its judging square, within what prints.
    EXPECT_DOUBLE_EQ(defaultMatSize(10).width, 2800);
    EXPECT_DOUBLE_EQ(defaultMatSize(0).width, 700 * kDefaultMmPerUnit);
    EXPECT_DOUBLE_EQ(defaultMatSize(std::nanf("")).height, 500 * kDefaultMmPerUnit);
    for (float r : {0.001f, 1e6f}) EXPECT_TRUE(matSizeAllowed(defaultMatSize(r))) << r;
    // A wanted size of another shape keeps the course's proportions inside it.
    const MatSize fitted = fitCourseToMat({1200, 900});
    EXPECT_DOUBLE_EQ(fitted.width, 1200);
    EXPECT_NEAR(fitted.height, 1200 * 5 / 7.0, 1e-9);
    EXPECT_DOUBLE_EQ(fitCourseToMat({2000, 500}).width, 700);

    EXPECT_EQ(planTiles({{70, 50}, Paper::A4, false}).status, TilePlanStatus::BadMat);
    EXPECT_EQ(planTiles({{7000, 5000}, Paper::A4, false}).status, TilePlanStatus::BadMat);
    EXPECT_EQ(planTiles({{std::nan(""), 1000}, Paper::A4, false}).status, TilePlanStatus::BadMat);
    EXPECT_EQ(planTiles({{1400, 1000}, Paper::A4, false, 12, 186}).status, TilePlanStatus::NoRoom);
    EXPECT_EQ(planTiles({{1400, 1000}, Paper::A4, false, 12, -1}).status, TilePlanStatus::NoRoom);
    const TilePlan crowded = planTiles({{5000, 5000 * 5 / 7.0}, Paper::A4, false, 12, 176});
    EXPECT_EQ(crowded.status, TilePlanStatus::TooManyPages);
    EXPECT_TRUE(crowded.tiles.empty());
}

TEST(PrintTiles, TileNames) {
    struct Row {
        int row, column;
        const char* name;
    };
    for (const Row& r : {Row{0, 0, "A1"}, Row{1, 2, "B3"}, Row{25, 0, "Z1"}, Row{26, 0, "AA1"}, Row{27, 9, "AB10"},
                         Row{701, 0, "ZZ1"}, Row{702, 0, "AAA1"}})
        EXPECT_EQ(tileName(r.row, r.column), r.name);
}

}  // namespace
}  // namespace trovel
