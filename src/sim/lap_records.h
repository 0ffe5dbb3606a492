#pragma once
// Best lap times per course: record.dat beside the application, kept together with the ghost files
// when several studios save into the same folder.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "sim/course_config.h"
#include "sim/lap_ghost.h"

namespace trovel {

std::filesystem::path recordsPath(const std::filesystem::path& appDir);

void resetAllBestTimes(CourseSet& set);
// Ignored unless 0 <= course < number of courses.
void resetBestTime(CourseSet& set, int course);
// Course i takes the i-th stored time of record.dat in `appDir`, or no record past the stored count;
// a user course takes the time of its entry number from record.dat of the user courses' folder. A missing or truncated
// file leaves the times as they are. Either way every course notes what the file held for it (no
// record when nothing could be read), so that a later save can tell this studio's changes apart.
RecordStatus readRecords(CourseSet& set, const std::filesystem::path& appDir);

// The time a save keeps for a course: this studio's when only it changed the time since the file
// was read, the file's when only another studio did, the better one when both did (a reset here
// then gives way to a time saved elsewhere).
int32_t mergedBestTime(int32_t stored, int32_t mine, int32_t onDisk);

// Saves the best times and the ghosts not yet saved under the records lock, merged with what other
// studios saved meanwhile (mergedBestTime); a ghost file is written only for a time this studio
// keeps, and removed only with a record that is gone. Times in the file beyond the course count are
// kept. User courses are saved the same way into their own folder. Afterwards the set holds the
// merged times. False (silently) when a records file could not be written.
bool saveRecords(CourseSet& set, std::vector<LapGhost>& ghosts, const std::filesystem::path& appDir);

}  // namespace trovel
