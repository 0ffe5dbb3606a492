#include "sim/course_picture.h"

#include <algorithm>
#include <fstream>
#include <system_error>

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
