#pragma once
// Best lap times per course: record.dat beside the application, and the times as the record list shows them.

#include <filesystem>
#include <string>

#include "sim/course_config.h"

namespace trovel {

std::filesystem::path recordsPath(const std::filesystem::path& appDir);

void resetAllBestTimes(CourseSet& set);
// Ignored unless 0 <= course < number of courses.
void resetBestTime(CourseSet& set, int course);
// Course i takes the i-th stored time, or no record past the stored count. A missing or truncated
// file leaves the times as they are.
RecordStatus readRecords(CourseSet& set, const std::filesystem::path& appDir);
bool writeRecords(const CourseSet& set, const std::filesystem::path& appDir);

// "1分01秒234" for a timed course, "----------" for any other.
std::u16string recordTimeText(const CourseRecord& course);

}  // namespace trovel
