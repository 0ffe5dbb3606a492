#include "sim/gui/sim_text.h"

#include "base/gui/ui_text.h"
#include "base/resource_library.h"
#include "base/string_ids.h"

namespace trovel {

QString simMessageCaption() { return toQString(resString(Str::MessageCaption)); }

QString courseName(int index, const CourseRecord& course) {
    if (course.userEntry >= 0)
        return toQString(stringPackInUse() && !course.englishName.empty() ? course.englishName : course.name);
    if (index >= 0 && index < 100) {
        const QString translated = toQString(resString(Str::FirstCourseName + index));
        if (!translated.isEmpty()) return translated;
    }
    return toQString(course.name);
}

}  // namespace trovel
