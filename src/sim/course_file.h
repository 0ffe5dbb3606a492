#pragma once
// A teacher's own course as a text file: the drawing (lines, arcs, curves, filled boxes, an optional
// background picture) and the judging settings of one course, so it can be edited again and
// installed. docs/course-file.md describes the format; this reads and writes it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/course_config.h"

namespace trovel {

constexpr int kCourseFileVersion = 1;  // the version this build writes and the newest it reads
constexpr char kCourseFileMagic[] = "TROVEL-COURSE";
constexpr size_t kMaxCourseFileBytes = 1 << 20;  // larger files are refused unread
constexpr size_t kMaxCourseElements = 2000;
constexpr size_t kMaxCheckpoints = 32;
constexpr double kDefaultLineWidth = 20;  // the shipped courses' line width, in world units
constexpr double kMaxLineWidth = 200;
constexpr double kMaxDrawingCoordinate = 10000;  // drawing may reach past the field; this far at most
// What drawing a course may cost: the strokes' lengths times their widths plus the boxes' areas,
// in square world units (the field a hundred times over).
constexpr double kMaxDrawingInk = 100.0 * 700 * 500;
constexpr float kDefaultRobotHalf = 20;  // the shipped judging half-size, for checks without a course set

enum class CourseElementKind { Line, Arc, Curve, Box };

struct CourseElement {
    CourseElementKind kind = CourseElementKind::Line;
    // Line: x1 y1 x2 y2. Arc: centre x, centre y, radius, start angle, sweep (degrees; the angle
    // of the point (cx + r cos a, cy + r sin a), so a positive sweep turns clockwise on the screen,
    // as the robot's heading does). Curve: four control points of a cubic Bezier curve. Box: x1 y1
    // x2 y2 of a filled rectangle. World units, y pointing down.
    std::vector<double> v;
    double width = kDefaultLineWidth;  // stroke width of lines, arcs and curves
    bool operator==(const CourseElement&) const = default;
};

struct CourseDesign {
    std::u16string nameJa;  // at least one of the two names is given
    std::u16string nameEn;
    double startX = 0;  // world units, inside the field
    double startY = 0;
    double startHeading = 0;  // degrees, 0 = facing +x, positive turns clockwise on the screen
    int courseFlags = 0;      // CourseFlag bits
    std::u16string picture;   // background picture, relative to the course file's folder; empty: white paper
    std::vector<CourseElement> elements;  // in drawing order
    // Judging, as texture.ini gives it: a goal makes the course timed (JudgeFlag::Timed); the other
    // JudgeFlag bits follow the lines given. Rectangles hold whole world units.
    int judgingFlags = 0;
    CourseRect goal;
    CourseRect forbidden;
    std::vector<CourseRect> checkpoints;  // in passing order
    int offLineThreshold = 0;             // 0..255
    int offLineTicks = 0;
    bool operator==(const CourseDesign&) const = default;
};

enum class CourseFileError {
    None,
    CannotOpen,          // no readable plain file
    TooLarge,            // more than kMaxCourseFileBytes
    NotCourseFile,       // a foreign file: its first line is not "TROVEL-COURSE <version>"
    NewerVersion,        // written by a newer version: `version` says which
    Truncated,           // the file ends before its "end" line
    BadText,             // not UTF-8 or UTF-16 text, or a control character (at `line`)
    UnknownLine,         // a line that starts with no word of the format (at `line`)
    BadValue,            // a value missing, malformed or out of its range (at `line`)
    Repeated,            // a line that may appear once appears again (at `line`)
    AfterEnd,            // something after the "end" line (at `line`)
    TooManyElements,     // more than kMaxCourseElements drawing lines, or more than kMaxDrawingInk (at `line`)
    TooManyCheckpoints,  // more than kMaxCheckpoints (at `line`)
    RuleWithoutGoal,     // a judging line on a course without a goal (at `line`)
    NoName,
    NoStart,
    StartOutsideField,
    GoalOutsideField,
    CheckpointOutsideField,  // `index` says which, from 1
    StartInForbiddenArea,    // the robot at its start would already be judged inside it
};

struct CourseFileResult {
    CourseFileError error = CourseFileError::None;
    int line = 0;     // 1-based line of the fault, where it has one
    int version = 0;  // the file's version (NewerVersion)
    int index = 0;    // the checkpoint outside the field, from 1
    bool ok() const { return error == CourseFileError::None; }
};

// Reads the file's bytes (UTF-8 with or without its byte-order mark, or UTF-16LE with one) and
// checks the course; `robotHalf` is the judging half-size the start is checked with against the
// forbidden area. `design` is filled only when the result is ok.
CourseFileResult parseCourseFile(const std::vector<uint8_t>& bytes, CourseDesign& design,
                                 float robotHalf = kDefaultRobotHalf);
CourseFileResult readCourseFile(const std::filesystem::path& path, CourseDesign& design,
                                float robotHalf = kDefaultRobotHalf);
// The file's text (UTF-8, LF line ends); parsing it gives the design back.
std::string writeCourseFile(const CourseDesign& design);

// What a face tells the user about a result: the numbered string and the numbers it is formatted
// with, in order (a text without them ignores them).
struct CourseFileWords {
    uint16_t id = 0;
    int first = 0;
    int second = 0;
};
CourseFileWords courseFileWords(const CourseFileResult& result);

// The rectangle with its corners in order (x1 <= x2, y1 <= y2).
CourseRect normalised(const CourseRect& r);

}  // namespace trovel
