#pragma once
// The course picture of a course design, drawn the way the shipped courses are: black strokes with
// round ends on white paper (or on a background picture), the judging areas tinted underneath.
// Pixels are set where their centre lies inside a shape, with plain double arithmetic: the same
// design gives the same bytes every time.

#include "sim/course_file.h"
#include "sim/course_picture.h"

namespace trovel {

// Tints of the judging areas on white paper (red, green, blue), as the shipped courses have them.
struct Tint {
    uint8_t r, g, b;
};
constexpr Tint kGoalTint{215, 250, 215};
constexpr Tint kCheckpointTint{215, 230, 255};
constexpr Tint kForbiddenTint{255, 205, 205};

// A kCourseWidth x kCourseHeight picture of the design. With a background (already fitted to the
// field) the strokes are drawn over it and the judging areas are left as the picture shows them.
CoursePicture drawCourse(const CourseDesign& design, const CoursePicture* background = nullptr);

}  // namespace trovel
