#include "editor/chart_pages.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace trovel {

namespace {

// Where the pages along one side begin, and the side's end last.
std::vector<int> cutPositions(int length, int capacity, const std::vector<PixelSpan>& busy) {
    std::vector<int> cuts{0};
    while (length - cuts.back() > capacity) {
        const int from = cuts.back();
        int cut = from + capacity;
        for (bool moved = true; moved;) {
            moved = false;
            for (const PixelSpan& span : busy) {
                if (span.start < cut && cut < span.end) {
                    cut = span.start;
                    moved = true;
                }
            }
        }
        if (cut <= from + capacity / 2) cut = from + capacity;
        cuts.push_back(cut);
    }
    cuts.push_back(length);
    return cuts;
}

}  // namespace

ChartPagePlan planChartPages(const ChartPageRequest& request) {
    ChartPagePlan plan;
    plan.page = paperSizeMm(request.paper, request.landscape);
    plan.chartArea = {kChartMarginMm, kChartMarginMm + kChartHeaderMm, plan.page.width - 2 * kChartMarginMm,
                      plan.page.height - 2 * kChartMarginMm - kChartHeaderMm};
    if (request.width <= 0 || request.height <= 0) return plan;
    const MmRect& area = plan.chartArea;

    const double natural = kChartNaturalMmPerPixel;
    const double fit = std::min(area.width / request.width, area.height / request.height);
    std::vector<int> xs{0, request.width}, ys{0, request.height};
    if (fit >= natural) {
        plan.mmPerPixel = natural;
    } else if (fit >= kChartMinShrink * natural) {
        plan.mmPerPixel = fit;
    } else {
        plan.mmPerPixel = natural;
        const int capacityX = std::max(1, int(std::floor(area.width / natural)));
        const int capacityY = std::max(1, int(std::floor(area.height / natural)));
        // Too many pages even if every page were full: refused before any cut is made.
        const int64_t least = ((int64_t(request.width) + capacityX - 1) / capacityX) *
                              ((int64_t(request.height) + capacityY - 1) / capacityY);
        if (least > kMaxChartPages) {
            plan.status = ChartPlanStatus::TooManyPages;
            return plan;
        }
        xs = cutPositions(request.width, capacityX, request.busyColumns);
        ys = cutPositions(request.height, capacityY, request.busyRows);
    }
    plan.columns = int(xs.size()) - 1;
    plan.rows = int(ys.size()) - 1;
    if (int64_t(plan.columns) * plan.rows > kMaxChartPages) {
        plan.status = ChartPlanStatus::TooManyPages;
        plan.rows = plan.columns = 0;
        return plan;
    }
    for (int r = 0; r < plan.rows; ++r) {
        for (int c = 0; c < plan.columns; ++c) {
            ChartPage p;
            p.row = r;
            p.column = c;
            p.x = xs[size_t(c)];
            p.y = ys[size_t(r)];
            p.width = xs[size_t(c) + 1] - p.x;
            p.height = ys[size_t(r) + 1] - p.y;
            p.page = {area.x, area.y, p.width * plan.mmPerPixel, p.height * plan.mmPerPixel};
            plan.pages.push_back(p);
        }
    }
    plan.status = ChartPlanStatus::Ok;
    return plan;
}

}  // namespace trovel
