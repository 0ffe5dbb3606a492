#include "sim/print_tiles.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "sim/course_picture.h"

namespace trovel {

namespace {

// Tiles along one side of the mat: how many, and where each starts. `area` is the page's room for
// the mat; each next tile starts `area - overlap` after the previous one.
std::vector<double> tileStarts(double length, double area, double overlap) {
    if (length <= area) return {0};
    const double step = area - overlap;
    // A hair below a whole number of steps is that number: the last tile must not be a sliver.
    const int count = int(std::ceil((length - overlap) / step - 1e-9));
    std::vector<double> starts;
    for (int i = 0; i < count; ++i) starts.push_back(i * step);
    return starts;
}

}  // namespace

MatSize defaultMatSize(float robotHalf) {
    double mmPerUnit =
        std::isfinite(robotHalf) && robotHalf > 0 ? kRealRobotHalfMm / double(robotHalf) : kDefaultMmPerUnit;
    // A judging square of a unit or two would ask for a mat the size of a hall, a huge one for a stamp.
    mmPerUnit = std::clamp(mmPerUnit, kMinMatSideMm / kCourseHeight, kMaxMatSideMm / kCourseWidth);
    return {kCourseWidth * mmPerUnit, kCourseHeight * mmPerUnit};
}

MatSize fitCourseToMat(MatSize wanted) {
    const double scale = std::min(wanted.width / kCourseWidth, wanted.height / kCourseHeight);
    return {kCourseWidth * scale, kCourseHeight * scale};
}

bool matSizeAllowed(MatSize mat) {
    auto inRange = [](double side) { return side >= kMinMatSideMm - 1e-9 && side <= kMaxMatSideMm + 1e-9; };
    return inRange(mat.width) && inRange(mat.height);
}

TilePlan planTiles(const TileRequest& request) {
    TilePlan plan;
    plan.paper = request.paper;
    plan.landscape = request.landscape;
    plan.page = paperSizeMm(request.paper, request.landscape);
    plan.mat = request.mat;
    plan.overlapMm = request.overlapMm;
    if (!matSizeAllowed(request.mat)) return plan;
    plan.mmPerUnit = request.mat.width / kCourseWidth;
    const double areaWidth = plan.page.width - 2 * request.marginMm;
    const double areaHeight = plan.page.height - 2 * request.marginMm;
    if (!(request.overlapMm >= 0) || areaWidth <= request.overlapMm || areaHeight <= request.overlapMm) {
        plan.status = TilePlanStatus::NoRoom;
        return plan;
    }
    const std::vector<double> xs = tileStarts(request.mat.width, areaWidth, request.overlapMm);
    const std::vector<double> ys = tileStarts(request.mat.height, areaHeight, request.overlapMm);
    plan.columns = int(xs.size());
    plan.rows = int(ys.size());
    if (int64_t(plan.columns) * plan.rows + 1 > kMaxPrintPages) {
        plan.status = TilePlanStatus::TooManyPages;
        return plan;
    }
    const double unitX = request.mat.width / kCourseWidth;
    const double unitY = request.mat.height / kCourseHeight;
    for (int r = 0; r < plan.rows; ++r) {
        for (int c = 0; c < plan.columns; ++c) {
            PrintTile tile;
            tile.row = r;
            tile.column = c;
            const double x = xs[size_t(c)], y = ys[size_t(r)];
            tile.mat = {x, y, std::min(areaWidth, request.mat.width - x), std::min(areaHeight, request.mat.height - y)};
            tile.source = {x / unitX, y / unitY, tile.mat.width / unitX, tile.mat.height / unitY};
            tile.page = {request.marginMm, request.marginMm, tile.mat.width, tile.mat.height};
            plan.tiles.push_back(tile);
        }
    }
    plan.status = TilePlanStatus::Ok;
    return plan;
}

std::vector<MmPoint> alignmentMarks(const TilePlan& plan) {
    std::vector<MmPoint> marks;
    const double half = plan.overlapMm / 2;
    for (const PrintTile& t : plan.tiles) {
        // Each shared edge once: from the tile on its left or above.
        if (t.column + 1 < plan.columns) {
            const double x = t.mat.right() - half;
            for (double f : {0.25, 0.75}) marks.push_back({x, t.mat.y + f * t.mat.height});
        }
        if (t.row + 1 < plan.rows) {
            const double y = t.mat.bottom() - half;
            for (double f : {0.25, 0.75}) marks.push_back({t.mat.x + f * t.mat.width, y});
        }
    }
    return marks;
}

std::string tileName(int row, int column) {
    std::string letters;
    for (int n = row + 1; n > 0; n = (n - 1) / 26) letters.insert(letters.begin(), char('A' + (n - 1) % 26));
    return letters + std::to_string(column + 1);
}

}  // namespace trovel
