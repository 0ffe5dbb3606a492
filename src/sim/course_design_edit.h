#pragma once
// Editing a course design by hand: what lies under the pointer, where a dragged point snaps to,
// making, reshaping and moving strokes, placing the judging areas and the start, and the undo
// history of whole-design snapshots. World units throughout (y down, as the course file has them).

#include <cstddef>
#include <vector>

#include "sim/course_file.h"

namespace trovel {

struct DesignPoint {
    double x = 0;
    double y = 0;
    bool operator==(const DesignPoint&) const = default;
};

// A world-unit rectangle (x1 <= x2, y1 <= y2); empty when x1 > x2.
struct DesignBounds {
    double x1 = 1, y1 = 1, x2 = 0, y2 = 0;
    bool empty() const { return x1 > x2 || y1 > y2; }
};
DesignBounds unite(const DesignBounds& a, const DesignBounds& b);

// The centre line of a stroke as short straight pieces (a closed outline for a box), fine enough
// to draw and to measure against.
std::vector<DesignPoint> elementPath(const CourseElement& e);
// What drawing the element may touch: its centre line grown by half its width.
DesignBounds elementBounds(const CourseElement& e);
// Distance from `p` to the element's ink: 0 on it, else how far outside its stroke or box.
double distanceToElement(const CourseElement& e, DesignPoint p);
// The two ends of a line, an arc or a curve (none for a box): where other strokes join it.
std::vector<DesignPoint> elementEnds(const CourseElement& e);

// The points a selected element is reshaped by: a line's ends; an arc's start, middle and end; a
// curve's four control points; a box's two corners.
std::vector<DesignPoint> elementHandles(const CourseElement& e);
// Puts handle `handle` at `to`. False (the element unchanged) when the handle does not exist or
// the shape would fall apart (an arc through three points on one line, a stroke of no length).
bool moveHandle(CourseElement& e, int handle, DesignPoint to);
void moveElement(CourseElement& e, double dx, double dy);

// The arc from `a` through `m` to `b`; false when the three points lie on one line.
bool arcThrough(DesignPoint a, DesignPoint m, DesignPoint b, double width, CourseElement& arc);
// A new element dragged from `from` to `to`: a line; an arc bending to the right of the way
// (half a circle); a curve with its control points a third of the way, bent the same way so its
// shape shows; a box. False for a drag of no length.
bool makeElement(CourseElementKind kind, DesignPoint from, DesignPoint to, double width, CourseElement& made);

struct SnapRule {
    bool toGrid = true;
    bool toEnds = true;
    double grid = 10;   // world units between grid points
    double reach = 10;  // an end of another stroke this near wins over the grid
};
// Where a dragged point lands: the nearest end of a stroke (other than `skipElement`) within
// reach, else the nearest grid point, else the point itself.
DesignPoint snapPoint(const CourseDesign& d, DesignPoint p, const SnapRule& rule, int skipElement = -1);

// The rotation handle sits this far in front of the start pose.
constexpr double kStartHandleDistance = 45;
// Half the side of the square the start pose is grabbed by (the robot's body).
constexpr double kStartGrabHalf = 20;
DesignPoint startHandle(const CourseDesign& d);

enum class DesignPart { None, Element, Handle, Start, StartHandle, Goal, Checkpoint, Forbidden };
struct DesignHit {
    DesignPart part = DesignPart::None;
    int index = -1;   // the element (Element, Handle) or checkpoint (Checkpoint)
    int handle = -1;  // Handle: which of elementHandles
    bool operator==(const DesignHit&) const = default;
};
// What a click at `p` takes, the nearest to the eye first: the handles of the selected element,
// the start's rotation handle, the start, the strokes (the last drawn first), the checkpoints
// (the last first), the goal, the forbidden area. `slack` is how far (world units) a click may miss.
DesignHit hitDesign(const CourseDesign& d, DesignPoint p, double slack, int selectedElement = -1);

// A judging rectangle from two corners: whole units, in order, kept inside the field.
CourseRect fieldRect(DesignPoint a, DesignPoint b);
// The goal makes the course timed; removing it removes what only a goal allows (checkpoints,
// forbidden area, rules), as a course file without a goal may have none of them.
void setGoal(CourseDesign& d, const CourseRect& goal);
void removeGoal(CourseDesign& d);
// False, and nothing added, without a goal or at kMaxCheckpoints.
bool addCheckpoint(CourseDesign& d, const CourseRect& r);
// False without a goal.
bool setForbidden(CourseDesign& d, const CourseRect& r);
// Moves checkpoint `index` to place `to` in the passing order; false when either is not a place.
bool reorderCheckpoint(CourseDesign& d, int index, int to);

// Moves the part by (dx, dy): a stroke exactly, judging areas by whole units kept inside the
// field, the start kept inside the field. False when there is nothing of that part to move.
bool movePart(CourseDesign& d, const DesignHit& hit, double dx, double dy);
// Removes the stroke, the goal (and what needs it), a checkpoint or the forbidden area.
bool deletePart(CourseDesign& d, const DesignHit& hit);
// Turns the start to face `toward`, in whole degrees (steps of `step` degrees when step > 1).
void aimStart(CourseDesign& d, DesignPoint toward, double step = 1);
// Heading in (-180, 180].
double normalisedHeading(double degrees);

// Undo and redo over whole snapshots of the design: a course is small, so a snapshot per step
// is simpler and safer than recording each kind of change.
constexpr size_t kDesignUndoSteps = 200;
struct DesignHistory {
    std::vector<CourseDesign> steps;  // the oldest first; steps[current] is the design as shown
    size_t current = 0;
    size_t limit = kDesignUndoSteps;  // snapshots kept besides the current one
};
void resetHistory(DesignHistory& h, const CourseDesign& d);
// After an edit: the design becomes the newest step, dropping what could be redone. False (and
// nothing recorded) when it equals the current step.
bool recordDesign(DesignHistory& h, const CourseDesign& d);
bool canUndo(const DesignHistory& h);
bool canRedo(const DesignHistory& h);
// Steps back or forward and gives the design there; false (the design unchanged) at either end.
bool undoDesign(DesignHistory& h, CourseDesign& d);
bool redoDesign(DesignHistory& h, CourseDesign& d);

}  // namespace trovel
