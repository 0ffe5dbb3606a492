#include "sim/course_config.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <fstream>
#include <map>

#include "base/app_folder.h"
#include "base/picture_file.h"
#include "model/text_record_file.h"
#include "sim/sim_world.h"

namespace trovel {

namespace {

constexpr float kPi = 3.1415927f;
constexpr int kNoCourse = -1;
constexpr float kMaxRobotHalf = kWorldHalfWidth;  // a judging square wider than the field judges nothing more

// Reads the fields after a key in order; a field that is not there reads as empty.
class FieldCursor {
public:
    FieldCursor(std::u16string_view line, size_t from) : m_line(line), m_pos(from) {}
    std::u16string value() { return take(false); }
    std::u16string text() { return take(true); }
    bool atEnd() const { return m_pos == std::u16string_view::npos; }

private:
    std::u16string take(bool text) {
        std::u16string field;
        if (m_pos == std::u16string_view::npos || m_pos > m_line.size()) {
            m_pos = std::u16string_view::npos;
            return field;
        }
        m_pos = text ? nextTextField(m_line, m_pos, field) : nextField(m_line, m_pos, field);
        return field;
    }
    std::u16string_view m_line;
    size_t m_pos;
};

// Leading decimal integer (optional sign, digits only; 0 when none), saturated to the int range.
// Unlike toNumber it stops at '.', 'e' and the like, so "4e1" is 4.
int decimalInt(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min<long long>(value * 10 + (text[i] - u'0'), 1LL << 32);
    if (negative) value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// A real from the file held within [lo, hi]; NaN, which every comparison lets through, reads as `otherwise`.
float realIn(double v, float lo, float hi, float otherwise = 0.0f) {
    if (std::isnan(v)) return otherwise;
    return static_cast<float>(std::clamp(v, static_cast<double>(lo), static_cast<double>(hi)));
}

std::u16string cut(std::u16string s, size_t maxChars) {
    if (s.size() > maxChars) s.resize(maxChars);
    return s;
}

// "x1,y1,x2,y2": numbers past the fourth are ignored, missing ones read 0.
CourseRect parseRect(std::u16string_view list) {
    std::array<float, 4> v{};
    size_t start = 0;
    for (size_t i = 0; i < v.size() && start <= list.size(); ++i) {
        size_t comma = list.find(u',', start);
        std::u16string_view item = list.substr(start, comma == std::u16string_view::npos ? list.npos : comma - start);
        v[i] = static_cast<float>(decimalInt(item));
        if (comma == std::u16string_view::npos) break;
        start = comma + 1;
    }
    return {v[0], v[1], v[2], v[3]};
}

bool defaultTextureLoader(int, const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return false;
    std::ifstream in(file, std::ios::binary);
    return static_cast<bool>(in);
}

CourseProblem problemOf(PictureStatus status) {
    switch (status) {
    case PictureStatus::Scaled: return CourseProblem::PictureScaled;
    case PictureStatus::Unsupported: return CourseProblem::PictureUnsupported;
    case PictureStatus::Interlaced: return CourseProblem::PictureInterlaced;
    case PictureStatus::TooLarge: return CourseProblem::PictureTooLarge;
    case PictureStatus::Damaged: return CourseProblem::PictureDamaged;
    default: return CourseProblem::NotPicture;
    }
}

struct Loader {
    Loader(CourseSet& s, const std::filesystem::path& b, const TextureLoader& t, CourseLoadResult& r, bool user = false)
        : set(s), base(b), loadTexture(t), result(r), userIndex(user) {}

    CourseSet& set;
    const std::filesystem::path& base;  // where the picture names are resolved
    const TextureLoader& loadTexture;
    CourseLoadResult& result;
    bool userIndex = false;  // the user's own index: entries numbered by their _TEXTURE: lines
    int declared = 0;
    bool totalSeen = false;
    int remembered = kNoCourse - 1;  // course of the latest _ATACKPARAM: line (may be out of range)
    std::vector<int> entries;        // user index: the course of each entry, kNoCourse for one not kept
    std::map<std::u16string, std::shared_ptr<const CoursePicture>> pictureCache;

    int declaredCourses() const { return std::clamp(declared - Slot::FirstCourse, 0, int(set.courses.size())); }

    CourseRecord* rememberedCourse() {
        const int limit = userIndex ? courseCount(set) : declaredCourses();
        return remembered >= 0 && remembered < limit ? &set.courses[size_t(remembered)] : nullptr;
    }

    void message(CourseProblem problem, const std::u16string& file = {}, int expected = 0) {
        result.messages.push_back({problem, file, expected});
    }

    void fileTotal(FieldCursor f) {
        if (totalSeen) return;  // the first declaration sizes the tables
        totalSeen = true;
        declared = std::clamp(decimalInt(f.value()), 0, Slot::FirstCourse + kMaxCourses);
        set.courses.assign(size_t(std::max(0, declared - Slot::FirstCourse)), CourseRecord{});
    }

    std::shared_ptr<const CoursePicture> picture(const std::u16string& path, PictureStatus& status) {
        auto found = pictureCache.find(path);
        if (found != pictureCache.end()) {
            status = PictureStatus::Loaded;
            return found->second;
        }
        PictureResult loaded = loadCoursePicture(resolveDataPath(path, base));
        status = loaded.status;
        if (!pictureLoaded(status)) return nullptr;
        auto shared = std::make_shared<const CoursePicture>(std::move(loaded.picture));
        pictureCache.emplace(path, shared);
        return shared;
    }

    // The pixel copy of a course slot; false when its picture is refused and the slot is dropped.
    // A picture of another size is kept, fitted to the field, with a warning.
    bool coursePictureOf(TextureSlot& slot) {
        PictureStatus status = PictureStatus::CannotOpen;
        slot.picture = picture(slot.path, status);
        if (status == PictureStatus::Loaded || status == PictureStatus::CannotOpen) return true;
        message(problemOf(status), slot.path, status == PictureStatus::TooLarge ? int(kPictureMaxPixels) : 0);
        return status == PictureStatus::Scaled;
    }

    void courseFields(CourseRecord& course, FieldCursor& f) {
        course.startX = realIn(toNumber(f.value()), -kWorldHalfWidth, kWorldHalfWidth);
        course.startY = realIn(toNumber(f.value()), -kWorldHalfHeight, kWorldHalfHeight);
        // Whole turns are dropped so a huge angle keeps its direction instead of losing all precision.
        double degrees = toNumber(f.value());
        degrees = std::isfinite(degrees) ? std::fmod(degrees, 360.0) : 0.0;
        course.startHeading = static_cast<float>(degrees) / 180.0f * kPi;
        course.name = cut(f.text(), kMaxCourseNameChars);
        course.courseFlags = decimalInt(f.value());
    }

    void texture(FieldCursor f) {
        if (userIndex) return userTexture(f);
        const int s = static_cast<int>(set.textures.size());
        if (s >= declared) {
            message(CourseProblem::CountMismatch);
            return;
        }
        TextureSlot slot;
        slot.path = cut(f.text(), kMaxPathChars);
        if (!loadTexture(s, resolveDataPath(slot.path, base))) {
            message(CourseProblem::TextureFailed);
            message(CourseProblem::PictureMissing, slot.path);
            --declared;
            return;
        }
        if (s < Slot::FirstCourse) {
            set.textures.push_back(std::move(slot));
            return;
        }
        const bool kept = coursePictureOf(slot);
        courseFields(set.courses[size_t(s - Slot::FirstCourse)], f);
        if (!kept) {
            --declared;  // the next _TEXTURE: line reuses this slot and course record
            return;
        }
        set.textures.push_back(std::move(slot));
    }

    // An entry of the user's index: appended after the courses already loaded, or left out with
    // its judging lines when its picture is refused.
    void userTexture(FieldCursor f) {
        entries.push_back(kNoCourse);
        const int s = static_cast<int>(set.textures.size());
        // Without the fixed images a course picture would take a fixed image's slot.
        if (s < Slot::FirstCourse || courseCount(set) >= kMaxCourses) return;
        TextureSlot slot;
        slot.path = cut(f.text(), kMaxPathChars);
        if (!loadTexture(s, resolveDataPath(slot.path, base))) {
            message(CourseProblem::TextureFailed);
            message(CourseProblem::PictureMissing, slot.path);
            return;
        }
        if (!coursePictureOf(slot)) return;
        CourseRecord course;
        courseFields(course, f);
        course.userEntry = static_cast<int>(entries.size()) - 1;
        set.textures.push_back(std::move(slot));
        set.courses.push_back(std::move(course));
        entries.back() = courseCount(set) - 1;
    }

    void englishName(FieldCursor f) {
        if (!entries.empty() && entries.back() != kNoCourse)
            set.courses[size_t(entries.back())].englishName = cut(f.text(), kMaxCourseNameChars);
    }

    void attackParam(FieldCursor f) {
        remembered = decimalInt(f.value());
        if (userIndex)
            remembered = remembered >= 0 && remembered < int(entries.size()) ? entries[size_t(remembered)] : kNoCourse;
        int flags = decimalInt(f.value());
        CourseRect goal = parseRect(f.value());
        if (CourseRecord* c = rememberedCourse()) {
            c->judgingFlags = JudgeFlag::Timed | flags;
            c->goal = goal;
        }
    }

    void forbiddenArea(FieldCursor f) {
        CourseRect area = parseRect(f.value());
        if (CourseRecord* c = rememberedCourse()) {
            c->judgingFlags |= JudgeFlag::Forbidden;
            c->forbidden = area;
        }
    }

    void offLine(FieldCursor f) {
        int threshold = decimalInt(f.value());
        int ticks = decimalInt(f.value());
        if (CourseRecord* c = rememberedCourse()) {
            c->judgingFlags |= JudgeFlag::OffLine;
            c->offLineThreshold = static_cast<uint8_t>(threshold);
            c->offLineTicks = ticks;
        }
    }

    void checkpoints(FieldCursor f) {
        int announced = decimalInt(f.value());
        std::vector<CourseRect> areas;
        // An announced count beyond the lists on the line keeps the lists that are there.
        for (int i = 0; i < announced; ++i) {
            std::u16string list = f.value();
            if (f.atEnd()) break;
            areas.push_back(parseRect(list));
        }
        if (CourseRecord* c = rememberedCourse()) {
            c->judgingFlags |= JudgeFlag::Checkpoints;
            c->checkpoints = std::move(areas);
        }
    }

    void line(std::u16string_view text) {
        size_t hash = text.find(u'#');
        if (hash != text.npos) text = text.substr(0, hash);
        auto after = [&](std::u16string_view key) -> size_t {
            size_t at = text.find(key);
            return at == text.npos ? text.npos : at + key.size();
        };
        size_t at;
        // The user's index holds courses only: the images, sounds and robot size stay the shipped ones.
        if (!userIndex && (at = after(u"_FILE_TOTAL:")) != text.npos) fileTotal({text, at});
        if ((at = after(u"_TEXTURE:")) != text.npos) texture({text, at});
        if (userIndex && (at = after(kEnglishNameKey)) != text.npos) englishName({text, at});
        if ((at = after(u"_ATACKPARAM:")) != text.npos) attackParam({text, at});
        if (userIndex) {
            if ((at = after(u"_ATACKPARAM_INVAREA:")) != text.npos) forbiddenArea({text, at});
            if ((at = after(u"_ATACKPARAM_SENSORBD:")) != text.npos) offLine({text, at});
            if ((at = after(u"_ATACKPARAM_CHKAREA:")) != text.npos) checkpoints({text, at});
            return;
        }
        if (after(u"_PUT_ATARI:") != text.npos) set.drawJudgingAreas = true;
        if ((at = after(u"_ATACKPARAM_MYATARI:")) != text.npos)
            set.robotHalf = realIn(toNumber(FieldCursor(text, at).value()), 0.0f, kMaxRobotHalf);
        if ((at = after(u"_ATACKPARAM_INVAREA:")) != text.npos) forbiddenArea({text, at});
        if ((at = after(u"_ATACKPARAM_SENSORBD:")) != text.npos) offLine({text, at});
        if ((at = after(u"_ATACKPARAM_CHKAREA:")) != text.npos) checkpoints({text, at});
        if ((at = after(u"_SOUND_OK:")) != text.npos)
            set.goalSound = cut(FieldCursor(text, at).text(), kMaxSoundPathChars);
        if ((at = after(u"_SOUND_NG:")) != text.npos)
            set.failSound = cut(FieldCursor(text, at).text(), kMaxSoundPathChars);
    }
};

// The lines of a text file of the layer, or false when it cannot be opened.
bool readLines(const std::filesystem::path& path, std::vector<std::u16string>& lines) {
    TextRecordFile file;
    if (!file.open(path, u"r")) return false;
    std::u16string line;
    while (file.readLine(line, kRecordLineChars) > 0) lines.push_back(line);
    file.close();
    return true;
}

}  // namespace

const CoursePicture* coursePicture(const CourseSet& set, int course) {
    size_t slot = size_t(course) + Slot::FirstCourse;
    if (course < 0 || slot >= set.textures.size()) return nullptr;
    return set.textures[slot].picture.get();
}

CourseLoadResult parseCourseConfig(CourseSet& set, const std::vector<std::u16string>& lines,
                                   const std::filesystem::path& appDir, const TextureLoader& loadTexture) {
    CourseLoadResult result;
    set = CourseSet{};
    const TextureLoader fallback = defaultTextureLoader;
    Loader l(set, appDir, loadTexture ? loadTexture : fallback, result);
    for (const std::u16string& text : lines) l.line(text);
    if (static_cast<int>(set.textures.size()) != l.declared) l.message(CourseProblem::CountMismatch);
    set.courses.resize(size_t(std::max(0, static_cast<int>(set.textures.size()) - Slot::FirstCourse)));
    result.loaded = true;
    return result;
}

void appendUserCourses(CourseSet& set, const std::vector<std::u16string>& lines,
                       const std::filesystem::path& coursesDir, const TextureLoader& loadTexture,
                       CourseLoadResult& result) {
    set.userCoursesDir = coursesDir;
    const TextureLoader fallback = defaultTextureLoader;
    Loader l(set, coursesDir, loadTexture ? loadTexture : fallback, result, true);
    for (const std::u16string& text : lines) l.line(text);
}

std::filesystem::path userCoursesFolder(const std::filesystem::path& userDir) {
    return userDir / std::filesystem::path(kUserCoursesFolder);
}

CourseLoadResult loadCourseConfig(CourseSet& set, const std::filesystem::path& appDir, const TextureLoader& loadTexture,
                                  const std::filesystem::path& userDir) {
    std::vector<std::u16string> lines;
    if (!readLines(appDir / "texture.ini", lines)) {
        set = CourseSet{};
        CourseLoadResult result;
        result.messages.push_back({CourseProblem::ConfigMissing, {}, 0});
        return result;
    }
    CourseLoadResult result = parseCourseConfig(set, lines, appDir, loadTexture);
    if (!userDir.empty()) {
        const std::filesystem::path coursesDir = userCoursesFolder(userDir);
        std::vector<std::u16string> userLines;
        // No index yet: the user has no courses of their own, and that needs no message.
        if (readLines(coursesDir / std::filesystem::path(kUserCourseIndex), userLines))
            appendUserCourses(set, userLines, coursesDir, loadTexture, result);
        else set.userCoursesDir = coursesDir;
    }
    return result;
}

}  // namespace trovel
