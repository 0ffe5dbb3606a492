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

void resetAllBestTimes(LapRecords& records) {
    for (LapRecord& r : records.courses) r.bestMs = kNoRecordMs;
}

void resetBestTime(LapRecords& records, int course) {
    if (course >= 0 && size_t(course) < records.courses.size()) records.courses[size_t(course)].bestMs = kNoRecordMs;
}

RecordStatus readRecords(LapRecords& records, const CourseSet& set, const std::filesystem::path& appDir) {
    RecordsRead read = readRecordsFile(recordsPath(appDir));
    records.courses.resize(set.courses.size());
    for (size_t i = 0; i < records.courses.size(); ++i) {
        const int32_t stored = i < read.times.size() ? read.times[i] : kNoRecordMs;
        records.courses[i].storedMs = stored;
        if (read.status == RecordStatus::Read) records.courses[i].bestMs = stored;
    }
    return read.status;
}

void readGhosts(LapRecords& records, const CourseSet& set, const std::filesystem::path& recordsDir) {
    coverCourses(records, set);
    for (size_t i = 0; i < set.courses.size(); ++i) {
        LapRecord& record = records.courses[i];
        record.ghost = LapGhost{};
        if (!hasBestTime(record)) continue;
        if (auto ghost = readGhostFile(ghostPath(recordsDir, int(i)), set.courses[i].name, record.bestMs))
            record.ghost = std::move(*ghost);
    }
}

void writeGhosts(LapRecords& records, const CourseSet& set, const std::filesystem::path& recordsDir) {
    coverCourses(records, set);
    for (size_t i = 0; i < set.courses.size(); ++i) {
        LapRecord& record = records.courses[i];
        const std::filesystem::path path = ghostPath(recordsDir, int(i));
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

int32_t mergedBestTime(int32_t stored, int32_t mine, int32_t onDisk) {
    if (mine == stored) return onDisk;
    if (onDisk == stored) return mine;
    return std::min(mine, onDisk);
}

bool saveRecords(LapRecords& records, const CourseSet& set, const std::filesystem::path& appDir) {
    const std::filesystem::path path = recordsPath(appDir);
    const RecordsLock lock(path);
    coverCourses(records, set);
    // A damaged file holds nothing worth keeping: it counts as no records, as when reading it.
    const std::vector<int32_t> onDisk = readRecordsFile(path).times;
    std::vector<int32_t> times = onDisk;
    times.resize(std::max(onDisk.size(), set.courses.size()), kNoRecordMs);
    for (size_t i = 0; i < set.courses.size(); ++i) {
        LapRecord& record = records.courses[i];
        const int32_t disk = i < onDisk.size() ? onDisk[i] : kNoRecordMs;
        record.bestMs = times[i] = mergedBestTime(record.storedMs, record.bestMs, disk);
        // The same time saved elsewhere already has its ghost there.
        if (!record.ghost.saved && disk == record.bestMs && hasBestTime(record) &&
            readGhostFile(ghostPath(appDir, int(i)), set.courses[i].name, record.bestMs))
            record.ghost.saved = true;
    }
    // Ghosts follow only times that reached the file.
    if (!writeRecordsFile(path, times)) return false;
    for (size_t i = 0; i < set.courses.size(); ++i) records.courses[i].storedMs = records.courses[i].bestMs;
    writeGhosts(records, set, appDir);
    return true;
}

}  // namespace trovel
