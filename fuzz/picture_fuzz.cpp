// Any picture file as the one reader of courses and tools takes it: bitmaps of every header version
// and PNG files, told apart by their first bytes, then fitted to the course field.

#include "base/picture_file.h"
#include "fuzz/fuzz_input.h"

using namespace trovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BitmapPixels pixels;
    const PictureError error = decodePicture(data, size, pixels);
    if (error != PictureError::None) {
        fuzz::require(pixels.bgr.empty());
        return 0;
    }
    fuzz::require(pixels.width > 0 && pixels.height > 0 && int64_t(pixels.width) * pixels.height <= kPictureMaxPixels &&
                  pixels.bgr.size() == size_t(3) * size_t(pixels.width) * size_t(pixels.height));
    const PictureSize announced = pictureSize(data, size);
    fuzz::require(announced.width == pixels.width && announced.height == pixels.height);
    const BitmapPixels fitted = scalePixels(pixels, 700, 500);
    fuzz::require(fitted.bgr.size() == size_t(3) * 700 * 500);
    return 0;
}
