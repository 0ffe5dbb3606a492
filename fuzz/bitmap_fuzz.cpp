// Windows bitmap headers as the skin check reads them, and course pictures as the floor sensors do.

#include "editor/bitmap_header.h"
#include "fuzz/fuzz_input.h"
#include "sim/course_picture.h"

using namespace trovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BitmapInfo info = checkBitmap(data, size);
    if (info.ok) fuzz::require(info.width > 0 && info.height > 0 && info.width <= kMaxBitmapSide);
    PictureResult picture = parseCoursePicture(std::vector<uint8_t>(data, data + size));
    if (picture.status == PictureStatus::Loaded)
        fuzz::require(picture.picture.pixels.size() == size_t(3) * kCourseWidth * kCourseHeight);
    return 0;
}
