#pragma once
// Problems met while loading the courses, and the numbered strings that word them.

#include <cstdint>
#include <string>

namespace trovel {

enum class CourseProblem {
    ConfigMissing,       // texture.ini cannot be opened (error)
    CountMismatch,       // more images than declared, or fewer at the end (warning)
    TextureFailed,       // the image could not be made into a texture (warning)
    PictureMissing,      // follows TextureFailed, names the file (error)
    NotPicture,          // neither a bitmap nor a PNG file (error, names the file)
    PictureUnsupported,  // a bitmap depth or compression the reader leaves out (error, names the file)
    PictureInterlaced,   // an interlaced PNG (error, names the file)
    PictureTooLarge,     // error, names the file and the most pixels a picture may have
    PictureDamaged,      // damaged or cut short (error, names the file)
    PictureScaled,       // fitted to the field from another size; the course is kept (warning, names the file)
};

struct CourseMessage {
    CourseProblem problem = CourseProblem::ConfigMissing;
    std::u16string file;  // the image file named by the message, if any
    int expected = 0;     // the pixel limit of a picture too large
};

bool isErrorMessage(CourseProblem problem);  // error icon; the others take the warning icon
// The string number of the message box text; formatted with the message's file and expected number
// in that order (a text without them ignores them).
uint16_t courseMessageId(CourseProblem problem);

}  // namespace trovel
