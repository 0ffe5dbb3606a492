#include "sim/lap_records.h"

#include <algorithm>
#include <system_error>

#include "sim/block_interpreter.h"

namespace trovel {

namespace {

// Every course of the set has its record; those added have none.
void coverCourses(LapRecords& records, const CourseSet& set) {
    if (records.courses.size() < set.courses.size()) records.courses.resize(set.courses.size());
}

// Shipped courses keep their times in record.dat of the records folder, at their course number;
// the user's own in record.dat of their folder, at their entry number.
bool isUserCourse(const CourseRecord& course) { return course.userEntry >= 0; }

size_t placeInFile(const CourseSet& set, size_t course) {
    const CourseRecord& c = set.courses[course];
    return isUserCourse(c) ? size_t(c.userEntry) : course;
}

bool groupHasCourses(const CourseSet& set, bool user) {
    for (const CourseRecord& c : set.courses)
        if (isUserCourse(c) == user) return true;
    return false;
}

// writeGhosts for the shipped courses, the user's, or both.
void writeGhostsOf(LapRecords& records, const CourseSet& set, const std::filesystem::path& recordsDir, bool shipped,
                   bool user) {
    coverCourses(records, set);
    for (size_t i = 0; i < set.courses.size(); ++i) {
        if (!(isUserCourse(set.courses[i]) ? user : shipped)) continue;
        LapRecord& record = records.courses[i];
        const std::filesystem::path path = courseGhostPath(set, int(i), recordsDir);
        if (!hasBestTime(record)) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
            continue;
        }
        LapGhost& ghost = record.ghost;
        if (ghost.saved || ghost.lapMs != record.bestMs || ghost.poses.empty()) continue;
        ghost.saved = writeGhostFile(path, ghost, set.courses[i].name);
    }
}

}  // namespace

int bestTime(const LapRecords& records, int course) {
    if (course < 0 || size_t(course) >= records.courses.size()) return kNoRecordMs;
    return records.courses[size_t(course)].bestMs;
}

const LapGhost* courseGhost(const LapRecords& records, int course) {
    if (course < 0 || size_t(course) >= records.courses.size()) return nullptr;
    const LapRecord& record = records.courses[size_t(course)];
    // A reset record takes its ghost along.
    if (record.ghost.poses.empty() || record.ghost.lapMs != record.bestMs) return nullptr;
    return &record.ghost;
}

bool offerLap(LapRecords& records, int course, int lapMs, const std::vector<GhostPose>& lapPoses) {
    if (course < 0 || lapMs >= bestTime(records, course)) return false;
    if (records.courses.size() <= size_t(course)) records.courses.resize(size_t(course) + 1);
    LapRecord& record = records.courses[size_t(course)];
    record.bestMs = lapMs;
    if (lapPoses.size() == size_t(lapMs) / kTickMs + 1) {
        record.ghost.lapMs = lapMs;
        record.ghost.poses = lapPoses;
        record.ghost.saved = false;
    } else {
        record.ghost = LapGhost{};  // an older ghost no longer shows the best lap
        record.ghost.saved = false;
    }
    return true;
}

std::filesystem::path recordsPath(const std::filesystem::path& appDir) { return appDir / "record.dat"; }

std::filesystem::path courseGhostPath(const CourseSet& set, int course, const std::filesystem::path& recordsDir) {
    if (course < 0 || course >= courseCount(set)) return {};
    const int entry = set.courses[size_t(course)].userEntry;
    return entry >= 0 ? ghostPath(set.userCoursesDir, entry) : ghostPath(recordsDir, course);
}

void resetAllBestTimes(LapRecords& records) {
    for (LapRecord& r : records.courses) r.bestMs = kNoRecordMs;
}

void resetBestTime(LapRecords& records, int course) {
    if (course >= 0 && size_t(course) < records.courses.size()) records.courses[size_t(course)].bestMs = kNoRecordMs;
}

RecordStatus readRecords(LapRecords& records, const CourseSet& set, const std::filesystem::path& appDir) {
    const RecordsRead shipped = readRecordsFile(recordsPath(appDir));
    RecordsRead user;
    if (groupHasCourses(set, true)) user = readRecordsFile(recordsPath(set.userCoursesDir));
    records.courses.resize(set.courses.size());
    for (size_t i = 0; i < records.courses.size(); ++i) {
        const RecordsRead& read = isUserCourse(set.courses[i]) ? user : shipped;
        const size_t at = placeInFile(set, i);
        const int32_t stored = at < read.times.size() ? read.times[at] : kNoRecordMs;
        records.courses[i].storedMs = stored;
        if (read.status == RecordStatus::Read) records.courses[i].bestMs = stored;
    }
    return shipped.status;
}

void readGhosts(LapRecords& records, const CourseSet& set, const std::filesystem::path& recordsDir) {
    coverCourses(records, set);
    for (size_t i = 0; i < set.courses.size(); ++i) {
        LapRecord& record = records.courses[i];
        record.ghost = LapGhost{};
        if (!hasBestTime(record)) continue;
        if (auto ghost = readGhostFile(courseGhostPath(set, int(i), recordsDir), set.courses[i].name, record.bestMs))
            record.ghost = std::move(*ghost);
    }
}

void writeGhosts(LapRecords& records, const CourseSet& set, const std::filesystem::path& recordsDir) {
    writeGhostsOf(records, set, recordsDir, true, true);
}

int32_t mergedBestTime(int32_t stored, int32_t mine, int32_t onDisk) {
    if (mine == stored) return onDisk;
    if (onDisk == stored) return mine;
    return std::min(mine, onDisk);
}

namespace {

// saveRecords for the courses of one records file.
bool saveGroup(LapRecords& records, const CourseSet& set, const std::filesystem::path& recordsDir, bool user) {
    const std::filesystem::path dir = user ? set.userCoursesDir : recordsDir;
    const std::filesystem::path path = recordsPath(dir);
    const RecordsLock lock(path);
    // A damaged file holds nothing worth keeping: it counts as no records, as when reading it.
    const std::vector<int32_t> onDisk = readRecordsFile(path).times;
    std::vector<int32_t> times = onDisk;
    for (size_t i = 0; i < set.courses.size(); ++i) {
        if (isUserCourse(set.courses[i]) != user) continue;
        LapRecord& record = records.courses[i];
        const size_t at = placeInFile(set, i);
        if (at >= times.size()) times.resize(at + 1, kNoRecordMs);
        const int32_t disk = at < onDisk.size() ? onDisk[at] : kNoRecordMs;
        record.bestMs = times[at] = mergedBestTime(record.storedMs, record.bestMs, disk);
        // The same time saved elsewhere already has its ghost there.
        if (!record.ghost.saved && disk == record.bestMs && hasBestTime(record) &&
            readGhostFile(ghostPath(dir, int(at)), set.courses[i].name, record.bestMs))
            record.ghost.saved = true;
    }
    // Ghosts follow only times that reached the file.
    if (!writeRecordsFile(path, times)) return false;
    for (size_t i = 0; i < set.courses.size(); ++i)
        if (isUserCourse(set.courses[i]) == user) records.courses[i].storedMs = records.courses[i].bestMs;
    writeGhostsOf(records, set, recordsDir, !user, user);
    return true;
}

}  // namespace

bool saveRecords(LapRecords& records, const CourseSet& set, const std::filesystem::path& appDir) {
    coverCourses(records, set);
    const bool shipped = saveGroup(records, set, appDir, false);
    const bool user = !groupHasCourses(set, true) || saveGroup(records, set, appDir, true);
    return shipped && user;
}

}  // namespace trovel
