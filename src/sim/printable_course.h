#pragma once
// A course as printing needs it: its picture, its name and the robot's judging half-size that sets
// the real-size scale. Installed courses come from texture.ini; a course file can give the same.

#include <filesystem>
#include <memory>
#include <string>

#include "sim/course_picture.h"

namespace trovel {

struct PrintableCourse {
    std::shared_ptr<const CoursePicture> picture;  // 700 x 500
    std::u16string name;                           // as texture.ini gives it; a face may translate it
    std::u16string englishName;                    // a user course's English name; empty when none
    int index = -1;                                // course number among the installed courses; -1 for none
    bool user = false;                             // one of the user's own courses (no language pack name)
    float robotHalf = 0;                           // judging half-size, course units; 0 when not given
};

enum class CourseLookup {
    Found,
    NoConfig,      // texture.ini cannot be read
    NoSuchCourse,  // the number is not one of its courses
    NoPicture,     // the course is there but its picture could not be read
};

// Course `index` in the simulator's course menu order: those of the application folder's
// texture.ini, then the user's own of `userDir` when given. `courseCount` is set to the number of
// courses whenever texture.ini was read.
CourseLookup installedCourse(const std::filesystem::path& appDir, int index, PrintableCourse& course,
                             int* courseCount = nullptr, const std::filesystem::path& userDir = {});

}  // namespace trovel
