#pragma once
// Problems met while loading the courses, and the numbered strings that word them.

#include <cstdint>
#include <string>

namespace trovel {

enum class CourseProblem {
    ConfigMissing,    // texture.ini cannot be opened (error)
    CountMismatch,    // more images than declared, or fewer at the end (warning)
    TextureFailed,    // the image could not be made into a texture (warning)
    PictureMissing,   // follows TextureFailed, names the file (error)
    NotBitmap,        // error, names the file
    Not24Bit,         // error, names the file
    WrongWidth,       // error, names the file and the expected width
    WrongHeight,      // error, names the file and the expected height
};

struct CourseMessage {
    CourseProblem problem = CourseProblem::ConfigMissing;
    std::u16string file;  // the image file named by the message, if any
    int expected = 0;     // width or height the picture should have
};

bool isErrorMessage(CourseProblem problem);  // error icon; the others take the warning icon
// The string number of the message box text; formatted with the message's file and expected size
// in that order (a text without them ignores them).
uint16_t courseMessageId(CourseProblem problem);

}  // namespace trovel
