#pragma once
// A small picture of a run: the course picture with the robot's path drawn over it as a line.
// No Qt types here, so the command line's reports can ask for it.

#include <cstdint>
#include <vector>

#include "sim/course_picture.h"
#include "sim/sim_robot.h"

namespace trovel {

// PNG bytes `width` pixels wide (the course's 7:5 shape): the picture scaled down (grey when there is
// none), the path in world coordinates as a red line, its start as a green dot and its end as a blue
// one. Empty when width is not 1..4096 or the picture cannot be encoded.
std::vector<uint8_t> pathPicturePng(const CoursePicture* course, const std::vector<Vec2>& path, int width);

}  // namespace trovel
