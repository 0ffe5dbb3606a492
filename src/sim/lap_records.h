#pragma once
// Best lap times and their ghosts per course, kept beside the simulator's world: read from record.dat
// and the ghost files beside it, offered every judged goal, and saved together with them when
// several studios save into the same folder.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "sim/course_config.h"
#include "sim/lap_ghost.h"
#include "sim/lap_record_file.h"

namespace trovel {

struct LapRecord {
    int bestMs = kNoRecordMs;    // the course's best lap; kNoRecordMs = no record
    int storedMs = kNoRecordMs;  // what record.dat held for the course when last read or written here
    LapGhost ghost;              // the best lap's ghost, shown only while its lapMs is bestMs; lapMs 0 = none
};

struct LapRecords {
    std::vector<LapRecord> courses;  // course i at index i; a course past the end has no record
};

// A time to show: kNoRecordMs stands for no record and is never shown as one.
inline bool hasBestTime(const LapRecord& record) { return record.bestMs < kNoRecordMs; }
// The course's best lap time, kNoRecordMs when it has none.
int bestTime(const LapRecords& records, int course);
// The ghost of the course's best lap, or null when the course has none.
const LapGhost* courseGhost(const LapRecords& records, int course);

// A judged goal's lap on `course`: faster than the best time, it is the course's new record, and
// `lapPoses` (the run's pose at lap time 0, 16, 32 ... ms) its ghost when not one of them is missing;
// else the course has no ghost, since an older one no longer shows the best lap. True for a record.
bool offerLap(LapRecords& records, int course, int lapMs, const std::vector<GhostPose>& lapPoses);

std::filesystem::path recordsPath(const std::filesystem::path& appDir);
// The ghost file of course `course` of the set: ghostPath of the records folder for a shipped
// course, of the user courses' folder by entry number for a user course; empty out of range.
std::filesystem::path courseGhostPath(const CourseSet& set, int course, const std::filesystem::path& recordsDir);

void resetAllBestTimes(LapRecords& records);
// Ignored unless 0 <= course < number of records.
void resetBestTime(LapRecords& records, int course);
// One record per course of `set`. Course i takes the i-th stored time of record.dat in `appDir`, or
// no record past the stored count; a user course takes the time of its entry number from record.dat
// of the user courses' folder, so that neither shifts the other's when courses come or go. A missing or truncated file leaves the times as they are. Either way every course notes what
// the file held for it (no record when nothing could be read), so that a later save can tell this
// studio's changes apart.
RecordStatus readRecords(LapRecords& records, const CourseSet& set, const std::filesystem::path& appDir);

// Every course's ghost from its file (none where the file is missing, damaged, foreign or out of date).
void readGhosts(LapRecords& records, const CourseSet& set, const std::filesystem::path& recordsDir);
// Saves the ghosts not yet saved; a course without a record loses its file with its record.
void writeGhosts(LapRecords& records, const CourseSet& set, const std::filesystem::path& recordsDir);

// The time a save keeps for a course: this studio's when only it changed the time since the file
// was read, the file's when only another studio did, the better one when both did (a reset here
// then gives way to a time saved elsewhere).
int32_t mergedBestTime(int32_t stored, int32_t mine, int32_t onDisk);

// Saves the best times and the ghosts not yet saved under the records lock, merged with what other
// studios saved meanwhile (mergedBestTime); a ghost file is written only for a time this studio
// keeps, and removed only with a record that is gone. Times in the file beyond the course count are
// kept. User courses are saved the same way into their own folder. Afterwards the records hold the
// merged times. False (silently) when a records file could not be written.
bool saveRecords(LapRecords& records, const CourseSet& set, const std::filesystem::path& appDir);

}  // namespace trovel
