#include "sim/course_install.h"

#include <charconv>
#include <system_error>

#include "base/app_folder.h"
#include "base/bitmap_file.h"
#include "model/atomic_file.h"
#include "model/portable_bits.h"
#include "model/text_convert.h"
#include "model/text_record_file.h"
#include "sim/course_config.h"
#include "sim/course_raster.h"
#include "sim/lap_ghost.h"
#include "sim/lap_record_file.h"
#include "sim/lap_records.h"

namespace trovel {

namespace {

constexpr size_t kMaxKeyChars = 64;
constexpr std::u16string_view kIndexHeader =
    u"# TrovelStudio: the user's own courses, written when a course is installed. Each _TEXTURE: line\n"
    u"# starts an entry; the judging lines after it name that entry by its number (the first is 0).";

std::u16string ascii(std::string_view s) { return std::u16string(s.begin(), s.end()); }

std::u16string real(double v) {
    char buffer[32];
    auto [end, ec] = formatShortest(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? ascii(std::string_view(buffer, size_t(end - buffer))) : u"0";
}

std::u16string whole(float v) { return fromNumber(static_cast<long long>(v)); }

std::u16string list(const CourseRect& area) {
    const CourseRect r = normalised(area);
    return u"[" + whole(r.x1) + u"," + whole(r.y1) + u"," + whole(r.x2) + u"," + whole(r.y2) + u"]";
}

// A text field's content: '#' would end the line and brackets the field, so they take their
// full-width forms.
std::u16string fieldText(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) {
        if (c == u'#') c = u'＃';
        else if (c == u'[') c = u'［';
        else if (c == u']') c = u'］';
    }
    return out;
}

// The picture named by an index line's _TEXTURE: key, or empty when the line has none.
std::u16string texturePicture(std::u16string_view line) {
    const size_t hash = line.find(u'#');
    if (hash != line.npos) line = line.substr(0, hash);
    const size_t at = line.find(u"_TEXTURE:");
    if (at == line.npos) return {};
    std::u16string name;
    nextTextField(line, at + 9, name);
    return name.empty() ? u"?" : name;  // an entry whatever its name
}

// The index as its lines before the first entry and one block of lines per entry.
struct Index {
    std::vector<std::u16string> preamble;
    std::vector<std::vector<std::u16string>> entries;
};

bool readIndex(const std::filesystem::path& path, Index& index) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return !ec;
    TextRecordFile file;
    if (!file.open(path, u"r")) return false;
    std::u16string line;
    while (file.readLine(line, kRecordLineChars) > 0) {
        if (!line.empty() && line.back() == u'\r') line.pop_back();
        if (!texturePicture(line).empty()) index.entries.emplace_back();
        if (index.entries.empty()) index.preamble.push_back(line);
        else index.entries.back().push_back(line);
    }
    file.close();
    return true;
}

bool writeIndex(const std::filesystem::path& path, const Index& index) {
    TextRecordFile file;
    if (!file.open(path, u"w")) return false;
    std::u16string text;
    if (index.preamble.empty()) text += std::u16string(kIndexHeader) + u"\n";
    for (const std::u16string& line : index.preamble) text += line + u"\n";
    for (const auto& entry : index.entries)
        for (const std::u16string& line : entry) text += line + u"\n";
    file.writeText(text);
    return file.close();
}

// Drops the best time and the ghost of a user course entry, under the lock the caller holds.
bool resetEntryRecord(const std::filesystem::path& coursesDir, int entry) {
    const std::filesystem::path path = recordsPath(coursesDir);
    RecordsRead read = readRecordsFile(path);
    std::error_code ec;
    std::filesystem::remove(ghostPath(coursesDir, entry), ec);
    if (read.status != RecordStatus::Read || size_t(entry) >= read.times.size() ||
        read.times[size_t(entry)] >= kNoRecordMs)
        return false;
    read.times[size_t(entry)] = kNoRecordMs;
    return writeRecordsFile(path, read.times);
}

}  // namespace

std::u16string courseKey(const std::filesystem::path& courseFile) {
    std::u16string key;
    for (char16_t c : pathText(courseFile.stem())) {
        // Separators, quoting and control characters would break a file name or the index line.
        if (c < 0x20 || c == u'/' || c == u'\\' || c == u'#' || c == u'[' || c == u']' || c == u'"' || c == u':' ||
            c == u'*' || c == u'?' || c == u'<' || c == u'>' || c == u'|' || (c >= 0xD800 && c <= 0xDFFF))
            c = u'_';
        key += c;
    }
    while (!key.empty() && (key.front() == u'.' || key.front() == u' ')) key.erase(key.begin());
    if (key.size() > kMaxKeyChars) key.resize(kMaxKeyChars);
    return key.empty() ? u"course" : key;
}

