#include "sim/course_picture.h"

#include "base/bitmap_file.h"

#include <fstream>
#include <system_error>
#include <utility>

namespace trovel {

bool readWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes, std::uintmax_t maxBytes) {
    // A directory opens as a stream whose size reads as huge: only plain files of sane size are read.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > maxBytes) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.resize(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return !in.bad();
}

PictureResult parseCoursePicture(const std::vector<uint8_t>& bytes) {
    PictureResult result;
    BitmapHeader header;
    const BitmapError error = readBitmapHeader(bytes.data(), bytes.size(), header);
    // Depth, width and height are reported before any other fault, so a picture of the wrong size
    // says so even when its pixel area is also cut short.
    if (error == BitmapError::TooShort || error == BitmapError::NoSignature || error == BitmapError::BadHeaderSize)
        result.status = PictureStatus::NotBitmap;
    else if (header.bitCount != 24)
        result.status = PictureStatus::Not24Bit;
    else if (header.width != kCourseWidth)
        result.status = PictureStatus::WrongWidth;
    else if (header.height != kCourseHeight)
        result.status = PictureStatus::WrongHeight;
    else {
        // Any other fault (a cut-off pixel area, pixels outside the file, a compressed file) would
        // leave the floor sensors reading garbage: not a usable bitmap.
        BitmapPixels pixels;
        if (error != BitmapError::None || decodeBitmap(bytes.data(), bytes.size(), pixels) != BitmapError::None) {
            result.status = PictureStatus::NotBitmap;
            return result;
        }
        result.picture.width = pixels.width;
        result.picture.height = pixels.height;
        result.picture.pixels = std::move(pixels.bgr);
        result.status = PictureStatus::Loaded;
    }
    return result;
}

PictureResult loadCoursePicture(const std::filesystem::path& path) {
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes)) return {};
    return parseCoursePicture(bytes);
}

}  // namespace trovel
