#include "sim/course_picture.h"

#include "base/picture_file.h"

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
    const PictureSize size = pictureSize(bytes.data(), bytes.size());
    result.fileWidth = size.width;
    result.fileHeight = size.height;
    BitmapPixels pixels;
    switch (decodePicture(bytes.data(), bytes.size(), pixels)) {
    case PictureError::None: break;
    case PictureError::NotPicture: result.status = PictureStatus::NotPicture; return result;
    case PictureError::Unsupported: result.status = PictureStatus::Unsupported; return result;
    case PictureError::Interlaced: result.status = PictureStatus::Interlaced; return result;
    case PictureError::TooLarge: result.status = PictureStatus::TooLarge; return result;
    case PictureError::Damaged:
    case PictureError::Truncated: result.status = PictureStatus::Damaged; return result;
    }
    result.status = PictureStatus::Loaded;
    if (pixels.width != kCourseWidth || pixels.height != kCourseHeight) {
        pixels = scalePixels(pixels, kCourseWidth, kCourseHeight);
        result.status = PictureStatus::Scaled;
    }
    result.picture.width = pixels.width;
    result.picture.height = pixels.height;
    result.picture.pixels = std::move(pixels.bgr);
    return result;
}

PictureResult loadCoursePicture(const std::filesystem::path& path) {
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes)) return {};
    return parseCoursePicture(bytes);
}

}  // namespace trovel
