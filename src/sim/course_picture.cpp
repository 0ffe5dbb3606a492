#include "sim/course_picture.h"

#include <algorithm>
#include <fstream>

namespace trovel {

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kInfoHeaderBytes = 40;
constexpr size_t kPixelStart = kFileHeaderBytes + kInfoHeaderBytes;

int32_t readLe32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<int32_t>(uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
                                uint32_t(b[at + 3]) << 24);
}

}  // namespace

bool readWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0) return false;
    in.seekg(0, std::ios::beg);
    bytes.resize(static_cast<size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) return false;
    return true;
}

PictureResult parseCoursePicture(const std::vector<uint8_t>& bytes) {
    PictureResult result;
    if (bytes.size() < kPixelStart || bytes[0] != 'B' || bytes[1] != 'M') {
        result.status = PictureStatus::NotBitmap;
        return result;
    }
    const size_t info = kFileHeaderBytes;
    int32_t width = readLe32(bytes, info + 4);
    int32_t height = readLe32(bytes, info + 8);
    int bitCount = bytes[info + 14] | bytes[info + 15] << 8;
    if (bitCount != 24) {
        result.status = PictureStatus::Not24Bit;
        return result;
    }
    if (width != kCourseWidth) {
        result.status = PictureStatus::WrongWidth;
        return result;
    }
    if (height != kCourseHeight) {
        result.status = PictureStatus::WrongHeight;
        return result;
    }
    const size_t rowBytes = size_t(width) * 3;
    const size_t stride = (rowBytes + 3) / 4 * 4;
    // A cut-off pixel area would leave the floor sensors reading garbage: not a usable bitmap.
    if (bytes.size() - kPixelStart < stride * (size_t(height) - 1) + rowBytes) {
        result.status = PictureStatus::NotBitmap;
        return result;
    }
    result.picture.width = width;
    result.picture.height = height;
    result.picture.pixels.resize(rowBytes * size_t(height));
    for (int32_t row = 0; row < height; ++row)
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(kPixelStart + stride * size_t(row)), rowBytes,
                    result.picture.pixels.begin() + static_cast<std::ptrdiff_t>(rowBytes * size_t(row)));
    result.status = PictureStatus::Loaded;
    return result;
}

PictureResult loadCoursePicture(const std::filesystem::path& path) {
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes)) return {};
    return parseCoursePicture(bytes);
}

}  // namespace trovel
