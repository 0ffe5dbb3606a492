#pragma once
// The simulator's courses, images, judging rules and sounds, read from texture.ini.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/course_picture.h"
#include "sim/course_messages.h"

namespace trovel {

// Slots 0..4 hold the fixed images; slot 5 + i is the picture of course i.
namespace Slot {
constexpr int Robot = 0;
constexpr int LedLight = 1;
constexpr int Badge = 2;
constexpr int Messages = 3;
constexpr int Digits = 4;
constexpr int FirstCourse = 5;
}  // namespace Slot

constexpr size_t kMaxPathChars = 1023;
constexpr size_t kMaxCourseNameChars = 255;
constexpr size_t kMaxSoundPathChars = 259;
// Declared totals above this are cut down, so a huge number cannot exhaust memory.
constexpr int kMaxCourses = 1000;

namespace CourseFlag {
constexpr int NotMovable = 0x1;
constexpr int NotMovableWhilePaused = 0x2;
constexpr int PlayReturnsToStart = 0x4;
}  // namespace CourseFlag

namespace JudgeFlag {
constexpr int Timed = 0x01;
constexpr int SensorUse = 0x06;  // either bit asks for the sensor-use rule
constexpr int StopInGoal = 0x08;
constexpr int OffLine = 0x10;
constexpr int Forbidden = 0x20;
constexpr int Checkpoints = 0x40;
}  // namespace JudgeFlag

struct CourseRect {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // world units
    bool operator==(const CourseRect&) const = default;
};

struct CourseRecord {
    float startX = 0;            // -350..350
    float startY = 0;            // -250..250
    float startHeading = 0;      // radians
    int courseFlags = 0;         // CourseFlag bits
    std::u16string name;         // at most kMaxCourseNameChars
    std::u16string englishName;  // a user course's name in English; empty for the shipped ones and when none
    CourseRect goal;
    CourseRect forbidden;
    std::vector<CourseRect> checkpoints;  // in passing order
    int judgingFlags = 0;                 // JudgeFlag bits
    int offLineTicks = 0;                 // ticks all floor points may be bright before the run fails
    uint8_t offLineThreshold = 0;         // floor values below this count as bright
    int userEntry = -1;  // a user course's entry in the user's index (its records go by it); -1 shipped
};

struct TextureSlot {
    std::u16string path;                           // as written in texture.ini
    std::shared_ptr<const CoursePicture> picture;  // course slots whose file passed the checks; else null
};

struct CourseSet {
    std::vector<TextureSlot> textures;  // loaded slots in file order
    std::vector<CourseRecord> courses;  // course i belongs to slot 5 + i
    float robotHalf = 0;                // judging square half-size
    bool drawJudgingAreas = false;      // _PUT_ATARI:
    std::u16string goalSound;           // empty = none
    std::u16string failSound;
    std::filesystem::path userCoursesDir;  // the user's own courses and their records; empty when not looked for
};

inline int courseCount(const CourseSet& set) { return static_cast<int>(set.courses.size()); }
// The pixel copy of course i, or null when the course has none.
const CoursePicture* coursePicture(const CourseSet& set, int course);

// Creates the drawable image of a slot from its file; false drops the slot. The window passes one
// that makes its textures; without one, a file that can be opened counts as loaded.
using TextureLoader = std::function<bool(int slot, const std::filesystem::path& file)>;

struct CourseLoadResult {
    bool loaded = false;                  // false: texture.ini could not be opened
    std::vector<CourseMessage> messages;  // in the order they arose; the window shows each
};

// The user's own courses live in this folder of the user folder, listed in its index file in the
// form of texture.ini: "_TEXTURE:" lines (pictures named relative to the folder) each followed by
// the judging lines of that entry, whose course number is the entry's own number (0 for the first
// "_TEXTURE:" line, whether or not its picture loads), and by "_COURSE_NAME_EN:[[name]]". The
// fixed images, sounds, robot size and "_PUT_ATARI:" stay those of texture.ini. Best times and
// ghosts of user courses are kept in this folder, by entry number, apart from the shipped ones.
constexpr std::string_view kUserCoursesFolder = "user_courses";
constexpr std::string_view kUserCourseIndex = "courses.ini";
constexpr std::u16string_view kEnglishNameKey = u"_COURSE_NAME_EN:";
std::filesystem::path userCoursesFolder(const std::filesystem::path& userDir);

// Reads texture.ini of the application folder into `set`, replacing it; then, when `userDir` is
// given, appends the user's own courses of its user_courses folder. The best times are not the
// courses' but the lap records' (lap_records.h).
CourseLoadResult loadCourseConfig(CourseSet& set, const std::filesystem::path& appDir,
                                  const TextureLoader& loadTexture = {}, const std::filesystem::path& userDir = {});
// The same from lines already in memory (a file's text); `appDir` resolves the image files.
CourseLoadResult parseCourseConfig(CourseSet& set, const std::vector<std::u16string>& lines,
                                   const std::filesystem::path& appDir, const TextureLoader& loadTexture = {});
// Appends the courses of the user's index lines to a set parsed above; `coursesDir` resolves their
// pictures. A picture that is refused leaves its entry out, with the same messages as texture.ini's.
void appendUserCourses(CourseSet& set, const std::vector<std::u16string>& lines,
                       const std::filesystem::path& coursesDir, const TextureLoader& loadTexture,
                       CourseLoadResult& result);

}  // namespace trovel
