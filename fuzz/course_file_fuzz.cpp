// A teacher's course file: read, written back and read again to the same design, drawn, and given
// its texture.ini entry; and the same bytes as the index of the user's own courses, appended to the
// shipped courses.

#include "fuzz/fuzz_input.h"
#include "model/text_record_file.h"
#include "sim/course_config.h"
#include "sim/course_file.h"
#include "sim/course_install.h"
#include "sim/course_raster.h"

#include <cmath>

using namespace trovel;

namespace {

const CourseSet& shippedCourses() {
    static const CourseSet set = [] {
        CourseSet s;
        loadCourseConfig(s, fuzz::appFolder());
        return s;
    }();
    return set;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    CourseDesign design;
    if (parseCourseFile(bytes, design).ok()) {
        const std::string text = writeCourseFile(design);
        CourseDesign again;
        fuzz::require(parseCourseFile(std::vector<uint8_t>(text.begin(), text.end()), again).ok() && again == design);
        const CoursePicture picture = drawCourse(design);
        fuzz::require(picture.pixels.size() == size_t(3) * kCourseWidth * kCourseHeight);
        fuzz::require(!courseEntryLines(design, 0, u"course.bmp").empty());
    }

    // The index of the user's own courses; pictures it names are looked for in the application folder.
    std::vector<std::u16string> lines;
    std::u16string line;
    for (char16_t c : fuzz::utf16Of(data, size)) {
        if (c == u'\n') {
            if (!line.empty()) lines.push_back(line);
            line.clear();
        } else if (line.size() < kRecordLineChars) {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    CourseSet set = shippedCourses();
    CourseLoadResult result;
    appendUserCourses(set, lines, fuzz::appFolder(), {}, result);
    fuzz::require(set.courses.size() + Slot::FirstCourse == set.textures.size() ||
                  set.textures.size() < Slot::FirstCourse);
    for (const CourseRecord& c : set.courses)
        fuzz::require(std::isfinite(c.startX) && std::isfinite(c.startY) && std::isfinite(c.startHeading) &&
                      c.name.size() <= kMaxCourseNameChars && c.englishName.size() <= kMaxCourseNameChars);
    return 0;
}
