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

RecordStatus readRecords(CourseSet& set, const std::filesystem::path& appDir) {
    RecordsRead read = readRecordsFile(recordsPath(appDir));
    for (size_t i = 0; i < set.courses.size(); ++i) {
        const int32_t stored = i < read.times.size() ? read.times[i] : kNoRecordMs;
        set.courses[i].storedMs = stored;
        if (read.status == RecordStatus::Read) set.courses[i].bestMs = stored;
    }
    return read.status;
}

int32_t mergedBestTime(int32_t stored, int32_t mine, int32_t onDisk) {
    if (mine == stored) return onDisk;
    if (onDisk == stored) return mine;
    return std::min(mine, onDisk);
}

bool saveRecords(CourseSet& set, std::vector<LapGhost>& ghosts, const std::filesystem::path& appDir) {
    const std::filesystem::path path = recordsPath(appDir);
    const RecordsLock lock(path);
    // A damaged file holds nothing worth keeping: it counts as no records, as when reading it.
    const std::vector<int32_t> onDisk = readRecordsFile(path).times;
    std::vector<int32_t> times = onDisk;
    times.resize(std::max(onDisk.size(), set.courses.size()), kNoRecordMs);
    for (size_t i = 0; i < set.courses.size(); ++i) {
        CourseRecord& course = set.courses[i];
        const int32_t disk = i < onDisk.size() ? onDisk[i] : kNoRecordMs;
        course.bestMs = times[i] = mergedBestTime(course.storedMs, course.bestMs, disk);
        // The same time saved elsewhere already has its ghost there.
        if (i < ghosts.size() && !ghosts[i].saved && disk == course.bestMs && hasBestTime(course) &&
            readGhostFile(ghostPath(appDir, int(i)), course.name, course.bestMs))
            ghosts[i].saved = true;
    }
    // Ghosts follow only times that reached the file.
    if (!writeRecordsFile(path, times)) return false;
    for (CourseRecord& course : set.courses) course.storedMs = course.bestMs;
    writeGhosts(ghosts, set, appDir);
    return true;
}

}  // namespace trovel
