#pragma once
// Texts for the simulator's windows: the message-box caption and the course names.

#include <QString>

#include "sim/course_config.h"

namespace trovel {

// The caption every message box of the simulator carries: the application title.
QString simMessageCaption();

// A course's name in the language in use: the language pack's name for shipped course `index`,
// else the name texture.ini gives it; for a user's own course its English name when a language
// pack is in use and the course has one.
QString courseName(int index, const CourseRecord& course);

}  // namespace trovel
