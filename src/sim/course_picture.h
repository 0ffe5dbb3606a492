#pragma once
// A course picture as the floor sensors see it: the pixel copy of a 24-bit Windows bitmap.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace trovel {

constexpr int kCourseWidth = 700;
constexpr int kCourseHeight = 500;

struct CoursePicture {
    int width = 0;                // pixels
    int height = 0;               // pixels
    std::vector<uint8_t> pixels;  // bottom-up rows of blue, green, red; 3 * width * height bytes
};

enum class PictureStatus {
    Loaded,
    CannotOpen,  // not a readable plain file (no message: the course keeps running without sensors)
    NotBitmap,   // no "BM", or too short to be a bitmap at all
    Not24Bit,
    WrongWidth,
    WrongHeight,
};

struct PictureResult {
    PictureStatus status = PictureStatus::CannotOpen;
    CoursePicture picture;  // filled only when Loaded
};

// Checks the file's bytes in the order BM, 24 bit, width 700, height 500 and copies the pixels from
// where the file header says they start (any info header version, bottom-up or top-down rows),
// dropping each row's padding to 4 bytes.
PictureResult parseCoursePicture(const std::vector<uint8_t>& bytes);
PictureResult loadCoursePicture(const std::filesystem::path& path);

// Larger files are no course picture or record file; they are refused unread.
constexpr std::uintmax_t kMaxReadBytes = 64u * 1024 * 1024;
// Whole plain file into memory; false when it cannot be opened or read, is not a plain file or
// holds more than maxBytes.
bool readWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes,
                   std::uintmax_t maxBytes = kMaxReadBytes);

}  // namespace trovel
