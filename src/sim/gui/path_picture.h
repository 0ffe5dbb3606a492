#pragma once
// A small picture of a run: the course picture with the robot's path drawn over it as a line, and
// the course's judging areas when asked. No Qt types here, so the command line can ask for it.

#include <cstdint>
#include <vector>

#include "sim/course_config.h"
#include "sim/course_picture.h"
#include "sim/sim_robot.h"

namespace trovel {

// PNG bytes `width` pixels wide (the course's 7:5 shape): the picture scaled down (grey when there is
// none), the path in world coordinates as a red line, its start as a green dot and its end as a blue
// one. With `areas`, the areas its judging flags use are drawn under the path as they are judged:
// the goal green, the forbidden area blue, the checkpoints magenta. Empty when width is not 1..4096
// or the picture cannot be encoded.
std::vector<uint8_t> pathPicturePng(const CoursePicture* course, const std::vector<Vec2>& path, int width,
                                    const CourseRecord* areas = nullptr);

}  // namespace trovel
