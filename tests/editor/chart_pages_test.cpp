// A chart on A4 or A3: its own size on one page, shrunk a little onto one page, or cut between blocks.
#include <gtest/gtest.h>

#include <algorithm>

#include "editor/chart_pages.h"

namespace trovel {
namespace {

TEST(ChartPages, ScaleAndPageCount) {
    struct Row {
        const char* name;
        int width, height;
        Paper paper;
        bool landscape;
        double scale;  // of the natural size
        int columns, rows;
    };
    // A4 standing leaves 190 x 263 mm for the chart: 718 x 994 pixels at their size on screen.
    const Row rows[] = {
        {"fits", 300, 500, Paper::A4, false, 1.0, 1, 1},
        {"fits exactly", 718, 994, Paper::A4, false, 1.0, 1, 1},
        {"shrunk onto a page", 900, 1300, Paper::A4, false, 263 / 1300.0 / kChartNaturalMmPerPixel, 1, 1},
        {"tall, cut in rows", 400, 3000, Paper::A4, false, 1.0, 1, 4},
        {"tall on A3", 400, 3000, Paper::A3, false, 1.0, 1, 3},
        {"wide, lying", 2500, 500, Paper::A4, true, 1.0, 3, 1},
    };
    for (const Row& row : rows) {
        ChartPageRequest request;
        request.width = row.width;
        request.height = row.height;
        request.paper = row.paper;
        request.landscape = row.landscape;
        const ChartPagePlan plan = planChartPages(request);
        SCOPED_TRACE(row.name);
        ASSERT_EQ(plan.status, ChartPlanStatus::Ok);
        EXPECT_NEAR(plan.mmPerPixel / kChartNaturalMmPerPixel, row.scale, 1e-9);
        EXPECT_EQ(plan.columns, row.columns);
        EXPECT_EQ(plan.rows, row.rows);
        EXPECT_EQ(plan.pages.size(), size_t(row.columns * row.rows));
        EXPECT_EQ(plan.page.width, paperSizeMm(row.paper, row.landscape).width);
    }
}

TEST(ChartPages, PagesCoverTheChartOnceAndCutBetweenBlocks) {
    ChartPageRequest request;
    request.width = 1500;
    request.height = 4000;
    // Blocks every 150 pixels down, 40 high, in two columns; one tall block from 960 to 1100.
    for (int y = 20; y < 3900; y += 150) request.busyRows.push_back({y, y + 40});
    request.busyRows.push_back({960, 1100});
    request.busyColumns = {{20, 120}, {680, 780}};
    const ChartPagePlan plan = planChartPages(request);
    ASSERT_EQ(plan.status, ChartPlanStatus::Ok);
    const int capacityX = int(plan.chartArea.width / plan.mmPerPixel);
    const int capacityY = int(plan.chartArea.height / plan.mmPerPixel);
    for (const ChartPage& p : plan.pages) {
        EXPECT_LE(p.width, capacityX);
        EXPECT_LE(p.height, capacityY);
        EXPECT_GE(p.height, std::min(capacityY / 2, request.height - p.y));
        EXPECT_LE(p.page.right(), plan.chartArea.right() + 1e-9);
        EXPECT_LE(p.page.bottom(), plan.chartArea.bottom() + 1e-9);
        for (const PixelSpan& s : request.busyRows) EXPECT_FALSE(s.start < p.y && p.y < s.end) << p.y;
        for (const PixelSpan& s : request.busyColumns) EXPECT_FALSE(s.start < p.x && p.x < s.end) << p.x;
    }
    for (int y = 0; y < request.height; y += 7) {
        for (int x = 0; x < request.width; x += 7) {
            const auto holds = [x, y](const ChartPage& p) {
                return x >= p.x && x < p.x + p.width && y >= p.y && y < p.y + p.height;
            };
            ASSERT_EQ(std::count_if(plan.pages.begin(), plan.pages.end(), holds), 1) << x << ", " << y;
        }
    }
    EXPECT_GT(plan.rows, 4);

    // A block taller than half a page cannot keep the cut out: the page is cut where it is full.
    request.busyRows = {{10, 3990}};
    const ChartPagePlan forced = planChartPages(request);
    ASSERT_EQ(forced.status, ChartPlanStatus::Ok);
    EXPECT_EQ(forced.pages[size_t(forced.columns)].y, capacityY);
}

TEST(ChartPages, RefusesWhatCannotBePrinted) {
    ChartPageRequest request;
    EXPECT_EQ(planChartPages(request).status, ChartPlanStatus::Empty);
    // A block placed far away by a hand-edited file would need thousands of pages.
    request.width = 900036;
    request.height = 900036;
    const ChartPagePlan plan = planChartPages(request);
    EXPECT_EQ(plan.status, ChartPlanStatus::TooManyPages);
    EXPECT_TRUE(plan.pages.empty());
}

}  // namespace
}  // namespace trovel
