#pragma once
// skin.ini: the list of block and palette images. Image numbers follow the order of the list;
// 0..16 are the chart images of block types 1..17, 17 and 18 the two- and four-sensor panels,
// 19..21 the RandomBranch, RepeatStart and Branch palette buttons.

#include <filesystem>
#include <string>
#include <vector>

#include "editor/bitmap_header.h"

namespace trovel {

constexpr int kMaxSkinImages = 44;       // further lines are ignored
constexpr int kRequiredSkinImages = 17;  // fewer gives a warning
constexpr size_t kSkinLineChars = 1023;

namespace SkinImage {
constexpr int FirstChart = 0;  // + block type - 1
constexpr int TwoSensorPanel = 17;
constexpr int FourSensorPanel = 18;
constexpr int RandomBranchButton = 19;
constexpr int RepeatStartButton = 20;
constexpr int BranchButton = 21;
constexpr int ShippedCount = 22;
}  // namespace SkinImage

struct SkinEntry {
    std::filesystem::path file;  // full path
    BitmapInfo info;
};

enum class SkinStatus {
    Loaded,           // possibly with the too-few warning
    CannotOpen,       // no skin.ini: start-up fails
    ImageUnreadable,  // a listed image is missing or not a bitmap: start-up fails
};

struct SkinResult {
    SkinStatus status = SkinStatus::CannotOpen;
    std::vector<SkinEntry> images;   // image number = index
    std::filesystem::path badImage;  // the image that could not be loaded
    bool tooFew = false;             // fewer than kRequiredSkinImages images were loaded
    std::u16string message;          // the error or the warning to show; empty otherwise
    bool ok() const { return status == SkinStatus::Loaded; }
};

// Each line (at most 1023 characters) holding "SKIN:" names an image in its [[...]] field,
// resolved against `baseDir`; an empty name takes no number.
SkinResult loadSkin(const std::filesystem::path& listFile, const std::filesystem::path& baseDir);

}  // namespace trovel
