#include "sim/lap_records.h"

#include <algorithm>

namespace trovel {

std::filesystem::path recordsPath(const std::filesystem::path& appDir) { return appDir / "record.dat"; }

void resetAllBestTimes(CourseSet& set) {
    for (CourseRecord& c : set.courses) c.bestMs = kNoRecordMs;
}

void resetBestTime(CourseSet& set, int course) {
    if (course >= 0 && course < courseCount(set)) set.courses[size_t(course)].bestMs = kNoRecordMs;
}

namespace {

// Shipped courses keep their times in record.dat of the records folder, at their course number;
// the user's own in record.dat of their folder, at their entry number, so that neither shifts the
// other's when courses come or go.
bool isUserCourse(const CourseRecord& course) { return course.userEntry >= 0; }

std::filesystem::path groupFolder(const CourseSet& set, bool user, const std::filesystem::path& recordsDir) {
    return user ? set.userCoursesDir : recordsDir;
}

size_t placeInFile(const CourseSet& set, size_t course) {
    const CourseRecord& c = set.courses[course];
    return isUserCourse(c) ? size_t(c.userEntry) : course;
}

bool groupHasCourses(const CourseSet& set, bool user) {
    for (const CourseRecord& c : set.courses)
        if (isUserCourse(c) == user) return true;
    return false;
}

}  // namespace

RecordStatus readRecords(CourseSet& set, const std::filesystem::path& appDir) {
    RecordsRead shipped = readRecordsFile(recordsPath(appDir));
    RecordsRead user;
    if (groupHasCourses(set, true)) user = readRecordsFile(recordsPath(set.userCoursesDir));
    for (size_t i = 0; i < set.courses.size(); ++i) {
        const RecordsRead& read = isUserCourse(set.courses[i]) ? user : shipped;
        const size_t at = placeInFile(set, i);
        const int32_t stored = at < read.times.size() ? read.times[at] : kNoRecordMs;
        set.courses[i].storedMs = stored;
        if (read.status == RecordStatus::Read) set.courses[i].bestMs = stored;
    }
    return shipped.status;
}

int32_t mergedBestTime(int32_t stored, int32_t mine, int32_t onDisk) {
    if (mine == stored) return onDisk;
    if (onDisk == stored) return mine;
    return std::min(mine, onDisk);
}

namespace {

// saveRecords for the courses of one records file.
bool saveGroup(CourseSet& set, std::vector<LapGhost>& ghosts, const std::filesystem::path& recordsDir, bool user) {
    const std::filesystem::path dir = groupFolder(set, user, recordsDir);
    const std::filesystem::path path = recordsPath(dir);
    const RecordsLock lock(path);
    // A damaged file holds nothing worth keeping: it counts as no records, as when reading it.
    const std::vector<int32_t> onDisk = readRecordsFile(path).times;
    std::vector<int32_t> times = onDisk;
    for (size_t i = 0; i < set.courses.size(); ++i) {
        CourseRecord& course = set.courses[i];
        if (isUserCourse(course) != user) continue;
        const size_t at = placeInFile(set, i);
        if (at >= times.size()) times.resize(at + 1, kNoRecordMs);
        const int32_t disk = at < onDisk.size() ? onDisk[at] : kNoRecordMs;
        course.bestMs = times[at] = mergedBestTime(course.storedMs, course.bestMs, disk);
        // The same time saved elsewhere already has its ghost there.
        if (i < ghosts.size() && !ghosts[i].saved && disk == course.bestMs && hasBestTime(course) &&
            readGhostFile(ghostPath(dir, int(at)), course.name, course.bestMs))
            ghosts[i].saved = true;
    }
    // Ghosts follow only times that reached the file.
    if (!writeRecordsFile(path, times)) return false;
    for (CourseRecord& course : set.courses)
        if (isUserCourse(course) == user) course.storedMs = course.bestMs;
    writeGhosts(ghosts, set, recordsDir, !user, user);
    return true;
}

}  // namespace

bool saveRecords(CourseSet& set, std::vector<LapGhost>& ghosts, const std::filesystem::path& appDir) {
    const bool shipped = saveGroup(set, ghosts, appDir, false);
    const bool user = !groupHasCourses(set, true) || saveGroup(set, ghosts, appDir, true);
    return shipped && user;
}

}  // namespace trovel