std::vector<std::u16string> courseEntryLines(const CourseDesign& d, int course, std::u16string_view pictureName) {
    std::vector<std::u16string> lines;
    const std::u16string& name = d.nameJa.empty() ? d.nameEn : d.nameJa;
    lines.push_back(u"_TEXTURE:[[" + fieldText(pictureName) + u"]][" + real(d.startX) + u"][" + real(d.startY) + u"][" +
                    real(d.startHeading) + u"][[" + fieldText(name) + u"]][" + fromNumber(d.courseFlags) + u"]");
    if (!d.nameEn.empty()) lines.push_back(std::u16string(kEnglishNameKey) + u"[[" + fieldText(d.nameEn) + u"]]");
    if (!(d.judgingFlags & JudgeFlag::Timed)) return lines;
    const std::u16string number = u"[" + fromNumber(course) + u"]";
    lines.push_back(u"_ATACKPARAM:" + number + u"[" +
                    fromNumber(d.judgingFlags & (JudgeFlag::SensorUse | JudgeFlag::StopInGoal)) + u"]" + list(d.goal));
    if (d.judgingFlags & JudgeFlag::OffLine)
        lines.push_back(u"_ATACKPARAM_SENSORBD:[" + fromNumber(d.offLineThreshold) + u"][" +
                        fromNumber(d.offLineTicks) + u"]");
    if ((d.judgingFlags & JudgeFlag::Checkpoints) && !d.checkpoints.empty()) {
        std::u16string line =
            u"_ATACKPARAM_CHKAREA:[" + fromNumber(static_cast<long long>(d.checkpoints.size())) + u"]";
        for (const CourseRect& r : d.checkpoints) line += list(r);
        lines.push_back(line);
    }
    if (d.judgingFlags & JudgeFlag::Forbidden) lines.push_back(u"_ATACKPARAM_INVAREA:" + list(d.forbidden));
    return lines;
}

InstallResult installCourse(const CourseDesign& design, const CoursePicture& picture, std::u16string_view key,
                            const std::filesystem::path& userDir) {
    InstallResult result;
    const std::filesystem::path dir = userCoursesFolder(userDir);
    const std::u16string pictureName = std::u16string(key) + u".bmp";
    result.pictureFile = dir / pathFromText(pictureName);
    auto failed = [&](const std::filesystem::path& what) {
        result.error = InstallError::CannotWrite;
        result.pictureFile = what;
        return result;
    };
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir, ec)) return failed(dir);

    BitmapPixels pixels{picture.width, picture.height, picture.pixels};
    const std::vector<uint8_t> bytes = encodeBitmap(pixels);
    if (bytes.empty()) return failed(result.pictureFile);

    // One installer at a time, and no studio saving the user courses' records meanwhile.
    const RecordsLock lock(recordsPath(dir));
    const std::filesystem::path indexPath = dir / std::filesystem::path(kUserCourseIndex);
    Index index;
    if (!readIndex(indexPath, index)) return failed(indexPath);
    int entry = -1;
    for (size_t i = 0; i < index.entries.size() && entry < 0; ++i)
        if (texturePicture(index.entries[i].front()) == pictureName) entry = int(i);
    result.replaced = entry >= 0;
    if (!result.replaced) {
        if (index.entries.size() >= size_t(kMaxUserCourses)) {
            result.error = InstallError::TooManyCourses;
            return result;
        }
        entry = int(index.entries.size());
        index.entries.emplace_back();
    }
    result.entry = entry;
    const std::vector<std::u16string> lines = courseEntryLines(design, entry, pictureName);

    std::vector<uint8_t> oldPicture;
    const bool hadPicture = readWholeFile(result.pictureFile, oldPicture);
    const bool changed =
        !result.replaced || index.entries[size_t(entry)] != lines || !hadPicture || oldPicture != bytes;
    index.entries[size_t(entry)] = lines;
    if (!writeFileAtomically(result.pictureFile, bytes)) return failed(result.pictureFile);
    if (!writeIndex(indexPath, index)) {
        // The picture must not outlive the entry it was drawn for.
        if (hadPicture) writeFileAtomically(result.pictureFile, oldPicture);
        else std::filesystem::remove(result.pictureFile, ec);
        return failed(indexPath);
    }
    // A course that changed is another course: its old best time and ghost say nothing of it.
    if (result.replaced && changed) result.recordReset = resetEntryRecord(dir, entry);
    return result;
}

InstallResult drawCourseFile(const std::filesystem::path& courseFile, CourseDesign& design, CoursePicture& drawn,
                             float robotHalf) {
    InstallResult result;
    result.file = readCourseFile(courseFile, design, robotHalf);
    if (!result.file.ok()) {
        result.error = InstallError::CourseFile;
        return result;
    }
    CoursePicture background;
    if (!design.picture.empty()) {
        result.pictureFile = resolveDataPath(design.picture, courseFile.parent_path());
        PictureResult loaded = loadCoursePicture(result.pictureFile);
        result.picture = loaded.status;
        if (!pictureLoaded(loaded.status)) {
            result.error = InstallError::Picture;
            return result;
        }
        background = std::move(loaded.picture);
    }
    drawn = drawCourse(design, design.picture.empty() ? nullptr : &background);
    return result;
}

InstallResult installCourseFile(const std::filesystem::path& courseFile, const std::filesystem::path& userDir,
                                float robotHalf) {
    CourseDesign design;
    CoursePicture drawn;
    InstallResult result = drawCourseFile(courseFile, design, drawn, robotHalf);
    if (!result.ok()) return result;
    const PictureStatus backgroundStatus = result.picture;
    result = installCourse(design, drawn, courseKey(courseFile), userDir);
    if (result.ok()) result.picture = backgroundStatus;
    return result;
}

}  // namespace trovel
