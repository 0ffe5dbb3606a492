#pragma once
// Printing a course into a PDF file, for the studio's print dialog and for trovel-cli: no Qt types
// here, so the command line can call it without seeing Qt.

#include <filesystem>
#include <optional>

#include "base/paper_size.h"
#include "sim/print_tiles.h"
#include "sim/printable_course.h"

namespace trovel {

struct CoursePrintOptions {
    Paper paper = Paper::A4;
    bool landscape = false;
    bool poster = false;          // one page of the mat's size instead of tiles
    std::optional<MatSize> size;  // the wanted mat, fitted to the course's shape; none: the robot's real scale
    std::filesystem::path out;    // replaced only by a whole PDF
};

enum class CoursePrintStatus {
    Written,
    NoPicture,     // the course has no picture to print
    BadSize,       // a side of the mat outside kMinMatSideMm..kMaxMatSideMm
    TooManyPages,  // more than kMaxPrintPages
    CannotWrite,
};

struct CoursePrintSummary {
    int pages = 0;  // of the PDF, the overview included
    int rows = 0;   // of tiles; 0 for a poster
    int columns = 0;
    double mmPerUnit = 0;  // mm of the mat per course pixel
    MatSize mat;           // as printed
};

// The mat as it will be printed: the wanted size fitted to the course, or the robot's real scale.
MatSize printedMatSize(const PrintableCourse& course, const CoursePrintOptions& options);

// Starts an offscreen Qt application when the process has none. `name` is the course's name as
// printed on the pages (the caller's translation of course.name, or course.name itself when empty).
CoursePrintStatus printCourseFile(const PrintableCourse& course, const std::u16string& name,
                                  const CoursePrintOptions& options, CoursePrintSummary& summary);

}  // namespace trovel
