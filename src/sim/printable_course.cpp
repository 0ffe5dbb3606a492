#include "sim/printable_course.h"

#include "sim/course_config.h"

namespace trovel {

CourseLookup installedCourse(const std::filesystem::path& appDir, int index, PrintableCourse& course, int* courseCount,
                             const std::filesystem::path& userDir) {
    CourseSet set;
    if (!loadCourseConfig(set, appDir, {}, userDir).loaded) return CourseLookup::NoConfig;
    if (courseCount) *courseCount = trovel::courseCount(set);
    if (index < 0 || index >= trovel::courseCount(set)) return CourseLookup::NoSuchCourse;
    course.name = set.courses[size_t(index)].name;
    course.englishName = set.courses[size_t(index)].englishName;
    course.user = set.courses[size_t(index)].userEntry >= 0;
    course.index = index;
    course.robotHalf = set.robotHalf;
    course.picture = set.textures[size_t(index) + Slot::FirstCourse].picture;
    return course.picture ? CourseLookup::Found : CourseLookup::NoPicture;
}

}  // namespace trovel
