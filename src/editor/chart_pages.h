#pragma once
// A flowchart printed on A4 or A3: at the size it has on screen, split over pages between blocks
// when it is larger than a page, or a little smaller on one page when that is enough.

#include <vector>

#include "base/paper_size.h"

namespace trovel {

// mm per chart pixel at the chart's size on screen (96 pixels an inch).
constexpr double kChartNaturalMmPerPixel = 25.4 / 96;
// A chart somewhat larger than a page is shrunk onto one page rather than cut, down to this share
// of its natural size; below that the words become too small to read.
constexpr double kChartMinShrink = 0.6;
constexpr double kChartMarginMm = 10;
// Above the chart on every page: the program's title, its file name and the page number.
constexpr double kChartHeaderMm = 14;
constexpr int kMaxChartPages = 200;

// Pixels [start, end) along one side of the chart that a page edge should not cut (a block).
struct PixelSpan {
    int start = 0;
    int end = 0;
};

struct ChartPageRequest {
    int width = 0;  // the chart's extent, pixels
    int height = 0;
    std::vector<PixelSpan> busyColumns;  // x spans of the blocks
    std::vector<PixelSpan> busyRows;     // y spans of the blocks
    Paper paper = Paper::A4;
    bool landscape = false;
};

struct ChartPage {
    int row = 0;
    int column = 0;
    int x = 0, y = 0, width = 0, height = 0;  // the part of the chart, pixels
    MmRect page;                              // where it is drawn on its page
};

enum class ChartPlanStatus { Ok, Empty, TooManyPages };

struct ChartPagePlan {
    ChartPlanStatus status = ChartPlanStatus::Empty;
    PageSizeMm page;
    MmRect chartArea;  // the room for the chart on every page, below the header
    double mmPerPixel = 0;
    int rows = 0;
    int columns = 0;
    std::vector<ChartPage> pages;  // row by row from the top-left; empty unless Ok
};

// Every pixel of the chart is on exactly one page. Page edges move back to the gap before a block
// they would cut through, as long as the page keeps at least half its room.
ChartPagePlan planChartPages(const ChartPageRequest& request);

}  // namespace trovel
