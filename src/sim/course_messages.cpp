#include "sim/course_messages.h"

#include "base/string_ids.h"

namespace trovel {

bool isErrorMessage(CourseProblem problem) {
    return problem != CourseProblem::CountMismatch && problem != CourseProblem::TextureFailed;
}

uint16_t courseMessageId(CourseProblem problem) {
    switch (problem) {
    case CourseProblem::ConfigMissing: return Str::CourseConfigMissing;
    case CourseProblem::CountMismatch: return Str::CourseCountMismatch;
    case CourseProblem::TextureFailed: return Str::CourseTextureFailed;
    case CourseProblem::PictureMissing: return Str::CoursePictureMissing;
    case CourseProblem::NotBitmap: return Str::CourseNotBitmap;
    case CourseProblem::Not24Bit: return Str::CourseNot24Bit;
    case CourseProblem::WrongWidth: return Str::CourseWrongWidth;
    case CourseProblem::WrongHeight: return Str::CourseWrongHeight;
    }
    return Str::CourseConfigMissing;
}

}  // namespace trovel
