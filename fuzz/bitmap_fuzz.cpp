// Windows bitmap files as the shared reader decodes them, their headers as the skin check reads them,
// and course pictures as the floor sensors do.

#include "base/bitmap_file.h"
#include "editor/bitmap_header.h"
#include "fuzz/fuzz_input.h"
#include "sim/course_picture.h"

using namespace trovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BitmapPixels pixels;
    if (decodeBitmap(data, size, pixels) == BitmapError::None)
        fuzz::require(pixels.width > 0 && pixels.height > 0 &&
                      pixels.bgr.size() == size_t(3) * size_t(pixels.width) * size_t(pixels.height));
    BitmapInfo info = checkBitmap(data, size);
    if (info.ok) fuzz::require(info.width > 0 && info.height > 0 && info.width <= kMaxBitmapSide);
    PictureResult picture = parseCoursePicture(std::vector<uint8_t>(data, data + size));
    if (pictureLoaded(picture.status))
        fuzz::require(picture.picture.pixels.size() == size_t(3) * kCourseWidth * kCourseHeight);
    return 0;
}
