#pragma once
// A course printed at its real size on ordinary paper: the mat (the course field on the floor) cut
// into page-sized tiles that overlap a little, so that the pages can be trimmed and glued together.
// Lengths are millimetres from the mat's or the page's top-left corner, y downwards.

#include <string>
#include <vector>

#include "base/paper_size.h"

namespace trovel {

// The robot's real judging half-size. The course files give the robot's judging square in course
// units (_ATACKPARAM_MYATARI:, 20 for the shipped courses) but nothing in them says how large the
// real robot is; we take its judged footprint as 80 mm square, which prints the shipped courses at
// 2 mm per unit: a mat of 1400 x 1000 mm.
constexpr double kRealRobotHalfMm = 40.0;
// Without a judging half-size the shipped courses' scale is kept.
constexpr double kDefaultMmPerUnit = 2.0;
// A mat smaller than this is no floor course; a larger one no longer fits a PDF page (200 inches).
constexpr double kMinMatSideMm = 100;
constexpr double kMaxMatSideMm = 5000;
// Printers leave 3 to 6 mm of each edge white; the rest of the margin holds the labels, the crop
// marks and the scale bar.
constexpr double kTileMarginMm = 12;
// How far each tile runs on under its neighbour: room to glue and for the alignment marks.
constexpr double kTileOverlapMm = 10;
// More pages than this is a mistake in the size, not a course to print.
constexpr int kMaxPrintPages = 500;

struct MatSize {
    double width = 0;   // mm
    double height = 0;  // mm
};

// The mat on which the robot keeps its size against the course: the course set's judging half-size
// (course units) against kRealRobotHalfMm.
MatSize defaultMatSize(float robotHalf);
// The course at its own 7 : 5 proportions, as large as fits in `wanted`: a course is never stretched,
// since that would change the turns the robot has to make.
MatSize fitCourseToMat(MatSize wanted);
// Both sides within kMinMatSideMm..kMaxMatSideMm (and numbers at all).
bool matSizeAllowed(MatSize mat);

struct PrintTile {
    int row = 0;     // 0 = the top row of pages
    int column = 0;  // 0 = the left column
    MmRect mat;      // the part of the mat on this page
    MmRect source;   // the same part of the course picture, in pixels from its top-left corner
    MmRect page;     // where that part lies on the page: always inside the margins, at their top-left
};

struct TileRequest {
    MatSize mat;  // from defaultMatSize or fitCourseToMat
    Paper paper = Paper::A4;
    bool landscape = false;
    double marginMm = kTileMarginMm;
    double overlapMm = kTileOverlapMm;
};

enum class TilePlanStatus {
    Ok,
    BadMat,        // a side outside kMinMatSideMm..kMaxMatSideMm
    NoRoom,        // the margins and the overlap leave nothing of the page
    TooManyPages,  // more than kMaxPrintPages
};

struct TilePlan {
    TilePlanStatus status = TilePlanStatus::BadMat;
    Paper paper = Paper::A4;
    bool landscape = false;
    PageSizeMm page;
    MatSize mat;
    double mmPerUnit = 0;  // mm of the mat per course pixel
    double overlapMm = 0;
    int rows = 0;
    int columns = 0;
    std::vector<PrintTile> tiles;  // row by row from the top-left; empty unless Ok
};

// Neighbouring tiles share exactly `overlapMm` of the mat; together they cover it once apart from
// those strips. The last row and column are as large as what is left of the mat.
TilePlan planTiles(const TileRequest& request);

// Pages of the PDF: the overview, then one page per tile.
inline int printedPageCount(const TilePlan& plan) { return plan.tiles.empty() ? 0 : int(plan.tiles.size()) + 1; }

// Points of the mat marked on every page that shows them: two along each edge two tiles share, in
// the middle of their overlap, so that laying one page over the other puts the marks on each other.
std::vector<MmPoint> alignmentMarks(const TilePlan& plan);

// The name printed on a tile and on the overview: the row as letters (A..Z, AA..) and the column
// as a number from 1 ("B3": second row, third column).
std::string tileName(int row, int column);

}  // namespace trovel
