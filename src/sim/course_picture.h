#pragma once
// A course picture as the floor sensors see it: the pixel copy of a bitmap or PNG file, fitted to the field.

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
    Scaled,       // loaded from a picture of another size, fitted to the field
    CannotOpen,   // not a readable plain file (no message: the course keeps running without sensors)
    NotPicture,   // neither a bitmap nor a PNG file
    Unsupported,  // a bitmap depth or compression the reader leaves out
    Interlaced,   // an interlaced PNG
    TooLarge,     // more pixels than kPictureMaxPixels
    Damaged,      // inconsistent headers or checksums, or pixels cut short
};

inline bool pictureLoaded(PictureStatus status) {
    return status == PictureStatus::Loaded || status == PictureStatus::Scaled;
}

struct PictureResult {
    PictureStatus status = PictureStatus::CannotOpen;
    CoursePicture picture;  // filled only when loaded: always kCourseWidth x kCourseHeight
    int fileWidth = 0;      // the size the file's header gives, when it could be read
    int fileHeight = 0;
};

// Decodes a bitmap (8, 24 or 32 bits, any header version, either row order, pixels where the file
// header says) or a PNG file; a picture of another size than the field is fitted to it.
PictureResult parseCoursePicture(const std::vector<uint8_t>& bytes);
PictureResult loadCoursePicture(const std::filesystem::path& path);

// Larger files are no course picture or record file; they are refused unread.
constexpr std::uintmax_t kMaxReadBytes = 64u * 1024 * 1024;
// Whole plain file into memory; false when it cannot be opened or read, is not a plain file or
// holds more than maxBytes.
bool readWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes,
                   std::uintmax_t maxBytes = kMaxReadBytes);

}  // namespace trovel
