#include "sim/course_messages.h"

#include "base/string_ids.h"

namespace trovel {

bool isErrorMessage(CourseProblem problem) {
    return problem != CourseProblem::CountMismatch && problem != CourseProblem::TextureFailed &&
           problem != CourseProblem::PictureScaled;
}

uint16_t courseMessageId(CourseProblem problem) {
    switch (problem) {
    case CourseProblem::ConfigMissing: return Str::CourseConfigMissing;
    case CourseProblem::CountMismatch: return Str::CourseCountMismatch;
    case CourseProblem::TextureFailed: return Str::CourseTextureFailed;
    case CourseProblem::PictureMissing: return Str::CoursePictureMissing;
    case CourseProblem::NotPicture: return Str::CoursePictureNotPicture;
    case CourseProblem::PictureUnsupported: return Str::CoursePictureUnsupported;
    case CourseProblem::PictureInterlaced: return Str::CoursePictureInterlaced;
    case CourseProblem::PictureTooLarge: return Str::CoursePictureTooLarge;
    case CourseProblem::PictureDamaged: return Str::CoursePictureDamaged;
    case CourseProblem::PictureScaled: return Str::CoursePictureScaled;
    }
    return Str::CourseConfigMissing;
}

}  // namespace trovel
