#include "sim/lap_records.h"

#include <cstdio>

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
    if (read.status != RecordStatus::Read) return read.status;
    for (size_t i = 0; i < set.courses.size(); ++i)
        set.courses[i].bestMs = i < read.times.size() ? read.times[i] : kNoRecordMs;
    return RecordStatus::Read;
}

bool writeRecords(const CourseSet& set, const std::filesystem::path& appDir) {
    std::vector<int32_t> times;
    times.reserve(set.courses.size());
    for (const CourseRecord& c : set.courses) times.push_back(c.bestMs);
    return writeRecordsFile(recordsPath(appDir), times);
}

std::u16string recordTimeText(const CourseRecord& course) {
    if (!(course.judgingFlags & JudgeFlag::Timed)) return u"----------";
    int t = course.bestMs;
    char digits[32];
    std::snprintf(digits, sizeof digits, "%d|%02d|%03d", t / 60000 % 10, t / 1000 % 60, t % 1000);
    std::u16string text;
    for (const char* p = digits; *p; ++p) {
        if (*p != '|') {
            text.push_back(static_cast<char16_t>(*p));
            continue;
        }
        text += text.find(u'分') == std::u16string::npos ? u"分" : u"秒";
    }
    return text;
}

}  // namespace trovel
