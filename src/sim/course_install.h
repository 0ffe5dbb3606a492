#pragma once
// Installing a course design among the user's own courses: its picture and its entry (in the form
// of texture.ini) go into the user courses' folder, where loadCourseConfig appends them after the
// shipped courses. The shipped texture.ini is never written.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "sim/course_file.h"
#include "sim/course_picture.h"

namespace trovel {

enum class InstallError {
    None,
    CourseFile,      // the course file did not read (see `file`)
    Picture,         // the background picture did not load (see `picture`, `pictureFile`)
    TooManyCourses,  // the user already has kMaxUserCourses courses and this one is new
    CannotWrite,     // the folder, the picture or the index could not be written (see `pictureFile`)
};

// Best times of user courses are kept by entry number in a records file of one count byte.
constexpr int kMaxUserCourses = 255;

struct InstallResult {
    InstallError error = InstallError::None;
    CourseFileResult file;                          // CourseFile: why the course file was refused
    PictureStatus picture = PictureStatus::Loaded;  // the background picture's outcome (Scaled: fitted to the field)
    std::filesystem::path
        pictureFile;           // the background picture at fault, the path not written, or the installed picture
    int entry = -1;            // the course's entry number in the user's index
    bool replaced = false;     // an installed course of the same name was replaced
    bool recordReset = false;  // the replaced course changed: its best time and ghost were dropped
    bool ok() const { return error == InstallError::None; }
};

// The name a course is installed under: the course file's name without folder and extension,
// with the characters the index or a file name cannot hold replaced ("course" when nothing is left).
// Installing a file of the same name again replaces that course and keeps its course number.
std::u16string courseKey(const std::filesystem::path& courseFile);

// The lines of the course's entry in the form of texture.ini: its "_TEXTURE:" line naming
// `pictureName`, the English name, and the judging lines for course number `course`.
std::vector<std::u16string> courseEntryLines(const CourseDesign& design, int course, std::u16string_view pictureName);

// Installs the picture and the entry of a design under `key` into the user courses' folder of
// `userDir`. Nothing is left changed when it fails.
InstallResult installCourse(const CourseDesign& design, const CoursePicture& picture, std::u16string_view key,
                            const std::filesystem::path& userDir);

// Reads the course file (refusing it as parseCourseFile does; `robotHalf` from the course set),
// loads its background picture relative to the file's folder and draws the course into `drawn`.
// The result says what failed, as installCourseFile would; nothing is written.
InstallResult drawCourseFile(const std::filesystem::path& courseFile, CourseDesign& design, CoursePicture& drawn,
                             float robotHalf = kDefaultRobotHalf);

// drawCourseFile, then installs the course under courseKey(courseFile).
InstallResult installCourseFile(const std::filesystem::path& courseFile, const std::filesystem::path& userDir,
                                float robotHalf = kDefaultRobotHalf);

}  // namespace trovel
